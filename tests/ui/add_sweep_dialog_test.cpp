// "Add Sweep...": what the dialog refuses, and a sweep added into both frequency editors.

#include "dialog_test_support.h"
#include "ui/add_sweep_dialog.h"
#include "ui/configuration/frequency_config_dialog.h"
#include "ui/model/model_frequency_dialog.h"

#include "engine/config.h"
#include "support/model_builder.h"

#include <QComboBox>
#include <QLineEdit>
#include <QListWidget>
#include <QTest>

using namespace tolvane;
using namespace Qt::Literals::StringLiterals;
using testing::Child;

class AddSweepDialogTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void refusesWhatNoListCanHold_data() {
        QTest::addColumn<QString>("start");
        QTest::addColumn<QString>("points");
        QTest::addColumn<QString>("message");
        QTest::newRow("start no number") << u"GHz"_s << u"3"_s << u"Invalid frequency."_s;
        QTest::newRow("start of 0") << u"0"_s << u"3"_s << u"Invalid frequency."_s;
        QTest::newRow("no points") << u"1"_s << u"0"_s << u"Invalid number of points."_s;
        // The list holds 4998 lines: three more would make 5001.
        QTest::newRow("beyond 5000")
            << u"1"_s << u"3"_s << u"Too many frequencies, maximum is 5000."_s;
    }
    void refusesWhatNoListCanHold() {
        QFETCH(QString, start);
        QFETCH(QString, points);
        QFETCH(QString, message);
        testing::CapturedMessages messages;
        AddSweepDialog dialog(4998);
        Child<QLineEdit>(&dialog, "sweepStart")->setText(start);
        Child<QLineEdit>(&dialog, "sweepStop")->setText(u"2"_s);
        Child<QLineEdit>(&dialog, "sweepPoints")->setText(points);
        dialog.open();
        dialog.accept();
        QCOMPARE(testing::ErrorTexts(messages), QStringList{message});
        QVERIFY(dialog.isVisible());
        QVERIFY(dialog.frequenciesHz().empty());
    }

    void sweepsGoIntoTheSortedLists() {
        AddSweepDialog dialog(0);
        Child<QLineEdit>(&dialog, "sweepStart")->setText(u"-0.01"_s); // made positive
        Child<QLineEdit>(&dialog, "sweepStop")->setText(u"10"_s);
        Child<QLineEdit>(&dialog, "sweepPoints")->setText(u"4"_s);
        Child<QComboBox>(&dialog, "sweepSpacing")->setCurrentIndex(1); // logarithmic
        dialog.accept();
        QCOMPARE(dialog.result(), int(QDialog::Accepted));
        QCOMPARE(dialog.frequenciesHz().size(), std::size_t(4));

        ConfigInfo* config = CreateConfigInfo();
        QVERIFY(SetConfigNumFreqs(config, 1) && SetConfigFreq(config, 0, 0.5e9));
        FrequencyConfigDialog configDialog(config);
        configDialog.addSweepFrequencies(dialog.frequenciesHz());
        auto* list = Child<QListWidget>(&configDialog, "frequencies");
        QStringList lines;
        for (int i = 0; i < list->count(); ++i)
            lines << list->item(i)->text();
        QCOMPARE(lines, (QStringList{u"0.010000 GHz"_s, u"0.100000 GHz"_s, u"0.500000 GHz"_s,
                                     u"1.000000 GHz"_s, u"10.000000 GHz"_s}));
        QCOMPARE(DestroyConfigInfo(config), 1);

        testing::ModelPtr model = testing::QuietModel();
        ModelFrequencyDialog modelDialog(model.get());
        modelDialog.addSweepFrequencies(dialog.frequenciesHz());
        QCOMPARE(modelDialog.lines(),
                 (QStringList{u"0.010000 GHz"_s, u"0.100000 GHz"_s, u"1.000000 GHz"_s,
                              u"1.500000 GHz"_s, u"10.000000 GHz"_s}));
    }
};

QTEST_MAIN(AddSweepDialogTest)
#include "add_sweep_dialog_test.moc"
