// "Model IF Bandwidth and Averaging": the entries selected at opening and what "Accept" writes.

#include "model_editor_fixture.h"

#include "support/captured_messages.h"
#include "ui/model/model_ifbw_dialog.h"

#include <QComboBox>
#include <QTest>

using namespace tolvane;
using namespace tolvane::testing;

namespace {

QStringList Entries(const QComboBox* list) {
    QStringList entries;
    for (int i = 0; i < list->count(); ++i)
        entries << list->itemText(i);
    return entries;
}

} // namespace

class ModelIfbwDialogTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void nearestIFBandwidth_data() {
        QTest::addColumn<float>("bandwidthHz");
        QTest::addColumn<QString>("selected");
        QTest::newRow("550 is as near to 100 as to 1000") << 550.0f << QStringLiteral("100.0");
        QTest::newRow("560") << 560.0f << QStringLiteral("1000.0");
        QTest::newRow("5500 is as near to 1000 as to 10000") << 5500.0f << QStringLiteral("1000.0");
        QTest::newRow("55 is as near to 10 as to 100") << 55.0f << QStringLiteral("10.0");
        QTest::newRow("exact") << 10000.0f << QStringLiteral("10000.0");
        QTest::newRow("below all") << 0.0f << QStringLiteral("10.0");
        QTest::newRow("above all") << 1e6f << QStringLiteral("10000.0");
    }

    void nearestIFBandwidth() {
        QFETCH(float, bandwidthHz);
        QFETCH(QString, selected);
        ModelPtr model = EmptyModel();
        model->ifBandwidthHz = bandwidthHz;
        model->nrcIfBandwidthHz = bandwidthHz;
        ModelIfbwDialog dialog(model.get());
        QCOMPARE(dialog.ifBandwidth()->currentText(), selected);
        QCOMPARE(dialog.nrcIfBandwidth()->currentText(), selected);
    }

    void largestAveragingFactorNotAbove_data() {
        QTest::addColumn<int>("averages");
        QTest::addColumn<QString>("selected");
        QTest::newRow("100") << 100 << QStringLiteral("64");
        QTest::newRow("512") << 512 << QStringLiteral("512");
        QTest::newRow("1000") << 1000 << QStringLiteral("512");
        QTest::newRow("1") << 1 << QStringLiteral("1");
        QTest::newRow("0 selects none") << 0 << QString();
        QTest::newRow("-4 selects none") << -4 << QString();
    }

    void largestAveragingFactorNotAbove() {
        QFETCH(int, averages);
        QFETCH(QString, selected);
        ModelPtr model = EmptyModel();
        model->averages = averages;
        model->nrcAverages = averages;
        ModelIfbwDialog dialog(model.get());
        QCOMPARE(dialog.averages()->currentText(), selected);
        QCOMPARE(dialog.nrcAverages()->currentText(), selected);
    }

    void entriesAndCaption() {
        ModelPtr model = EmptyModel();
        ModelIfbwDialog dialog(model.get());
        QCOMPARE(dialog.windowTitle(), QStringLiteral("Model IF Bandwidth and Averaging"));
        QCOMPARE(Entries(dialog.ifBandwidth()),
                 (QStringList{QStringLiteral("10.0"), QStringLiteral("100.0"),
                              QStringLiteral("1000.0"), QStringLiteral("10000.0")}));
        QCOMPARE(Entries(dialog.averages()),
                 (QStringList{QStringLiteral("1"), QStringLiteral("2"), QStringLiteral("4"),
                              QStringLiteral("8"), QStringLiteral("16"), QStringLiteral("32"),
                              QStringLiteral("64"), QStringLiteral("128"), QStringLiteral("256"),
                              QStringLiteral("512")}));
    }

    void acceptWritesTheFourValues() {
        CapturedMessages messages;
        ModelPtr model = EmptyModel();
        model->averages = 8;
        model->nrcAverages = 0; // shows no selection and stays as it is
        ModelIfbwDialog dialog(model.get());
        dialog.ifBandwidth()->setCurrentText(QStringLiteral("10.0"));
        dialog.averages()->setCurrentText(QStringLiteral("256"));
        dialog.nrcIfBandwidth()->setCurrentText(QStringLiteral("10000.0"));
        dialog.open();
        dialog.accept();
        QCOMPARE(dialog.result(), int(QDialog::Accepted));
        QCOMPARE(model->ifBandwidthHz, 10.0f);
        QCOMPARE(model->averages, 256);
        QCOMPARE(model->nrcIfBandwidthHz, 10000.0f);
        QCOMPARE(model->nrcAverages, 0);
        QVERIFY(messages.all().empty());
    }

    void cancelWritesNothing() {
        ModelPtr model = EmptyModel();
        model->ifBandwidthHz = 1000.0f;
        ModelIfbwDialog dialog(model.get());
        dialog.ifBandwidth()->setCurrentText(QStringLiteral("10.0"));
        dialog.reject();
        QCOMPARE(model->ifBandwidthHz, 1000.0f);
    }
};

QTEST_MAIN(ModelIfbwDialogTest)
#include "model_ifbw_dialog_test.moc"
