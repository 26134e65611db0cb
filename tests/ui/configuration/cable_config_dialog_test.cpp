// The cable editor: which cable it edits, what it shows, and how "Accept" writes.

#include "dialog_test_support.h"
#include "support/scoped_component_lists.h"
#include "ui/configuration/cable_config_dialog.h"

#include "engine/config.h"

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QTest>

#include <memory>

using namespace tolvane;
using namespace Qt::Literals::StringLiterals;
using testing::Child;

class CableConfigDialogTest : public QObject {
    Q_OBJECT
private:
    std::unique_ptr<testing::ScopedComponentLists> lists_;
    std::unique_ptr<testing::CapturedMessages> messages_;
    std::unique_ptr<CableConfigDialog> dialog_;
    ConfigInfo* config_ = nullptr;

    void open(int port) {
        dialog_ = std::make_unique<CableConfigDialog>(config_, port);
        dialog_->open();
    }
    QComboBox* dielectric() const { return Child<QComboBox>(dialog_.get(), "dielectric"); }
    QLineEdit* edit(const char* name) const { return Child<QLineEdit>(dialog_.get(), name); }
    QByteArray dielectricName(int cable) const {
        char name[128] = {};
        return GetConfigDielName(config_, cable, name, sizeof name) ? QByteArray(name)
                                                                    : QByteArray("?");
    }

private Q_SLOTS:
    void init() {
        lists_ = std::make_unique<testing::ScopedComponentLists>();
        lists_->addDielectric("PTFE Solid");
        lists_->addDielectric("Polyethylene Foam");
        lists_->addDielectric("PTFE Solid");
        lists_->addDielectric("Silicon Dioxide");
        config_ = CreateConfigInfo();
        QVERIFY(config_ != nullptr);
        QVERIFY(SetConfigDielName(config_, 1, "Polyethylene Foam") &&
                SetConfigDielName(config_, 2, "PTFE Solid") &&
                SetConfigCableLength(config_, 1, 0.6f) && SetConfigCableLength(config_, 2, 1.5f) &&
                SetConfigTempVar(config_, 2.0625f));
        messages_ = std::make_unique<testing::CapturedMessages>();
    }
    void cleanup() {
        dialog_.reset();
        messages_.reset();
        QCOMPARE(DestroyConfigInfo(config_), 1);
        lists_.reset();
    }

    void showsTheCableOfItsPort_data() {
        QTest::addColumn<int>("port");
        QTest::addColumn<QString>("caption");
        QTest::addColumn<int>("selected");
        QTest::addColumn<QString>("length");
        QTest::newRow("port 1") << 1 << u"Cable on Port 1"_s << 1 << u"0.600"_s;
        QTest::newRow("port 2: the last of equal names")
            << 2 << u"Cable on Port 2"_s << 2 << u"1.500"_s;
    }
    void showsTheCableOfItsPort() {
        QFETCH(int, port);
        QFETCH(QString, caption);
        QFETCH(int, selected);
        QFETCH(QString, length);
        open(port);
        QCOMPARE(dialog_->windowTitle(), u"Cable Configuration"_s);
        QCOMPARE(testing::ShownTexts(dialog_.get()),
                 testing::Sorted({caption, u"Dielectric"_s, u"Length (m)"_s,
                                  u"Temperature Variation (°C)"_s, u"Accept"_s, u"Cancel"_s,
                                  u"Help"_s}));
        QCOMPARE(testing::Entries(dielectric()),
                 (QStringList{u"PTFE Solid"_s, u"Polyethylene Foam"_s, u"PTFE Solid"_s,
                              u"Silicon Dioxide"_s}));
        QCOMPARE(dielectric()->currentIndex(), selected);
        QCOMPARE(edit("length")->text(), length);
        QCOMPARE(edit("temperatureVariation")->text(), u"2.062"_s); // 2.0625 rounds to even
    }

    void unknownDielectricSelectsTheFirst() {
        QVERIFY(SetConfigDielName(config_, 1, "ptfe solid"));
        open(1);
        QCOMPARE(dielectric()->currentIndex(), 0);
    }

    void acceptWritesInOrderAndStopsAtTheFirstRefusal_data() {
        QTest::addColumn<QString>("length");
        QTest::addColumn<QString>("tempVar");
        QTest::addColumn<QStringList>("errors");
        QTest::addColumn<float>("storedLength");
        QTest::addColumn<float>("storedTempVar");
        QTest::newRow("all taken") << u"2.25"_s << u"0"_s << QStringList{} << 2.25f << 0.0f;
        QTest::newRow("length not a number, written as -1 and refused")
            << u"long"_s << u"3"_s << QStringList{u"SetConfigParam: Invalid cable length."_s}
            << 1.5f << 2.0625f;
        // A refusal writes nothing, not the dielectric and length before it either.
        QTest::newRow("negative temperature refused after the length")
            << u"2.25"_s << u"-0.5"_s
            << QStringList{u"SetConfigParam: Invalid temperature variation."_s} << 1.5f << 2.0625f;
    }
    void acceptWritesInOrderAndStopsAtTheFirstRefusal() {
        QFETCH(QString, length);
        QFETCH(QString, tempVar);
        QFETCH(QStringList, errors);
        QFETCH(float, storedLength);
        QFETCH(float, storedTempVar);
        const std::vector<std::string> before = testing::RecordFields(*config_);
        open(2);
        dielectric()->setCurrentIndex(3);
        edit("length")->clear();
        QTest::keyClicks(edit("length"), length);
        edit("temperatureVariation")->clear();
        QTest::keyClicks(edit("temperatureVariation"), tempVar);
        QTest::mouseClick(testing::Button(dialog_.get(), u"Accept"_s), Qt::LeftButton);

        QCOMPARE(testing::ErrorTexts(*messages_), errors);
        QCOMPARE(dialog_->isVisible(), !errors.isEmpty());
        if (!errors.isEmpty()) {
            QTest::mouseClick(testing::Button(dialog_.get(), u"Cancel"_s), Qt::LeftButton);
            QCOMPARE(testing::FieldChange(before, *config_), QString());
            return;
        }
        QCOMPARE(dielectricName(2), QByteArray("Silicon Dioxide"));
        QCOMPARE(config_->cableLengthM[1], storedLength);
        QCOMPARE(config_->tempVarC, storedTempVar);
        // Cable 1 is not touched.
        QCOMPARE(dielectricName(1), QByteArray("Polyethylene Foam"));
        QCOMPARE(config_->cableLengthM[0], 0.6f);
    }

    void fieldsLeftAsShownKeepEveryDigit() {
        QVERIFY(SetConfigCableLength(config_, 1, 0.6005f));
        open(1); // shows "0.600" or "0.601" and "2.062" or "2.063"
        QTest::mouseClick(testing::Button(dialog_.get(), u"Accept"_s), Qt::LeftButton);
        QCOMPARE(config_->cableLengthM[0], 0.6005f);
        QCOMPARE(config_->tempVarC, 2.0625f);
        QVERIFY(messages_->all().empty());
    }

    void cancelWritesNothing() {
        open(1);
        dielectric()->setCurrentIndex(0);
        QTest::mouseClick(testing::Button(dialog_.get(), u"Cancel"_s), Qt::LeftButton);
        QVERIFY(!dialog_->isVisible());
        QCOMPARE(dielectricName(1), QByteArray("Polyethylene Foam"));
    }
};

QTEST_MAIN(CableConfigDialogTest)
#include "cable_config_dialog_test.moc"
