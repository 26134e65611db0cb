#pragma once

#include <QDialog>

class QPushButton;

namespace tolvane {

class ResultPresenter;

/// The modeless "Uncertainty Model" dialog: the error terms of the current model and its
/// "Compute Model" button. Created hidden; closing it only hides it.
class ModelDialog : public QDialog {
    Q_OBJECT
public:
    ModelDialog(ResultPresenter* presenter, QWidget* parent = nullptr);

    [[nodiscard]] QPushButton* computeButton() const { return computeButton_; }

public Q_SLOTS:
    /// Shows the current model again (after start-up or a recall replaced it).
    void refresh();

private:
    ResultPresenter* presenter_;
    QPushButton* computeButton_;
};

} // namespace tolvane
