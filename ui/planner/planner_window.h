#pragma once

#include "engine/plan.h"

#include <QDialog>

#include <optional>

class QChart;
class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QTableWidget;

namespace tolvane {

/// The modeless "Planner" window: varies one set-up choice of the current configuration over its
/// values and shows, for up to five points of interest, the worst-case magnitude uncertainty
/// against the value with the estimated sweep time on a second axis, and the same as a table.
/// With a target it marks the value of the smallest sweep time that meets it at every point;
/// "Apply" writes the chosen value (the selected row, else the best) into the configuration as
/// its editor would. Closing it only hides it.
class PlannerWindow : public QDialog {
    Q_OBJECT
public:
    explicit PlannerWindow(QWidget* parent = nullptr);

    [[nodiscard]] const PlanResult& result() const { return result_; }
    [[nodiscard]] std::optional<std::size_t> bestValue() const { return best_; }

public Q_SLOTS:
    /// Computes the plan as the fields describe it; false (after a message) when they do not
    /// describe one.
    bool compute();
    /// Writes the chosen value into the configuration; false when there is none or the
    /// configuration refused it.
    bool apply();
    /// The defaults of the chosen quantity into the values field, and fresh points when there
    /// are none: after start-up or a recall replaced the configuration.
    void refresh();

Q_SIGNALS:
    /// A value was written into the current configuration.
    void configurationChanged();

private:
    void createControls();
    void quantityChanged();
    void addPoint(double frequencyGHz, double dutDb, PlanPort port);
    [[nodiscard]] std::optional<Plan> readPlan();
    void showResult();

    QComboBox* quantityCombo_ = nullptr;
    QComboBox* cableCombo_ = nullptr;
    QLineEdit* valuesEdit_ = nullptr;
    QTableWidget* pointsTable_ = nullptr;
    QPushButton* addPointButton_ = nullptr;
    QPushButton* removePointButton_ = nullptr;
    QCheckBox* targetCheck_ = nullptr;
    QLineEdit* targetEdit_ = nullptr;
    QChart* chart_ = nullptr;
    QTableWidget* resultTable_ = nullptr;
    QLabel* bestLabel_ = nullptr;
    QPushButton* applyButton_ = nullptr;

    Plan plan_;
    PlanResult result_;
    std::optional<std::size_t> best_;
    QStringList pointLabels_;
};

} // namespace tolvane
