#pragma once

#include <QDialog>

#include <array>

class QPushButton;

namespace tolvane {

class ResultPresenter;

/// The modeless "Configuration" dialog: the set-up of the current configuration drawn as six
/// picture buttons (the VNA and its frequency list inside the instrument's frame, the two test
/// port cables with the DUT between them, the calibration kit below), each opening the modal
/// editor of its part, and "Compute Configuration". Closing it only hides it; it lives as long as
/// the main window.
class ConfigurationDialog : public QDialog {
    Q_OBJECT
public:
    /// The picture buttons.
    enum Part { Vna, Frequencies, Cable1, Dut, Cable2, Calibration, PartCount };

    ConfigurationDialog(ResultPresenter* presenter, QWidget* parent = nullptr);

    [[nodiscard]] QPushButton* computeButton() const { return computeButton_; }
    [[nodiscard]] QPushButton* helpButton() const { return helpButton_; }
    [[nodiscard]] QPushButton* partButton(Part part) const { return partButtons_[part]; }

public Q_SLOTS:
    /// Shows the current configuration again (after start-up or a recall replaced it): each
    /// picture's tool tip sums up its part.
    void refresh();
    /// The modal editors of the current configuration, over this dialog. The VNA editor shows
    /// the VNA's default port power at its first opening in the life of this dialog (the run),
    /// the configuration's port power later.
    void editVna();
    void editFrequencies();
    void editCable(int port);
    void editDut();
    void editCalibration();
    /// "Compute Configuration": computes the current configuration into the current result slot
    /// and shows the results; the dialog hides itself when the computation succeeded.
    void compute();

private:
    void createButtons();
    void placeButtons();

    ResultPresenter* presenter_;
    std::array<QPushButton*, PartCount> partButtons_{};
    QPushButton* computeButton_ = nullptr;
    QPushButton* helpButton_ = nullptr;
    bool vnaEditorOpened_ = false;
};

} // namespace tolvane
