// The term sheets: caption, pages in tab order, the page they open at, pages made when shown,
// "OK" and "Apply" writing every page made, and "Copy" seen by the other pages of the sheet.

#include "model_editor_fixture.h"

#include "components/cable.h"
#include "components/cal_kit.h"
#include "components/vna.h"
#include "core/owned.h"
#include "support/captured_messages.h"
#include "support/record_fields.h"
#include "support/scoped_component_lists.h"
#include "ui/help/help.h"
#include "ui/model/term_sheet.h"
#include "ui/model/value_table_page.h"

#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTabWidget>
#include <QTest>

using namespace tolvane;
using namespace tolvane::testing;

namespace {

QStringList TabTitles(const TermSheet& sheet) {
    QStringList titles;
    for (int i = 0; i < sheet.tabs()->count(); ++i)
        titles << sheet.tabs()->tabText(i);
    return titles;
}

void AddLine(ValueTablePage* page, const QString& abscissa, const QString& value) {
    page->abscissaEdit()->setText(abscissa);
    page->valueEdit()->setText(value);
    page->addLine();
}

} // namespace

class TermSheetTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void captionPagesAndStartPage_data() {
        QTest::addColumn<int>("term");
        QTest::addColumn<QString>("caption");
        QTest::addColumn<QStringList>("tabs");
        QTest::addColumn<int>("startIndex");
        QTest::addColumn<int>("helpContext");
        const QString calibration = QStringLiteral("Calibration Residual Uncertainty");
        const QStringList calibrationTabs{
            QStringLiteral("Directivity"),           QStringLiteral("Source Match"),
            QStringLiteral("Reflection Tracking"),   QStringLiteral("Load Match"),
            QStringLiteral("Transmission Tracking"), QStringLiteral("Crosstalk")};
        const QStringList driftTabs{QStringLiteral("Magnitude Drift"),
                                    QStringLiteral("Phase Drift")};
        const QStringList connectorTabs{QStringLiteral("Reflection"),
                                        QStringLiteral("Transmission")};
        const QStringList testsetTabs{QStringLiteral("Source Uncertainty"),
                                      QStringLiteral("Receiver Uncertainty"),
                                      QStringLiteral("Receiver Noise")};
        QTest::newRow("CDr") << int(kTermDirectivity) << calibration << calibrationTabs << 0 << 14;
        QTest::newRow("CSm") << int(kTermSourceMatch) << calibration << calibrationTabs << 1 << 14;
        QTest::newRow("CRt") << int(kTermReflectionTracking) << calibration << calibrationTabs << 2
                             << 14;
        QTest::newRow("CLm") << int(kTermLoadMatch) << calibration << calibrationTabs << 3 << 14;
        QTest::newRow("CTt") << int(kTermTransmissionTracking) << calibration << calibrationTabs
                             << 4 << 14;
        QTest::newRow("CXt") << int(kTermCrosstalk) << calibration << calibrationTabs << 5 << 14;
        QTest::newRow("DCb1Tm") << int(kTermCable1MagnitudeDrift) << QStringLiteral("Cable 1 Drift")
                                << driftTabs << 0 << 13;
        QTest::newRow("DCb2Tm") << int(kTermCable2MagnitudeDrift) << QStringLiteral("Cable 2 Drift")
                                << driftTabs << 0 << 13;
        QTest::newRow("RCn1Rm") << int(kTermConnector1Reflection)
                                << QStringLiteral("Connector 1 Repeatability") << connectorTabs << 0
                                << 15;
        QTest::newRow("1+RCn1Tm") << int(kTermConnector1Transmission)
                                  << QStringLiteral("Connector 1 Repeatability") << connectorTabs
                                  << 1 << 15;
        QTest::newRow("RCn2Rm") << int(kTermConnector2Reflection)
                                << QStringLiteral("Connector 2 Repeatability") << connectorTabs << 0
                                << 15;
        QTest::newRow("1+RCn2Tm") << int(kTermConnector2Transmission)
                                  << QStringLiteral("Connector 2 Repeatability") << connectorTabs
                                  << 1 << 15;
        QTest::newRow("SSr") << int(kTermSourceUncertainty) << QStringLiteral("Testset")
                             << testsetTabs << 0 << 17;
        QTest::newRow("SRc") << int(kTermReceiverUncertainty) << QStringLiteral("Testset")
                             << testsetTabs << 1 << 17;
        QTest::newRow("NRc") << int(kTermReceiverNoise) << QStringLiteral("Testset") << testsetTabs
                             << 2 << 17;
    }

    void captionPagesAndStartPage() {
        QFETCH(int, term);
        QFETCH(QString, caption);
        QFETCH(QStringList, tabs);
        QFETCH(int, startIndex);
        QFETCH(int, helpContext);
        Owned<ModelInfo> model = EmptyModel();
        TermSheet sheet(term, model.get(), nullptr);
        QCOMPARE(sheet.windowTitle(), caption);
        QCOMPARE(TabTitles(sheet), tabs);
        QCOMPARE(sheet.currentIndex(), startIndex);
        QCOMPARE(sheet.currentPage()->term(), term);
        QCOMPARE(sheet.helpContext(), helpContext);
        QVERIFY(sheet.isModal());
        // Only the page opened at has been made.
        for (int i = 0; i < tabs.size(); ++i)
            QCOMPARE(sheet.page(i) != nullptr, i == startIndex);
        const QStringList buttons{QStringLiteral("OK"), QStringLiteral("Cancel"),
                                  QStringLiteral("Apply"), QStringLiteral("Help")};
        for (const QString& text : buttons) {
            bool found = false;
            for (const QPushButton* button : sheet.findChildren<QPushButton*>())
                found = found || button->text().remove(QLatin1Char('&')) == text;
            QVERIFY2(found, qPrintable(text));
        }
    }

    void okWritesEveryPageShownAndOnlyThose() {
        Owned<ModelInfo> model = EmptyModel();
        QVERIFY(Fill(model->vna->ssr, {{1e9, 0.1f}}));
        QVERIFY(Fill(model->vna->src, {{0.0, 0.2f}}));
        QVERIFY(Fill(model->vna->nrc, {{1e9, 100.0f}}));
        TermSheet sheet(kTermReceiverNoise, model.get(), nullptr);
        AddLine(sheet.currentPage(), QStringLiteral("2"), QStringLiteral("95"));
        sheet.tabs()->setCurrentIndex(0);
        QVERIFY(sheet.page(0) != nullptr);
        AddLine(sheet.page(0), QStringLiteral("2"), QStringLiteral("0.2"));
        // A source table changed behind the sheet's back after its page was made is written over
        // by the page; the receiver-uncertainty page was never shown and writes nothing.
        QVERIFY(Fill(model->vna->src, {{-10.0, 0.3f}}));
        sheet.accept();
        QCOMPARE(sheet.result(), int(QDialog::Accepted));
        QVERIFY(PairsOf(model->vna->nrc) == (Pairs{{1e9, 100.0f}, {2e9, 95.0f}}));
        QVERIFY(PairsOf(model->vna->ssr) == (Pairs{{1e9, 0.1f}, {2e9, 0.2f}}));
        QVERIFY(PairsOf(model->vna->src) == (Pairs{{-10.0, 0.3f}}));
    }

    void cancelWritesNothing() {
        Owned<ModelInfo> model = EmptyModel();
        QVERIFY(Fill(model->calKit->CLm, {{1e9, 40.0f}}));
        TermSheet sheet(kTermLoadMatch, model.get(), nullptr);
        AddLine(sheet.currentPage(), QStringLiteral("3"), QStringLiteral("38"));
        sheet.reject();
        QVERIFY(PairsOf(model->calKit->CLm) == (Pairs{{1e9, 40.0f}}));
    }

    void applyWritesAndStaysOpen() {
        Owned<ModelInfo> model = EmptyModel();
        TermSheet sheet(kTermCable2MagnitudeDrift, model.get(), nullptr);
        sheet.show();
        QVERIFY(!sheet.applyButton()->isEnabled());
        AddLine(sheet.currentPage(), QStringLiteral("1"), QStringLiteral("0.01"));
        QVERIFY(sheet.applyButton()->isEnabled());
        QTest::mouseClick(sheet.applyButton(), Qt::LeftButton);
        QVERIFY(sheet.isVisible());
        QVERIFY(!sheet.applyButton()->isEnabled());
        QVERIFY(PairsOf(model->cable2->DCbTm) == (Pairs{{1e9, 0.01f}}));
        QCOMPARE(model->cable1->DCbTm->numPairs, 0);
    }

    // A page refused part way (a damaged model: its reflection-tracking table is missing) puts
    // back the pages written before it, and "OK" keeps the sheet open.
    void aRefusedPageWritesNothing() {
        CapturedMessages messages;
        Owned<ModelInfo> model = EmptyModel();
        QVERIFY(Fill(model->calKit->CDr, {{1e9, 40.0f}}));
        model->calKit->CRt.reset();
        const std::vector<std::string> before = RecordFields(*model);
        TermSheet sheet(kTermDirectivity, model.get(), nullptr);
        AddLine(sheet.page(0), QStringLiteral("2"), QStringLiteral("41"));
        for (int tab : {1, 2})
            sheet.tabs()->setCurrentIndex(tab);
        AddLine(sheet.page(1), QStringLiteral("1"), QStringLiteral("35"));
        messages.clear();
        QVERIFY(!sheet.apply());
        QCOMPARE(messages.errors(), std::vector<std::string>{"SetFVParam: NULL info pointer."});
        QCOMPARE(FirstDifference(before, RecordFields(*model)), std::string());
        sheet.accept();
        QCOMPARE(sheet.result(), int(QDialog::Rejected));
    }

    // "Cancel" undoes a "Copy" (which replaced the whole record at once) and every edit: the
    // model is field by field as before, the VNA's list of IF bandwidths included.
    void cancelUndoesCopyAndEdits() {
        ScopedComponentLists lists;
        CalInfo* kit = lists.addCalKit("Kit A", "Type N");
        QVERIFY(Fill(kit->CXt, {{1e9, 120.0f}}));
        VNAInfo* vna = lists.addVNA("VNA X");
        QVERIFY(Fill(vna->nrc, {{1e9, 110.0f}}) && Fill(vna->src, {{0.0, 0.1f}}) &&
                AddVNAIFBW(vna, 10.0f));
        Owned<ConfigInfo> config(CreateConfigInfo());
        QVERIFY(SetConfigCalName(config.get(), "Kit A") && SetConfigVNAName(config.get(), "VNA X"));
        Owned<ModelInfo> model = EmptyModel();
        QVERIFY(Fill(model->calKit->CXt, {{2e9, 90.0f}}) && AddVNAIFBW(model->vna, 100.0f));
        const std::vector<std::string> before = RecordFields(*model);
        for (int term : {kTermCrosstalk, kTermReceiverNoise}) {
            TermSheet sheet(term, model.get(), config.get());
            sheet.currentPage()->copyFromConfiguration();
            AddLine(sheet.currentPage(), QStringLiteral("3"), QStringLiteral("80"));
            QVERIFY(FirstDifference(before, RecordFields(*model)) != std::string());
            sheet.reject();
            QCOMPARE(FirstDifference(before, RecordFields(*model)), std::string());
        }
    }

    // "Copy" on the Crosstalk page replaces the whole calibration kit of the model; a page of the
    // sheet made before shows the copy too, so that "OK" leaves all six copied terms in place.
    void copyReplacesAllSixCalibrationTerms() {
        ScopedComponentLists lists;
        CalInfo* kit = lists.addCalKit("Kit A", "Type N");
        QVERIFY(Fill(kit->CDr, {{1e9, 46.0f}}));
        QVERIFY(Fill(kit->CSm, {{1e9, 41.0f}}));
        QVERIFY(Fill(kit->CRt, {{1e9, 0.03f}}));
        QVERIFY(Fill(kit->CXt, {{1e9, 120.0f}}));
        QVERIFY(Fill(kit->CLm, {{1e9, 42.0f}}));
        QVERIFY(Fill(kit->CTt, {{1e9, 0.04f}}));
        Owned<ConfigInfo> config(CreateConfigInfo());
        QVERIFY(SetConfigCalName(config.get(), "Kit A") == 1);
        Owned<ModelInfo> model = EmptyModel();
        QVERIFY(Fill(model->calKit->CDr, {{1e9, 30.0f}}));

        TermSheet sheet(kTermDirectivity, model.get(), config.get());
        QCOMPARE(sheet.page(0)->lines(), QStringList{QStringLiteral("1.000000 GHz = 30.0 dB")});
        sheet.tabs()->setCurrentIndex(5);
        QCOMPARE(sheet.currentPage()->term(), int(kTermCrosstalk));
        QTest::mouseClick(sheet.currentPage()->copyButton(), Qt::LeftButton);
        QCOMPARE(sheet.page(0)->lines(), QStringList{QStringLiteral("1.000000 GHz = 46.0 dB")});
        QVERIFY(sheet.applyButton()->isEnabled());
        sheet.accept();

        const std::pair<const FVInfo*, const FVInfo*> terms[] = {
            {model->calKit->CDr, kit->CDr}, {model->calKit->CSm, kit->CSm},
            {model->calKit->CRt, kit->CRt}, {model->calKit->CXt, kit->CXt},
            {model->calKit->CLm, kit->CLm}, {model->calKit->CTt, kit->CTt}};
        for (const auto& [inModel, inKit] : terms)
            QVERIFY(PairsOf(inModel) == PairsOf(inKit));
    }
};

QTEST_MAIN(TermSheetTest)
#include "term_sheet_test.moc"
