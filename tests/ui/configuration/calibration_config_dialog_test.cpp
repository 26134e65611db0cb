// The calibration-kit editor: each kit name once, the selection, and "Accept".

#include "dialog_test_support.h"
#include "support/scoped_component_lists.h"
#include "ui/configuration/calibration_config_dialog.h"

#include "engine/config.h"

#include <QComboBox>
#include <QTest>

#include <memory>

using namespace tolvane;
using namespace Qt::Literals::StringLiterals;
using testing::Child;

class CalibrationConfigDialogTest : public QObject {
    Q_OBJECT
private:
    std::unique_ptr<testing::ScopedComponentLists> lists_;
    std::unique_ptr<testing::CapturedMessages> messages_;
    ConfigInfo* config_ = nullptr;

    QByteArray kitName() const {
        char name[128] = {};
        return GetConfigCalName(config_, name, sizeof name) ? QByteArray(name) : QByteArray("?");
    }

private Q_SLOTS:
    void init() {
        lists_ = std::make_unique<testing::ScopedComponentLists>();
        // One kit name may appear once per connector type.
        lists_->addCalKit("SOLT", "Type N");
        lists_->addCalKit("TRL", "3.5 mm");
        lists_->addCalKit("SOLT", "3.5 mm");
        lists_->addCalKit("Sliding Load", "2.4 mm");
        config_ = CreateConfigInfo();
        QVERIFY(config_ != nullptr);
        messages_ = std::make_unique<testing::CapturedMessages>();
    }
    void cleanup() {
        messages_.reset();
        QCOMPARE(DestroyConfigInfo(config_), 1);
        lists_.reset();
    }

    void showsEachNameOnce_data() {
        QTest::addColumn<QByteArray>("configKit");
        QTest::addColumn<int>("selected");
        QTest::newRow("named kit") << QByteArray("Sliding Load") << 2;
        QTest::newRow("repeated name") << QByteArray("SOLT") << 0;
        QTest::newRow("unknown kit: the first") << QByteArray("LRM") << 0;
    }
    void showsEachNameOnce() {
        QFETCH(QByteArray, configKit);
        QFETCH(int, selected);
        QVERIFY(SetConfigCalName(config_, configKit.constData()));
        CalibrationConfigDialog dialog(config_);
        dialog.open();
        QCOMPARE(dialog.windowTitle(), u"Calibration Configuration"_s);
        QCOMPARE(testing::ShownTexts(&dialog),
                 testing::Sorted({u"Calibration Kit"_s, u"Accept"_s, u"Cancel"_s, u"Help"_s}));
        auto* kits = Child<QComboBox>(&dialog, "calibrationKit");
        QCOMPARE(testing::Entries(kits), (QStringList{u"SOLT"_s, u"TRL"_s, u"Sliding Load"_s}));
        QCOMPARE(kits->currentIndex(), selected);
    }

    void acceptWritesTheKitAndCancelDoesNot() {
        QVERIFY(SetConfigCalName(config_, "SOLT"));
        {
            CalibrationConfigDialog dialog(config_);
            dialog.open();
            Child<QComboBox>(&dialog, "calibrationKit")->setCurrentIndex(1);
            QTest::mouseClick(testing::Button(&dialog, u"Cancel"_s), Qt::LeftButton);
            QCOMPARE(kitName(), QByteArray("SOLT"));
        }
        CalibrationConfigDialog dialog(config_);
        dialog.open();
        Child<QComboBox>(&dialog, "calibrationKit")->setCurrentIndex(1);
        QTest::mouseClick(testing::Button(&dialog, u"Accept"_s), Qt::LeftButton);
        QCOMPARE(kitName(), QByteArray("TRL"));
        QVERIFY(!dialog.isVisible());
        QVERIFY(messages_->all().empty());
    }
};

QTEST_MAIN(CalibrationConfigDialogTest)
#include "calibration_config_dialog_test.moc"
