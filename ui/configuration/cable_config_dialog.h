#pragma once

#include <QDialog>

class QComboBox;
class QLineEdit;

namespace tolvane {

struct ConfigInfo;

/// The modal "Cable Configuration" editor of the cable on port 1 or 2: its dielectric, its length
/// in metres and the temperature variation in °C (one value that both cables share).
///
/// "Accept" writes the dielectric name, the length and the temperature variation in that order;
/// a length or temperature that does not read as a number is written as -1, which the
/// configuration refuses with its own message. The first value refused stops there and leaves
/// the dialog open with the configuration as it was: nothing is written unless every value is
/// taken.
class CableConfigDialog : public QDialog {
    Q_OBJECT
public:
    /// `port` is 1 or 2; `config` must not be null and must outlive the dialog.
    CableConfigDialog(ConfigInfo* config, int port, QWidget* parent = nullptr);

public Q_SLOTS:
    void accept() override;

private:
    [[nodiscard]] bool writeControls(ConfigInfo* config);

    ConfigInfo* config_;
    int port_;
    QComboBox* dielectricCombo_ = nullptr;
    QLineEdit* lengthEdit_ = nullptr;
    QLineEdit* tempVarEdit_ = nullptr;
};

} // namespace tolvane
