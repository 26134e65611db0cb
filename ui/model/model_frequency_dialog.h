#pragma once

#include <QDialog>

#include <vector>

class QLineEdit;
class QListWidget;

namespace tolvane {

struct ModelInfo;

/// The modal "Model Frequencies and Power" editor: the model's frequencies as a sorted list of
/// "%.6lf GHz" lines with "Add" and "Delete", and its port power.
///
/// "Accept" sets the model's number of frequencies to the number of lines, then each frequency in
/// list order, then the port power; the first value refused stops there with its message ("Invalid
/// port power." for a power that is no number) and leaves the dialog open with the model as it
/// was: nothing is written unless every value is taken. Enter in "Frequency (GHz)" adds, as
/// "Add" does. Each line keeps the exact frequency it stands for, so frequencies read from a
/// model file are written back with every digit they had.
class ModelFrequencyDialog : public QDialog {
    Q_OBJECT
public:
    /// `model` must outlive the dialog.
    explicit ModelFrequencyDialog(ModelInfo* model, QWidget* parent = nullptr);

    [[nodiscard]] QListWidget* list() const { return list_; }
    [[nodiscard]] QLineEdit* frequencyEdit() const { return frequencyEdit_; }
    [[nodiscard]] QLineEdit* powerEdit() const { return powerEdit_; }
    [[nodiscard]] QStringList lines() const;

public Q_SLOTS:
    void accept() override;
    /// Adds the magnitude of the frequency typed; "Invalid frequency." when it is no number.
    void addFrequency();
    /// Removes the selected line, if one is selected.
    void deleteFrequency();
    /// "Add Sweep...": asks for a sweep and adds its frequencies into the sorted list.
    void addSweep();
    /// Adds `frequenciesHz` (a sweep) into the sorted list.
    void addSweepFrequencies(const std::vector<double>& frequenciesHz);

private:
    void appendFrequency(double frequencyHz);
    [[nodiscard]] bool writeControls(ModelInfo* model);

    ModelInfo* model_;
    QListWidget* list_;
    QLineEdit* frequencyEdit_;
    QLineEdit* powerEdit_;
};

} // namespace tolvane
