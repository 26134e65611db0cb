// The program's start: the shipped data, a folder without data, the message boxes, and one
// computation from the Configuration dialog to its charts, with the file commands after it.

#include "support/captured_messages.h"
#include "support/temp_dir.h"
#include "ui/charts/plot_window.h"
#include "ui/charts/result_presenter.h"
#include "ui/configuration/configuration_dialog.h"
#include "ui/file_commands.h"
#include "ui/main_window.h"
#include "ui/message_boxes.h"
#include "ui/model/model_dialog.h"

#include "core/message_sink.h"
#include "engine/plot_info.h"
#include "engine/program_state.h"
#include "files/startup.h"

#include <QChart>
#include <QDir>
#include <QFile>
#include <QMessageBox>
#include <QPushButton>
#include <QScreen>
#include <QTest>
#include <QTimer>

#include <filesystem>
#include <memory>

using namespace tolvane;
using tolvane::testing::CapturedMessages;

class StartUpTest : public QObject {
    Q_OBJECT
private:
    std::unique_ptr<testing::TempDir> dir_;
    QString previousDirectory_;

    // Runs the test in a fresh folder holding copies of the shipped data files (if `withData`).
    void enterFolder(bool withData) {
        dir_ = std::make_unique<testing::TempDir>();
        if (withData)
            for (const char* name : {"uncdata.unc", "default.cfg", "default.mdl"})
                std::filesystem::copy_file(std::filesystem::path(TOLVANE_SHIPPED_DATA_DIR) / name,
                                           dir_->path() / name);
        QVERIFY(QDir::setCurrent(QString::fromStdString(dir_->path().string())));
    }
    static QString inFolder(const testing::TempDir& dir, const char* name) {
        return QString::fromStdString(dir.file(name));
    }

private Q_SLOTS:
    void initTestCase() { previousDirectory_ = QDir::currentPath(); }
    void cleanup() {
        ShutDown();
        QDir::setCurrent(previousDirectory_);
        dir_.reset();
    }

    void missingDatabaseEndsTheStart() {
        enterFolder(false);
        CapturedMessages messages;
        MainWindow window(QStringLiteral("pref.txt"));
        QVERIFY(!window.startUp());
        QCOMPARE(messages.errors(), std::vector<std::string>{
                                        "ReadUncertaintyFile: Error opening the file:uncdata.unc"});
    }

    void shippedDataComputesIntoCharts() {
        enterFolder(true);
        CapturedMessages messages;
        MainWindow window(QStringLiteral("pref.txt"));
        window.resize(1200, 800);
        window.show();
        int replacedConfigurations = 0;
        connect(&window, &MainWindow::configurationReplaced, this,
                [&] { ++replacedConfigurations; });
        QVERIFY(window.startUp());
        QCOMPARE(replacedConfigurations, 1);
        QVERIFY(messages.all().empty());

        // "Compute Configuration" on the default configuration: a reflection sweep.
        QTest::mouseClick(window.configurationDialog()->computeButton(), Qt::LeftButton);
        QVERIFY(messages.errors().empty());
        QVERIFY(!window.configurationDialog()->isVisible());
        const QList<PlotWindow*> charts = window.presenter()->charts();
        QCOMPARE(charts.size(), 2);
        QCOMPARE(charts[0]->record()->kind, int(kPlotReflectionMagnitude));
        QVERIFY(charts[0]->chart()->title().contains(
            QString::fromStdString(GlobalProgramState().plotSubtitle)));
        QCOMPARE(GlobalProgramState().resultCount, 1);

        // The table of the result, then the configuration and model saved and recalled.
        QVERIFY(OutputTabularDataTo(inFolder(*dir_, "uncertainty.dat")));
        QFile table(inFolder(*dir_, "uncertainty.dat"));
        QVERIFY(table.open(QIODevice::ReadOnly));
        QVERIFY(table.readLine().startsWith("Uncertainty at 0.050000 GHz"));
        // One file bears the chosen name; numbered files are named to the user.
        QCOMPARE(WrittenFilesNote(inFolder(*dir_, "uncertainty.dat")), QString());
        GlobalProgramState().resultCount = 3;
        QCOMPARE(WrittenFilesNote(QStringLiteral("/data/run.dat")),
                 QStringLiteral("The results of 3 computations were written to 3 files in "
                                "/data:\n\nrun_01.dat\nrun_02.dat\nrun_03.dat"));
        GlobalProgramState().resultCount = 1;

        ConfigInfo* before = GlobalProgramState().currentConfig;
        QVERIFY(SaveConfigurationTo(inFolder(*dir_, "saved.cfg")));
        QVERIFY(RecallConfigurationFrom(inFolder(*dir_, "saved.cfg")));
        QVERIFY(GlobalProgramState().currentConfig != before);
        ModelInfo* model = GlobalProgramState().currentModel;
        QVERIFY(SaveModelTo(inFolder(*dir_, "saved.mdl")));
        QVERIFY(RecallModelFrom(inFolder(*dir_, "saved.mdl")));
        QVERIFY(GlobalProgramState().currentModel != model);
        QVERIFY(messages.errors().empty());

        // A failed recall keeps the current records.
        before = GlobalProgramState().currentConfig;
        model = GlobalProgramState().currentModel;
        QVERIFY(!RecallConfigurationFrom(inFolder(*dir_, "missing.cfg")));
        QVERIFY(!RecallModelFrom(inFolder(*dir_, "missing.mdl")));
        QCOMPARE(GlobalProgramState().currentConfig, before);
        QCOMPARE(GlobalProgramState().currentModel, model);
        QCOMPARE(messages.errors().size(), std::size_t(2));

        // "Compute Model" on the default model, still in replace mode.
        messages.clear();
        window.showModelDialog();
        QTest::mouseClick(window.modelDialog()->computeButton(), Qt::LeftButton);
        QVERIFY(messages.errors().empty());
        QVERIFY(!window.modelDialog()->isVisible());
        QVERIFY(GlobalProgramState().plotSubtitle.empty());
        QCOMPARE(window.presenter()->charts().size(), 2);
    }

    void dialogsAreCentredOnTheMainWindow() {
        // The program gives its window the whole screen only after the dialogs exist; the
        // Configuration dialog, shown from the start, must still end up in its middle.
        enterFolder(true);
        CapturedMessages messages;
        MainWindow window(QStringLiteral("pref.txt"));
        window.setGeometry(window.screen()->availableGeometry());
        window.show();
        QVERIFY(window.startUp());
        window.showModelDialog();
        const QPoint middle = window.frameGeometry().center();
        for (QWidget* dialog : {static_cast<QWidget*>(window.configurationDialog()),
                                static_cast<QWidget*>(window.modelDialog())}) {
            const QPoint offset = dialog->frameGeometry().center() - middle;
            QVERIFY2(offset.manhattanLength() <= 2, qPrintable(dialog->windowTitle()));
        }
    }

    void messageBoxesAreOwnedByTheMainWindow_data() {
        QTest::addColumn<bool>("error");
        QTest::newRow("error") << true;
        QTest::newRow("help") << false;
    }
    void messageBoxesAreOwnedByTheMainWindow() {
        QFETCH(bool, error);
        enterFolder(false);
        MainWindow window(QStringLiteral("pref.txt"));
        window.show();
        InstallMessageBoxes(&window);
        QString title;
        QString text;
        QMessageBox::Icon icon = QMessageBox::NoIcon;
        QWidget* owner = nullptr;
        QTimer::singleShot(0, this, [&] {
            auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
            if (box == nullptr) return;
            title = box->windowTitle();
            text = box->text();
            icon = box->icon();
            owner = box->parentWidget();
            box->accept();
        });
        if (error)
            ShowErrorMessage("GetFVValue: abscissa out of range.");
        else
            ShowHelpMessage("<b>advice</b>");
        (void)InstallMessageSink(nullptr);
        QCOMPARE(title, error ? QStringLiteral("Error") : QStringLiteral("Help"));
        QCOMPARE(text, error ? QStringLiteral("GetFVValue: abscissa out of range.")
                             : QStringLiteral("<b>advice</b>"));
        QCOMPARE(icon, error ? QMessageBox::Warning : QMessageBox::Information);
        QCOMPARE(owner, static_cast<QWidget*>(&window));
    }
};

QTEST_MAIN(StartUpTest)
#include "start_up_test.moc"
