#pragma once

#include <QDialog>

class QComboBox;
class QLineEdit;

namespace tolvane {

struct ConfigInfo;
struct VNAInfo;

/// The modal "VNA Configuration" editor of a configuration: the VNA type, port power, IF
/// bandwidth and averaging factor.
///
/// The VNA type shown is the last one named as the configuration's VNA, else the first of the
/// database. The port power shown is that VNA's default power when `showDefaultPower` is set (the
/// first opening of the editor in a run) or when the configuration names no VNA of the database,
/// else the configuration's. The IF bandwidth shown is the largest of the VNA's list that is not
/// more than 1 Hz above the configuration's (the first if there is none); the averaging factor the
/// largest power of two up to 512 that is not above the configuration's.
///
/// "Accept" writes the VNA name, checks the port power against that VNA's limits ("Invalid port
/// power.", "Port power is less than the minimum of %.1f dBm.", "Port power is greater than the
/// maximum of %.1f dBm."), then writes the port power, the IF bandwidth and the averaging factor.
/// The first value refused stops there with its message and leaves the dialog open with the
/// configuration as it was: nothing is written unless every value is taken.
class VnaConfigDialog : public QDialog {
    Q_OBJECT
public:
    /// `config` must not be null and must outlive the dialog.
    VnaConfigDialog(ConfigInfo* config, bool showDefaultPower, QWidget* parent = nullptr);

public Q_SLOTS:
    void accept() override;

private:
    void createControls();
    void vnaChanged(int index);
    void showIfBandwidths(const VNAInfo* vna, float selectHz);
    [[nodiscard]] bool writeControls(ConfigInfo* config);

    ConfigInfo* config_;
    QComboBox* vnaCombo_ = nullptr;
    QLineEdit* powerEdit_ = nullptr;
    QComboBox* ifBandwidthCombo_ = nullptr;
    QComboBox* averagingCombo_ = nullptr;
};

} // namespace tolvane
