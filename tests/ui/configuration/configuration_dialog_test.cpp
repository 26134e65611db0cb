// The "Configuration" dialog: the picture of the set-up, the editors its pictures open, and
// "Compute Configuration" on the shipped database.

#include "dialog_test_support.h"
#include "ui/background_task.h"
#include "ui/charts/plot_window.h"
#include "ui/charts/result_presenter.h"
#include "ui/configuration/configuration_dialog.h"
#include "ui/message_boxes.h"

#include "components/dut.h"
#include "core/message_sink.h"
#include "engine/config.h"
#include "engine/program_state.h"
#include "engine/uncertainty.h"
#include "files/startup.h"

#include <QApplication>
#include <QDir>
#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QMdiArea>
#include <QMessageBox>
#include <QPointer>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include <algorithm>
#include <memory>
#include <vector>

using namespace tolvane;
using namespace Qt::Literals::StringLiterals;
using testing::Child;

class ConfigurationDialogTest : public QObject {
    Q_OBJECT
private:
    std::unique_ptr<testing::CapturedMessages> messages_;
    std::unique_ptr<QMdiArea> area_;
    std::unique_ptr<ResultPresenter> presenter_;
    std::unique_ptr<ConfigurationDialog> dialog_;

    static ConfigInfo* config() { return GlobalProgramState().currentConfig; }
    QPushButton* part(ConfigurationDialog::Part part) const { return dialog_->partButton(part); }

    // Clicks `button` (or gives it the focus and presses Enter) and returns what the modal editor
    // it opens shows: its title, then the texts of its labels; the editor is cancelled.
    static QStringList openAndCancel(QPushButton* button, bool byKeyboard = false) {
        QStringList seen;
        QTimer::singleShot(0, [&seen] {
            auto* editor = qobject_cast<QDialog*>(QApplication::activeModalWidget());
            if (editor == nullptr) return;
            seen << editor->windowTitle();
            for (const QLabel* label : editor->findChildren<QLabel*>())
                seen << label->text();
            for (const QLineEdit* field : editor->findChildren<QLineEdit*>())
                if (field->objectName() == u"portPower"_s) seen << field->text();
            editor->reject();
        });
        if (byKeyboard) {
            button->setFocus();
            QTest::keyClick(button, Qt::Key_Return);
        } else {
            QTest::mouseClick(button, Qt::LeftButton);
        }
        return seen;
    }

private Q_SLOTS:
    void init() {
        // The shipped database, default configuration and default model.
        const QString previous = QDir::currentPath();
        QVERIFY(QDir::setCurrent(QString::fromUtf8(TOLVANE_SHIPPED_DATA_DIR)));
        messages_ = std::make_unique<testing::CapturedMessages>();
        const int started = StartUp();
        QVERIFY(QDir::setCurrent(previous));
        QCOMPARE(started, 1);
        area_ = std::make_unique<QMdiArea>();
        area_->resize(1000, 800);
        area_->show();
        presenter_ = std::make_unique<ResultPresenter>(area_.get());
        dialog_ = std::make_unique<ConfigurationDialog>(presenter_.get());
        dialog_->show();
    }
    void cleanup() {
        dialog_.reset();
        presenter_->closeAllCharts();
        presenter_.reset();
        area_.reset();
        messages_.reset();
        ShutDown();
    }

    void placesThePicturesAsTheSetUp_data() {
        QTest::addColumn<int>("part");
        QTest::addColumn<QRect>("geometry");
        QTest::addColumn<int>("pictureSide");
        QTest::addColumn<QString>("name");
        QTest::newRow("Cable 1") << int(ConfigurationDialog::Cable1) << QRect(20, 135, 85, 85) << 75
                                 << u"Cable 1"_s;
        QTest::newRow("DUT: right of cable 1 + 10")
            << int(ConfigurationDialog::Dut) << QRect(115, 135, 85, 85) << 80 << u"DUT"_s;
        QTest::newRow("Cable 2: right of the DUT + 10")
            << int(ConfigurationDialog::Cable2) << QRect(210, 135, 85, 85) << 75 << u"Cable 2"_s;
        QTest::newRow("Calibration: below the DUT + 10")
            << int(ConfigurationDialog::Calibration) << QRect(115, 230, 85, 85) << 80
            << u"Calibration"_s;
        QTest::newRow("VNA: cable 1's left + 30, top 30")
            << int(ConfigurationDialog::Vna) << QRect(50, 30, 85, 85) << 80 << u"VNA"_s;
        QTest::newRow("Frequencies: cable 2's left - 30, top 30")
            << int(ConfigurationDialog::Frequencies) << QRect(180, 30, 85, 85) << 80
            << u"Frequencies"_s;
    }
    void placesThePicturesAsTheSetUp() {
        QFETCH(int, part);
        QFETCH(QRect, geometry);
        QFETCH(int, pictureSide);
        QFETCH(QString, name);
        QPushButton* button = this->part(ConfigurationDialog::Part(part));
        QCOMPARE(button->geometry(), geometry);
        QVERIFY(button->text().isEmpty());
        QCOMPARE(button->accessibleName(), name);
        QCOMPARE(button->iconSize(), QSize(pictureSide, pictureSide));
        // The picture is drawn, and sharp on a screen of twice the density.
        const QPixmap picture = button->icon().pixmap(QSize(pictureSide, pictureSide), 2.0);
        QCOMPARE(picture.size(), QSize(2 * pictureSide, 2 * pictureSide));
        QVERIFY(!picture.toImage().allGray()); // drawn in colour, not left empty
    }

    void placesTheFrameAndButtons() {
        QCOMPARE(dialog_->windowTitle(), u"Configuration"_s);
        QCOMPARE(Child<QFrame>(dialog_.get(), "instrumentFrame")->geometry(),
                 QRect(20, 20, 275, 105));
        QPushButton* compute = dialog_->computeButton();
        QPushButton* help = dialog_->helpButton();
        QCOMPARE(compute->text(), u"Compute Configuration"_s);
        QVERIFY(compute->isDefault());
        QCOMPARE(compute->geometry().topLeft(), QPoint(20, 335)); // 20 below the calibration kit
        QCOMPARE(help->text(), u"Help"_s);
        QCOMPARE(help->geometry().top(), 335);
        QCOMPARE(help->geometry().right() + 1, 295); // right edge on cable 2's right
        QCOMPARE(dialog_->size(), QSize(320, help->geometry().bottom() + 1 + 20));
        // The button texts fit.
        QVERIFY(compute->width() >= compute->sizeHint().width());
        QVERIFY(compute->geometry().right() < help->geometry().left());
    }

    void eachPictureOpensItsEditor_data() {
        QTest::addColumn<int>("part");
        QTest::addColumn<QString>("title");
        QTest::addColumn<QString>("label");
        QTest::newRow("VNA") << int(ConfigurationDialog::Vna) << u"VNA Configuration"_s
                             << u"Port Power (dBm)"_s;
        QTest::newRow("Frequencies") << int(ConfigurationDialog::Frequencies)
                                     << u"Configuration Frequencies"_s << u"Frequency (GHz)"_s;
        QTest::newRow("Cable 1") << int(ConfigurationDialog::Cable1) << u"Cable Configuration"_s
                                 << u"Cable on Port 1"_s;
        QTest::newRow("DUT") << int(ConfigurationDialog::Dut) << u"Configuration DUT"_s
                             << u"Reverse Transmission (dB)"_s;
        QTest::newRow("Cable 2") << int(ConfigurationDialog::Cable2) << u"Cable Configuration"_s
                                 << u"Cable on Port 2"_s;
        QTest::newRow("Calibration") << int(ConfigurationDialog::Calibration)
                                     << u"Calibration Configuration"_s << u"Calibration Kit"_s;
    }
    void eachPictureOpensItsEditor() {
        QFETCH(int, part);
        QFETCH(QString, title);
        QFETCH(QString, label);
        const QStringList seen = openAndCancel(this->part(ConfigurationDialog::Part(part)));
        QVERIFY(!seen.isEmpty());
        QCOMPARE(seen.front(), title);
        QVERIFY2(seen.contains(label), qPrintable(seen.join(u", "_s)));
        // From the keyboard: Enter on the focused picture opens the same editor and computes
        // nothing.
        dialog_->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(dialog_.get()));
        const QStringList typed = openAndCancel(this->part(ConfigurationDialog::Part(part)), true);
        QVERIFY(!typed.isEmpty());
        QCOMPARE(typed.front(), title);
        QVERIFY(dialog_->isVisible());
        QCOMPARE(presenter_->charts().size(), 0);
        QVERIFY(messages_->all().empty());
    }

    // Enter presses the focused button, as a click would; with the focus elsewhere it computes.
    void enterPressesTheFocusedButton() {
        dialog_->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(dialog_.get()));
        dialog_->helpButton()->setFocus();
        QTest::keyClick(dialog_->helpButton(), Qt::Key_Return);
        QVERIFY(dialog_->isVisible());
        QCOMPARE(presenter_->charts().size(), 0);
        QCOMPARE(GlobalProgramState().resultCount, 0);

        dialog_->computeButton()->setFocus();
        QTest::keyClick(dialog_->computeButton(), Qt::Key_Return);
        QVERIFY(dialog_->isHidden());
        QCOMPARE(presenter_->charts().size(), 2);
        QCOMPARE(GlobalProgramState().resultCount, 1);
    }

    void vnaEditorShowsTheDefaultPowerOnlyAtItsFirstOpening() {
        QVERIFY(SetConfigPower(config(), -5.0f)); // the shipped VNA's default is 0 dBm
        QCOMPARE(openAndCancel(part(ConfigurationDialog::Vna)).back(), u"0.0"_s);
        QCOMPARE(openAndCancel(part(ConfigurationDialog::Vna)).back(), u"-5.0"_s);
        QCOMPARE(config()->powerDbm, -5.0f);
    }

    void closingHidesTheDialog() {
        QPointer<ConfigurationDialog> watched(dialog_.get());
        dialog_->close();
        QVERIFY(dialog_->isHidden());
        QCoreApplication::processEvents();
        QVERIFY(!watched.isNull());
    }

    void helpWithoutAHelpFileDoesNothing() {
        QTest::mouseClick(dialog_->helpButton(), Qt::LeftButton);
        QVERIFY(dialog_->isVisible());
        QVERIFY(QApplication::activeModalWidget() == nullptr);
        QVERIFY(messages_->all().empty());
    }

    void computesAUserSweepOnATemporaryList() {
        DUTInfo* dut = nullptr;
        QVERIFY(GetConfigDUT(config(), &dut));
        QVERIFY(SetDUTType(dut, DUT_USER_DEFINED) &&
                SetDUTUserValues(dut, -20, -20, 10, -20, 1.0f, 3.0f, 5) && SetDUTFreqSweep(dut, 1));
        const int numFreqs = config()->numFreqs;
        const auto frequenciesHz = config()->frequenciesHz;

        QTest::mouseClick(dialog_->computeButton(), Qt::LeftButton);

        QVERIFY2(messages_->errors().empty(),
                 qPrintable(testing::ErrorTexts(*messages_).join(u"; "_s)));
        UncertaintyInfo* result = GlobalProgramState().results[0];
        int computed = 0;
        QVERIFY(GetUncertaintyNumFreqs(result, &computed));
        QCOMPARE(computed, 5);
        const double expectedHz[] = {1.0e9, 1.5e9, 2.0e9, 2.5e9, 3.0e9};
        for (int i = 0; i < 5; ++i) {
            double frequencyHz = 0.0;
            QVERIFY(GetUncertaintyFreq(result, i, &frequencyHz));
            QCOMPARE(frequencyHz, expectedHz[i]);
        }
        // The configuration's own list is as it was, entries beyond its count included.
        QCOMPARE(config()->numFreqs, numFreqs);
        QVERIFY(config()->frequenciesHz == frequenciesHz);
        // The dialog steps aside for the four charts against frequency; replace mode keeps slot 0.
        QVERIFY(dialog_->isHidden());
        QCOMPARE(presenter_->charts().size(), 4);
        QCOMPARE(GlobalProgramState().currentResultSlot, 0);
        QCOMPARE(GlobalProgramState().resultCount, 1);
        QVERIFY(QGuiApplication::overrideCursor() == nullptr);
    }

    void cancelLeavesTheResultsChartsAndSubtitleAsTheyWere() {
        QTest::mouseClick(dialog_->computeButton(), Qt::LeftButton);
        const QList<PlotWindow*> charts = presenter_->charts();
        QCOMPARE(charts.size(), 2);
        const UncertaintyInfo* slot = GlobalProgramState().results[0];
        const int numDUTValues = slot->numDUTValues;
        const std::vector<float> upperBounds(slot->reflUpperBound.begin(),
                                             slot->reflUpperBound.end());
        const std::string subtitle = GlobalProgramState().plotSubtitle;

        // Another set-up, computed and cancelled: everything stays as the first computation left
        // it.
        DUTInfo* dut = nullptr;
        QVERIFY(GetConfigDUT(config(), &dut) && SetDUTReflNumValues(dut, 7));
        dialog_->show();
        const auto cancelAtOnce = connect(&BackgroundTasks::instance(),
                                          &BackgroundTasks::runningChanged, [](bool running) {
                                              if (running) BackgroundTasks::instance().cancel();
                                          });
        QTest::mouseClick(dialog_->computeButton(), Qt::LeftButton);
        disconnect(cancelAtOnce);
        QCOMPARE(presenter_->charts(), charts);
        QCOMPARE(GlobalProgramState().results[0], slot);
        QCOMPARE(slot->numDUTValues, numDUTValues);
        QVERIFY(std::equal(upperBounds.begin(), upperBounds.end(), slot->reflUpperBound.begin(),
                           slot->reflUpperBound.end()));
        QCOMPARE(GlobalProgramState().plotSubtitle, subtitle);
        QVERIFY(dialog_->isVisible());
        QVERIFY(messages_->all().empty());
    }

    void theCursorShowsWorkUntilAMessageNeedsTheUser() {
        QVERIFY(SetConfigVNAName(config(), "VNA 99 GHz")); // two messages: the lookup's and ours
        // The cursor while the library reports...
        QList<Qt::CursorShape> reporting;
        MessageSink previous = InstallMessageSink([&reporting](MessageKind, const std::string&) {
            const QCursor* cursor = QGuiApplication::overrideCursor();
            reporting << (cursor != nullptr ? cursor->shape() : Qt::BlankCursor);
        });
        QTest::mouseClick(dialog_->computeButton(), Qt::LeftButton);
        QCOMPARE(reporting, (QList<Qt::CursorShape>{Qt::WaitCursor, Qt::WaitCursor}));
        QVERIFY(QGuiApplication::overrideCursor() == nullptr);

        // ...and over the message boxes the user has to answer.
        QList<Qt::CursorShape> answering;
        InstallMessageBoxes(dialog_.get());
        QTimer closer;
        connect(&closer, &QTimer::timeout, [&answering] {
            auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
            if (box == nullptr) return;
            const QCursor* cursor = QGuiApplication::overrideCursor();
            answering << (cursor != nullptr ? cursor->shape() : Qt::BlankCursor);
            box->accept();
        });
        closer.start(10);
        QTest::mouseClick(dialog_->computeButton(), Qt::LeftButton);
        closer.stop();
        InstallMessageSink(std::move(previous));
        QCOMPARE(answering, (QList<Qt::CursorShape>{Qt::ArrowCursor, Qt::ArrowCursor}));
        QVERIFY(QGuiApplication::overrideCursor() == nullptr);
    }

    void aFailedComputationLeavesTheDialogOpen() {
        QVERIFY(SetConfigVNAName(config(), "VNA 99 GHz"));
        QTest::mouseClick(dialog_->computeButton(), Qt::LeftButton);
        QVERIFY(!messages_->errors().empty());
        QVERIFY(dialog_->isVisible());
        QCOMPARE(presenter_->charts().size(), 0);
        QCOMPARE(GlobalProgramState().resultCount, 0);
    }

    void picturesSumUpTheirPartsInToolTips() {
        dialog_->refresh();
        QCOMPARE(part(ConfigurationDialog::Vna)->toolTip(),
                 u"VNA Configuration\nVNA 26.5 GHz\nPort power 0.0 dBm, IF bandwidth 100.0 Hz, "
                 "averaging factor 1"_s);
        QCOMPARE(part(ConfigurationDialog::Frequencies)->toolTip(),
                 u"Configuration Frequencies\n6 frequencies from 0.050000 to 26.500000 GHz"_s);
        QVERIFY(SetConfigCableLength(config(), 2, 1.25f));
        dialog_->refresh();
        QCOMPARE(part(ConfigurationDialog::Cable2)->toolTip(),
                 u"Cable on Port 2\nPTFE Low Density, 1.250 m, temperature variation 1.000 °C"_s);
    }
};

QTEST_MAIN(ConfigurationDialogTest)
#include "configuration_dialog_test.moc"
