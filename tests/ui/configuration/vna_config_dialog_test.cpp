// The VNA editor: the VNA shown, the port power at first and later openings, the IF bandwidth and
// averaging selections, and the order in which "Accept" writes.

#include "dialog_test_support.h"
#include "support/scoped_component_lists.h"
#include "ui/configuration/vna_config_dialog.h"

#include "engine/config.h"

#include <QComboBox>
#include <QLineEdit>
#include <QTest>

#include <memory>

using namespace tolvane;
using namespace Qt::Literals::StringLiterals;
using testing::Child;

class VnaConfigDialogTest : public QObject {
    Q_OBJECT
private:
    std::unique_ptr<testing::ScopedComponentLists> lists_;
    std::unique_ptr<testing::CapturedMessages> messages_;
    std::unique_ptr<VnaConfigDialog> dialog_;
    ConfigInfo* config_ = nullptr;

    static VNAInfo* addVna(testing::ScopedComponentLists& lists, const char* name, float minDbm,
                           float maxDbm, float defaultDbm, std::initializer_list<float> ifbws) {
        VNAInfo* vna = lists.addVNA(name);
        if (SetVNAMinPower(vna, minDbm) == 0 || SetVNAMaxPower(vna, maxDbm) == 0 ||
            SetVNADefaultPower(vna, defaultDbm) == 0)
            return nullptr;
        for (float bandwidthHz : ifbws)
            if (AddVNAIFBW(vna, bandwidthHz) == 0) return nullptr;
        return vna;
    }
    void open(bool showDefaultPower = false) {
        dialog_ = std::make_unique<VnaConfigDialog>(config_, showDefaultPower);
        dialog_->open();
    }
    QComboBox* combo(const char* name) const { return Child<QComboBox>(dialog_.get(), name); }
    QLineEdit* power() const { return Child<QLineEdit>(dialog_.get(), "portPower"); }

private Q_SLOTS:
    void init() {
        lists_ = std::make_unique<testing::ScopedComponentLists>();
        QVERIFY(addVna(*lists_, "VNA 8.5 GHz", -55, 10, 0, {10, 100, 1000, 10000}));
        QVERIFY(addVna(*lists_, "VNA 26.5 GHz", -30, 5, -10, {3, 30, 300}));
        config_ = CreateConfigInfo();
        QVERIFY(config_ != nullptr);
        QVERIFY(SetConfigVNAName(config_, "VNA 26.5 GHz") && SetConfigPower(config_, -5.25f) &&
                SetConfigIFBW(config_, 300) && SetConfigAverages(config_, 16));
        messages_ = std::make_unique<testing::CapturedMessages>();
    }
    void cleanup() {
        dialog_.reset();
        messages_.reset();
        QCOMPARE(DestroyConfigInfo(config_), 1);
        lists_.reset();
    }

    void showsTheConfiguration() {
        open();
        QCOMPARE(dialog_->windowTitle(), u"VNA Configuration"_s);
        QCOMPARE(testing::ShownTexts(dialog_.get()),
                 testing::Sorted({u"VNA Type"_s, u"Port Power (dBm)"_s, u"IF Bandwidth (Hz)"_s,
                                  u"Averaging Factor"_s, u"Accept"_s, u"Cancel"_s, u"Help"_s}));
        QCOMPARE(testing::Entries(combo("vnaType")),
                 (QStringList{u"VNA 8.5 GHz"_s, u"VNA 26.5 GHz"_s}));
        QCOMPARE(combo("vnaType")->currentText(), u"VNA 26.5 GHz"_s);
        QCOMPARE(power()->text(), u"-5.2"_s); // "%.1f" of the float nearest -5.25
        QCOMPARE(testing::Entries(combo("ifBandwidth")),
                 (QStringList{u"3.0"_s, u"30.0"_s, u"300.0"_s}));
        QCOMPARE(combo("ifBandwidth")->currentText(), u"300.0"_s);
        QCOMPARE(testing::Entries(combo("averagingFactor")),
                 (QStringList{u"1"_s, u"2"_s, u"4"_s, u"8"_s, u"16"_s, u"32"_s, u"64"_s, u"128"_s,
                              u"256"_s, u"512"_s}));
        QCOMPARE(combo("averagingFactor")->currentText(), u"16"_s);
        QVERIFY(messages_->all().empty());
    }

    void portPowerAtFirstAndLaterOpenings_data() {
        QTest::addColumn<QByteArray>("vnaName");
        QTest::addColumn<bool>("firstOpening");
        QTest::addColumn<QString>("shownVna");
        QTest::addColumn<QString>("shownPower");
        QTest::addColumn<QString>("shownBandwidths");
        QTest::newRow("first opening: the VNA's default power")
            << QByteArray("VNA 26.5 GHz") << true << u"VNA 26.5 GHz"_s << u"-10.0"_s
            << u"3.0 30.0 300.0"_s;
        QTest::newRow("later opening: the configuration's power")
            << QByteArray("VNA 26.5 GHz") << false << u"VNA 26.5 GHz"_s << u"-5.2"_s
            << u"3.0 30.0 300.0"_s;
        QTest::newRow("unknown VNA: the first VNA with its own default power")
            << QByteArray("VNA 99 GHz") << false << u"VNA 8.5 GHz"_s << u"0.0"_s
            << u"10.0 100.0 1000.0 10000.0"_s;
        QTest::newRow("names match exactly, case included")
            << QByteArray("vna 26.5 GHz") << false << u"VNA 8.5 GHz"_s << u"0.0"_s
            << u"10.0 100.0 1000.0 10000.0"_s;
    }
    void portPowerAtFirstAndLaterOpenings() {
        QFETCH(QByteArray, vnaName);
        QFETCH(bool, firstOpening);
        QFETCH(QString, shownVna);
        QFETCH(QString, shownPower);
        QFETCH(QString, shownBandwidths);
        QVERIFY(SetConfigVNAName(config_, vnaName.constData()));
        open(firstOpening);
        QCOMPARE(combo("vnaType")->currentText(), shownVna);
        QCOMPARE(power()->text(), shownPower);
        QCOMPARE(testing::Entries(combo("ifBandwidth")).join(u' '), shownBandwidths);
    }

    void selectsTheLastOfEqualNames() {
        // A second record of the same name, with other bandwidths: the last one is shown.
        QVERIFY(addVna(*lists_, "VNA 26.5 GHz", -20, 0, -7, {5, 50}));
        open(true);
        QCOMPARE(combo("vnaType")->currentIndex(), 2);
        QCOMPARE(power()->text(), u"-7.0"_s);
        QCOMPARE(testing::Entries(combo("ifBandwidth")), (QStringList{u"5.0"_s, u"50.0"_s}));
    }

    void selectsTheIfBandwidth_data() {
        QTest::addColumn<float>("configHz");
        QTest::addColumn<QString>("selected");
        QTest::newRow("equal") << 30.0f << u"30.0"_s;
        QTest::newRow("up to 1 Hz below an entry") << 299.0f << u"300.0"_s;
        QTest::newRow("more than 1 Hz below") << 298.5f << u"30.0"_s;
        QTest::newRow("between entries: the one below") << 250.0f << u"30.0"_s;
        QTest::newRow("above all") << 1e6f << u"300.0"_s;
        QTest::newRow("below all: the first") << 1.0f << u"3.0"_s;
    }
    void selectsTheIfBandwidth() {
        QFETCH(float, configHz);
        QFETCH(QString, selected);
        QVERIFY(SetConfigIFBW(config_, configHz));
        open();
        QCOMPARE(combo("ifBandwidth")->currentText(), selected);
    }

    void selectsTheAveragingFactor_data() {
        QTest::addColumn<int>("averages");
        QTest::addColumn<QString>("selected");
        QTest::newRow("100: largest not above") << 100 << u"64"_s;
        QTest::newRow("512") << 512 << u"512"_s;
        QTest::newRow("1") << 1 << u"1"_s;
        QTest::newRow("above 512") << 4096 << u"512"_s;
        QTest::newRow("below 1: none") << 0 << u""_s;
    }
    void selectsTheAveragingFactor() {
        QFETCH(int, averages);
        QFETCH(QString, selected);
        config_->numAverages = averages; // the setter refuses 0; a damaged record must still open
        open();
        QCOMPARE(combo("averagingFactor")->currentText(), selected);
    }

    void changingTheVnaShowsItsDefaults() {
        open();
        combo("ifBandwidth")->setCurrentIndex(2);
        QTest::keyClick(combo("vnaType"), Qt::Key_Up); // to "VNA 8.5 GHz"
        QCOMPARE(combo("vnaType")->currentText(), u"VNA 8.5 GHz"_s);
        QCOMPARE(power()->text(), u"0.0"_s);
        QCOMPARE(testing::Entries(combo("ifBandwidth")),
                 (QStringList{u"10.0"_s, u"100.0"_s, u"1000.0"_s, u"10000.0"_s}));
        QCOMPARE(combo("ifBandwidth")->currentIndex(), 0);
    }

    void acceptWritesInOrderAndStopsAtTheFirstRefusal_data() {
        QTest::addColumn<QString>("powerText");
        QTest::addColumn<QStringList>("errors");
        QTest::addColumn<float>("storedPower");
        QTest::newRow("all taken") << u"-20.5"_s << QStringList{} << -20.5f;
        QTest::newRow("trailing text ignored") << u"3 dBm"_s << QStringList{} << 3.0f;
        QTest::newRow("at the minimum") << u"-55"_s << QStringList{} << -55.0f;
        QTest::newRow("not a number")
            << u"abc"_s << QStringList{u"Invalid port power."_s} << -5.25f;
        // NaN lies neither below the minimum nor above the maximum.
        QTest::newRow("nan") << u"nan"_s << QStringList{u"Invalid port power."_s} << -5.25f;
        QTest::newRow("below the minimum")
            << u"-55.1"_s << QStringList{u"Port power is less than the minimum of -55.0 dBm."_s}
            << -5.25f;
        QTest::newRow("above the maximum")
            << u"10.5"_s << QStringList{u"Port power is greater than the maximum of 10.0 dBm."_s}
            << -5.25f;
    }
    void acceptWritesInOrderAndStopsAtTheFirstRefusal() {
        QFETCH(QString, powerText);
        QFETCH(QStringList, errors);
        QFETCH(float, storedPower);
        const std::vector<std::string> before = testing::RecordFields(*config_);
        open();
        combo("vnaType")->setCurrentIndex(0); // "VNA 8.5 GHz": -55 to 10 dBm
        combo("ifBandwidth")->setCurrentIndex(2);
        combo("averagingFactor")->setCurrentIndex(7);
        power()->clear();
        QTest::keyClicks(power(), powerText);
        QTest::mouseClick(testing::Button(dialog_.get(), u"Accept"_s), Qt::LeftButton);

        QCOMPARE(testing::ErrorTexts(*messages_), errors);
        QCOMPARE(dialog_->isVisible(), !errors.isEmpty());
        if (!errors.isEmpty()) {
            // A refused power writes nothing, not even the VNA before it; "Cancel" then leaves
            // the configuration exactly as it was.
            QCOMPARE(testing::FieldChange(before, *config_), QString());
            QTest::mouseClick(testing::Button(dialog_.get(), u"Cancel"_s), Qt::LeftButton);
            QCOMPARE(testing::FieldChange(before, *config_), QString());
            return;
        }
        char name[128] = {};
        QVERIFY(GetConfigVNAName(config_, name, sizeof name));
        QCOMPARE(QByteArray(name), QByteArray("VNA 8.5 GHz"));
        QCOMPARE(config_->powerDbm, storedPower);
        QCOMPARE(config_->ifBandwidthHz, 1000.0f);
        QCOMPARE(config_->numAverages, 128);
    }

    void aPowerLeftAsShownKeepsEveryDigit() {
        open(); // -5.25 dBm shows as "-5.2"
        QTest::mouseClick(testing::Button(dialog_.get(), u"Accept"_s), Qt::LeftButton);
        QCOMPARE(config_->powerDbm, -5.25f);
        // Typed, even as the same text, the power is the number typed.
        open();
        power()->selectAll();
        QTest::keyClicks(power(), u"-5.2"_s);
        QTest::mouseClick(testing::Button(dialog_.get(), u"Accept"_s), Qt::LeftButton);
        QCOMPARE(config_->powerDbm, -5.2f);
        QVERIFY(messages_->all().empty());
    }

    void withoutAnyVnaAcceptReportsTheMissingVna() {
        lists_ = std::make_unique<testing::ScopedComponentLists>(); // empty lists
        open();
        QCOMPARE(combo("vnaType")->count(), 0);
        QCOMPARE(power()->text(), u"-5.2"_s);
        dialog_->accept();
        QCOMPARE(messages_->errors().size(), size_t(1));
        QVERIFY(dialog_->isVisible());
        char name[128] = {};
        QVERIFY(GetConfigVNAName(config_, name, sizeof name));
        QCOMPARE(QByteArray(name), QByteArray("VNA 26.5 GHz")); // kept
    }
};

QTEST_MAIN(VnaConfigDialogTest)
#include "vna_config_dialog_test.moc"
