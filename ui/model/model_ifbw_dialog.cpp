#include "ui/model/model_ifbw_dialog.h"

#include "engine/model.h"
#include "ui/editor_buttons.h"
#include "ui/help/help.h"
#include "ui/number_text.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QVBoxLayout>

#include <array>
#include <cmath>
#include <optional>
#include <type_traits>

namespace tolvane {
namespace {

constexpr std::array<float, 4> kIFBandwidthsHz = {10.0f, 100.0f, 1000.0f, 10000.0f};
constexpr int kAveragingFactors = 10; // 1, 2, 4, ..., 512

QComboBox* IFBandwidthList(float selectedHz) {
    auto* list = new QComboBox;
    for (float bandwidth : kIFBandwidthsHz)
        list->addItem(FormatFixed(bandwidth, 1));
    list->setCurrentIndex(NearestIFBandwidthIndex(selectedHz));
    return list;
}

QComboBox* AveragingList(int selected) {
    auto* list = new QComboBox;
    for (int i = 0; i < kAveragingFactors; ++i)
        list->addItem(QString::number(1 << i));
    list->setCurrentIndex(AveragingFactorIndex(selected));
    return list;
}

QGroupBox* Group(const QString& title, QComboBox* ifBandwidth, QComboBox* averages) {
    auto* group = new QGroupBox(title);
    auto* layout = new QFormLayout(group);
    layout->addRow(QStringLiteral("IF Bandwidth (Hz)"), ifBandwidth);
    layout->addRow(QStringLiteral("Averaging Factor"), averages);
    return group;
}

// Writes the selected entry with `set`; a list without a selection writes nothing.
template <typename Number, typename Setter>
bool WriteSelected(const QComboBox* list, ModelInfo* model, Setter set) {
    if (list->currentIndex() < 0) return true;
    std::optional<Number> value;
    if constexpr (std::is_same_v<Number, int>)
        value = ReadLeadingInt(list->currentText());
    else
        value = ReadLeadingFloat(list->currentText());
    return value && set(model, *value) != 0;
}

} // namespace

int NearestIFBandwidthIndex(float ifBandwidthHz) {
    int nearest = 0;
    for (int i = 1; i < static_cast<int>(kIFBandwidthsHz.size()); ++i) {
        // Only a strictly nearer entry wins, so a tie keeps the smaller one.
        const auto index = static_cast<std::size_t>(i);
        if (std::fabs(kIFBandwidthsHz[index] - ifBandwidthHz) <
            std::fabs(kIFBandwidthsHz[static_cast<std::size_t>(nearest)] - ifBandwidthHz))
            nearest = i;
    }
    return nearest;
}

int AveragingFactorIndex(int averages) {
    int index = -1;
    for (int i = 0; i < kAveragingFactors && (1 << i) <= averages; ++i)
        index = i;
    return index;
}

ModelIfbwDialog::ModelIfbwDialog(ModelInfo* model, QWidget* parent)
    : QDialog(parent), model_(model) {
    setWindowTitle(QStringLiteral("Model IF Bandwidth and Averaging"));
    float ifBandwidthHz = 0.0f;
    float nrcIfBandwidthHz = 0.0f;
    int averages = 0;
    int nrcAverages = 0;
    (void)(GetModelIFBW(model_, &ifBandwidthHz) != 0 && GetModelAverages(model_, &averages) != 0 &&
           GetModelNRcIFBW(model_, &nrcIfBandwidthHz) != 0 &&
           GetModelNRcAverages(model_, &nrcAverages) != 0);
    ifBandwidth_ = IFBandwidthList(ifBandwidthHz);
    averages_ = AveragingList(averages);
    nrcIfBandwidth_ = IFBandwidthList(nrcIfBandwidthHz);
    nrcAverages_ = AveragingList(nrcAverages);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(Group(QStringLiteral("This Computation"), ifBandwidth_, averages_));
    layout->addWidget(
        Group(QStringLiteral("Values where NRc is defined"), nrcIfBandwidth_, nrcAverages_));
    layout->addWidget(CreateEditorButtons(this, kHelpModelIfBandwidthAndAveraging));
}

void ModelIfbwDialog::accept() {
    // Every field is written into a copy first: a refused one leaves the model untouched.
    if (WriteAllOrNothing(model_, [this](ModelInfo* model) { return writeControls(model); }))
        QDialog::accept();
}

bool ModelIfbwDialog::writeControls(ModelInfo* model) {
    return WriteSelected<float>(ifBandwidth_, model, SetModelIFBW) &&
           WriteSelected<int>(averages_, model, SetModelAverages) &&
           WriteSelected<float>(nrcIfBandwidth_, model, SetModelNRcIFBW) &&
           WriteSelected<int>(nrcAverages_, model, SetModelNRcAverages);
}

} // namespace tolvane
