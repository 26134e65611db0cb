#include "ui/configuration/calibration_config_dialog.h"

#include "components/cal_kit.h"
#include "core/component_lists.h"
#include "core/record_name.h"
#include "engine/config.h"
#include "ui/editor_buttons.h"
#include "ui/help/help.h"
#include "ui/record_name_combo.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QVBoxLayout>

namespace tolvane {

CalibrationConfigDialog::CalibrationConfigDialog(ConfigInfo* config, QWidget* parent)
    : QDialog(parent), config_(config) {
    setWindowTitle(QStringLiteral("Calibration Configuration"));
    kitCombo_ = new QComboBox;
    kitCombo_->setObjectName(QStringLiteral("calibrationKit"));
    kitCombo_->setSizeAdjustPolicy(QComboBox::AdjustToContents);

    auto* form = new QFormLayout;
    form->addRow(QStringLiteral("Calibration Kit"), kitCombo_);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addStretch();
    layout->addWidget(CreateEditorButtons(this, kHelpCalibrationConfiguration));
    layout->setSizeConstraint(QLayout::SetFixedSize);

    // The database may hold several kits of one name (one per connector type, say): the name is
    // offered once.
    AddRecordNameItems<CalInfo>(kitCombo_, GlobalComponentLists().calKits, GetCalName, true);
    RecordName configKit{};
    (void)GetConfigCalName(config_, configKit.data(), int(configKit.size()));
    SelectRecordName(kitCombo_, configKit.data());
}

void CalibrationConfigDialog::accept() {
    // An empty drop-down (no kit in the database) leaves the name as it is.
    if (kitCombo_->currentIndex() >= 0 &&
        SetConfigCalName(config_, SelectedRecordName(kitCombo_).constData()) == 0)
        return;
    QDialog::accept();
}

} // namespace tolvane
