#pragma once

#include <QDialog>

class QComboBox;

namespace tolvane {

struct ConfigInfo;

/// The modal "Calibration Configuration" editor: the calibration kit of a configuration, chosen
/// among the distinct kit names of the database (each name once, in the order of its first
/// record). "Accept" writes the name and closes.
class CalibrationConfigDialog : public QDialog {
    Q_OBJECT
public:
    /// `config` must not be null and must outlive the dialog.
    explicit CalibrationConfigDialog(ConfigInfo* config, QWidget* parent = nullptr);

public Q_SLOTS:
    void accept() override;

private:
    ConfigInfo* config_;
    QComboBox* kitCombo_ = nullptr;
};

} // namespace tolvane
