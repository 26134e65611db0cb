#pragma once

#include "ui/charts/chart_content.h"

#include <QMdiSubWindow>

class QChart;
class QChartView;
class QGraphicsSimpleTextItem;
class QPainter;

namespace tolvane {

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

protected:
    void closeEvent(QCloseEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;

private:
    void forgetRecord();
    void buildChart();
    void placeAnnotations();
    void askAndSaveImage();

    ChartContent content_;
    PlotInfo* record_;
    QChartView* view_ = nullptr;
    QGraphicsSimpleTextItem* noteBefore_ = nullptr;
    QGraphicsSimpleTextItem* noteAfter_ = nullptr;
};

} // namespace tolvane
