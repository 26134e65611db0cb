#include "ui/configuration/cable_config_dialog.h"

#include "components/dielectric.h"
#include "core/component_lists.h"
#include "core/record_name.h"
#include "engine/config.h"
#include "ui/editor_buttons.h"
#include "ui/help/help.h"
#include "ui/number_text.h"
#include "ui/record_name_combo.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>
#include <QVBoxLayout>

namespace tolvane {
namespace {

// What a length or temperature field contributes: its number, or -1 (refused by the
// configuration) when it does not read as one.
float FieldValue(const QLineEdit* edit) {
    return ReadNumberEdit(edit).value_or(-1.0f);
}

} // namespace

CableConfigDialog::CableConfigDialog(ConfigInfo* config, int port, QWidget* parent)
    : QDialog(parent), config_(config), port_(port) {
    setWindowTitle(QStringLiteral("Cable Configuration"));

    auto* caption = new QLabel(QStringLiteral("Cable on Port %1").arg(port_));
    caption->setObjectName(QStringLiteral("caption"));
    caption->setAlignment(Qt::AlignCenter);
    QFont captionFont = caption->font();
    captionFont.setBold(true);
    caption->setFont(captionFont);

    dielectricCombo_ = new QComboBox;
    dielectricCombo_->setObjectName(QStringLiteral("dielectric"));
    dielectricCombo_->setSizeAdjustPolicy(QComboBox::AdjustToContents);
    lengthEdit_ = CreateNumberEdit(QStringLiteral("length"));
    tempVarEdit_ = CreateNumberEdit(QStringLiteral("temperatureVariation"));

    auto* form = new QFormLayout;
    form->addRow(QStringLiteral("Dielectric"), dielectricCombo_);
    form->addRow(QStringLiteral("Length (m)"), lengthEdit_);
    form->addRow(QStringLiteral("Temperature Variation (°C)"), tempVarEdit_);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(caption);
    layout->addSpacing(4);
    layout->addLayout(form);
    layout->addStretch();
    layout->addWidget(CreateEditorButtons(this, kHelpCableConfiguration));
    layout->setSizeConstraint(QLayout::SetFixedSize);

    AddRecordNameItems<DielInfo>(dielectricCombo_, GlobalComponentLists().dielectrics, GetDielName);
    RecordName configDielectric{};
    (void)GetConfigDielName(config_, port_, configDielectric.data(), int(configDielectric.size()));
    SelectRecordName(dielectricCombo_, configDielectric.data());

    float lengthM = 0.0f;
    float tempVarC = 0.0f;
    (void)GetConfigCableLength(config_, port_, &lengthM);
    (void)GetConfigTempVar(config_, &tempVarC);
    ShowNumber(lengthEdit_, lengthM, 3);
    ShowNumber(tempVarEdit_, tempVarC, 3);
}

void CableConfigDialog::accept() {
    // Every field is written into a copy first: a refused one leaves the configuration untouched.
    if (WriteAllOrNothing(config_, [this](ConfigInfo* config) { return writeControls(config); }))
        QDialog::accept();
}

bool CableConfigDialog::writeControls(ConfigInfo* config) {
    // An empty drop-down (no dielectric in the database) leaves the name as it is.
    if (dielectricCombo_->currentIndex() >= 0 &&
        SetConfigDielName(config, port_, SelectedRecordName(dielectricCombo_).constData()) == 0)
        return RefuseField(dielectricCombo_);
    if (SetConfigCableLength(config, port_, FieldValue(lengthEdit_)) == 0)
        return RefuseField(lengthEdit_);
    if (SetConfigTempVar(config, FieldValue(tempVarEdit_)) == 0) return RefuseField(tempVarEdit_);
    return true;
}

} // namespace tolvane
