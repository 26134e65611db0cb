// The "Uncertainty Model" dialog: what each branch of the graphs and each button opens, on which
// records, and "Compute Model" with the coverage factors edited in "Coverage Factors".

#include "model_editor_fixture.h"

#include "components/cal_kit.h"
#include "components/dut.h"
#include "engine/plot_info.h"
#include "engine/program_state.h"
#include "engine/uncertainty.h"
#include "support/captured_messages.h"
#include "ui/charts/result_presenter.h"
#include "ui/configuration/coverage_factors_dialog.h"
#include "ui/model/model_dialog.h"
#include "ui/model/signal_flow_graph.h"
#include "ui/model/term_sheet.h"
#include "ui/model/value_table_page.h"

#include <QApplication>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QMdiArea>
#include <QPushButton>
#include <QTabWidget>
#include <QTest>
#include <QTimer>

#include <cmath>
#include <functional>
#include <memory>

using namespace tolvane;
using namespace tolvane::testing;

Q_DECLARE_METATYPE(tolvane::GraphSide)

namespace {

// What a click opened: the caption of the modal dialog and, for a sheet, its tab shown.
struct Opened {
    QString caption;
    QString tab;
};

// Runs `click`, then hands the modal dialog it opened to `handle` and closes it (unless `handle`
// did). Reports what was opened; an empty caption when nothing was.
Opened WhatOpens(const std::function<void()>& click,
                 const std::function<void(QDialog*)>& handle = {}) {
    Opened opened;
    QTimer::singleShot(0, [&] {
        auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget());
        if (dialog == nullptr) return;
        opened.caption = dialog->windowTitle();
        if (const auto* sheet = qobject_cast<TermSheet*>(dialog))
            opened.tab = sheet->tabs()->tabText(sheet->currentIndex());
        if (handle) handle(dialog);
        if (dialog->isVisible()) dialog->done(QDialog::Rejected);
    });
    click();
    QTest::qWait(0); // lets the check run when nothing modal opened
    return opened;
}

} // namespace

class ModelDialogTest : public QObject {
    Q_OBJECT
private:
    ModelPtr model_;
    ConfigPtr config_;
    std::unique_ptr<QMdiArea> area_;
    std::unique_ptr<ResultPresenter> presenter_;
    std::unique_ptr<ModelDialog> dialog_;

    static ProgramState& state() { return GlobalProgramState(); }

private Q_SLOTS:
    void init() {
        ProgramState& s = state();
        s.plots = CreateInfoList();
        for (UncertaintyInfo*& slot : s.results)
            slot = CreateUncertaintyInfo();
        s.currentResultSlot = 0;
        s.resultCount = 0;
        model_ = QuietModel();
        config_.reset(CreateConfigInfo());
        s.currentModel = model_.get();
        s.currentConfig = config_.get();
        area_ = std::make_unique<QMdiArea>();
        presenter_ = std::make_unique<ResultPresenter>(area_.get());
        dialog_ = std::make_unique<ModelDialog>(presenter_.get());
        dialog_->show();
    }

    void cleanup() {
        dialog_.reset();
        presenter_->closeAllCharts();
        presenter_.reset();
        area_.reset();
        ProgramState& s = state();
        DestroyInfoList(s.plots);
        s.plots = nullptr;
        for (UncertaintyInfo*& slot : s.results) {
            (void)DestroyUncertaintyInfo(slot);
            slot = nullptr;
        }
        s.currentModel = nullptr;
        s.currentConfig = nullptr;
        model_.reset();
        config_.reset();
    }

    void controls() {
        QCOMPARE(dialog_->windowTitle(), QStringLiteral("Uncertainty Model"));
        QVERIFY(!dialog_->isModal());
        QStringList labels;
        for (const QLabel* label : dialog_->findChildren<QLabel*>())
            labels << label->text();
        QCOMPARE(labels, (QStringList{QStringLiteral("Source Side Uncertainty Model"),
                                      QStringLiteral("Load Side Uncertainty Model")}));
        QCOMPARE(dialog_->sourceGraph()->size(), QSize(537, 193));
        QCOMPARE(dialog_->loadGraph()->size(), QSize(529, 180));
        const QPushButton* buttons[] = {dialog_->computeButton(), dialog_->frequenciesButton(),
                                        dialog_->ifBandwidthButton(), dialog_->coverageButton(),
                                        dialog_->helpButton()};
        const QStringList texts{QStringLiteral("Compute Model"), QStringLiteral("Freqs and Power"),
                                QStringLiteral("IFBW and Avg"), QStringLiteral("Coverage Factor"),
                                QStringLiteral("Help")};
        for (int i = 0; i < 5; ++i) {
            QCOMPARE(buttons[i]->text(), texts[i]);
            QCOMPARE(buttons[i]->isDefault(), i == 0);
            // In a row, left to right.
            if (i > 0) QVERIFY(buttons[i]->x() > buttons[i - 1]->x() + buttons[i - 1]->width());
        }
        // Closing only hides it.
        dialog_->close();
        QVERIFY(!dialog_->isVisible());
        QVERIFY(!dialog_->testAttribute(Qt::WA_DeleteOnClose));
    }

    void branchesOpenTheirEditors_data() {
        QTest::addColumn<GraphSide>("side");
        QTest::addColumn<QPoint>("point");
        QTest::addColumn<QString>("caption");
        QTest::addColumn<QString>("tab");
        // A few branches of each kind: the graphs' own test maps every point to its term, the
        // sheets' own test every term to its sheet and page.
        const auto source = GraphSide::Source;
        const auto load = GraphSide::Load;
        const QString calibration = QStringLiteral("Calibration Residual Uncertainty");
        QTest::newRow("source NRc") << source << QPoint(38, 177) << QStringLiteral("Testset")
                                    << QStringLiteral("Receiver Noise");
        QTest::newRow("CDr") << source << QPoint(107, 89) << calibration
                             << QStringLiteral("Directivity");
        QTest::newRow("1+RCn1Tm") << source << QPoint(336, 136)
                                  << QStringLiteral("Connector 1 Repeatability")
                                  << QStringLiteral("Transmission");
        QTest::newRow("source S22A")
            << source << QPoint(492, 94) << QStringLiteral("MODELuration DUT") << QString();
        QTest::newRow("load S12A")
            << load << QPoint(72, 141) << QStringLiteral("MODELuration DUT") << QString();
        QTest::newRow("DCb2Tm lower") << load << QPoint(285, 138) << QStringLiteral("Cable 2 Drift")
                                      << QStringLiteral("Magnitude Drift");
        QTest::newRow("CXt") << load << QPoint(397, 89) << calibration
                             << QStringLiteral("Crosstalk");
        QTest::newRow("SRc") << load << QPoint(458, 42) << QStringLiteral("Testset")
                             << QStringLiteral("Receiver Uncertainty");
        QTest::newRow("nothing") << load << QPoint(300, 175) << QString() << QString();
    }

    void branchesOpenTheirEditors() {
        QFETCH(GraphSide, side);
        QFETCH(QPoint, point);
        QFETCH(QString, caption);
        QFETCH(QString, tab);
        SignalFlowGraph* graph =
            side == GraphSide::Source ? dialog_->sourceGraph() : dialog_->loadGraph();
        const Opened opened =
            WhatOpens([&] { QTest::mouseClick(graph, Qt::LeftButton, {}, point); });
        QCOMPARE(opened.caption, caption);
        QCOMPARE(opened.tab, tab);
    }

    // The DUT editor of the model works on the model's DUT, not on the configuration's.
    void theDutEditorEditsTheModelsDut() {
        QVERIFY(SetDUTType(model_->dut, DUT_TRANSMISSION_ONLY) == 1);
        WhatOpens([&] { dialog_->editTarget(kTargetDut); },
                  [](QDialog* editor) {
                      editor->findChild<QComboBox*>(QStringLiteral("dutType"))
                          ->setCurrentText(QStringLiteral("Reflection Only"));
                      editor->accept();
                  });
        QCOMPARE(model_->dut->type, int(DUT_REFLECTION_ONLY));
        QCOMPARE(config_->dut->type, int(DUT_TRANSMISSION_ONLY));
    }

    void buttonsOpenTheirEditors() {
        QCOMPARE(WhatOpens([&] { dialog_->frequenciesButton()->click(); }).caption,
                 QStringLiteral("Model Frequencies and Power"));
        QCOMPARE(WhatOpens([&] { dialog_->ifBandwidthButton()->click(); }).caption,
                 QStringLiteral("Model IF Bandwidth and Averaging"));
        QCOMPARE(WhatOpens([&] { dialog_->coverageButton()->click(); },
                           [](QDialog* editor) { editor->accept(); })
                     .caption,
                 QStringLiteral("Coverage Factors"));
    }

    // Enter on a focused button presses that button, not "Compute Model".
    void enterPressesTheFocusedButton() {
        dialog_->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(dialog_.get()));
        const auto enterOn = [](QPushButton* button) {
            return [button] {
                button->setFocus();
                QTest::keyClick(button, Qt::Key_Return);
            };
        };
        QCOMPARE(WhatOpens(enterOn(dialog_->frequenciesButton())).caption,
                 QStringLiteral("Model Frequencies and Power"));
        QCOMPARE(WhatOpens(enterOn(dialog_->ifBandwidthButton())).caption,
                 QStringLiteral("Model IF Bandwidth and Averaging"));
        QCOMPARE(
            WhatOpens(enterOn(dialog_->coverageButton()), [](QDialog* editor) { editor->accept(); })
                .caption,
            QStringLiteral("Coverage Factors"));
        enterOn(dialog_->helpButton())();
        QVERIFY(dialog_->isVisible());
        QCOMPARE(presenter_->charts().size(), 0);
        QCOMPARE(state().resultCount, 0);
    }

    // The graphs come first in the tab order, before the buttons; a branch opens from the
    // keyboard as from a click.
    void graphsOpenTheirEditorsFromTheKeyboard() {
        dialog_->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(dialog_.get()));
        // Opened on the default button; the graphs lie before it in the tab order.
        QCOMPARE(QApplication::focusWidget(), dialog_->computeButton());
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Backtab);
        QCOMPARE(QApplication::focusWidget(), dialog_->loadGraph());
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Backtab);
        QCOMPARE(QApplication::focusWidget(), dialog_->sourceGraph());
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        QCOMPARE(QApplication::focusWidget(), dialog_->loadGraph());

        SignalFlowGraph* source = dialog_->sourceGraph();
        source->setFocus();
        QTest::keyClick(source, Qt::Key_Right);
        QTest::keyClick(source, Qt::Key_Right);
        const Opened opened = WhatOpens([&] { QTest::keyClick(source, Qt::Key_Return); });
        QCOMPARE(opened.caption, QStringLiteral("Calibration Residual Uncertainty"));
        QCOMPARE(opened.tab, QStringLiteral("Directivity"));
        QCOMPARE(WhatOpens([&] { QTest::keyClick(dialog_->loadGraph(), Qt::Key_Space); }).caption,
                 QStringLiteral("MODELuration DUT"));
        QCOMPARE(presenter_->charts().size(), 0);
    }

    void editsShowInTheToolTips() {
        QCOMPARE(dialog_->sourceGraph()->targetToolTip(kTermDirectivity),
                 QStringLiteral("Calibration Residual Uncertainty, Directivity: 2 values from 1 "
                                "to 2 GHz"));
        QVERIFY(Fill(model_->calKit->CDr, {}));
        QCOMPARE(dialog_->sourceGraph()->targetToolTip(kTermDirectivity),
                 QStringLiteral("Calibration Residual Uncertainty, Directivity: 2 values from 1 "
                                "to 2 GHz"));
        WhatOpens([&] { dialog_->editTarget(kTermReceiverUncertainty); });
        QCOMPARE(dialog_->sourceGraph()->targetToolTip(kTermDirectivity),
                 QStringLiteral("Calibration Residual Uncertainty, Directivity: no values"));
        QCOMPARE(dialog_->loadGraph()->targetToolTip(kTermReceiverUncertainty),
                 QStringLiteral("Testset, Receiver Uncertainty: 2 values from -200 to 100 dBm"));
    }

    // With CDr = 40 dB the reflection deviation is 0.01 / kD, and the bound is 0.1 + k times it:
    // kD = 2 and k = 3 from "Coverage Factors" give 0.1 + 3 × 0.005 = 0.115.
    void computeModelUsesTheEditedCoverageFactors() {
        CapturedMessages messages;
        QVERIFY(Fill(model_->calKit->CDr, {{1e9, 40.0f}, {2e9, 40.0f}}));
        state().plotSubtitle = "VNA / Kit";
        WhatOpens([&] { dialog_->coverageButton()->click(); },
                  [](QDialog* editor) {
                      auto* coverage = static_cast<CoverageFactorsDialog*>(editor);
                      for (int i = 0; i < 12; ++i)
                          coverage->field(i)->setText(QStringLiteral("1"));
                      coverage->field(kCoverageDirectivity)->setText(QStringLiteral("2"));
                      coverage->field(kCoverageK)->setText(QStringLiteral("3"));
                      coverage->accept();
                  });
        QCOMPARE(config_->dut->coverageFactors[kCoverageK], 3.0f);

        QTest::mouseClick(dialog_->computeButton(), Qt::LeftButton);
        QVERIFY(messages.errors().empty());
        QCOMPARE(model_->dut->coverageFactors, config_->dut->coverageFactors);
        float nominal = 0.0f;
        float upper = 0.0f;
        float phaseDeg = 0.0f;
        QVERIFY(GetUncertaintyRefl(state().results[0], 0, 0, &nominal, &upper, &phaseDeg) == 1);
        QCOMPARE(nominal, 0.1f);
        QVERIFY2(std::fabs(upper - 0.115f) < 1e-6f, qPrintable(QString::number(upper, 'g', 9)));
        QVERIFY(std::fabs(phaseDeg - std::asin(0.15) * 180.0 / 3.141592653589793) < 1e-3);
        // Shown as the two reflection charts, without a subtitle; the dialog steps aside.
        QVERIFY(!dialog_->isVisible());
        QCOMPARE(presenter_->charts().size(), 2);
        QVERIFY(state().plotSubtitle.empty());
    }

    void aFailedComputationKeepsTheDialog() {
        CapturedMessages messages;
        QVERIFY(SetModelAverages(model_.get(), 0) == 1);
        QTest::mouseClick(dialog_->computeButton(), Qt::LeftButton);
        QCOMPARE(messages.errors(),
                 std::vector<std::string>{"ComputeModel: Invalid averaging factor."});
        QVERIFY(dialog_->isVisible());
        QVERIFY(presenter_->charts().isEmpty());
    }
};

QTEST_MAIN(ModelDialogTest)
#include "model_dialog_test.moc"
