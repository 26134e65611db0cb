// The DUT editor: what it shows, which controls it enables, and how "Accept" writes.

#include "dialog_test_support.h"
#include "ui/configuration/dut_config_dialog.h"
#include "ui/help/help.h"

#include "components/dut.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QSignalSpy>
#include <QTest>

#include <memory>

using namespace tolvane;
using namespace Qt::Literals::StringLiterals;
using testing::Child;

namespace {

enum TypeEntry { kReflectionEntry, kTransmissionEntry, kUserEntry };

// The enabled state of the controls whose enabling depends on the type and the check boxes.
struct Enabling {
    bool values, reciprocal, reverse, user, sweep, sweepFields;
    bool operator==(const Enabling&) const = default;
};

} // namespace

Q_DECLARE_METATYPE(Enabling)

class DutConfigDialogTest : public QObject {
    Q_OBJECT
private:
    DUTInfo* dut_ = nullptr;
    std::unique_ptr<testing::CapturedMessages> messages_;
    std::unique_ptr<DutConfigDialog> dialog_;

    DutConfigDialog* open() {
        dialog_ =
            std::make_unique<DutConfigDialog>(dut_, u"Configuration DUT"_s, kHelpConfigurationDut);
        dialog_->open();
        return dialog_.get();
    }
    QLineEdit* edit(const char* name) const { return Child<QLineEdit>(dialog_.get(), name); }
    QCheckBox* check(const char* name) const { return Child<QCheckBox>(dialog_.get(), name); }
    QComboBox* typeCombo() const { return Child<QComboBox>(dialog_.get(), "dutType"); }
    void type(QLineEdit* field, const QString& text) {
        field->clear();
        QTest::keyClicks(field, text);
    }
    Enabling enabling() const {
        const bool reverse = edit("reverseTransmission")->isEnabled();
        const bool reverseLabel =
            Child<QWidget>(dialog_.get(), "reverseTransmissionLabel")->isEnabled();
        const bool start = edit("startFreq")->isEnabled();
        for (const char* label : {"startFreqLabel", "stopFreqLabel", "pointsLabel"})
            if (Child<QWidget>(dialog_.get(), label)->isEnabled() != start) return {};
        if (reverseLabel != reverse || edit("stopFreq")->isEnabled() != start ||
            edit("points")->isEnabled() != start)
            return {};
        return {edit("minimum")->isEnabled() && edit("maximum")->isEnabled() &&
                    edit("number")->isEnabled(),
                check("reciprocal")->isEnabled(),
                reverse,
                edit("s11")->isEnabled() && edit("s22")->isEnabled(),
                check("freqSweep")->isEnabled(),
                start};
    }

private Q_SLOTS:
    void init() {
        dut_ = CreateDUTInfo();
        QVERIFY(dut_ != nullptr);
        messages_ = std::make_unique<testing::CapturedMessages>();
    }
    void cleanup() {
        dialog_.reset();
        messages_.reset();
        QCOMPARE(DestroyDUTInfo(dut_), 1);
    }

    void showsItsLabels() {
        open();
        QCOMPARE(dialog_->windowTitle(), u"Configuration DUT"_s);
        QCOMPARE(testing::ShownTexts(dialog_.get()),
                 testing::Sorted({u"DUT Type"_s, u"Values"_s, u"Minimum (dB)"_s, u"Maximum (dB)"_s,
                                  u"Number"_s, u"Reciprocal"_s, u"Reverse Transmission (dB)"_s,
                                  u"User Defined"_s, u"S11 (dB)"_s, u"S12 (dB)"_s, u"S21 (dB)"_s,
                                  u"S22 (dB)"_s, u"Freq. Sweep"_s, u"Start Freq. (GHz)"_s,
                                  u"Stop Freq. (GHz)"_s, u"Points"_s, u"Accept"_s, u"Cancel"_s,
                                  u"Help"_s}));
        QCOMPARE(testing::Entries(typeCombo()),
                 (QStringList{u"Reflection Only"_s, u"Transmission Only"_s, u"User Defined"_s}));
    }

    void showsTheRecordAtOpening_data() {
        QTest::addColumn<int>("dutType");
        QTest::addColumn<int>("reciprocal");
        QTest::addColumn<int>("entry");
        QTest::addColumn<QStringList>("values"); // minimum, maximum, number, reverse
        // The record: reflection -35..-5 dB in 7 values, transmission -70..6 dB in 39 values,
        // reverse transmission saved as -62 dB.
        QTest::newRow("reflection") << 1 << 1 << int(kReflectionEntry)
                                    << QStringList{u"-35.0"_s, u"-5.0"_s, u"7"_s, u"6.0"_s};
        QTest::newRow("reciprocal transmission: reverse shows S21 maximum")
            << 2 << 1 << int(kTransmissionEntry)
            << QStringList{u"-70.0"_s, u"6.0"_s, u"39"_s, u"6.0"_s};
        QTest::newRow("non-reciprocal transmission: reverse shows the saved value")
            << 2 << 0 << int(kTransmissionEntry)
            << QStringList{u"-70.0"_s, u"6.0"_s, u"39"_s, u"-62.0"_s};
        QTest::newRow("user defined shows the reflection values")
            << 3 << 0 << int(kUserEntry) << QStringList{u"-35.0"_s, u"-5.0"_s, u"7"_s, u"6.0"_s};
        QTest::newRow("unknown type shows as reflection")
            << 7 << 1 << int(kReflectionEntry)
            << QStringList{u"-35.0"_s, u"-5.0"_s, u"7"_s, u"6.0"_s};
    }
    void showsTheRecordAtOpening() {
        QFETCH(int, dutType);
        QFETCH(int, reciprocal);
        QFETCH(int, entry);
        QFETCH(QStringList, values);
        QVERIFY(SetDUTReflMin(dut_, -35.0f) && SetDUTReflMax(dut_, -5.0f) &&
                SetDUTReflNumValues(dut_, 7) && SetDUTTransMin(dut_, -70.0f) &&
                SetDUTTransMax(dut_, 6.0f) && SetDUTTransNumValues(dut_, 39) &&
                SetDUTReverseTransSaved(dut_, -62.0f) && SetDUTReverseTrans(dut_, -1.0f) &&
                SetDUTReciprocal(dut_, reciprocal) &&
                SetDUTUserValues(dut_, -21.5f, -30.25f, 3.125f, -19.0f, 0.05f, 26.5f, 201) &&
                SetDUTFreqSweep(dut_, 1));
        dut_->type = dutType; // the setter would refuse 7; a damaged record must still open
        open();
        QCOMPARE(typeCombo()->currentIndex(), entry);
        QCOMPARE((QStringList{edit("minimum")->text(), edit("maximum")->text(),
                              edit("number")->text(), edit("reverseTransmission")->text()}),
                 values);
        QCOMPARE(check("reciprocal")->isChecked(), reciprocal == 1);
        if (dutType > DUT_USER_DEFINED) {
            // The record refuses to give user values for a type it does not know.
            QCOMPARE(testing::ErrorTexts(*messages_),
                     QStringList{u"GetDUTParam: invalid DUT type."_s});
            return;
        }
        QCOMPARE((QStringList{edit("s11")->text(), edit("s12")->text(), edit("s21")->text(),
                              edit("s22")->text(), edit("startFreq")->text(),
                              edit("stopFreq")->text(), edit("points")->text()}),
                 (QStringList{u"-21.500"_s, u"-30.250"_s, u"3.125"_s, u"-19.000"_s, u"0.050"_s,
                              u"26.500"_s, u"201"_s}));
        QVERIFY(check("freqSweep")->isChecked());
        QVERIFY(messages_->all().empty());
    }

    void enablesControlsByTypeAndCheckBoxes_data() {
        QTest::addColumn<int>("entry");
        QTest::addColumn<bool>("reciprocal");
        QTest::addColumn<bool>("sweep");
        QTest::addColumn<Enabling>("expected");
        QTest::newRow("reflection") << int(kReflectionEntry) << false << true
                                    << Enabling{true, false, false, false, false, false};
        QTest::newRow("transmission, reciprocal")
            << int(kTransmissionEntry) << true << true
            << Enabling{true, true, false, false, false, false};
        QTest::newRow("transmission, not reciprocal")
            << int(kTransmissionEntry) << false << false
            << Enabling{true, true, true, false, false, false};
        QTest::newRow("user defined, no sweep") << int(kUserEntry) << false << false
                                                << Enabling{false, false, false, true, true, false};
        QTest::newRow("user defined, sweep")
            << int(kUserEntry) << true << true << Enabling{false, false, false, true, true, true};
    }
    void enablesControlsByTypeAndCheckBoxes() {
        QFETCH(int, entry);
        QFETCH(bool, reciprocal);
        QFETCH(bool, sweep);
        QFETCH(Enabling, expected);
        // At opening...
        QVERIFY(SetDUTType(dut_, entry + 1) && SetDUTReciprocal(dut_, reciprocal ? 1 : 0) &&
                SetDUTFreqSweep(dut_, sweep ? 1 : 0));
        open();
        QCOMPARE(enabling(), expected);
        // ... and after a change of type from another one.
        typeCombo()->setCurrentIndex((entry + 1) % 3);
        typeCombo()->setCurrentIndex(entry);
        QCOMPARE(enabling(), expected);
    }

    void checkBoxesSwitchTheirFields() {
        QVERIFY(SetDUTType(dut_, DUT_TRANSMISSION_ONLY) && SetDUTReverseTransSaved(dut_, -55.0f));
        open();
        type(edit("reverseTransmission"), u"-12"_s);
        testing::ClickCheckBox(check("reciprocal")); // clears it
        QVERIFY(edit("reverseTransmission")->isEnabled());
        QCOMPARE(edit("reverseTransmission")->text(), u"-55.0"_s);
        type(edit("reverseTransmission"), u"-12"_s);
        testing::ClickCheckBox(check("reciprocal")); // ticks it
        QVERIFY(!edit("reverseTransmission")->isEnabled());
        QCOMPARE(edit("reverseTransmission")->text(), u"-55.0"_s);

        typeCombo()->setCurrentIndex(kUserEntry);
        QVERIFY(!edit("points")->isEnabled());
        testing::ClickCheckBox(check("freqSweep"));
        QVERIFY(edit("points")->isEnabled());
        testing::ClickCheckBox(check("freqSweep"));
        QVERIFY(!edit("points")->isEnabled());
    }

    void typeChangesRefillTheValues() {
        QVERIFY(SetDUTType(dut_, DUT_REFLECTION_ONLY) && SetDUTReverseTransSaved(dut_, -48.0f));
        open();
        type(edit("minimum"), u"-1"_s);
        typeCombo()->setCurrentIndex(kTransmissionEntry);
        QCOMPARE((QStringList{edit("minimum")->text(), edit("maximum")->text(),
                              edit("number")->text(), edit("reverseTransmission")->text()}),
                 (QStringList{u"-80.0"_s, u"10.0"_s, u"91"_s, u"-48.0"_s}));
        type(edit("maximum"), u"3"_s);
        typeCombo()->setCurrentIndex(kUserEntry); // leaves the fields as they are
        QCOMPARE(edit("minimum")->text(), u"-80.0"_s);
        QCOMPARE(edit("maximum")->text(), u"3"_s);
        typeCombo()->setCurrentIndex(kReflectionEntry);
        QCOMPARE(
            (QStringList{edit("minimum")->text(), edit("maximum")->text(), edit("number")->text()}),
            (QStringList{u"-40.0"_s, u"0.0"_s, u"41"_s}));
        QVERIFY(messages_->all().empty());
    }

    void acceptWritesInOrderAndStopsAtTheFirstRefusal_data() {
        QTest::addColumn<int>("entry");
        QTest::addColumn<QString>("minimum");
        QTest::addColumn<QString>("number");
        QTest::addColumn<QString>("reverse");
        QTest::addColumn<QStringList>("errors");
        // type, minimum, number, reverse, saved reverse, reciprocal
        QTest::addColumn<QList<float>>("stored");
        // The record starts as a reciprocal transmission DUT of -80 to 10 dB in 91 values, with
        // a reverse transmission of -80 dB (saved: 10 dB).
        QTest::newRow("reflection, all taken")
            << int(kReflectionEntry) << u"-30"_s << u"11"_s << u"-7"_s << QStringList{}
            << QList<float>{1, -30, 11, -80, 10, 1};
        // A refusal writes nothing, not even the values before it.
        QTest::newRow("reflection, number refused by the record after minimum and maximum")
            << int(kReflectionEntry) << u"-30"_s << u"0"_s << u"-7"_s
            << QStringList{u"SetDUTParam: invalid number of values."_s}
            << QList<float>{2, -40, 41, -80, 10, 1};
        QTest::newRow("reflection, minimum above the maximum")
            << int(kReflectionEntry) << u"5"_s << u"11"_s << u"-7"_s
            << QStringList{u"\"Minimum (dB)\" is greater than \"Maximum (dB)\"."_s}
            << QList<float>{2, -40, 41, -80, 10, 1};
        QTest::newRow("transmission, minimum above the maximum")
            << int(kTransmissionEntry) << u"10.5"_s << u"25"_s << u"-7"_s
            << QStringList{u"\"Minimum (dB)\" is greater than \"Maximum (dB)\"."_s}
            << QList<float>{2, -80, 91, -80, 10, 1};
        QTest::newRow("transmission, all taken; reverse written before the reciprocal flag")
            << int(kTransmissionEntry) << u"-60.5"_s << u"25"_s << u"-7"_s << QStringList{}
            << QList<float>{2, -60.5f, 25, -7, -7, 0};
        QTest::newRow("transmission, minimum not a number: nothing of it is written")
            << int(kTransmissionEntry) << u"low"_s << u"25"_s << u"-7"_s
            << QStringList{u"\"Minimum (dB)\" is not a number."_s}
            << QList<float>{2, -80, 91, -80, 10, 1};
        QTest::newRow("transmission, reverse not a number after the values")
            << int(kTransmissionEntry) << u"-60.5"_s << u"25"_s << u"?"_s
            << QStringList{u"\"Reverse Transmission (dB)\" is not a number."_s}
            << QList<float>{2, -80, 91, -80, 10, 1};
    }
    void acceptWritesInOrderAndStopsAtTheFirstRefusal() {
        QFETCH(int, entry);
        QFETCH(QString, minimum);
        QFETCH(QString, number);
        QFETCH(QString, reverse);
        QFETCH(QStringList, errors);
        QFETCH(QList<float>, stored);
        open();
        typeCombo()->setCurrentIndex(entry);
        type(edit("minimum"), minimum);
        type(edit("number"), number);
        if (entry == kTransmissionEntry) {
            testing::ClickCheckBox(check("reciprocal"));
            type(edit("reverseTransmission"), reverse);
        }
        QSignalSpy accepted(dialog_.get(), &QDialog::accepted);
        QTest::mouseClick(testing::Button(dialog_.get(), u"Accept"_s), Qt::LeftButton);

        QCOMPARE(testing::ErrorTexts(*messages_), errors);
        QCOMPARE(accepted.count(), errors.isEmpty() ? 1 : 0);
        QCOMPARE(dialog_->isVisible(), !errors.isEmpty());
        const bool transmission = entry == kTransmissionEntry;
        QCOMPARE(float(dut_->type), stored[0]);
        QCOMPARE(transmission ? dut_->transMinDb : dut_->reflMinDb, stored[1]);
        QCOMPARE(float(transmission ? dut_->transNumValues : dut_->reflNumValues), stored[2]);
        QCOMPARE(dut_->reverseTransDb, stored[3]);
        QCOMPARE(dut_->reverseTransSavedDb, stored[4]);
        QCOMPARE(float(dut_->reciprocal), stored[5]);
    }

    void acceptWritesTheUserValuesInOneCall_data() {
        QTest::addColumn<QString>("s21");
        QTest::addColumn<QString>("start");
        QTest::addColumn<QString>("points");
        QTest::addColumn<QStringList>("errors");
        QTest::addColumn<int>("storedPoints"); // 0: the user values were not written
        QTest::newRow("all taken") << u"2.5"_s << u"1"_s << u"301"_s << QStringList{} << 301;
        QTest::newRow("points above 5000 are stored as 5000")
            << u"2.5"_s << u"1"_s << u"6000"_s << QStringList{} << 5000;
        QTest::newRow("one field not a number: none of the seven is written")
            << u"x"_s << u"1"_s << u"301"_s << QStringList{u"\"S21 (dB)\" is not a number."_s} << 0;
        QTest::newRow("points not a number")
            << u"2.5"_s << u"1"_s << u""_s << QStringList{u"\"Points\" is not a number."_s} << 0;
        QTest::newRow("start above stop")
            << u"2.5"_s << u"3.5"_s << u"301"_s
            << QStringList{u"\"Start Freq. (GHz)\" is greater than \"Stop Freq. (GHz)\"."_s} << 0;
    }
    void acceptWritesTheUserValuesInOneCall() {
        QFETCH(QString, s21);
        QFETCH(QString, start);
        QFETCH(QString, points);
        QFETCH(QStringList, errors);
        QFETCH(int, storedPoints);
        const DUTInfo before = *dut_;
        open();
        typeCombo()->setCurrentIndex(kUserEntry);
        testing::ClickCheckBox(check("freqSweep"));
        type(edit("s11"), u"-25.125"_s);
        type(edit("s21"), s21);
        type(edit("startFreq"), start);
        type(edit("stopFreq"), u"3"_s);
        type(edit("points"), points);
        dialog_->accept();

        QCOMPARE(testing::ErrorTexts(*messages_), errors);
        if (storedPoints == 0) {
            QVERIFY(*dut_ == before); // not even the type was written
            QVERIFY(dialog_->isVisible());
            return;
        }
        QCOMPARE(dut_->type, int(DUT_USER_DEFINED));
        QCOMPARE(dut_->userS11Db, -25.125f);
        QCOMPARE(dut_->userS12Db, -20.0f);
        QCOMPARE(dut_->userS21Db, 2.5f);
        QCOMPARE(dut_->sweepStartGHz, 1.0f);
        QCOMPARE(dut_->sweepStopGHz, 3.0f);
        QCOMPARE(dut_->sweepPoints, storedPoints);
        QCOMPARE(dut_->freqSweep, 1);
        QVERIFY(!dialog_->isVisible());
    }

    // Files hold more digits than the fields show (-80.25 dB, 0.0505 GHz); "Accept" on fields left
    // as they were shown writes back the record's own values, not the rounded texts.
    void acceptKeepsEveryDigitOfFieldsLeftAsShown_data() {
        QTest::addColumn<int>("dutType");
        QTest::newRow("transmission") << int(DUT_TRANSMISSION_ONLY);
        QTest::newRow("user defined") << int(DUT_USER_DEFINED);
    }
    void acceptKeepsEveryDigitOfFieldsLeftAsShown() {
        QFETCH(int, dutType);
        QVERIFY(
            SetDUTType(dut_, dutType) && SetDUTTransMin(dut_, -80.25f) &&
            SetDUTTransMax(dut_, 10.25f) && SetDUTTransNumValues(dut_, 91) &&
            SetDUTReciprocal(dut_, 0) && SetDUTReverseTransSaved(dut_, -62.25f) &&
            SetDUTReverseTrans(dut_, -62.25f) &&
            SetDUTUserValues(dut_, -21.5625f, -30.0625f, 3.1875f, -19.0f, 0.0505f, 26.5f, 101) &&
            SetDUTFreqSweep(dut_, 1));
        const DUTInfo before = *dut_;
        open();
        if (dutType == DUT_TRANSMISSION_ONLY) QCOMPARE(edit("minimum")->text(), u"-80.2"_s);
        QCOMPARE(edit("startFreq")->text(), u"0.051"_s);
        dialog_->accept();
        QVERIFY(!dialog_->isVisible());
        QVERIFY(messages_->all().empty());
        QCOMPARE(dut_->transMinDb, -80.25f);
        QCOMPARE(dut_->sweepStartGHz, 0.0505f);
        QVERIFY(*dut_ == before);
    }

    void cancelWritesNothing() {
        const DUTInfo before = *dut_;
        open();
        typeCombo()->setCurrentIndex(kReflectionEntry);
        type(edit("minimum"), u"-3"_s);
        // A refused Accept first: the type, minimum and maximum it read stay unwritten.
        type(edit("number"), u"0"_s);
        dialog_->accept();
        QCOMPARE(testing::ErrorTexts(*messages_),
                 QStringList{u"SetDUTParam: invalid number of values."_s});
        QTest::mouseClick(testing::Button(dialog_.get(), u"Cancel"_s), Qt::LeftButton);
        QVERIFY(!dialog_->isVisible());
        QVERIFY(*dut_ == before);
    }
};

QTEST_MAIN(DutConfigDialogTest)
#include "dut_config_dialog_test.moc"
