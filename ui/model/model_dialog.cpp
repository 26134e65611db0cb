#include "ui/model/model_dialog.h"

#include "engine/model.h"
#include "engine/program_state.h"
#include "ui/charts/result_presenter.h"
#include "ui/configuration/coverage_factors_dialog.h"
#include "ui/configuration/dut_config_dialog.h"
#include "ui/help/help.h"
#include "ui/model/model_frequency_dialog.h"
#include "ui/model/model_ifbw_dialog.h"
#include "ui/model/signal_flow_graph.h"
#include "ui/model/term_sheet.h"
#include "ui/model/value_table_page.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

namespace tolvane {
namespace {

QPushButton* Button(const char* text) {
    auto* button = new QPushButton(QString::fromLatin1(text));
    return button;
}

} // namespace

ModelDialog::ModelDialog(ResultPresenter* presenter, QWidget* parent)
    : QDialog(parent), presenter_(presenter), sourceGraph_(new SignalFlowGraph(GraphSide::Source)),
      loadGraph_(new SignalFlowGraph(GraphSide::Load)), computeButton_(Button("Compute Model")),
      frequenciesButton_(Button("Freqs and Power")), ifBandwidthButton_(Button("IFBW and Avg")),
      coverageButton_(Button("Coverage Factor")), helpButton_(Button("Help")) {
    setWindowTitle(QStringLiteral("Uncertainty Model"));
    setModal(false);
    computeButton_->setDefault(true);

    // The pictures lie 10 pixels in from the left; the buttons line up 10 pixels further in,
    // 20 pixels apart.
    auto* buttons = new QHBoxLayout;
    buttons->setSpacing(20);
    buttons->setContentsMargins(10, 8, 0, 0);
    for (QPushButton* button :
         {computeButton_, frequenciesButton_, ifBandwidthButton_, coverageButton_, helpButton_})
        buttons->addWidget(button);
    buttons->addStretch();

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(10, 5, 15, 10);
    layout->setSpacing(2);
    layout->addWidget(new QLabel(QStringLiteral("Source Side Uncertainty Model")));
    layout->addWidget(sourceGraph_);
    layout->addSpacing(5);
    layout->addWidget(new QLabel(QStringLiteral("Load Side Uncertainty Model")));
    layout->addWidget(loadGraph_);
    layout->addLayout(buttons);
    layout->setSizeConstraint(QLayout::SetFixedSize);
    // The graphs come first in the tab order, as on screen, but the dialog opens on its default
    // button, so that Enter computes rather than opening the first branch.
    computeButton_->setFocus();

    connect(sourceGraph_, &SignalFlowGraph::targetClicked, this, &ModelDialog::editTarget);
    connect(loadGraph_, &SignalFlowGraph::targetClicked, this, &ModelDialog::editTarget);
    connect(computeButton_, &QPushButton::clicked, this, &ModelDialog::compute);
    connect(frequenciesButton_, &QPushButton::clicked, this, &ModelDialog::editFrequencies);
    connect(ifBandwidthButton_, &QPushButton::clicked, this, &ModelDialog::editIFBandwidth);
    connect(coverageButton_, &QPushButton::clicked, this, &ModelDialog::editCoverageFactors);
    connect(helpButton_, &QPushButton::clicked, this,
            [this] { ShowHelpTopic(this, kHelpModelDialog); });
    refresh();
}

void ModelDialog::refresh() {
    const ModelInfo* model = GlobalProgramState().currentModel;
    for (SignalFlowGraph* graph : {sourceGraph_, loadGraph_})
        for (const HotSpot& spot : GraphHotSpots(graph->side()))
            graph->setTargetToolTip(spot.target, spot.target == kTargetDut
                                                     ? QStringLiteral("The model's DUT")
                                                     : SummarizeTerm(model, spot.target));
}

void ModelDialog::editTarget(int target) {
    ProgramState& state = GlobalProgramState();
    if (target == kTargetDut) {
        void* dut = nullptr;
        if (GetModelComponent(state.currentModel, kModelDUT, &dut) == 0) return;
        DutConfigDialog editor(static_cast<DUTInfo*>(dut), QStringLiteral("MODELuration DUT"),
                               kHelpModelDut, this);
        editor.exec();
        return;
    }
    TermSheet sheet(target, state.currentModel, state.currentConfig, this);
    sheet.exec();
    refresh();
}

void ModelDialog::editFrequencies() {
    ModelFrequencyDialog editor(GlobalProgramState().currentModel, this);
    editor.exec();
}

void ModelDialog::editIFBandwidth() {
    ModelIfbwDialog editor(GlobalProgramState().currentModel, this);
    editor.exec();
}

void ModelDialog::editCoverageFactors() {
    CoverageFactorsDialog editor(GlobalProgramState().currentConfig, this);
    editor.exec();
}

void ModelDialog::compute() {
    presenter_->computeModel(this);
}

} // namespace tolvane
