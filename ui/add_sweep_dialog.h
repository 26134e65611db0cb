#pragma once

#include <QDialog>

#include <vector>

class QComboBox;
class QLineEdit;

namespace tolvane {

/// "Add Sweep": start and stop in GHz, a number of points and linear or logarithmic spacing, for
/// the frequency editors of the configuration and the model. "Add" checks start and stop as a
/// typed frequency is checked ("Invalid frequency."; both made positive, and a frequency of 0 is
/// refused too, since no list may hold it), the number of points ("Invalid number of points.")
/// and that the list, which holds `linesInList` lines, stays within 5000 frequencies ("Too many
/// frequencies, maximum is 5000."); a refused field keeps the dialog open.
class AddSweepDialog : public QDialog {
    Q_OBJECT
public:
    explicit AddSweepDialog(int linesInList, QWidget* parent = nullptr);

    /// The sweep's frequencies in Hz once "Add" was accepted.
    [[nodiscard]] const std::vector<double>& frequenciesHz() const { return frequenciesHz_; }

public Q_SLOTS:
    void accept() override;

private:
    int linesInList_;
    QLineEdit* startEdit_;
    QLineEdit* stopEdit_;
    QLineEdit* pointsEdit_;
    QComboBox* spacingCombo_;
    std::vector<double> frequenciesHz_;
};

/// Opens AddSweepDialog over `parent` for a list of `linesInList` lines; the frequencies to add in
/// Hz, or none when it was cancelled.
[[nodiscard]] std::vector<double> AskForSweep(QWidget* parent, int linesInList);

} // namespace tolvane
