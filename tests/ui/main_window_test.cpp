// The main window: its menu, dialogs, background and preference file.

#include "support/temp_dir.h"
#include "ui/charts/artwork.h"
#include "ui/charts/result_presenter.h"
#include "ui/configuration/configuration_dialog.h"
#include "ui/main_window.h"
#include "ui/model/model_dialog.h"
#include "ui/planner/planner_window.h"

#include "engine/program_state.h"

#include <QAction>
#include <QApplication>
#include <QLabel>
#include <QMdiArea>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include <memory>

using namespace tolvane;

namespace {

// "text" for an item, "-" for a separator, a leading "*" for a checked item.
QStringList MenuItems(const QMenu* menu) {
    QStringList items;
    for (const QAction* action : menu->actions()) {
        if (action->isSeparator())
            items << QStringLiteral("-");
        else
            items << (action->isChecked() ? QStringLiteral("*") : QString()) + action->text();
    }
    return items;
}

QAction* FindAction(const QWidget* window, const QString& text) {
    for (QAction* action : window->findChildren<QAction*>())
        if (action->text() == text) return action;
    return nullptr;
}

} // namespace

class MainWindowTest : public QObject {
    Q_OBJECT
private:
    std::unique_ptr<testing::TempDir> dir_;
    QString prefPath() const { return QString::fromStdString(dir_->file("pref.txt")); }

private Q_SLOTS:
    void init() { dir_ = std::make_unique<testing::TempDir>(); }
    void cleanup() { dir_.reset(); }

    void titleMenusAndInitialStates() {
        MainWindow window(prefPath());
        QCOMPARE(window.windowTitle(), QStringLiteral("Tolvane v2.03"));
        QCOMPARE(window.menuBar()->objectName(), QStringLiteral("MainMenu"));
        const QList<QAction*> popups = window.menuBar()->actions();
        QCOMPARE(popups.size(), 3);
        QCOMPARE(popups[0]->text(), QStringLiteral("&File"));
        QCOMPARE(popups[1]->text(), QStringLiteral("&Windows"));
        QCOMPARE(popups[2]->text(), QStringLiteral("&Help"));
        QCOMPARE(MenuItems(popups[0]->menu()),
                 QStringList({QStringLiteral("Save Configuration..."),
                              QStringLiteral("Recall Configuration..."),
                              QStringLiteral("-"),
                              QStringLiteral("Save Model..."),
                              QStringLiteral("Recall Model..."),
                              QStringLiteral("-"),
                              QStringLiteral("Open &Measurement..."),
                              QStringLiteral("Open &Limits..."),
                              QStringLiteral("Clear Limits"),
                              QStringLiteral("Compute Measurement"),
                              QStringLiteral("*&Guarded Decision Rule"),
                              QStringLiteral("&Simple Decision Rule"),
                              QStringLiteral("-"),
                              QStringLiteral("*&Worst-Case Bounds"),
                              QStringLiteral("&RSS Bounds"),
                              QStringLiteral("Monte &Carlo Bounds"),
                              QStringLiteral("-"),
                              QStringLiteral("Print Plots"),
                              QStringLiteral("Output Tabular Data..."),
                              QStringLiteral("-"),
                              QStringLiteral("E&xit")}));
        // Without "pref.txt" the background starts off.
        QCOMPARE(MenuItems(popups[1]->menu()),
                 QStringList(
                     {QStringLiteral("&Configuration..."), QStringLiteral("Configuration &DUT..."),
                      QStringLiteral("&Model..."), QStringLiteral("&Planner..."),
                      QStringLiteral("-"), QStringLiteral("*Replace Existing Plot Windows"),
                      QStringLiteral("-"), QStringLiteral("Enable Background"), QStringLiteral("-"),
                      QStringLiteral("Tile Plot Windows"), QStringLiteral("Cascade Plot Windows"),
                      QStringLiteral("Close All Plot Windows")}));
        QCOMPARE(MenuItems(popups[2]->menu()),
                 QStringList({QStringLiteral("&About.."), QStringLiteral("-"),
                              QStringLiteral("Help &Contents..."),
                              QStringLiteral("Computation of Uncertainty"),
                              QStringLiteral("Measured DUTs and &Limits...")}));
        for (QAction* popup : popups)
            for (QAction* item : popup->menu()->actions())
                QVERIFY(item->isEnabled());
    }

    void dialogsStartAsTheProgramNeedsThem() {
        MainWindow window(prefPath());
        window.show();
        ConfigurationDialog* config = window.configurationDialog();
        ModelDialog* model = window.modelDialog();
        QCOMPARE(config->windowTitle(), QStringLiteral("Configuration"));
        QCOMPARE(model->windowTitle(), QStringLiteral("Uncertainty Model"));
        QVERIFY(!config->isModal());
        QVERIFY(!model->isModal());
        QVERIFY(config->isVisible());
        QVERIFY(!model->isVisible());
        QCOMPARE(config->computeButton()->text(), QStringLiteral("Compute Configuration"));
        QCOMPARE(model->computeButton()->text(), QStringLiteral("Compute Model"));

        // Closing hides; the Windows items show them again.
        config->close();
        QVERIFY(!config->isVisible());
        FindAction(&window, QStringLiteral("&Configuration..."))->trigger();
        QVERIFY(config->isVisible());
        config->close();
        FindAction(&window, QStringLiteral("Configuration &DUT..."))->trigger();
        QVERIFY(config->isVisible());
        FindAction(&window, QStringLiteral("&Model..."))->trigger();
        QVERIFY(model->isVisible());
        QVERIFY(!window.planner()->isVisible());
        FindAction(&window, QStringLiteral("&Planner..."))->trigger();
        QVERIFY(window.planner()->isVisible());
    }

    void preferenceDecidesTheBackground_data() {
        QTest::addColumn<QByteArray>("contents");
        QTest::addColumn<bool>("enabled");
        QTest::newRow("1") << QByteArray("1") << true;
        QTest::newRow("0") << QByteArray("0") << false;
        QTest::newRow("a word leaves it off") << QByteArray("on\n") << false;
        QTest::newRow("last line wins") << QByteArray("1\n! comment\n0\n") << false;
    }
    void preferenceDecidesTheBackground() {
        QFETCH(QByteArray, contents);
        QFETCH(bool, enabled);
        (void)dir_->write("pref.txt", contents.toStdString());
        MainWindow window(prefPath());
        QCOMPARE(window.backgroundEnabled(), enabled);
        QCOMPARE(FindAction(&window, QStringLiteral("Enable Background"))->isChecked(), enabled);
        const QBrush background = window.plotArea()->background();
        QCOMPARE(background.style(), enabled ? Qt::TexturePattern : Qt::SolidPattern);
    }

    void toggledBackgroundIsWrittenOnClose() {
        {
            MainWindow window(prefPath());
            QAction* background = FindAction(&window, QStringLiteral("Enable Background"));
            background->trigger();
            QVERIFY(window.backgroundEnabled());
            QCOMPARE(window.plotArea()->background().style(), Qt::TexturePattern);
            background->trigger();
            background->trigger();
            window.show();
            QVERIFY(window.close());
        }
        QCOMPARE(dir_->read("pref.txt"), std::string("1"));
        {
            MainWindow window(prefPath());
            QVERIFY(window.backgroundEnabled());
            FindAction(&window, QStringLiteral("Enable Background"))->trigger();
            window.show();
            window.close();
        }
        QCOMPARE(dir_->read("pref.txt"), std::string("0"));
    }

    void keysOneAndTwoSwitchTheTile() {
        (void)dir_->write("pref.txt", "1");
        MainWindow window(prefPath());
        window.show();
        QVERIFY(QTest::qWaitForWindowActive(&window));
        QCOMPARE(window.backgroundTile(), 1);
        QTest::keyClick(&window, Qt::Key_2);
        QCOMPARE(window.backgroundTile(), 2);
        QCOMPARE(window.plotArea()->background().texture().toImage(),
                 DrawBackgroundTile(2).toImage());
        QTest::keyClick(&window, Qt::Key_1);
        QCOMPARE(window.backgroundTile(), 1);
        QCOMPARE(window.plotArea()->background().texture().toImage(),
                 DrawBackgroundTile(1).toImage());
    }

    void tilesAreDistinctAndRepeatable() {
        const QImage one = DrawBackgroundTile(1).toImage();
        const QImage two = DrawBackgroundTile(2).toImage();
        QCOMPARE(one.size(), QSize(480, 480));
        QCOMPARE(two.size(), QSize(480, 480));
        QVERIFY(one != two);
        QCOMPARE(DrawBackgroundTile(2).toImage(), two);
        // Quiet: nothing darker than a light grey.
        for (int y = 0; y < 480; y += 7)
            for (int x = 0; x < 480; x += 5)
                QVERIFY(qGray(two.pixel(x, y)) > 200);
    }

    void aboutShowsTheProductTitle() {
        MainWindow window(prefPath());
        QString title;
        QStringList texts;
        QTimer::singleShot(0, this, [&] {
            QWidget* box = QApplication::activeModalWidget();
            if (box == nullptr) return;
            title = box->windowTitle();
            for (QLabel* label : box->findChildren<QLabel*>())
                texts << label->text();
            box->close();
        });
        FindAction(&window, QStringLiteral("&About.."))->trigger();
        QCOMPARE(title, QStringLiteral("About Tolvane"));
        QVERIFY(texts.contains(QStringLiteral("Tolvane v2.03")));
    }

    void exitClosesTheWindow() {
        MainWindow window(prefPath());
        window.show();
        FindAction(&window, QStringLiteral("E&xit"))->trigger();
        QVERIFY(!window.isVisible());
        QCOMPARE(dir_->read("pref.txt"), std::string("0"));
    }
};

QTEST_MAIN(MainWindowTest)
#include "main_window_test.moc"
