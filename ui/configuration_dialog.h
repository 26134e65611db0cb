#pragma once

#include <QDialog>

class QPushButton;

namespace tolvane {

class ResultPresenter;

/// The modeless "Configuration" dialog: the set-up of the current configuration and its
/// "Compute Configuration" button. Closing it only hides it; it lives as long as the main window.
class ConfigurationDialog : public QDialog {
    Q_OBJECT
public:
    ConfigurationDialog(ResultPresenter* presenter, QWidget* parent = nullptr);

    [[nodiscard]] QPushButton* computeButton() const { return computeButton_; }

public Q_SLOTS:
    /// Shows the current configuration again (after start-up or a recall replaced it).
    void refresh();
    /// Opens the "Configuration DUT" editor over this dialog.
    void editDut();

private:
    ResultPresenter* presenter_;
    QPushButton* computeButton_;
};

} // namespace tolvane
