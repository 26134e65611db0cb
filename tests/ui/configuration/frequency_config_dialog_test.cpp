// The frequency editor: the sorted list, "Add", "Delete" and how "Accept" writes.

#include "dialog_test_support.h"
#include "ui/configuration/frequency_config_dialog.h"

#include "engine/config.h"

#include <QLineEdit>
#include <QListWidget>
#include <QTest>

#include <memory>

using namespace tolvane;
using namespace Qt::Literals::StringLiterals;
using testing::Child;

class FrequencyConfigDialogTest : public QObject {
    Q_OBJECT
private:
    std::unique_ptr<testing::CapturedMessages> messages_;
    std::unique_ptr<FrequencyConfigDialog> dialog_;
    ConfigInfo* config_ = nullptr;

    void open() {
        dialog_ = std::make_unique<FrequencyConfigDialog>(config_);
        dialog_->open();
    }
    QListWidget* list() const { return Child<QListWidget>(dialog_.get(), "frequencies"); }
    QStringList lines() const {
        QStringList texts;
        for (int i = 0; i < list()->count(); ++i)
            texts << list()->item(i)->text();
        return texts;
    }
    void add(const QString& text) {
        auto* field = Child<QLineEdit>(dialog_.get(), "frequency");
        field->clear();
        QTest::keyClicks(field, text);
        QTest::mouseClick(testing::Button(dialog_.get(), u"Add"_s), Qt::LeftButton);
    }
    QList<double> storedFrequencies() const {
        QList<double> frequencies;
        for (int i = 0; i < config_->numFreqs; ++i)
            frequencies << config_->frequenciesHz[i];
        return frequencies;
    }

private Q_SLOTS:
    void init() {
        config_ = CreateConfigInfo();
        QVERIFY(config_ != nullptr);
        // Four frequencies in use, out of order; a fifth entry beyond the count is not shown.
        const double frequenciesHz[] = {5e9, 0.05e9, 26.5e9, 1e9, 9e9};
        for (int i = 0; i < 5; ++i)
            QVERIFY(SetConfigFreq(config_, i, frequenciesHz[i]));
        QVERIFY(SetConfigNumFreqs(config_, 4));
        messages_ = std::make_unique<testing::CapturedMessages>();
    }
    void cleanup() {
        dialog_.reset();
        messages_.reset();
        QCOMPARE(DestroyConfigInfo(config_), 1);
    }

    void showsTheFrequenciesSorted() {
        open();
        QCOMPARE(dialog_->windowTitle(), u"Configuration Frequencies"_s);
        QCOMPARE(testing::ShownTexts(dialog_.get()),
                 testing::Sorted({u"Frequencies"_s, u"Delete"_s, u"Frequency (GHz)"_s, u"Add"_s,
                                  u"Add Sweep..."_s, u"Accept"_s, u"Cancel"_s, u"Help"_s}));
        QCOMPARE(lines(), (QStringList{u"0.050000 GHz"_s, u"1.000000 GHz"_s, u"5.000000 GHz"_s,
                                       u"26.500000 GHz"_s}));
    }

    void addsAndDeletes() {
        open();
        add(u"-2.5"_s);
        add(u"1"_s);
        add(u"40 GHz"_s);
        QCOMPARE(lines(), (QStringList{u"0.050000 GHz"_s, u"1.000000 GHz"_s, u"1.000000 GHz"_s,
                                       u"2.500000 GHz"_s, u"5.000000 GHz"_s, u"26.500000 GHz"_s,
                                       u"40.000000 GHz"_s}));
        QVERIFY(messages_->all().empty());

        // Neither a word nor a number beyond what a frequency in Hz can hold is added.
        add(u"GHz"_s);
        add(u"1e300"_s);
        add(u"inf"_s);
        QCOMPARE(testing::ErrorTexts(*messages_),
                 (QStringList{u"Invalid frequency."_s, u"Invalid frequency."_s,
                              u"Invalid frequency."_s}));
        QCOMPARE(list()->count(), 7);

        auto* deleteButton = testing::Button(dialog_.get(), u"Delete"_s);
        QTest::mouseClick(deleteButton, Qt::LeftButton); // nothing selected: nothing removed
        QCOMPARE(list()->count(), 7);
        list()->setCurrentRow(3);
        QTest::mouseClick(deleteButton, Qt::LeftButton);
        QCOMPARE(lines(), (QStringList{u"0.050000 GHz"_s, u"1.000000 GHz"_s, u"1.000000 GHz"_s,
                                       u"5.000000 GHz"_s, u"26.500000 GHz"_s, u"40.000000 GHz"_s}));
        QCOMPARE(storedFrequencies().size(), 4); // nothing written before "Accept"
    }

    // From the keyboard: Enter on the focused "Add" or "Delete" presses it and the dialog stays
    // open; nothing is written before "Accept".
    void enterPressesTheFocusedButton() {
        open();
        dialog_->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(dialog_.get()));
        QTest::keyClicks(Child<QLineEdit>(dialog_.get(), "frequency"), u"2.5"_s);
        auto* addButton = testing::Button(dialog_.get(), u"Add"_s);
        addButton->setFocus();
        QTest::keyClick(addButton, Qt::Key_Return);
        QVERIFY(dialog_->isVisible());
        QCOMPARE(lines(), (QStringList{u"0.050000 GHz"_s, u"1.000000 GHz"_s, u"2.500000 GHz"_s,
                                       u"5.000000 GHz"_s, u"26.500000 GHz"_s}));
        list()->setCurrentRow(0);
        auto* deleteButton = testing::Button(dialog_.get(), u"Delete"_s);
        deleteButton->setFocus();
        QTest::keyClick(deleteButton, Qt::Key_Return);
        QVERIFY(dialog_->isVisible());
        QCOMPARE(lines(), (QStringList{u"1.000000 GHz"_s, u"2.500000 GHz"_s, u"5.000000 GHz"_s,
                                       u"26.500000 GHz"_s}));
        QCOMPARE(storedFrequencies().size(), 4);
        QCOMPARE(config_->frequenciesHz[1], 0.05e9);
    }

    void theFieldTakesAtMost64Characters() {
        open();
        auto* field = Child<QLineEdit>(dialog_.get(), "frequency");
        QTest::keyClicks(field, QString(70, u'1'));
        QCOMPARE(field->text().size(), 64);
    }

    void acceptWritesTheListInOrder() {
        open();
        add(u"2.5"_s);
        QTest::mouseClick(testing::Button(dialog_.get(), u"Accept"_s), Qt::LeftButton);
        QVERIFY(messages_->all().empty());
        QVERIFY(!dialog_->isVisible());
        QCOMPARE(storedFrequencies(), (QList<double>{0.05e9, 1e9, 2.5e9, 5e9, 26.5e9}));
    }

    void acceptOfAnEmptyListIsRefused() {
        open();
        for (int i = 3; i >= 0; --i) {
            list()->setCurrentRow(i);
            QTest::mouseClick(testing::Button(dialog_.get(), u"Delete"_s), Qt::LeftButton);
        }
        dialog_->accept();
        QCOMPARE(testing::ErrorTexts(*messages_),
                 QStringList{u"SetConfigParam: Invalid number of frequencies."_s});
        QVERIFY(dialog_->isVisible());
        QCOMPARE(storedFrequencies(), (QList<double>{5e9, 0.05e9, 26.5e9, 1e9}));
    }

    // A refused line writes nothing, not even the count before it: "Cancel" then leaves the
    // configuration exactly as it was, every entry included.
    void aRefusedFrequencyWritesNothing() {
        const std::vector<std::string> before = testing::RecordFields(*config_);
        open();
        add(u"30"_s);
        // A frequency below a kilohertz shows as 0.000000 GHz, which the configuration refuses.
        add(u"0.0000001"_s);
        dialog_->accept();
        QCOMPARE(testing::ErrorTexts(*messages_),
                 QStringList{u"SetConfigParam: Invalid frequency value."_s});
        QVERIFY(dialog_->isVisible());
        QCOMPARE(testing::FieldChange(before, *config_), QString());
        QTest::mouseClick(testing::Button(dialog_.get(), u"Cancel"_s), Qt::LeftButton);
        QCOMPARE(testing::FieldChange(before, *config_), QString());
    }

    // Enter in "Frequency (GHz)" adds what was typed, as "Add" does, and the dialog stays open.
    void enterInTheFrequencyFieldAdds() {
        open();
        auto* field = Child<QLineEdit>(dialog_.get(), "frequency");
        QTest::keyClicks(field, u"2.5"_s);
        QTest::keyClick(field, Qt::Key_Return);
        field->clear();
        QTest::keyClicks(field, u"x"_s);
        QTest::keyClick(field, Qt::Key_Enter);
        QVERIFY(dialog_->isVisible());
        QCOMPARE(dialog_->result(), 0);
        QCOMPARE(lines(), (QStringList{u"0.050000 GHz"_s, u"1.000000 GHz"_s, u"2.500000 GHz"_s,
                                       u"5.000000 GHz"_s, u"26.500000 GHz"_s}));
        QCOMPARE(testing::ErrorTexts(*messages_), QStringList{u"Invalid frequency."_s});
    }
};

QTEST_MAIN(FrequencyConfigDialogTest)
#include "frequency_config_dialog_test.moc"
