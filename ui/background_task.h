#pragma once

#include <QObject>
#include <QString>

#include <atomic>
#include <functional>

class QWidget;

namespace tolvane {

/// What the work of a background task shares with the window thread: the user's Cancel, and how
/// far the work has come. Long work looks at cancelRequested() now and then and stops early;
/// whatever it leaves is thrown away by its caller.
class TaskControl {
public:
    [[nodiscard]] bool cancelRequested() const { return cancel_.load(std::memory_order_relaxed); }
    void requestCancel() { cancel_.store(true, std::memory_order_relaxed); }
    /// The fraction done, 0 to 1, shown by the progress bar; without it the bar only shows that
    /// work goes on.
    void setProgress(double fractionDone);
    /// The fraction set last, or a negative value when none was set.
    [[nodiscard]] double progress() const { return progress_.load(std::memory_order_relaxed); }

private:
    std::atomic<bool> cancel_{false};
    std::atomic<double> progress_{-1.0};
};

/// Runs `work` on a worker thread and returns when it has ended, while the event loop keeps
/// running: windows repaint, are moved and resized. Input to the program's windows is held back
/// meanwhile (the work reads and writes the program's state), and after 0.3 s a window-modal
/// progress dialog over `parent` shows `label` with a Cancel button.
///
/// The work's messages (errors, help) are shown in their order after it has ended, on the window
/// thread; those of cancelled work are dropped. True when the work ran to its end without
/// Cancel; false after Cancel (its results must then be discarded), or when another task is
/// still running (the work then does not run).
[[nodiscard]] bool RunInBackground(QWidget* parent, const QString& label,
                                   const std::function<void(TaskControl& control)>& work);

/// For work that must stay on the window thread (drawing charts, which QtCharts allows there
/// only): runs `step(k)` for k from 0 to count - 1 there and lets the event loop run between the
/// steps, so that windows repaint. Input to the program's windows is held back meanwhile, and
/// once the steps have taken 0.3 s a window-modal progress dialog over `parent` shows `label`,
/// the steps done and a Cancel button. Returns the number of steps done: `count`, or fewer after
/// Cancel or when a step returned false; 0 when another task is running.
[[nodiscard]] int RunStepsOnWindowThread(QWidget* parent, const QString& label, int count,
                                         const std::function<bool(int step)>& step);

/// Tells the windows when a background task starts and ends, so that they disable meanwhile the
/// commands that would change what the work reads.
class BackgroundTasks : public QObject {
    Q_OBJECT
public:
    [[nodiscard]] static BackgroundTasks& instance();
    [[nodiscard]] bool running() const { return running_; }
    /// Cancel for the task that runs, as its progress dialog's button does; nothing without one.
    void cancel() {
        if (control_ != nullptr) control_->requestCancel();
    }

Q_SIGNALS:
    void runningChanged(bool running);

private:
    friend bool RunInBackground(QWidget*, const QString&, const std::function<void(TaskControl&)>&);
    friend int RunStepsOnWindowThread(QWidget*, const QString&, int,
                                      const std::function<bool(int)>&);
    void setRunning(TaskControl* control);
    bool running_ = false;
    TaskControl* control_ = nullptr;
};

} // namespace tolvane
