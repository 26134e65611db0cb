#include "ui/configuration/vna_config_dialog.h"

#include "components/vna.h"
#include "core/component_lists.h"
#include "core/message_sink.h"
#include "core/record_name.h"
#include "engine/config.h"
#include "ui/editor_buttons.h"
#include "ui/help/help.h"
#include "ui/number_text.h"
#include "ui/record_name_combo.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLineEdit>
#include <QVBoxLayout>

#include <optional>

namespace tolvane {
namespace {

// The averaging factors offered: 1, 2, 4, ... 512.
constexpr int kAveragingFactors = 10;

QString Format1(float value) {
    return FormatFixed(value, 1);
}

// "%1" in `text` stands for the limit.
void ReportPowerLimit(const char* text, float limitDbm) {
    ShowErrorMessage(QString::fromUtf8(text).arg(Format1(limitDbm)).toUtf8().constData());
}

const VNAInfo* VnaAt(int index) {
    return GetInfoListRecord<VNAInfo>(GlobalComponentLists().vnas, index);
}

} // namespace

VnaConfigDialog::VnaConfigDialog(ConfigInfo* config, bool showDefaultPower, QWidget* parent)
    : QDialog(parent), config_(config) {
    setWindowTitle(QStringLiteral("VNA Configuration"));
    createControls();

    AddRecordNameItems<VNAInfo>(vnaCombo_, GlobalComponentLists().vnas, GetVNAName);
    RecordName configVna{};
    (void)GetConfigVNAName(config_, configVna.data(), int(configVna.size()));
    const bool named = SelectRecordName(vnaCombo_, configVna.data());
    const VNAInfo* vna = VnaAt(vnaCombo_->currentIndex());

    float powerDbm = 0.0f;
    (void)GetConfigPower(config_, &powerDbm);
    // A configuration whose VNA is not in the database has no power of its own to show for the
    // VNA that is shown instead.
    if (vna != nullptr && (showDefaultPower || !named)) (void)GetVNADefaultPower(vna, &powerDbm);
    ShowNumber(powerEdit_, powerDbm, 1);

    float ifBandwidthHz = 0.0f;
    (void)GetConfigIFBW(config_, &ifBandwidthHz);
    showIfBandwidths(vna, ifBandwidthHz);

    int averages = 0;
    (void)GetConfigAverages(config_, &averages);
    int averagingIndex = -1;
    for (int i = 0; i < kAveragingFactors; ++i)
        if ((1 << i) <= averages) averagingIndex = i;
    averagingCombo_->setCurrentIndex(averagingIndex);

    connect(vnaCombo_, &QComboBox::currentIndexChanged, this, &VnaConfigDialog::vnaChanged);
}

void VnaConfigDialog::createControls() {
    vnaCombo_ = new QComboBox;
    vnaCombo_->setObjectName(QStringLiteral("vnaType"));
    vnaCombo_->setSizeAdjustPolicy(QComboBox::AdjustToContents);
    powerEdit_ = CreateNumberEdit(QStringLiteral("portPower"));
    ifBandwidthCombo_ = new QComboBox;
    ifBandwidthCombo_->setObjectName(QStringLiteral("ifBandwidth"));
    averagingCombo_ = new QComboBox;
    averagingCombo_->setObjectName(QStringLiteral("averagingFactor"));
    for (int i = 0; i < kAveragingFactors; ++i)
        averagingCombo_->addItem(QString::number(1 << i));

    auto* form = new QFormLayout;
    form->addRow(QStringLiteral("VNA Type"), vnaCombo_);
    form->addRow(QStringLiteral("Port Power (dBm)"), powerEdit_);
    form->addRow(QStringLiteral("IF Bandwidth (Hz)"), ifBandwidthCombo_);
    form->addRow(QStringLiteral("Averaging Factor"), averagingCombo_);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addStretch();
    layout->addWidget(CreateEditorButtons(this, kHelpVnaConfiguration));
    layout->setSizeConstraint(QLayout::SetFixedSize);
}

void VnaConfigDialog::showIfBandwidths(const VNAInfo* vna, float selectHz) {
    ifBandwidthCombo_->clear();
    int count = 0;
    if (vna != nullptr) (void)GetVNANumIFBWs(vna, &count);
    int selected = -1;
    float selectedHz = 0.0f;
    for (int i = 0; i < count; ++i) {
        float bandwidthHz = 0.0f;
        if (GetVNAIFBW(vna, i, &bandwidthHz) == 0) continue;
        ifBandwidthCombo_->addItem(Format1(bandwidthHz));
        // The largest bandwidth not above the configuration's (1 Hz of tolerance), the last of
        // equal ones.
        if (bandwidthHz - selectHz <= 1.0f && (selected < 0 || bandwidthHz >= selectedHz)) {
            selected = ifBandwidthCombo_->count() - 1;
            selectedHz = bandwidthHz;
        }
    }
    if (selected < 0 && ifBandwidthCombo_->count() > 0) selected = 0;
    ifBandwidthCombo_->setCurrentIndex(selected);
}

void VnaConfigDialog::vnaChanged(int index) {
    const VNAInfo* vna = VnaAt(index);
    float powerDbm = 0.0f;
    if (vna != nullptr && GetVNADefaultPower(vna, &powerDbm) != 0)
        ShowNumber(powerEdit_, powerDbm, 1);
    showIfBandwidths(vna, 0.0f);
    ifBandwidthCombo_->setCurrentIndex(ifBandwidthCombo_->count() > 0 ? 0 : -1);
}

void VnaConfigDialog::accept() {
    // Every field is written into a copy first: a refused one leaves the configuration untouched.
    if (WriteAllOrNothing(config_, [this](ConfigInfo* config) { return writeControls(config); }))
        QDialog::accept();
}

bool VnaConfigDialog::writeControls(ConfigInfo* config) {
    // An empty drop-down (no VNA in the database) leaves the name as it is.
    if (vnaCombo_->currentIndex() >= 0 &&
        SetConfigVNAName(config, SelectedRecordName(vnaCombo_).constData()) == 0)
        return RefuseField(vnaCombo_);
    RecordName vnaName{};
    if (GetConfigVNAName(config, vnaName.data(), int(vnaName.size())) == 0) return false;
    const VNAInfo* vna = FindVNAInfo(vnaName.data());
    if (vna == nullptr) return false;

    float minPowerDbm = 0.0f;
    float maxPowerDbm = 0.0f;
    if (GetVNAMinPower(vna, &minPowerDbm) == 0 || GetVNAMaxPower(vna, &maxPowerDbm) == 0)
        return false;
    const std::optional<float> powerDbm = ReadNumberEdit(powerEdit_);
    if (!powerDbm) {
        ShowErrorMessage("Invalid port power.");
        return RefuseField(powerEdit_);
    }
    if (*powerDbm < minPowerDbm) {
        ReportPowerLimit("Port power is less than the minimum of %1 dBm.", minPowerDbm);
        return RefuseField(powerEdit_);
    }
    if (*powerDbm > maxPowerDbm) {
        ReportPowerLimit("Port power is greater than the maximum of %1 dBm.", maxPowerDbm);
        return RefuseField(powerEdit_);
    }
    if (SetConfigPower(config, *powerDbm) == 0) return RefuseField(powerEdit_);

    // The drop-downs offer only numbers; one without a selection leaves its value as it is.
    if (const std::optional<float> ifBandwidthHz =
            ReadLeadingFloat(ifBandwidthCombo_->currentText());
        ifBandwidthHz && SetConfigIFBW(config, *ifBandwidthHz) == 0)
        return RefuseField(ifBandwidthCombo_);
    if (const std::optional<int> averages = ReadLeadingInt(averagingCombo_->currentText());
        averages && SetConfigAverages(config, *averages) == 0)
        return RefuseField(averagingCombo_);
    return true;
}

} // namespace tolvane
