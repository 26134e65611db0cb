#pragma once

#include "engine/uncertainty_methods.h"

#include <QDialog>

class QChartView;
class QTableWidget;

namespace tolvane {

/// The uncertainty budget of one chart point: a bar chart of the eleven terms' shares, largest
/// first; a table of each term's deviation alone and without it, linear and in dB; and the
/// worst-case, RSS and Monte Carlo figures of the point. It can be saved as an image and copied as
/// text. Closing deletes it.
class BudgetWindow : public QDialog {
    Q_OBJECT
public:
    /// `point` says which point it is ("S11 at 10.000000 GHz, DUT value -20.00 dB").
    BudgetWindow(const PointExplanation& explanation, const QString& point,
                 QWidget* parent = nullptr);

    /// The budget as tab-separated text, the tables row by row, as "Copy as Text" copies it.
    [[nodiscard]] QString budgetText() const;
    /// Writes the window as a PNG image; false when the file cannot be written.
    bool saveImage(const QString& path);

    /// The terms in the order the bar chart shows them, top to bottom (largest share first).
    [[nodiscard]] QStringList barOrder() const { return barOrder_; }

private:
    void askAndSaveImage();

    PointExplanation explanation_;
    QString point_;
    QStringList barOrder_;
    QChartView* bars_ = nullptr;
    QTableWidget* terms_ = nullptr;
    QTableWidget* methods_ = nullptr;
};

/// The magnitude uncertainty in dB of a deviation from a nominal magnitude:
/// 20 log10((nominal + deviation) / nominal).
[[nodiscard]] double DeviationDb(double deviation, double nominal);

} // namespace tolvane
