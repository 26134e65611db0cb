// The help window and the program's help function: context numbers, contents, links, history,
// search, a missing help file, and the windows that ask for help.

#include "help_fixture.h"
#include "support/temp_dir.h"
#include "ui/charts/user_dut_results_dialog.h"
#include "ui/configuration/cable_config_dialog.h"
#include "ui/configuration/calibration_config_dialog.h"
#include "ui/configuration/configuration_dialog.h"
#include "ui/configuration/dut_config_dialog.h"
#include "ui/configuration/frequency_config_dialog.h"
#include "ui/configuration/vna_config_dialog.h"
#include "ui/help/help.h"
#include "ui/help/help_viewer.h"
#include "ui/main_window.h"
#include "ui/model/model_dialog.h"
#include "ui/model/model_frequency_dialog.h"
#include "ui/model/model_ifbw_dialog.h"
#include "ui/model/term_sheet.h"

#include "engine/config.h"
#include "engine/uncertainty.h"
#include "support/model_builder.h"

#include <QAction>
#include <QApplication>
#include <QDialog>
#include <QDir>
#include <QFileInfo>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QScrollBar>
#include <QTest>
#include <QTextBrowser>
#include <QTreeWidget>

#include <functional>
#include <memory>

using namespace tolvane;

namespace {

QList<HelpViewer*> HelpWindows() {
    QList<HelpViewer*> viewers;
    for (QWidget* widget : QApplication::topLevelWidgets())
        if (auto* viewer = qobject_cast<HelpViewer*>(widget)) viewers << viewer;
    return viewers;
}

// The help window the last request showed; null when none is shown.
HelpViewer* ShownHelpWindow() {
    for (HelpViewer* viewer : HelpWindows())
        if (viewer->isVisible()) return viewer;
    return nullptr;
}

QTextBrowser* Browser(HelpViewer* viewer) {
    return viewer->findChild<QTextBrowser*>(QStringLiteral("topic"));
}

QTreeWidgetItem* FindContentsItem(QTreeWidget* tree, const QString& text) {
    const QList<QTreeWidgetItem*> items =
        tree->findItems(text, Qt::MatchExactly | Qt::MatchRecursive);
    return items.isEmpty() ? nullptr : items.first();
}

QAction* FindAction(const QWidget* window, const QString& text) {
    for (QAction* action : window->findChildren<QAction*>())
        if (action->text() == text) return action;
    return nullptr;
}

QPushButton* HelpButton(const QWidget* dialog) {
    for (QPushButton* button : dialog->findChildren<QPushButton*>())
        if (button->text().remove(u'&') == u"Help") return button;
    return nullptr;
}

} // namespace

class HelpViewerTest : public QObject {
    Q_OBJECT
private:
    QString startFolder_;
    std::unique_ptr<ChmFile> file_;

    QString topicOf(int contextNumber) const { return file_->topicForContext(contextNumber); }

private Q_SLOTS:
    void initTestCase() {
        startFolder_ = QDir::currentPath();
        file_ = testing::OpenBuiltHelp();
        QVERIFY(file_ != nullptr);
    }

    // The program runs in its data folder; here the folder of the built help file.
    void init() { QVERIFY(QDir::setCurrent(QFileInfo(testing::BuiltHelpFile()).absolutePath())); }

    void cleanup() {
        qDeleteAll(HelpWindows());
        QDir::setCurrent(startFolder_);
    }

    void showsTheTopicOfTheContextNumber_data() {
        QTest::addColumn<int>("context");
        QTest::addColumn<QString>("heading");
        QTest::addColumn<QString>("title");
        // The contents topic bears the file's own title, which the window shows once.
        QTest::newRow("contents") << int{kHelpContents} << QStringLiteral("Tolvane Help")
                                  << QStringLiteral("Tolvane Help");
        QTest::newRow("VNA") << int{kHelpVnaConfiguration} << QStringLiteral("VNA Configuration")
                             << QStringLiteral("Tolvane Help - VNA Configuration");
        QTest::newRow("testset") << int{kHelpTestsetPages} << QStringLiteral("Testset")
                                 << QStringLiteral("Tolvane Help - Testset");
    }

    void showsTheTopicOfTheContextNumber() {
        QFETCH(int, context);
        QFETCH(QString, heading);
        QFETCH(QString, title);
        ShowHelpTopic(nullptr, context);
        HelpViewer* viewer = ShownHelpWindow();
        QVERIFY(viewer != nullptr);
        QCOMPARE(viewer->currentTopic(), topicOf(context));
        QVERIFY(Browser(viewer)->toPlainText().startsWith(heading));
        QCOMPARE(viewer->windowTitle(), title);
    }

    void oneWindowKeepsTheHistoryOfTheTopics() {
        ShowHelpTopic(nullptr, kHelpConfigurationDialog);
        ShowHelpTopic(nullptr, kHelpModelDialog);
        QCOMPARE(HelpWindows().size(), 1);
        HelpViewer* viewer = ShownHelpWindow();
        QAction* back = FindAction(viewer, QStringLiteral("&Back"));
        QAction* forward = FindAction(viewer, QStringLiteral("&Forward"));
        QVERIFY(back && forward);
        QVERIFY(back->isEnabled());
        QVERIFY(!forward->isEnabled());
        back->trigger();
        QCOMPARE(viewer->currentTopic(), topicOf(kHelpConfigurationDialog));
        QVERIFY(forward->isEnabled());
        forward->trigger();
        QCOMPARE(viewer->currentTopic(), topicOf(kHelpModelDialog));
        FindAction(viewer, QStringLiteral("&Contents"))->trigger();
        QCOMPARE(viewer->currentTopic(), topicOf(kHelpContents));
    }

    void contentsFollowTheTopicAndOpenTheirEntries() {
        ShowHelpTopic(nullptr, kHelpModelDialog);
        HelpViewer* viewer = ShownHelpWindow();
        auto* tree = viewer->findChild<QTreeWidget*>(QStringLiteral("contents"));
        QVERIFY(tree->currentItem() != nullptr);
        QCOMPARE(tree->currentItem()->text(0), QStringLiteral("Uncertainty Model"));

        QTreeWidgetItem* example = FindContentsItem(tree, QStringLiteral("Worked Example"));
        QVERIFY(example != nullptr);
        tree->scrollToItem(example);
        const QRect rect = tree->visualItemRect(example);
        QTest::mouseClick(tree->viewport(), Qt::LeftButton, {}, rect.center());
        QCOMPARE(viewer->currentTopic(), QStringLiteral("/computation.htm"));
        QCOMPARE(Browser(viewer)->source().fragment(), QStringLiteral("example"));
        QCOMPARE(tree->currentItem(), example);
    }

    void linksOpenTheTopicsTheyName() {
        ShowHelpTopic(nullptr, kHelpContents);
        HelpViewer* viewer = ShownHelpWindow();
        QTextBrowser* browser = Browser(viewer);
        browser->setFocus();
        // The first link of the contents page leads to the Configuration topic.
        QTest::keyClick(browser, Qt::Key_Tab);
        QTest::keyClick(browser, Qt::Key_Return);
        QCOMPARE(viewer->currentTopic(), QStringLiteral("/configuration.htm"));
        QVERIFY(browser->toPlainText().startsWith(QStringLiteral("Configuration")));
    }

    void picturesAndStyleComeFromTheHelpFile() {
        ShowHelpTopic(nullptr, kHelpModelDialog);
        QTextBrowser* browser = Browser(ShownHelpWindow());
        const QVariant picture = browser->loadResource(
            QTextDocument::ImageResource, QUrl(QStringLiteral("figures/load_side.svg")));
        const QImage image = QImage::fromData(picture.toByteArray());
        QVERIFY2(!image.isNull(), "the signal-flow graph cannot be drawn");
        QVERIFY(image.width() > 400);
        const QVariant style = browser->loadResource(QTextDocument::StyleSheetResource,
                                                     QUrl(QStringLiteral("help.css")));
        QVERIFY(style.toString().contains(QStringLiteral("h1")));
        QVERIFY(!browser
                     ->loadResource(QTextDocument::ImageResource,
                                    QUrl(QStringLiteral("figures/none.svg")))
                     .isValid());
    }

    void searchFindsEveryOccurrenceAndWraps() {
        ShowHelpTopic(nullptr, kHelpModelDialog);
        HelpViewer* viewer = ShownHelpWindow();
        QTextBrowser* browser = Browser(viewer);
        const QString word = QStringLiteral("Compute Model");
        const int occurrences = browser->toPlainText().count(word);
        QVERIFY(occurrences >= 2);
        QList<int> found;
        for (int i = 0; i <= occurrences; ++i) {
            QVERIFY(viewer->findInTopic(word));
            QCOMPARE(browser->textCursor().selectedText(), word);
            found << browser->textCursor().selectionStart();
        }
        // The last search went round to the first occurrence again.
        QCOMPARE(found.last(), found.first());
        QVERIFY(std::is_sorted(found.begin(), found.end() - 1));
        QVERIFY(viewer->findInTopic(word, true));
        QCOMPARE(browser->textCursor().selectionStart(), found[occurrences - 1]);

        auto* edit = viewer->findChild<QLineEdit*>(QStringLiteral("find"));
        auto* status = viewer->findChild<QLabel*>(QStringLiteral("findStatus"));
        QTest::keyClicks(edit, QStringLiteral("no such words"));
        QTest::keyClick(edit, Qt::Key_Return);
        QCOMPARE(status->text(), QStringLiteral("Not found"));
        edit->clear();
        QTest::keyClicks(edit, QStringLiteral("coverage"));
        QTest::keyClick(edit, Qt::Key_Return);
        QVERIFY(status->text().isEmpty());
        QCOMPARE(browser->textCursor().selectedText().toLower(), QStringLiteral("coverage"));
    }

    // A word the topic does not hold leaves the reader's place: the match found before stays
    // selected and the topic does not scroll.
    void searchForAMissingWordKeepsThePlace() {
        ShowHelpTopic(nullptr, kHelpContents);
        HelpViewer* viewer = ShownHelpWindow();
        QVERIFY(viewer && viewer->showTopic(QStringLiteral("computation.htm")));
        QTextBrowser* browser = Browser(viewer);
        // The last occurrence, found by going round from the top, lies far down the topic.
        QVERIFY(viewer->findInTopic(QStringLiteral("coverage"), true));
        const int start = browser->textCursor().selectionStart();
        const int scrolled = browser->verticalScrollBar()->value();
        QVERIFY(scrolled > 0);

        QVERIFY(!viewer->findInTopic(QStringLiteral("no such words")));
        QVERIFY(!viewer->findInTopic(QStringLiteral("no such words"), true));
        QCOMPARE(browser->textCursor().selectionStart(), start);
        QCOMPARE(browser->textCursor().selectedText().toLower(), QStringLiteral("coverage"));
        QCOMPARE(browser->verticalScrollBar()->value(), scrolled);
        // The next search goes on from there.
        QVERIFY(viewer->findInTopic(QStringLiteral("coverage"), true));
        QVERIFY(browser->textCursor().selectionStart() < start);
    }

    void missingUnreadableOrUnmappedHelpShowsNothing() {
        testing::TempDir empty;
        QVERIFY(QDir::setCurrent(QString::fromStdString(empty.path().string())));
        ShowHelpTopic(nullptr, kHelpContents);
        QVERIFY(HelpWindows().isEmpty());

        empty.write(kHelpFileName, "not a compiled help file\n");
        ShowHelpTopic(nullptr, kHelpContents);
        QVERIFY(HelpWindows().isEmpty());

        init();
        ShowHelpTopic(nullptr, 2);
        QVERIFY(HelpWindows().isEmpty());
    }

    // The window belongs to the window that asked (so that a modal dialog does not block it) and
    // goes with it; the next request makes a new one.
    void helpWindowBelongsToTheAskingWindow() {
        auto* dialog = new QDialog;
        ShowHelpTopic(dialog, kHelpConfigurationDut);
        QPointer<HelpViewer> viewer = ShownHelpWindow();
        QVERIFY(viewer);
        QCOMPARE(viewer->parentWidget(), dialog);
        QVERIFY(viewer->isWindow());

        QWidget other;
        ShowHelpTopic(&other, kHelpConfigurationFrequencies);
        QCOMPARE(viewer->parentWidget(), &other);
        QVERIFY(viewer->isVisible());
        QCOMPARE(viewer->currentTopic(), topicOf(kHelpConfigurationFrequencies));
        delete dialog;
        QVERIFY(viewer);

        ShowHelpTopic(dialog = new QDialog, kHelpModelDut);
        QCOMPARE(viewer->parentWidget(), dialog);
        delete dialog;
        QVERIFY(viewer.isNull());
        ShowHelpTopic(nullptr, kHelpContents);
        QVERIFY(ShownHelpWindow() != nullptr);
    }

    void menuAndDialogsOpenTheirTopics() {
        testing::TempDir dir;
        MainWindow window(QString::fromStdString(dir.file("pref.txt")));
        QAction* contents = FindAction(&window, QStringLiteral("Help &Contents..."));
        QVERIFY(contents != nullptr);
        contents->trigger();
        QVERIFY(ShownHelpWindow() != nullptr);
        QCOMPARE(ShownHelpWindow()->currentTopic(), topicOf(kHelpContents));

        auto* configuration = window.findChild<ConfigurationDialog*>();
        QVERIFY(configuration && HelpButton(configuration));
        QTest::mouseClick(HelpButton(configuration), Qt::LeftButton);
        QCOMPARE(ShownHelpWindow()->currentTopic(), topicOf(kHelpConfigurationDialog));

        auto* model = window.findChild<ModelDialog*>();
        QVERIFY(model && HelpButton(model));
        QTest::mouseClick(HelpButton(model), Qt::LeftButton);
        QCOMPARE(ShownHelpWindow()->currentTopic(), topicOf(kHelpModelDialog));

        // The note on the charts sends the reader to this menu item.
        QAction* computation = FindAction(&window, QStringLiteral("Computation of Uncertainty"));
        QVERIFY(computation != nullptr);
        computation->trigger();
        QCOMPARE(ShownHelpWindow()->currentTopic(), topicOf(kHelpComputation));

        UncertaintyInfo* empty = CreateUncertaintyInfo();
        UserDutResultsDialog results(empty, &window);
        QVERIFY(HelpButton(&results));
        QTest::mouseClick(HelpButton(&results), Qt::LeftButton);
        QCOMPARE(ShownHelpWindow()->currentTopic(), topicOf(kHelpUserDutResults));
        QCOMPARE(DestroyUncertaintyInfo(empty), 1);
    }

    void editorHelpButtonsOpenTheirTopics() {
        std::unique_ptr<ConfigInfo, int (*)(ConfigInfo*)> config(CreateConfigInfo(),
                                                                 DestroyConfigInfo);
        QVERIFY(config != nullptr);
        const testing::ModelPtr model = testing::QuietModel();
        QVERIFY(model != nullptr);
        DUTInfo* dut = nullptr;
        QVERIFY(GetConfigDUT(config.get(), &dut));
        const QList<QPair<int, std::function<QDialog*()>>> editors = {
            {kHelpVnaConfiguration, [&] { return new VnaConfigDialog(config.get(), true); }},
            {kHelpConfigurationFrequencies,
             [&] { return new FrequencyConfigDialog(config.get()); }},
            {kHelpCableConfiguration, [&] { return new CableConfigDialog(config.get(), 2); }},
            {kHelpCalibrationConfiguration,
             [&] { return new CalibrationConfigDialog(config.get()); }},
            {kHelpConfigurationDut,
             [&] {
                 return new DutConfigDialog(dut, QStringLiteral("Configuration DUT"),
                                            kHelpConfigurationDut);
             }},
            {kHelpModelFrequenciesAndPower, [&] { return new ModelFrequencyDialog(model.get()); }},
            {kHelpModelIfBandwidthAndAveraging, [&] { return new ModelIfbwDialog(model.get()); }},
            {kHelpModelDut,
             [&] { return new DutConfigDialog(model->dut, QString(), kHelpModelDut); }},
            // The term sheets, each opened at its first term.
            {kHelpCalibrationResidualPages,
             [&] { return new TermSheet(1, model.get(), config.get()); }},
            {kHelpDriftPages, [&] { return new TermSheet(9, model.get(), config.get()); }},
            {kHelpConnectorRepeatabilityPages,
             [&] { return new TermSheet(11, model.get(), config.get()); }},
            {kHelpTestsetPages, [&] { return new TermSheet(16, model.get(), config.get()); }},
        };
        for (const auto& [context, make] : editors) {
            const std::unique_ptr<QDialog> editor(make());
            QPushButton* help = HelpButton(editor.get());
            QVERIFY2(help != nullptr, qPrintable(editor->windowTitle()));
            QTest::mouseClick(help, Qt::LeftButton);
            QVERIFY(ShownHelpWindow() != nullptr);
            QCOMPARE(ShownHelpWindow()->currentTopic(), topicOf(context));
        }
    }
};

QTEST_MAIN(HelpViewerTest)
#include "help_viewer_test.moc"
