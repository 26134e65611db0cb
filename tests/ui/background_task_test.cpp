// Work off the window thread: messages, the progress dialog, Cancel and held-back input.

#include "support/captured_messages.h"
#include "ui/background_task.h"

#include <QLineEdit>
#include <QProgressDialog>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>
#include <QWindow>

#include <chrono>
#include <thread>

using namespace tolvane;

namespace {

// Waits in the worker until Cancel, at most five seconds.
void WaitForCancel(const TaskControl& control) {
    for (int i = 0; i < 500 && !control.cancelRequested(); ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
}

QProgressDialog* ShownProgress(QWidget* parent) {
    for (auto* dialog : parent->findChildren<QProgressDialog*>())
        if (dialog->isVisible()) return dialog;
    return nullptr;
}

} // namespace

class BackgroundTaskTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void workRunsOffTheWindowThreadAndItsMessagesFollowInOrder() {
        testing::CapturedMessages messages;
        QWidget window;
        QSignalSpy running(&BackgroundTasks::instance(), &BackgroundTasks::runningChanged);
        int ticks = 0;
        QTimer ticker;
        connect(&ticker, &QTimer::timeout, [&] { ++ticks; });
        ticker.start(10);
        std::thread::id workThread;
        bool nestedRan = false;
        bool nestedResult = true;
        const bool completed = RunInBackground(&window, QStringLiteral("Computing"), [&](auto&) {
            workThread = std::this_thread::get_id();
            ShowErrorMessage("first");
            ShowHelpMessage("second");
            std::this_thread::sleep_for(std::chrono::milliseconds(100));
            QMetaObject::invokeMethod(&window, [&] {
                nestedResult = RunInBackground(&window, {}, [&](auto&) { nestedRan = true; });
            });
            std::this_thread::sleep_for(std::chrono::milliseconds(100));
        });
        QVERIFY(completed);
        QVERIFY(workThread != std::this_thread::get_id());
        QVERIFY2(ticks >= 5, "the event loop ran while the work did");
        QVERIFY(!nestedRan && !nestedResult); // one task at a time
        QVERIFY(ShownProgress(&window) == nullptr);
        QCOMPARE(messages.errors(), std::vector<std::string>{"first"});
        QCOMPARE(messages.help(), std::vector<std::string>{"second"});
        QCOMPARE(running.size(), 2);
        QCOMPARE(running[0][0].toBool(), true);
        QCOMPARE(running[1][0].toBool(), false);
    }

    void progressAfterAMomentCancelDropsTheWorkAndInputIsHeldBack() {
        testing::CapturedMessages messages;
        QWidget window;
        auto* field = new QLineEdit(&window);
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        bool shownEarly = true;
        QString label;
        QTimer::singleShot(100, [&] {
            shownEarly = ShownProgress(&window) != nullptr;
            QTest::keyClicks(field, QStringLiteral("typed"));
        });
        QTimer::singleShot(700, [&] {
            QProgressDialog* progress = ShownProgress(&window);
            if (progress == nullptr) return;
            label = progress->labelText();
            QCOMPARE(progress->value(), 250);
            QTest::mouseClick(progress->findChild<QPushButton*>(), Qt::LeftButton);
        });
        const bool completed =
            RunInBackground(&window, QStringLiteral("Computing"), [](TaskControl& control) {
                control.setProgress(0.25);
                ShowErrorMessage("dropped");
                WaitForCancel(control);
            });
        QVERIFY(!completed);
        QVERIFY(window.findChildren<QProgressDialog*>().isEmpty()); // gone, not merely closed
        QVERIFY(!shownEarly);
        QCOMPARE(label, QStringLiteral("Computing"));
        QVERIFY(field->text().isEmpty());
        QVERIFY(messages.all().empty());
        QVERIFY(!BackgroundTasks::instance().running());
        // Input reaches the window again.
        QTest::keyClicks(field, QStringLiteral("ok"));
        QCOMPARE(field->text(), QStringLiteral("ok"));
    }

    // Steps that must stay on the window thread (printing charts): in order, the progress dialog
    // once they take 0.3 s, and Cancel stops them after the step under way.
    void stepsOnTheWindowThreadShowProgressAndStopOnCancel() {
        QWidget window;
        window.show();
        QList<int> done;
        bool dialogShown = false;
        bool alwaysRunning = true;
        bool valuesRight = true;
        const int steps =
            RunStepsOnWindowThread(&window, QStringLiteral("Printing"), 10, [&](int k) {
                done << k;
                alwaysRunning = alwaysRunning && BackgroundTasks::instance().running();
                std::this_thread::sleep_for(std::chrono::milliseconds(120));
                if (QProgressDialog* dialog = ShownProgress(&window)) {
                    dialogShown = true;
                    valuesRight = valuesRight && dialog->value() == k;
                    // As the window system delivers it: to the dialog's window first.
                    const auto* cancel = dialog->findChild<QPushButton*>();
                    QTest::mouseClick(dialog->windowHandle(), Qt::LeftButton, {},
                                      cancel->mapTo(dialog, cancel->rect().center()));
                }
                return true;
            });
        QVERIFY(dialogShown && alwaysRunning && valuesRight);
        QCOMPARE(steps, done.size());
        QVERIFY(steps >= 2 && steps < 10);
        QCOMPARE(done, QList<int>({0, 1, 2, 3, 4, 5, 6, 7, 8, 9}).first(steps));
        QVERIFY(!BackgroundTasks::instance().running());
        QCOMPARE(RunStepsOnWindowThread(&window, QString(), 3, [](int k) { return k < 1; }), 1);
    }
};

QTEST_MAIN(BackgroundTaskTest)
#include "background_task_test.moc"
