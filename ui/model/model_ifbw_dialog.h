#pragma once

#include <QDialog>

class QComboBox;

namespace tolvane {

struct ModelInfo;

/// The entry of "10.0", "100.0", "1000.0", "10000.0" (Hz) nearest to `ifBandwidthHz`, as an index;
/// of two equally near the smaller (550 Hz gives 100.0).
[[nodiscard]] int NearestIFBandwidthIndex(float ifBandwidthHz);
/// The index of the largest of "1", "2", "4", ..., "512" not above `averages`; -1 when it is
/// below 1.
[[nodiscard]] int AveragingFactorIndex(int averages);

/// The modal "Model IF Bandwidth and Averaging" editor: the IF bandwidth and averaging factor of
/// this computation and those at which the receiver noise NRc is defined.
///
/// "Accept" writes the IF bandwidth, the averaging factor, the NRc IF bandwidth and the NRc
/// averaging factor in that order and closes; a value refused stops it, with the setter's message.
/// A list left without a selection (an averaging factor below 1 shows none) writes nothing.
class ModelIfbwDialog : public QDialog {
    Q_OBJECT
public:
    /// `model` must outlive the dialog.
    explicit ModelIfbwDialog(ModelInfo* model, QWidget* parent = nullptr);

    [[nodiscard]] QComboBox* ifBandwidth() const { return ifBandwidth_; }
    [[nodiscard]] QComboBox* averages() const { return averages_; }
    [[nodiscard]] QComboBox* nrcIfBandwidth() const { return nrcIfBandwidth_; }
    [[nodiscard]] QComboBox* nrcAverages() const { return nrcAverages_; }

public Q_SLOTS:
    void accept() override;

private:
    [[nodiscard]] bool writeControls(ModelInfo* model);

    ModelInfo* model_;
    QComboBox* ifBandwidth_;
    QComboBox* averages_;
    QComboBox* nrcIfBandwidth_;
    QComboBox* nrcAverages_;
};

} // namespace tolvane
