// "Coverage Factors": what it shows, the one write of "Done" and that nothing else closes it.

#include "model_editor_fixture.h"

#include "components/dut.h"
#include "support/captured_messages.h"
#include "ui/configuration/coverage_factors_dialog.h"

#include <QLabel>
#include <QLineEdit>
#include <QTest>

#include <array>

using namespace tolvane;
using namespace tolvane::testing;

namespace {

QStringList FieldTexts(const CoverageFactorsDialog& dialog) {
    QStringList texts;
    for (int i = 0; i < 12; ++i)
        texts << dialog.field(i)->text();
    return texts;
}

} // namespace

class CoverageFactorsDialogTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void labelsInOrder() {
        CoverageFactorsDialog dialog(nullptr);
        QCOMPARE(dialog.windowTitle(), QStringLiteral("Coverage Factors"));
        QStringList labels;
        for (int i = 0; i < 12; ++i)
            for (const QLabel* candidate : dialog.findChildren<QLabel*>())
                if (candidate->buddy() == dialog.field(i)) labels << candidate->text();
        QCOMPARE(labels,
                 (QStringList{QStringLiteral("Directivity"), QStringLiteral("Source Match"),
                              QStringLiteral("Load Match"), QStringLiteral("Refelction Tracking"),
                              QStringLiteral("Transmission Tracking"), QStringLiteral("Crosstalk"),
                              QStringLiteral("Noise Floor"), QStringLiteral("Drift"),
                              QStringLiteral("Connector Repeatability"),
                              QStringLiteral("Source Uncertainty"),
                              QStringLiteral("Receiver Uncertainty"),
                              QStringLiteral("Coverage Factor (k)")}));
    }

    void withoutAConfigurationEveryFieldShowsFour() {
        CoverageFactorsDialog dialog(nullptr);
        QCOMPARE(FieldTexts(dialog), QStringList(12, QStringLiteral("4.0")));
        dialog.open();
        dialog.accept();
        QCOMPARE(dialog.result(), int(QDialog::Accepted));
    }

    void showsAndWritesTheConfigurationsFactors() {
        CapturedMessages messages;
        ConfigPtr config(CreateConfigInfo());
        QVERIFY(SetDUTCoverageFactors(config->dut, 1.0f, 1.5f, 2.0f, 2.25f, 3.0f, 3.5f, 4.0f, 4.5f,
                                      5.0f, 5.5f, 6.0f, 2.0f) == 1);
        CoverageFactorsDialog dialog(config.get());
        // 2.25 lies halfway between 2.2 and 2.3 and is shown as C's "%.1f" shows it.
        QCOMPARE(
            FieldTexts(dialog),
            (QStringList{QStringLiteral("1.0"), QStringLiteral("1.5"), QStringLiteral("2.0"),
                         QStringLiteral("2.2"), QStringLiteral("3.0"), QStringLiteral("3.5"),
                         QStringLiteral("4.0"), QStringLiteral("4.5"), QStringLiteral("5.0"),
                         QStringLiteral("5.5"), QStringLiteral("6.0"), QStringLiteral("2.0")}));
        for (int i = 0; i < 12; ++i)
            dialog.field(i)->setText(QString::number(i + 1) + QStringLiteral(".25"));
        dialog.open();
        dialog.accept();
        QCOMPARE(dialog.result(), int(QDialog::Accepted));
        std::array<float, 12> expected{};
        for (int i = 0; i < 12; ++i)
            expected[static_cast<std::size_t>(i)] = float(i + 1) + 0.25f;
        QVERIFY(config->dut->coverageFactors == expected);
        QVERIFY(messages.all().empty());
    }

    // "Done" is the only way out, so looking at the factors must not round them: the shipped
    // configuration's sqrt(3) = 1.732, shown as "1.7", stays 1.732. A field the user retypes,
    // even to the text it showed, takes the typed number.
    void factorsLeftAsShownKeepEveryDigit() {
        CapturedMessages messages;
        ConfigPtr config(CreateConfigInfo());
        QVERIFY(SetDUTCoverageFactors(config->dut, 1.732f, 1.732f, 1.732f, 1.732f, 1.732f, 1.732f,
                                      1.0f, 1.732f, 1.732f, 1.732f, 1.732f, 2.0f) == 1);
        CoverageFactorsDialog dialog(config.get());
        QCOMPARE(dialog.field(0)->text(), QStringLiteral("1.7"));
        dialog.show();
        QVERIFY(QTest::qWaitForWindowExposed(&dialog));
        dialog.field(1)->selectAll();
        QTest::keyClicks(dialog.field(1), QStringLiteral("1.7"));
        dialog.field(2)->setText(QStringLiteral("2.5"));
        dialog.accept();
        QCOMPARE(dialog.result(), int(QDialog::Accepted));
        const std::array<float, 12> expected = {1.732f, 1.7f,   2.5f,   1.732f, 1.732f, 1.732f,
                                                1.0f,   1.732f, 1.732f, 1.732f, 1.732f, 2.0f};
        QCOMPARE(config->dut->coverageFactors, expected);
        QVERIFY(messages.all().empty());
    }

    void aFieldThatIsNoNumberStopsDone() {
        CapturedMessages messages;
        ConfigPtr config(CreateConfigInfo());
        CoverageFactorsDialog dialog(config.get());
        dialog.field(0)->setText(QStringLiteral("2"));
        dialog.field(7)->setText(QStringLiteral("two"));
        dialog.open();
        dialog.accept();
        QVERIFY(dialog.isVisible());
        QCOMPARE(messages.errors(), std::vector<std::string>{"\"Drift\" is not a number."});
        QCOMPARE(config->dut->coverageFactors[0], 4.0f);
    }

    void onlyDoneCloses() {
        CoverageFactorsDialog dialog(nullptr);
        dialog.show();
        QVERIFY(QTest::qWaitForWindowExposed(&dialog));
        QTest::keyClick(&dialog, Qt::Key_Escape);
        QVERIFY(dialog.isVisible());
        dialog.close();
        QVERIFY(dialog.isVisible());
        QVERIFY(!(dialog.windowFlags() & Qt::WindowCloseButtonHint));
        QTest::keyClick(&dialog, Qt::Key_Return); // "Done" is the default button
        QVERIFY(!dialog.isVisible());
    }
};

QTEST_MAIN(CoverageFactorsDialogTest)
#include "coverage_factors_dialog_test.moc"
