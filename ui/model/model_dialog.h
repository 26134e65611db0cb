#pragma once

#include <QDialog>

class QPushButton;

namespace tolvane {

class ResultPresenter;
class SignalFlowGraph;

/// The modeless "Uncertainty Model" dialog: the signal-flow graphs of the source and load sides
/// of the current model, whose branches open the editors of their error terms (or of the model's
/// DUT), and the buttons "Compute Model", "Freqs and Power", "IFBW and Avg", "Coverage Factor" and
/// "Help". Every editor works on the program's current model (and the coverage factors on the
/// current configuration) as they are when it opens. Created hidden; closing it only hides it.
class ModelDialog : public QDialog {
    Q_OBJECT
public:
    ModelDialog(ResultPresenter* presenter, QWidget* parent = nullptr);

    [[nodiscard]] SignalFlowGraph* sourceGraph() const { return sourceGraph_; }
    [[nodiscard]] SignalFlowGraph* loadGraph() const { return loadGraph_; }
    [[nodiscard]] QPushButton* computeButton() const { return computeButton_; }
    [[nodiscard]] QPushButton* frequenciesButton() const { return frequenciesButton_; }
    [[nodiscard]] QPushButton* ifBandwidthButton() const { return ifBandwidthButton_; }
    [[nodiscard]] QPushButton* coverageButton() const { return coverageButton_; }
    [[nodiscard]] QPushButton* helpButton() const { return helpButton_; }

public Q_SLOTS:
    /// Sums up the current model's terms again in the graphs' tool tips (after start-up, a recall
    /// or an edit).
    void refresh();
    /// Opens, modal over this dialog, the sheet of error term `target` at its page, or the
    /// "MODELuration DUT" editor for kTargetDut.
    void editTarget(int target);
    void editFrequencies();
    void editIFBandwidth();
    void editCoverageFactors();
    /// "Compute Model": computes the current model, with the coverage factors of the current
    /// configuration, into the current result slot and shows the results; the dialog hides itself
    /// when the computation succeeded.
    void compute();

private:
    ResultPresenter* presenter_;
    SignalFlowGraph* sourceGraph_;
    SignalFlowGraph* loadGraph_;
    QPushButton* computeButton_;
    QPushButton* frequenciesButton_;
    QPushButton* ifBandwidthButton_;
    QPushButton* coverageButton_;
    QPushButton* helpButton_;
};

} // namespace tolvane
