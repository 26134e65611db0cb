#pragma once

#include <QDialog>

#include <array>

class QCheckBox;
class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;

namespace tolvane {

struct DUTInfo;

/// The modal editor of a device under test: its type, the reflection or transmission value sweep,
/// the reverse transmission of a non-reciprocal two-port, the four user-defined S-parameters and
/// their own frequency sweep. The configuration opens it as "Configuration DUT" (help context 9)
/// on the configuration's DUT, the model as "MODELuration DUT" (help context 16) on the model's.
///
/// "Accept" writes into `dut` one value at a time through the DUT setters: the type first; then,
/// for reflection only, minimum, maximum and number of values; for transmission only, minimum,
/// maximum, number of values, the reverse transmission (saved field first) and the reciprocal
/// flag; for user defined, S11, S12, S21, S22, start, stop and points in one call (points above
/// 5000 become 5000) and then the sweep flag. The first value that a setter rejects, that does not
/// read as a number, or a minimum above the maximum (a sweep start above its stop) stops there
/// with its message and leaves the dialog open. The values go into a copy first: the DUT changes
/// only when every value was taken, so "Cancel" after a refusal leaves it as it was.
class DutConfigDialog : public QDialog {
    Q_OBJECT
public:
    /// `dut` must not be null and must outlive the dialog.
    DutConfigDialog(DUTInfo* dut, const QString& title, int helpContext, QWidget* parent = nullptr);

public Q_SLOTS:
    /// Writes the controls as described above; closes only when every value was taken.
    void accept() override;

private:
    void createControls();
    void showValues(int type);
    void showSavedReverseTransmission();
    void typeChanged(int index);
    void updateEnabling();
    [[nodiscard]] int selectedType() const;
    [[nodiscard]] bool writeControls(DUTInfo* dut);
    [[nodiscard]] bool writeValueSweep(DUTInfo* dut, int type);
    [[nodiscard]] bool writeReverseTransmission(DUTInfo* dut);
    [[nodiscard]] bool writeUserValues(DUTInfo* dut);

    DUTInfo* dut_;
    int helpContext_;

    QComboBox* typeCombo_ = nullptr;
    QGroupBox* valuesGroup_ = nullptr;
    QLabel* minimumLabel_ = nullptr;
    QLineEdit* minimumEdit_ = nullptr;
    QLabel* maximumLabel_ = nullptr;
    QLineEdit* maximumEdit_ = nullptr;
    QLabel* numberLabel_ = nullptr;
    QLineEdit* numberEdit_ = nullptr;
    QCheckBox* reciprocalCheck_ = nullptr;
    QLabel* reverseLabel_ = nullptr;
    QLineEdit* reverseEdit_ = nullptr;
    QGroupBox* userGroup_ = nullptr;
    std::array<QLabel*, 4> sParamLabels_{};
    std::array<QLineEdit*, 4> sParamEdits_{};
    QCheckBox* sweepCheck_ = nullptr;
    QLabel* startLabel_ = nullptr;
    QLineEdit* startEdit_ = nullptr;
    QLabel* stopLabel_ = nullptr;
    QLineEdit* stopEdit_ = nullptr;
    QLabel* pointsLabel_ = nullptr;
    QLineEdit* pointsEdit_ = nullptr;
};

} // namespace tolvane
