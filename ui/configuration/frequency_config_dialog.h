#pragma once

#include <QDialog>

#include <vector>

class QLineEdit;
class QListWidget;

namespace tolvane {

struct ConfigInfo;

/// The modal "Configuration Frequencies" editor: the configuration's measurement frequencies as a
/// sorted list of "%.6lf GHz" lines, with "Add" (the absolute value of the number typed, duplicates
/// allowed) and "Delete" (the selected line).
///
/// "Accept" sets the number of frequencies to the number of lines, then frequency i to the
/// absolute value of line i's number × 1e9 Hz, in list order. The first value refused stops there
/// with its message ("Invalid frequency." for a line that does not start with a number) and leaves
/// the dialog open with the configuration as it was: nothing is written unless every value is
/// taken. Enter in "Frequency (GHz)" adds, as "Add" does.
class FrequencyConfigDialog : public QDialog {
    Q_OBJECT
public:
    /// `config` must not be null and must outlive the dialog.
    explicit FrequencyConfigDialog(ConfigInfo* config, QWidget* parent = nullptr);

public Q_SLOTS:
    void accept() override;
    /// Adds the frequency typed in "Frequency (GHz)"; "Invalid frequency." when it is no number.
    void addFrequency();
    /// Removes the selected line, if one is selected.
    void deleteFrequency();
    /// "Add Sweep...": asks for a sweep and adds its frequencies into the sorted list.
    void addSweep();
    /// Adds `frequenciesHz` (a sweep) into the sorted list.
    void addSweepFrequencies(const std::vector<double>& frequenciesHz);

private:
    [[nodiscard]] bool writeControls(ConfigInfo* config);

    ConfigInfo* config_;
    QListWidget* list_ = nullptr;
    QLineEdit* frequencyEdit_ = nullptr;
};

} // namespace tolvane
