#pragma once

#include "ui/charts/chart_content.h"
#include "ui/charts/chart_explanation.h"

#include <QMdiSubWindow>
#include <QPoint>

class QChart;
class QChartView;
class QGraphicsSimpleTextItem;
class QLineSeries;
class QPainter;
class QScatterSeries;

namespace tolvane {

class BudgetWindow;
struct PlotInfo;

/// One chart window inside the main window's area. It owns nothing of the program state but
/// keeps its PlotInfo record in step: however the window goes (its close box, "Close All Plot
/// Windows", a Compute in replace mode, the end of the program), its record leaves the plot list
/// and is destroyed with it.
class PlotWindow : public QMdiSubWindow {
    Q_OBJECT
public:
    /// Size and offset of a new chart window: 600 × 500 at 20 × kind from the area's corner.
    static constexpr int kWidth = 600;
    static constexpr int kHeight = 500;
    static constexpr int kOffsetPerKind = 20;
    /// Above this many curves the legend gives way to a colour scale from the first frequency
    /// (blue) to the last (red): a legend of hundreds of entries cannot be read.
    static constexpr int kMaxLegendEntries = 12;
    /// At most this many curves are drawn, evenly spread over the frequencies and always with
    /// the first and the last: thousands of curves would take a minute to draw and cannot be told
    /// apart. The title then says how many are shown; the axis ranges still cover every curve.
    static constexpr int kMaxDrawnCurves = 256;
    /// Width at which a chart is laid out when printed or exported: 8 inches at 96 dots per inch.
    static constexpr double kRenderWidth = 768.0;

    /// `record` is in the plot list already; the window stores itself in it, and removes and
    /// destroys it when the window is closed or destroyed. Placed by its creator.
    PlotWindow(const ChartContent& content, PlotInfo* record, QWidget* parent = nullptr);
    /// A chart its creator built (the charts of a measured DUT): the window takes `chart` and
    /// shows it as a chart of `kind` entitled `title`.
    PlotWindow(QChart* chart, const QString& title, int kind, PlotInfo* record,
               QWidget* parent = nullptr);
    ~PlotWindow() override;

    /// The window's record; null once the window has been closed.
    [[nodiscard]] PlotInfo* record() const { return record_; }
    [[nodiscard]] const ChartContent& content() const { return content_; }
    [[nodiscard]] QChart* chart() const;

    /// Draws the chart into `target` of `painter` (printing, image export), laid out in the
    /// target's proportions whatever the size of the window.
    void renderChart(QPainter* painter, const QRectF& target);
    /// Writes the chart as a PNG, SVG or PDF image chosen by the suffix of `path`; false when the
    /// suffix is none of these or the file cannot be written.
    bool saveImage(const QString& path);

    /// The model the chart's results were computed from. With it the chart's context menu offers
    /// "Budget..." for a point and "Show RSS and Monte Carlo".
    void setComputedModel(ComputedModel model);
    [[nodiscard]] bool hasComputedModel() const { return computedModel_ != nullptr; }
    /// Opens the budget of point `point` of curve `curve` (indices into content().curves); null
    /// when the chart has no model or the point is not one of the chart's.
    BudgetWindow* openBudget(int curve, int point);
    /// The point the arrow keys move and that "Budget..." from the keyboard explains: (curve,
    /// point) indices into content().curves.
    [[nodiscard]] QPoint currentPoint() const { return currentPoint_; }
    /// Shows the RSS and Monte Carlo curves beside the worst case, computing them first (the Monte
    /// Carlo sweep with a progress dialog), or hides them.
    void setMethodCurvesShown(bool shown);
    [[nodiscard]] bool methodCurvesShown() const;
    /// The series drawn for the methods (RSS dashed, Monte Carlo dotted, in the curves' colours).
    [[nodiscard]] QList<QLineSeries*> methodSeries() const { return methodSeries_; }

Q_SIGNALS:
    /// The method curves were added, or their computation stopped (cancelled or failed).
    void methodCurvesFinished();

protected:
    void closeEvent(QCloseEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void addMethodCurves();
    [[nodiscard]] QPoint nearestPoint(const QPoint& viewPosition) const;
    void setCurrentPoint(QPoint point);
    void forgetRecord();
    void adoptRecord();
    void buildChart();
    void showChart(QChart* chart);
    void placeAnnotations();
    void askAndSaveImage();

    ChartContent content_;
    PlotInfo* record_;
    QChartView* view_ = nullptr;
    QGraphicsSimpleTextItem* noteBefore_ = nullptr;
    QGraphicsSimpleTextItem* noteAfter_ = nullptr;
    /// The curve (index into content_.curves) of each drawn series, in drawing order.
    QList<int> drawnCurves_;
    QList<QLineSeries*> drawnSeries_;
    ComputedModel computedModel_;
    MethodResults* methods_ = nullptr;
    QList<QLineSeries*> methodSeries_;
    QList<QLineSeries*> methodKeys_;
    bool legendShownAlone_ = false;
    QPoint currentPoint_{0, 0};
    QScatterSeries* currentMarker_ = nullptr;
};

} // namespace tolvane
