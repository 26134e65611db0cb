#include "ui/background_task.h"

#include "core/message_sink.h"
#include "core/vector_state.h"
#include "ui/busy_cursor.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QEvent>
#include <QEventLoop>
#include <QPointer>
#include <QProgressDialog>
#include <QThread>
#include <QTimer>
#include <QWidget>
#include <QWindow>

#include <exception>
#include <memory>
#include <mutex>
#include <optional>
#include <thread>
#include <utility>
#include <vector>

namespace tolvane {
namespace {

/// Work that ends sooner shows no dialog: a flash of a window would only distract.
constexpr int kProgressDelayMs = 300;
constexpr int kPollIntervalMs = 50;
constexpr int kProgressSteps = 1000;

/// Holds back the user's input to every window but the progress dialog while the work runs, so
/// nothing the work reads changes under it; painting, moving and resizing go on.
class InputBlocker : public QObject {
public:
    InputBlocker() { qApp->installEventFilter(this); }
    ~InputBlocker() override { qApp->removeEventFilter(this); }
    InputBlocker(const InputBlocker&) = delete;
    InputBlocker& operator=(const InputBlocker&) = delete;

    void allow(QWidget* dialog) { allowed_ = dialog; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        switch (event->type()) {
        case QEvent::MouseButtonPress:
        case QEvent::MouseButtonRelease:
        case QEvent::MouseButtonDblClick:
        case QEvent::Wheel:
        case QEvent::KeyPress:
        case QEvent::KeyRelease:
        case QEvent::Shortcut:
        case QEvent::ShortcutOverride:
        case QEvent::ContextMenu:
        case QEvent::TouchBegin:
        case QEvent::TouchUpdate:
        case QEvent::TouchEnd:
        case QEvent::Drop:
            return !insideAllowed(watched);
        case QEvent::Close:
            // The window manager's close button; the program's own closing goes on.
            return event->spontaneous() && !insideAllowed(watched);
        default:
            return false;
        }
    }

private:
    bool insideAllowed(const QObject* object) const {
        if (allowed_.isNull()) return false;
        // The window system's input reaches the dialog's window before its widgets.
        if (object == allowed_->window()->windowHandle()) return true;
        for (; object != nullptr; object = object->parent())
            if (object == allowed_.data()) return true;
        return false;
    }
    QPointer<QWidget> allowed_;
};

/// The messages of the work, kept until it has ended: message boxes belong to the window thread.
class HeldMessages {
public:
    void add(MessageKind kind, const std::string& text) {
        const std::lock_guard lock(mutex_);
        messages_.emplace_back(kind, text);
    }
    [[nodiscard]] std::vector<std::pair<MessageKind, std::string>> take() {
        const std::lock_guard lock(mutex_);
        return std::exchange(messages_, {});
    }

private:
    std::mutex mutex_;
    std::vector<std::pair<MessageKind, std::string>> messages_;
};

bool OnWindowThread() {
    return QThread::currentThread() == qApp->thread();
}

// The progress dialog of long work, shown once the work has taken kProgressDelayMs: its Cancel
// asks the work to stop, it alone takes input meanwhile, and the arrow replaces the wait cursor
// over it. A maximum of 0 shows the busy bar.
QProgressDialog* ShowProgressDialog(QWidget* parent, const QString& label, int maximum,
                                    TaskControl& control, InputBlocker& blocker,
                                    std::optional<BusyCursor>& busy) {
    auto* dialog = new QProgressDialog(label, QStringLiteral("Cancel"), 0, maximum, parent);
    dialog->setWindowTitle(QStringLiteral("Tolvane"));
    dialog->setWindowModality(Qt::WindowModal);
    dialog->setAutoReset(false);
    dialog->setAutoClose(false);
    QObject::connect(dialog, &QProgressDialog::canceled, dialog,
                     [&control] { control.requestCancel(); });
    blocker.allow(dialog);
    busy.reset();
    dialog->show();
    return dialog;
}

} // namespace

void TaskControl::setProgress(double fractionDone) {
    progress_.store(fractionDone < 0.0 ? 0.0 : (fractionDone > 1.0 ? 1.0 : fractionDone),
                    std::memory_order_relaxed);
}

BackgroundTasks& BackgroundTasks::instance() {
    static BackgroundTasks tasks;
    return tasks;
}

void BackgroundTasks::setRunning(TaskControl* control) {
    control_ = control;
    if (running_ == (control != nullptr)) return;
    running_ = control != nullptr;
    Q_EMIT runningChanged(running_);
}

bool RunInBackground(QWidget* parent, const QString& label,
                     const std::function<void(TaskControl& control)>& work) {
    BackgroundTasks& tasks = BackgroundTasks::instance();
    if (tasks.running() || !OnWindowThread()) return false;

    // Messages from the worker are held; those from the window thread are shown at once.
    auto held = std::make_shared<HeldMessages>();
    auto shown = std::make_shared<MessageSink>();
    *shown = InstallMessageSink([held, shown](MessageKind kind, const std::string& text) {
        if (!OnWindowThread())
            held->add(kind, text);
        else if (*shown)
            (*shown)(kind, text);
    });

    TaskControl control;
    tasks.setRunning(&control);
    std::optional<InputBlocker> blocker(std::in_place);
    std::optional<BusyCursor> busy(std::in_place);
    QEventLoop loop;
    std::atomic<bool> finished{false};
    std::exception_ptr failure;
    std::thread worker([&] {
        ClearUpperVectorState(); // inherited from the window's thread
        try {
            work(control);
        } catch (...) {
            failure = std::current_exception();
        }
        finished.store(true);
        QMetaObject::invokeMethod(
            &loop, [&loop] { loop.quit(); }, Qt::QueuedConnection);
    });

    QPointer<QProgressDialog> dialog;
    QElapsedTimer clock;
    clock.start();
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, &loop, [&] {
        if (dialog.isNull() && !control.cancelRequested() && clock.elapsed() >= kProgressDelayMs)
            dialog = ShowProgressDialog(parent, label, 0, control, *blocker, busy);
        const double fraction = control.progress();
        if (!dialog.isNull() && fraction >= 0.0) {
            dialog->setMaximum(kProgressSteps);
            dialog->setValue(static_cast<int>(fraction * kProgressSteps));
        }
    });
    poll.start(kPollIntervalMs);
    if (!finished.load()) loop.exec();
    // The loop also ends when the program quits: the work is asked to stop and waited for.
    if (!finished.load()) control.requestCancel();
    worker.join();
    poll.stop();
    // Deleted rather than closed: a closed progress dialog shows itself again when its own
    // timer for showing fires later.
    delete dialog.data();
    busy.reset();
    blocker.reset();

    InstallMessageSink(*shown);
    tasks.setRunning(nullptr);
    if (failure) std::rethrow_exception(failure);
    const bool completed = !control.cancelRequested();
    if (completed) {
        // Shown as they would have been during the work: over the wait cursor, which a message
        // box replaces by the arrow while it waits for the user.
        const BusyCursor reporting;
        for (const auto& [kind, text] : held->take())
            if (*shown) (*shown)(kind, text);
    }
    return completed;
}

int RunStepsOnWindowThread(QWidget* parent, const QString& label, int count,
                           const std::function<bool(int step)>& step) {
    BackgroundTasks& tasks = BackgroundTasks::instance();
    if (tasks.running() || !OnWindowThread()) return 0;
    TaskControl control;
    tasks.setRunning(&control);
    std::optional<InputBlocker> blocker(std::in_place);
    std::optional<BusyCursor> busy(std::in_place);
    QPointer<QProgressDialog> dialog;
    QElapsedTimer clock;
    clock.start();
    int done = 0;
    while (done < count && !control.cancelRequested()) {
        if (!step(done)) break;
        ++done;
        if (dialog.isNull() && clock.elapsed() >= kProgressDelayMs && done < count)
            dialog = ShowProgressDialog(parent, label, count, control, *blocker, busy);
        if (!dialog.isNull()) dialog->setValue(done);
        // Repaints, and the Cancel button, between the steps.
        QCoreApplication::processEvents(QEventLoop::AllEvents, kPollIntervalMs);
    }
    delete dialog.data();
    busy.reset();
    blocker.reset();
    tasks.setRunning(nullptr);
    return done;
}

} // namespace tolvane
