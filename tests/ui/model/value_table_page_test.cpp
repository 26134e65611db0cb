// One page of a term sheet: what it shows of its term, "Add", "Delete", the interpolation
// buttons, the write-back into the model and "Copy values from current configuration".

#include "model_editor_fixture.h"

#include "components/cable.h"
#include "components/cal_kit.h"
#include "components/connector.h"
#include "components/vna.h"
#include "core/owned.h"
#include "support/captured_messages.h"
#include "support/scoped_component_lists.h"
#include "ui/model/value_table_page.h"

#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalSpy>
#include <QTest>

using namespace tolvane;
using namespace tolvane::testing;

namespace {

// The term's own table in the model.
FVInfo* FrequencyTable(ModelInfo* model, int term) {
    switch (term) {
    case kTermDirectivity:
        return model->calKit->CDr;
    case kTermReflectionTracking:
        return model->calKit->CRt;
    case kTermCrosstalk:
        return model->calKit->CXt;
    case kTermCable1PhaseDrift:
        return model->cable1->DCbTp;
    case kTermConnector2Transmission:
        return model->connector2->RCnTm;
    case kTermReceiverNoise:
        return model->vna->nrc;
    default:
        return nullptr;
    }
}

void Type(ValueTablePage& page, const QString& abscissa, const QString& value) {
    page.abscissaEdit()->setText(abscissa);
    page.valueEdit()->setText(value);
    QTest::mouseClick(page.addButton(), Qt::LeftButton);
}

} // namespace

class ValueTablePageTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void showsPairsInTheTermsFormat_data() {
        QTest::addColumn<int>("term");
        QTest::addColumn<QStringList>("lines");
        QTest::addColumn<QString>("valueLabel");
        // The table holds 2 GHz = -40.25 and 1 GHz = 35.5: shown as magnitudes, sorted.
        QTest::newRow("Directivity") << int(kTermDirectivity)
                                     << QStringList{QStringLiteral("1.000000 GHz = 35.5 dB"),
                                                    QStringLiteral("2.000000 GHz = 40.2 dB")}
                                     << QStringLiteral("Value (dB)");
        QTest::newRow("Reflection Tracking")
            << int(kTermReflectionTracking)
            << QStringList{QStringLiteral("1.000000 GHz = 35.500 dB"),
                           QStringLiteral("2.000000 GHz = 40.250 dB")}
            << QStringLiteral("Value (dB)");
        QTest::newRow("Phase Drift") << int(kTermCable1PhaseDrift)
                                     << QStringList{QStringLiteral("1.000000 GHz = 35.5 degrees"),
                                                    QStringLiteral("2.000000 GHz = 40.2 degrees")}
                                     << QStringLiteral("Value (degrees)");
        QTest::newRow("Transmission (connector 2)")
            << int(kTermConnector2Transmission)
            << QStringList{QStringLiteral("1.000000 GHz = 35.5 dB"),
                           QStringLiteral("2.000000 GHz = 40.2 dB")}
            << QStringLiteral("Value (dB)");
        QTest::newRow("Receiver Noise") << int(kTermReceiverNoise)
                                        << QStringList{QStringLiteral("1.000000 GHz = 35.5 dBm"),
                                                       QStringLiteral("2.000000 GHz = 40.2 dBm")}
                                        << QStringLiteral("Value (dBm)");
    }

    void showsPairsInTheTermsFormat() {
        QFETCH(int, term);
        QFETCH(QStringList, lines);
        QFETCH(QString, valueLabel);
        Owned<ModelInfo> model = EmptyModel();
        QVERIFY(Fill(FrequencyTable(model.get(), term), {{2e9, -40.25f}, {1e9, 35.5f}}));
        ValueTablePage page(term, model.get(), nullptr);
        QCOMPARE(page.lines(), lines);
        QCOMPARE(page.valueLabel()->text(), valueLabel);
    }

    void powerPageShowsSignedPowersSorted() {
        Owned<ModelInfo> model = EmptyModel();
        QVERIFY(Fill(model->vna->src, {{0.0, 0.05f}, {-20.0, -0.125f}, {10.0, 0.3f}}));
        ValueTablePage page(kTermReceiverUncertainty, model.get(), nullptr);
        QCOMPARE(page.lines(), (QStringList{QStringLiteral("-20.0 dBm = 0.125 dB"),
                                            QStringLiteral("0.0 dBm = 0.050 dB"),
                                            QStringLiteral("10.0 dBm = 0.300 dB")}));

        // A power typed as -30 keeps its sign and goes first.
        Type(page, QStringLiteral("-30"), QStringLiteral("-0.5"));
        QCOMPARE(page.lines().first(), QStringLiteral("-30.0 dBm = 0.500 dB"));
    }

    void interpolationButtons_data() {
        QTest::addColumn<int>("term");
        QTest::addColumn<int>("storedType");
        QTest::addColumn<int>("shownType");
        QTest::addColumn<bool>("noteShown");
        QTest::newRow("frequency, linear") << int(kTermDirectivity) << 1 << 1 << false;
        QTest::newRow("frequency, step") << int(kTermDirectivity) << 2 << 2 << false;
        QTest::newRow("frequency, smooth fit") << int(kTermDirectivity) << 3 << 0 << true;
        QTest::newRow("power, linear") << int(kTermReceiverUncertainty) << 1 << 1 << false;
        QTest::newRow("power, smooth fit") << int(kTermReceiverUncertainty) << 3 << 3 << false;
        QTest::newRow("power, step") << int(kTermReceiverUncertainty) << 2 << 2 << false;
        // A power table is created without a type; anything but 1 and 3 shows as step.
        QTest::newRow("power, no type") << int(kTermReceiverUncertainty) << 0 << 2 << false;
    }

    void interpolationButtons() {
        QFETCH(int, term);
        QFETCH(int, storedType);
        QFETCH(int, shownType);
        QFETCH(bool, noteShown);
        Owned<ModelInfo> model = EmptyModel();
        if (term == kTermReceiverUncertainty)
            model->vna->src->interpType = storedType;
        else
            model->calKit->CDr->interpType = storedType;
        ValueTablePage page(term, model.get(), nullptr);
        QCOMPARE(page.checkedInterpolation(), shownType);
        QCOMPARE(page.smoothFitNote()->isVisibleTo(&page), noteShown);
    }

    void buttonTexts() {
        Owned<ModelInfo> model = EmptyModel();
        ValueTablePage frequency(kTermDirectivity, model.get(), nullptr);
        QCOMPARE(frequency.interpolationButton(1)->text(), QStringLiteral("Linear"));
        QCOMPARE(frequency.interpolationButton(2)->text(), QStringLiteral("Step"));
        QVERIFY(frequency.interpolationButton(3) == nullptr);
        QCOMPARE(frequency.copyButton()->text(),
                 QStringLiteral("Copy values from current configuration"));

        ValueTablePage power(kTermReceiverUncertainty, model.get(), nullptr);
        QCOMPARE(power.interpolationButton(3)->text(), QStringLiteral("Smooth Fit"));
        QStringList order;
        for (auto* button : power.findChildren<QRadioButton*>())
            order << button->text();
        QCOMPARE(order, (QStringList{QStringLiteral("Linear"), QStringLiteral("Smooth Fit"),
                                     QStringLiteral("Step")}));
    }

    void addTakesMagnitudesAndSorts() {
        CapturedMessages messages;
        Owned<ModelInfo> model = EmptyModel();
        QVERIFY(Fill(model->calKit->CDr, {{1e9, 40.0f}, {5e9, 30.0f}}));
        ValueTablePage page(kTermDirectivity, model.get(), nullptr);
        QSignalSpy changed(&page, &ValueTablePage::changed);

        Type(page, QStringLiteral("-3"), QStringLiteral("-0.5"));
        QCOMPARE(page.lines(), (QStringList{QStringLiteral("1.000000 GHz = 40.0 dB"),
                                            QStringLiteral("3.000000 GHz = 0.5 dB"),
                                            QStringLiteral("5.000000 GHz = 30.0 dB")}));
        QCOMPARE(changed.count(), 1);
        QVERIFY(messages.all().empty());
    }

    void addRefusesWhatIsNoNumber_data() {
        QTest::addColumn<int>("term");
        QTest::addColumn<QString>("abscissa");
        QTest::addColumn<QString>("value");
        QTest::addColumn<QString>("message");
        QTest::newRow("frequency text")
            << int(kTermDirectivity) << QStringLiteral("abc") << QStringLiteral("1")
            << QStringLiteral("Invalid frequency.");
        QTest::newRow("frequency empty")
            << int(kTermDirectivity) << QString() << QStringLiteral("1")
            << QStringLiteral("Invalid frequency.");
        QTest::newRow("frequency too large for Hz")
            << int(kTermDirectivity) << QStringLiteral("1e300") << QStringLiteral("1")
            << QStringLiteral("Invalid frequency.");
        QTest::newRow("value text") << int(kTermDirectivity) << QStringLiteral("2")
                                    << QStringLiteral("x") << QStringLiteral("Invalid value.");
        QTest::newRow("value nan") << int(kTermDirectivity) << QStringLiteral("2")
                                   << QStringLiteral("nan") << QStringLiteral("Invalid value.");
        QTest::newRow("power text") << int(kTermReceiverUncertainty) << QStringLiteral("dBm")
                                    << QStringLiteral("1") << QStringLiteral("Invalid power.");
        QTest::newRow("power infinite") << int(kTermReceiverUncertainty) << QStringLiteral("inf")
                                        << QStringLiteral("1") << QStringLiteral("Invalid power.");
        QTest::newRow("power page value")
            << int(kTermReceiverUncertainty) << QStringLiteral("0") << QStringLiteral("-")
            << QStringLiteral("Invalid value.");
    }

    void addRefusesWhatIsNoNumber() {
        QFETCH(int, term);
        QFETCH(QString, abscissa);
        QFETCH(QString, value);
        QFETCH(QString, message);
        CapturedMessages messages;
        Owned<ModelInfo> model = EmptyModel();
        ValueTablePage page(term, model.get(), nullptr);
        QSignalSpy changed(&page, &ValueTablePage::changed);
        Type(page, abscissa, value);
        QVERIFY(page.lines().isEmpty());
        QCOMPARE(changed.count(), 0);
        QCOMPARE(messages.errors(), std::vector<std::string>{message.toStdString()});
    }

    void deleteRemovesTheSelectedLineOnly() {
        Owned<ModelInfo> model = EmptyModel();
        QVERIFY(Fill(model->calKit->CDr, {{1e9, 40.0f}, {2e9, 35.0f}, {3e9, 30.0f}}));
        ValueTablePage page(kTermDirectivity, model.get(), nullptr);
        QSignalSpy changed(&page, &ValueTablePage::changed);

        QTest::mouseClick(page.deleteButton(), Qt::LeftButton);
        QCOMPARE(page.lines().size(), 3);
        QCOMPARE(changed.count(), 0);

        page.list()->setCurrentRow(1);
        QTest::mouseClick(page.deleteButton(), Qt::LeftButton);
        QCOMPARE(page.lines(), (QStringList{QStringLiteral("1.000000 GHz = 40.0 dB"),
                                            QStringLiteral("3.000000 GHz = 30.0 dB")}));
        QCOMPARE(changed.count(), 1);
    }

    void writeBackStoresTheListExactly() {
        Owned<ModelInfo> model = EmptyModel();
        QVERIFY(Fill(model->calKit->CDr, {{2e9, -40.25f}, {1e9, 35.55f}}, INTERP_LINEAR));
        ValueTablePage page(kTermDirectivity, model.get(), nullptr);
        Type(page, QStringLiteral("1.23456789"), QStringLiteral("-33.333"));
        page.interpolationButton(INTERP_STEP)->click();
        QVERIFY(page.writeBack());

        // The lines show one decimal, the table keeps what was read and what was typed: the
        // stored pairs are made magnitudes and put in frequency order.
        const Pairs expected{{1e9, 35.55f}, {1.23456789e9, 33.333f}, {2e9, 40.25f}};
        QVERIFY(PairsOf(model->calKit->CDr) == expected);
        QCOMPARE(model->calKit->CDr->interpType, int(INTERP_STEP));
    }

    // Lines that read the same (frequencies less than a kilohertz apart, powers less than
    // 0.05 dBm apart) still go into the table in ascending order, as its lookup needs.
    void linesThatReadTheSameAreOrderedByTheirPairs() {
        Owned<ModelInfo> model = EmptyModel();
        ValueTablePage frequencyPage(kTermDirectivity, model.get(), nullptr);
        Type(frequencyPage, QStringLiteral("1.0000004"), QStringLiteral("10"));
        Type(frequencyPage, QStringLiteral("1.0000001"), QStringLiteral("50"));
        QCOMPARE(frequencyPage.lines(), (QStringList{QStringLiteral("1.000000 GHz = 50.0 dB"),
                                                     QStringLiteral("1.000000 GHz = 10.0 dB")}));
        QVERIFY(frequencyPage.writeBack());
        QVERIFY(PairsOf(model->calKit->CDr) ==
                (Pairs{{1.0000001 * 1e9, 50.0f}, {1.0000004 * 1e9, 10.0f}}));

        ValueTablePage powerPage(kTermReceiverUncertainty, model.get(), nullptr);
        Type(powerPage, QStringLiteral("-20.01"), QStringLiteral("0.1"));
        Type(powerPage, QStringLiteral("-20.04"), QStringLiteral("0.2"));
        QVERIFY(powerPage.writeBack());
        QVERIFY(PairsOf(model->vna->src) == (Pairs{{-20.04f, 0.2f}, {-20.01f, 0.1f}}));
    }

    void writeBackOfAPowerTable() {
        Owned<ModelInfo> model = EmptyModel();
        ValueTablePage page(kTermReceiverUncertainty, model.get(), nullptr);
        Type(page, QStringLiteral("5"), QStringLiteral("0.2"));
        Type(page, QStringLiteral("-20"), QStringLiteral("-0.1"));
        page.interpolationButton(INTERP_SMOOTH_FIT)->click();
        QVERIFY(page.writeBack());
        QVERIFY(PairsOf(model->vna->src) == (Pairs{{-20.0, 0.1f}, {5.0, 0.2f}}));
        QCOMPARE(model->vna->src->interpType, int(INTERP_SMOOTH_FIT));
    }

    void writeBackOfSmoothFitFrequencyTableIsLinear() {
        Owned<ModelInfo> model = EmptyModel();
        QVERIFY(Fill(model->calKit->CXt, {{1e9, 100.0f}}, INTERP_SMOOTH_FIT));
        ValueTablePage page(kTermCrosstalk, model.get(), nullptr);
        QVERIFY(page.writeBack());
        QCOMPARE(model->calKit->CXt->interpType, int(INTERP_LINEAR));
        QVERIFY(PairsOf(model->calKit->CXt) == (Pairs{{1e9, 100.0f}}));
    }

    void writeBackOfAnEmptiedList() {
        Owned<ModelInfo> model = EmptyModel();
        QVERIFY(Fill(model->calKit->CDr, {{1e9, 40.0f}}));
        ValueTablePage page(kTermDirectivity, model.get(), nullptr);
        page.list()->setCurrentRow(0);
        page.deleteSelectedLine();
        QVERIFY(page.writeBack());
        QCOMPARE(model->calKit->CDr->numPairs, 0);
    }

    void writeBackStopsAtARefusal() {
        CapturedMessages messages;
        Owned<ModelInfo> model = EmptyModel();
        // A record whose table could not be created has none to write into.
        model->connector1->RCnRm.reset();
        ValueTablePage page(kTermConnector1Reflection, model.get(), nullptr);
        QCOMPARE(messages.errors(), std::vector<std::string>{"GetFVParam: NULL info pointer."});
        messages.clear();
        Type(page, QStringLiteral("1"), QStringLiteral("60"));
        QVERIFY(!page.writeBack());
        QCOMPARE(messages.errors(), std::vector<std::string>{"SetFVParam: NULL info pointer."});
    }

    void copyTakesTheConfigurationsComponents() {
        CapturedMessages messages;
        ScopedComponentLists lists;
        CalInfo* kit = lists.addCalKit("Kit A", "Type N");
        const FVInfo* kitTables[] = {kit->CDr, kit->CSm, kit->CRt, kit->CXt, kit->CLm, kit->CTt};
        QVERIFY(Fill(kit->CDr, {{1e9, 41.0f}, {9e9, 36.0f}}));
        QVERIFY(Fill(kit->CSm, {{1e9, 42.0f}}));
        QVERIFY(Fill(kit->CRt, {{1e9, 0.01f}}, INTERP_STEP));
        QVERIFY(Fill(kit->CXt, {{1e9, 110.0f}}));
        QVERIFY(Fill(kit->CLm, {{1e9, 43.0f}}));
        QVERIFY(Fill(kit->CTt, {{1e9, 0.02f}}));
        Owned<ConfigInfo> config(CreateConfigInfo());
        QVERIFY(SetConfigCalName(config.get(), "Kit A") == 1);
        Owned<ModelInfo> model = EmptyModel();

        ValueTablePage page(kTermCrosstalk, model.get(), config.get());
        QSignalSpy copied(&page, &ValueTablePage::componentCopied);
        QTest::mouseClick(page.copyButton(), Qt::LeftButton);
        QCOMPARE(page.lines(), QStringList{QStringLiteral("1.000000 GHz = 110.0 dB")});
        const FVInfo* modelTables[] = {model->calKit->CDr, model->calKit->CSm, model->calKit->CRt,
                                       model->calKit->CXt, model->calKit->CLm, model->calKit->CTt};
        for (int i = 0; i < 6; ++i) {
            QVERIFY(PairsOf(modelTables[i]) == PairsOf(kitTables[i]));
            QCOMPARE(modelTables[i]->interpType, kitTables[i]->interpType);
        }
        QCOMPARE(copied.count(), 1);
        QCOMPARE(copied.at(0).at(0).toInt(), int(kModelCalKit));
        QVERIFY(messages.all().empty());
    }

    void copyOfAnUnknownKitLeavesTheModel() {
        CapturedMessages messages;
        ScopedComponentLists lists;
        Owned<ConfigInfo> config(CreateConfigInfo());
        QVERIFY(SetConfigCalName(config.get(), "No Such Kit") == 1);
        Owned<ModelInfo> model = EmptyModel();
        QVERIFY(Fill(model->calKit->CDr, {{1e9, 40.0f}}));
        ValueTablePage page(kTermDirectivity, model.get(), config.get());
        page.copyFromConfiguration();
        QVERIFY(PairsOf(model->calKit->CDr) == (Pairs{{1e9, 40.0f}}));
        QCOMPARE(page.lines(), QStringList{QStringLiteral("1.000000 GHz = 40.0 dB")});
        QCOMPARE(messages.errors(),
                 std::vector<std::string>{
                     "FindCalInfo: a calibration of the chosen type does not exist."});
    }

    void copyOfAConnectorTakesTheKitsConnector() {
        ScopedComponentLists lists;
        (void)lists.addCalKit("Kit A", "3.5 mm");
        ConnInfo* other = lists.addConnector("Type N");
        ConnInfo* connector = lists.addConnector("3.5 mm");
        QVERIFY(Fill(other->RCnRm, {{1e9, 50.0f}}));
        QVERIFY(Fill(connector->RCnRm, {{1e9, 60.0f}, {20e9, 55.0f}}));
        QVERIFY(Fill(connector->RCnTm, {{1e9, 65.0f}}));
        Owned<ConfigInfo> config(CreateConfigInfo());
        QVERIFY(SetConfigCalName(config.get(), "Kit A") == 1);
        Owned<ModelInfo> model = EmptyModel();

        ValueTablePage page(kTermConnector2Transmission, model.get(), config.get());
        page.copyFromConfiguration();
        QVERIFY(PairsOf(model->connector2->RCnRm) == PairsOf(connector->RCnRm));
        QVERIFY(PairsOf(model->connector2->RCnTm) == PairsOf(connector->RCnTm));
        QCOMPARE(model->connector1->RCnRm->numPairs, 0);
        QCOMPARE(page.lines(), QStringList{QStringLiteral("1.000000 GHz = 65.0 dB")});
    }

    void copyOfACableMakesItsDriftTables() {
        CapturedMessages messages;
        ScopedComponentLists lists;
        (void)lists.addDielectric("PTFE", 0.01f, 0.5f);
        Owned<ConfigInfo> config(CreateConfigInfo());
        QVERIFY(SetConfigDielName(config.get(), 1, "PTFE") == 1);
        QVERIFY(SetConfigCableLength(config.get(), 1, 2.0f) == 1);
        QVERIFY(SetConfigTempVar(config.get(), 3.0f) == 1);
        QVERIFY(SetConfigNumFreqs(config.get(), 2) == 1);
        QVERIFY(SetConfigFreq(config.get(), 0, 1e9) == 1);
        QVERIFY(SetConfigFreq(config.get(), 1, 18e9) == 1);
        Owned<ModelInfo> model = EmptyModel();

        ValueTablePage page(kTermCable1PhaseDrift, model.get(), config.get());
        page.copyFromConfiguration();
        // length × coefficient × temperature variation × f / 1 GHz, at 0 and 18 GHz.
        QCOMPARE(page.lines(), (QStringList{QStringLiteral("0.000000 GHz = 0.0 degrees"),
                                            QStringLiteral("18.000000 GHz = 54.0 degrees")}));
        const Pairs magnitude = PairsOf(model->cable1->DCbTm);
        QCOMPARE(magnitude.size(), std::size_t(2));
        QCOMPARE(magnitude[1].first, 18e9);
        QVERIFY(qFuzzyCompare(magnitude[1].second, 1.08f));
        QCOMPARE(model->cable1->lengthM, 2.0f);
        QCOMPARE(model->cable1->tempVarC, 3.0f);
        QCOMPARE(model->cable2->DCbTm->numPairs, 0);
        QVERIFY(messages.all().empty());

        // An unknown dielectric leaves the model's cable as it was.
        QVERIFY(SetConfigDielName(config.get(), 1, "Foam") == 1);
        QVERIFY(SetConfigCableLength(config.get(), 1, 5.0f) == 1);
        page.copyFromConfiguration();
        QCOMPARE(messages.errors(), std::vector<std::string>{"MakeCableFVs: unknown dielectric."});
        QCOMPARE(model->cable1->lengthM, 2.0f);
        QVERIFY(PairsOf(model->cable1->DCbTm) == magnitude);
        QCOMPARE(page.lines().size(), 2);
    }

    void copyOfTheTestsetTakesTheVNA() {
        ScopedComponentLists lists;
        VNAInfo* vna = lists.addVNA("VNA 26");
        QVERIFY(Fill(vna->ssr, {{1e9, 0.1f}}));
        QVERIFY(Fill(vna->src, {{-10.0, 0.05f}}, INTERP_SMOOTH_FIT));
        QVERIFY(Fill(vna->nrc, {{1e9, 110.0f}}));
        Owned<ConfigInfo> config(CreateConfigInfo());
        QVERIFY(SetConfigVNAName(config.get(), "VNA 26") == 1);
        Owned<ModelInfo> model = EmptyModel();

        ValueTablePage page(kTermReceiverUncertainty, model.get(), config.get());
        page.copyFromConfiguration();
        QCOMPARE(page.lines(), QStringList{QStringLiteral("-10.0 dBm = 0.050 dB")});
        QCOMPARE(page.checkedInterpolation(), int(INTERP_SMOOTH_FIT));
        QVERIFY(PairsOf(model->vna->ssr) == PairsOf(vna->ssr));
        QVERIFY(PairsOf(model->vna->nrc) == PairsOf(vna->nrc));
    }
};

QTEST_MAIN(ValueTablePageTest)
#include "value_table_page_test.moc"
