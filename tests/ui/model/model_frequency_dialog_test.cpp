// "Model Frequencies and Power": the sorted frequency list, "Add", "Delete" and the order in which
// "Accept" writes into the model.

#include "model_editor_fixture.h"

#include "support/captured_messages.h"
#include "support/record_fields.h"
#include "ui/model/model_frequency_dialog.h"

#include <QLineEdit>
#include <QListWidget>
#include <QTest>

using namespace tolvane;
using namespace tolvane::testing;

namespace {

ModelPtr ModelWith(const std::vector<double>& frequenciesHz, float powerDbm) {
    ModelPtr model = EmptyModel();
    SetFrequencies(model.get(), frequenciesHz);
    (void)SetModelPower(model.get(), powerDbm);
    return model;
}

std::vector<double> FrequenciesOf(const ModelInfo* model) {
    return {model->frequenciesHz.begin(), model->frequenciesHz.begin() + model->numFreqs};
}

} // namespace

class ModelFrequencyDialogTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void showsTheModelSorted() {
        ModelPtr model = ModelWith({5e9, 1e9, 2.5e9}, -12.5f);
        ModelFrequencyDialog dialog(model.get());
        QCOMPARE(dialog.windowTitle(), QStringLiteral("Model Frequencies and Power"));
        QCOMPARE(dialog.lines(),
                 (QStringList{QStringLiteral("1.000000 GHz"), QStringLiteral("2.500000 GHz"),
                              QStringLiteral("5.000000 GHz")}));
        QCOMPARE(dialog.powerEdit()->text(), QStringLiteral("-12.500"));
    }

    void addAndDelete() {
        CapturedMessages messages;
        ModelPtr model = ModelWith({1e9, 4e9}, 0.0f);
        ModelFrequencyDialog dialog(model.get());
        dialog.frequencyEdit()->setText(QStringLiteral("-2.5"));
        dialog.addFrequency();
        QCOMPARE(dialog.lines(),
                 (QStringList{QStringLiteral("1.000000 GHz"), QStringLiteral("2.500000 GHz"),
                              QStringLiteral("4.000000 GHz")}));
        for (const char* text : {"GHz", "", "1e300"}) {
            dialog.frequencyEdit()->setText(QString::fromLatin1(text));
            dialog.addFrequency();
        }
        QCOMPARE(messages.errors(), std::vector<std::string>(3, "Invalid frequency."));
        QCOMPARE(dialog.lines().size(), 3);

        dialog.deleteFrequency(); // nothing selected
        QCOMPARE(dialog.lines().size(), 3);
        dialog.list()->setCurrentRow(0);
        dialog.deleteFrequency();
        QCOMPARE(dialog.lines(),
                 (QStringList{QStringLiteral("2.500000 GHz"), QStringLiteral("4.000000 GHz")}));
    }

    // Frequencies less than a kilohertz apart read the same in the list but are still written
    // in ascending order: the computation takes the first as the lowest and the last as the
    // highest.
    void frequenciesThatReadTheSameAreWrittenInOrder() {
        CapturedMessages messages;
        ModelPtr model = ModelWith({1e9}, 0.0f);
        ModelFrequencyDialog dialog(model.get());
        dialog.frequencyEdit()->setText(QStringLiteral("1.0000004"));
        dialog.addFrequency();
        dialog.frequencyEdit()->setText(QStringLiteral("1.0000002"));
        dialog.addFrequency();
        QCOMPARE(dialog.lines(), QStringList(3, QStringLiteral("1.000000 GHz")));
        dialog.accept();
        QVERIFY(messages.all().empty());
        QVERIFY(FrequenciesOf(model.get()) ==
                (std::vector<double>{1e9, 1.0000002 * 1e9, 1.0000004 * 1e9}));
    }

    void acceptWritesFrequenciesExactlyThenThePower() {
        CapturedMessages messages;
        // A frequency finer than the list shows is written back as it was read.
        ModelPtr model = ModelWith({3.0000004e9, 1e9}, 0.0f);
        ModelFrequencyDialog dialog(model.get());
        dialog.frequencyEdit()->setText(QStringLiteral("2.1234567891"));
        dialog.addFrequency();
        dialog.powerEdit()->setText(QStringLiteral("-7.25"));
        dialog.open();
        dialog.accept();
        QCOMPARE(dialog.result(), int(QDialog::Accepted));
        QCOMPARE(FrequenciesOf(model.get()),
                 (std::vector<double>{1e9, 2.1234567891e9, 3.0000004e9}));
        QCOMPARE(model->powerDbm, -7.25f);
        QVERIFY(messages.all().empty());
    }

    void aPowerLeftAsShownKeepsEveryDigit() {
        CapturedMessages messages;
        ModelPtr model = ModelWith({1e9}, -7.12345f); // shows "-7.123"
        ModelFrequencyDialog dialog(model.get());
        dialog.open();
        dialog.accept();
        QCOMPARE(model->powerDbm, -7.12345f);
        QVERIFY(messages.all().empty());
    }

    void aRefusedCountStopsBeforeAnythingIsWritten() {
        CapturedMessages messages;
        ModelPtr model = ModelWith({1e9}, 3.0f);
        ModelFrequencyDialog dialog(model.get());
        dialog.list()->setCurrentRow(0);
        dialog.deleteFrequency();
        dialog.powerEdit()->setText(QStringLiteral("5"));
        dialog.open();
        dialog.accept();
        QVERIFY(dialog.isVisible());
        QCOMPARE(messages.errors(),
                 std::vector<std::string>{"SetModelParam: Invalid number of frequencies."});
        QCOMPARE(model->numFreqs, 1);
        QCOMPARE(model->powerDbm, 3.0f);
    }

    // A refused power writes nothing, not the frequencies before it either: "Cancel" then leaves
    // the model field by field as it was.
    void aBadPowerWritesNothing() {
        CapturedMessages messages;
        ModelPtr model = ModelWith({1e9}, 3.0f);
        const std::vector<std::string> before = RecordFields(*model);
        ModelFrequencyDialog dialog(model.get());
        dialog.frequencyEdit()->setText(QStringLiteral("2"));
        dialog.addFrequency();
        for (const char* power : {"dBm", "nan"}) {
            dialog.powerEdit()->setText(QString::fromLatin1(power));
            dialog.open();
            dialog.accept();
            QVERIFY(dialog.isVisible());
        }
        QCOMPARE(messages.errors(), std::vector<std::string>(2, "Invalid port power."));
        QCOMPARE(FirstDifference(before, RecordFields(*model)), std::string());
        dialog.reject();
        QCOMPARE(FirstDifference(before, RecordFields(*model)), std::string());
    }

    void enterInTheFrequencyFieldAdds() {
        ModelPtr model = ModelWith({1e9}, 3.0f);
        ModelFrequencyDialog dialog(model.get());
        dialog.open();
        QTest::keyClicks(dialog.frequencyEdit(), QStringLiteral("2"));
        QTest::keyClick(dialog.frequencyEdit(), Qt::Key_Return);
        QVERIFY(dialog.isVisible());
        QCOMPARE(dialog.lines(),
                 (QStringList{QStringLiteral("1.000000 GHz"), QStringLiteral("2.000000 GHz")}));
        QCOMPARE(model->numFreqs, 1);
    }
};

QTEST_MAIN(ModelFrequencyDialogTest)
#include "model_frequency_dialog_test.moc"
