// The editors used from the keyboard: a value refused by "Accept" or "Add" gives its field the
// focus with its text selected, so that the user types the correction at once, wherever the
// focus was when the button was pressed.

#include "dialog_test_support.h"
#include "model_editor_fixture.h"
#include "support/scoped_component_lists.h"
#include "ui/configuration/cable_config_dialog.h"
#include "ui/configuration/coverage_factors_dialog.h"
#include "ui/configuration/dut_config_dialog.h"
#include "ui/configuration/frequency_config_dialog.h"
#include "ui/configuration/vna_config_dialog.h"
#include "ui/help/help.h"
#include "ui/model/model_frequency_dialog.h"
#include "ui/model/value_table_page.h"

#include "components/dut.h"
#include "components/vna.h"

#include <QComboBox>
#include <QDialog>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTest>

#include <memory>

using namespace tolvane;
using namespace Qt::Literals::StringLiterals;
using testing::Button;
using testing::Child;

namespace {

// Shows `window` and presses `button` from the keyboard, as a user who has tabbed to it.
void PressFromKeyboard(QWidget* window, QAbstractButton* button) {
    window->show();
    window->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(window));
    button->setFocus(Qt::TabFocusReason);
    QCOMPARE(window->focusWidget(), button);
    QTest::keyClick(button, Qt::Key_Space);
}

// The field has the focus in its window and all of its text is selected.
bool ReadyForCorrection(const QLineEdit* field) {
    return field->window()->focusWidget() == field && field->selectedText() == field->text();
}

} // namespace

class RefusedFieldFocusTest : public QObject {
    Q_OBJECT
private:
    std::unique_ptr<testing::ScopedComponentLists> lists_;
    std::unique_ptr<testing::CapturedMessages> messages_;
    testing::ConfigPtr config_;

    QStringList errors() const { return testing::ErrorTexts(*messages_); }

private Q_SLOTS:
    void init() {
        lists_ = std::make_unique<testing::ScopedComponentLists>();
        VNAInfo* vna = lists_->addVNA("VNA 8.5 GHz");
        QVERIFY(vna && SetVNAMinPower(vna, -30) && SetVNAMaxPower(vna, 10) &&
                SetVNADefaultPower(vna, 0) && AddVNAIFBW(vna, 100));
        QVERIFY(lists_->addDielectric("PTFE Solid") != nullptr);
        config_.reset(CreateConfigInfo());
        QVERIFY(config_ && SetConfigVNAName(config_.get(), "VNA 8.5 GHz") &&
                SetConfigDielName(config_.get(), 1, "PTFE Solid"));
        messages_ = std::make_unique<testing::CapturedMessages>();
    }
    void cleanup() {
        messages_.reset();
        config_.reset();
        lists_.reset();
    }

    void vnaPortPower_data() {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("message");
        QTest::newRow("not a number") << u"abc"_s << u"Invalid port power."_s;
        QTest::newRow("below the minimum")
            << u"-31"_s << u"Port power is less than the minimum of -30.0 dBm."_s;
        QTest::newRow("above the maximum")
            << u"10.5"_s << u"Port power is greater than the maximum of 10.0 dBm."_s;
    }
    void vnaPortPower() {
        QFETCH(QString, typed);
        QFETCH(QString, message);
        VnaConfigDialog dialog(config_.get(), false);
        auto* power = Child<QLineEdit>(&dialog, "portPower");
        power->setText(typed);
        PressFromKeyboard(&dialog, Button(&dialog, u"Accept"_s));
        QCOMPARE(errors(), QStringList{message});
        QVERIFY(dialog.isVisible());
        QVERIFY(ReadyForCorrection(power));
    }

    // Lengths and temperature variations below zero are refused by the configuration itself.
    void cableFields() {
        CableConfigDialog dialog(config_.get(), 1);
        auto* length = Child<QLineEdit>(&dialog, "length");
        auto* tempVar = Child<QLineEdit>(&dialog, "temperatureVariation");
        length->setText(u"-2"_s);
        PressFromKeyboard(&dialog, Button(&dialog, u"Accept"_s));
        QCOMPARE(errors().size(), 1);
        QVERIFY(ReadyForCorrection(length));

        length->setText(u"2"_s);
        tempVar->setText(u"oops"_s);
        PressFromKeyboard(&dialog, Button(&dialog, u"Accept"_s));
        QCOMPARE(errors().size(), 2);
        QVERIFY(ReadyForCorrection(tempVar));
    }

    void configurationFrequencyAdd() {
        FrequencyConfigDialog dialog(config_.get());
        auto* frequency = Child<QLineEdit>(&dialog, "frequency");
        frequency->setText(u"GHz"_s);
        PressFromKeyboard(&dialog, Button(&dialog, u"Add"_s));
        QCOMPARE(errors(), QStringList{u"Invalid frequency."_s});
        QVERIFY(ReadyForCorrection(frequency));
    }

    // An empty list sends the user to the field that adds a frequency; a line the configuration
    // refuses (0 GHz) becomes the list's selected line, ready for "Delete".
    void configurationFrequencyList() {
        FrequencyConfigDialog dialog(config_.get());
        auto* list = Child<QListWidget>(&dialog, "frequencies");
        auto* frequency = Child<QLineEdit>(&dialog, "frequency");
        while (list->count() > 0)
            delete list->item(0);
        PressFromKeyboard(&dialog, Button(&dialog, u"Accept"_s));
        QCOMPARE(errors(), QStringList{u"SetConfigParam: Invalid number of frequencies."_s});
        QVERIFY(ReadyForCorrection(frequency));

        for (const QString& typed : {u"2"_s, u"0"_s, u"1"_s}) {
            frequency->setText(typed);
            QTest::mouseClick(Button(&dialog, u"Add"_s), Qt::LeftButton);
        }
        list->setCurrentRow(2);
        PressFromKeyboard(&dialog, Button(&dialog, u"Accept"_s));
        QCOMPARE(errors().size(), 2);
        QCOMPARE(errors().back(), u"SetConfigParam: Invalid frequency value."_s);
        QCOMPARE(dialog.focusWidget(), list);
        QCOMPARE(list->currentRow(), 0);
        QVERIFY(list->currentItem()->isSelected());
        QCOMPARE(list->currentItem()->text(), u"0.000000 GHz"_s);
    }

    void modelFrequencyAndPower() {
        testing::ModelPtr model = testing::EmptyModel();
        QVERIFY(model != nullptr);
        ModelFrequencyDialog dialog(model.get());
        auto* frequency = Child<QLineEdit>(&dialog, "frequency");
        auto* power = Child<QLineEdit>(&dialog, "power");
        frequency->setText(u"x"_s);
        PressFromKeyboard(&dialog, Button(&dialog, u"Add"_s));
        QCOMPARE(errors(), QStringList{u"Invalid frequency."_s});
        QVERIFY(ReadyForCorrection(frequency));

        frequency->setText(u"2"_s);
        QTest::mouseClick(Button(&dialog, u"Add"_s), Qt::LeftButton);
        // The frequency 0 is refused by the model when written.
        frequency->setText(u"0"_s);
        QTest::mouseClick(Button(&dialog, u"Add"_s), Qt::LeftButton);
        dialog.list()->setCurrentRow(1);
        PressFromKeyboard(&dialog, Button(&dialog, u"Accept"_s));
        QCOMPARE(errors().size(), 2);
        QCOMPARE(dialog.focusWidget(), dialog.list());
        QCOMPARE(dialog.list()->currentRow(), 0);
        QVERIFY(dialog.list()->currentItem()->isSelected());
        delete dialog.list()->item(0);

        power->setText(u"high"_s);
        PressFromKeyboard(&dialog, Button(&dialog, u"Accept"_s));
        QCOMPARE(errors().size(), 3);
        QCOMPARE(errors().back(), u"Invalid port power."_s);
        QVERIFY(ReadyForCorrection(power));
    }

    // A field that is not a number, and a number of values the DUT refuses.
    void dutFields() {
        DUTInfo* dut = nullptr;
        QVERIFY(GetConfigDUT(config_.get(), &dut) && SetDUTType(dut, DUT_REFLECTION_ONLY));
        DutConfigDialog dialog(dut, u"Configuration DUT"_s, kHelpConfigurationDut);
        auto* maximum = Child<QLineEdit>(&dialog, "maximum");
        auto* number = Child<QLineEdit>(&dialog, "number");
        maximum->setText(u"none"_s);
        PressFromKeyboard(&dialog, Button(&dialog, u"Accept"_s));
        QCOMPARE(errors().size(), 1);
        QVERIFY(ReadyForCorrection(maximum));

        maximum->setText(u"-3"_s);
        number->setText(u"0"_s);
        PressFromKeyboard(&dialog, Button(&dialog, u"Accept"_s));
        QCOMPARE(errors().size(), 2);
        QVERIFY(ReadyForCorrection(number));
    }

    void userDefinedDutField() {
        DUTInfo* dut = nullptr;
        QVERIFY(GetConfigDUT(config_.get(), &dut) && SetDUTType(dut, DUT_USER_DEFINED) &&
                SetDUTFreqSweep(dut, 1));
        DutConfigDialog dialog(dut, u"Configuration DUT"_s, kHelpConfigurationDut);
        auto* stop = Child<QLineEdit>(&dialog, "stopFreq");
        stop->setText(u"?"_s);
        PressFromKeyboard(&dialog, Button(&dialog, u"Accept"_s));
        QCOMPARE(errors().size(), 1);
        QVERIFY(ReadyForCorrection(stop));
    }

    void coverageFactor() {
        CoverageFactorsDialog dialog(config_.get());
        auto* drift = Child<QLineEdit>(&dialog, "Drift");
        drift->setText(u"two"_s);
        PressFromKeyboard(&dialog, Button(&dialog, u"Done"_s));
        QCOMPARE(errors(), QStringList{u"\"Drift\" is not a number."_s});
        QVERIFY(ReadyForCorrection(drift));
    }

    void valueTablePageAdd() {
        testing::ModelPtr model = testing::EmptyModel();
        QVERIFY(model != nullptr);
        QDialog sheet;
        auto* page = new ValueTablePage(kTermDirectivity, model.get(), config_.get(), &sheet);
        page->abscissaEdit()->setText(u"f"_s);
        page->valueEdit()->setText(u"40"_s);
        PressFromKeyboard(&sheet, page->addButton());
        QCOMPARE(errors(), QStringList{u"Invalid frequency."_s});
        QVERIFY(ReadyForCorrection(page->abscissaEdit()));

        page->abscissaEdit()->setText(u"3"_s);
        page->valueEdit()->setText(u"dB"_s);
        PressFromKeyboard(&sheet, page->addButton());
        QCOMPARE(errors(), (QStringList{u"Invalid frequency."_s, u"Invalid value."_s}));
        QVERIFY(ReadyForCorrection(page->valueEdit()));
        QVERIFY(page->lines().isEmpty());
    }
};

QTEST_MAIN(RefusedFieldFocusTest)
#include "refused_field_focus_test.moc"
