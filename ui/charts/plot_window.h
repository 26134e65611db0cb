#pragma once

#include "ui/charts/chart_content.h"
#include "ui/charts/chart_drawing.h"
#include "ui/charts/chart_explanation.h"
#include "ui/charts/chart_palette.h"
#include "ui/charts/chart_points.h"

#include <QList>
#include <QMdiSubWindow>

#include <functional>

class QChart;
class QGraphicsEllipseItem;
class QGraphicsItem;
class QGraphicsPathItem;
class QGraphicsRectItem;
class QGraphicsSimpleTextItem;
class QGraphicsTextItem;
class QLineSeries;
class QLogValueAxis;
class QMenu;
class QPainter;
class QValueAxis;

namespace tolvane {

class BudgetWindow;

class ChartView;
struct PlotInfo;

/// One chart window inside the main window's area. It owns nothing of the program state but
/// keeps its PlotInfo record in step: however the window goes (its close box, "Close All Plot
/// Windows", a Compute in replace mode, the end of the program), its record leaves the plot list
/// and is destroyed with it.
///
/// The chart is read as RF software is read: moving the mouse over it shows the nearest point's
/// frequency, DUT value and uncertainty; a click places a numbered marker that stays, with its
/// read-out in the chart; a drag zooms into the rectangle dragged and the wheel zooms about the
/// mouse. The window's menu (right click) copies the data, resets the zoom, switches a magnitude
/// chart between dB and linear magnitude, removes markers and saves the chart as an image.
/// Points beyond the axis range are marked at the edge of the plot. Under the chart a caption
/// names the set-up and the time of the computation, on screen, on paper and in images.
class PlotWindow : public QMdiSubWindow {
    Q_OBJECT
public:
    /// Size and offset of a new chart window: 600 × 500 at 20 × kind from the area's corner.
    static constexpr int kWidth = 600;
    static constexpr int kHeight = 500;
    static constexpr int kOffsetPerKind = 20;
    /// Above this many curves the legend gives way to a colour scale from the first frequency
    /// (blue) to the last (red): a legend of hundreds of entries cannot be read.
    static constexpr int kMaxLegendEntries = kDistinctCurveColours;
    /// At most this many curves are drawn, evenly spread over the frequencies and always with
    /// the first and the last: thousands of curves would take a minute to draw and cannot be told
    /// apart. The title then says how many are shown; the axis ranges still cover every curve.
    static constexpr int kMaxDrawnCurves = tolvane::kMaxDrawnCurves;
    /// Width at which a chart is laid out when printed or exported: 8 inches at 96 dots per inch.
    static constexpr double kRenderWidth = 768.0;
    /// A saved PNG image is the 8 × 6 inch page at this resolution.
    static constexpr int kImageDotsPerInch = 300;
    /// How near (pixels) the mouse must come to a point for its read-out or a marker.
    static constexpr double kPickRadius = 12.0;

    /// `record` is in the plot list already; the window stores itself in it, and removes and
    /// destroys it when the window is closed or destroyed. Placed by its creator.
    PlotWindow(const ChartContent& content, PlotInfo* record, QWidget* parent = nullptr);
    /// As above, with the drawing prepared beforehand (off the window's thread).
    PlotWindow(PreparedChart prepared, PlotInfo* record, QWidget* parent = nullptr);
    /// A chart its creator built on linear axes (the charts of a measured DUT): the window takes
    /// `chart` and shows it as a chart of `content.kind` entitled `content.title`. The hover
    /// read-out and markers read curve 0 of `content` (every point of it, whatever the chart
    /// draws), with the read-out of setPointReadout; Copy Data copies its curves. Zoom, Reset
    /// Zoom and Save Image work as on every chart.
    PlotWindow(QChart* chart, const ChartContent& content, PlotInfo* record,
               QWidget* parent = nullptr);
    ~PlotWindow() override;

    /// The window's record; null once the window has been closed.
    [[nodiscard]] PlotInfo* record() const { return record_; }
    [[nodiscard]] const ChartContent& content() const { return content_; }
    [[nodiscard]] QChart* chart() const;
    [[nodiscard]] ChartView* view() const { return view_; }

    /// Draws the chart into `target` of `painter` (printing, image export), laid out in the
    /// target's proportions whatever the size of the window. The hover read-out and the note that
    /// points to the Help menu are left out; markers and the caption are drawn.
    void renderChart(QPainter* painter, const QRectF& target);
    /// Writes the chart as an image chosen by the suffix of `path`: PNG at 300 dpi of the 8 × 6
    /// inch page, SVG and PDF as vectors; false when the suffix is none of these or the file
    /// cannot be written.
    bool saveImage(const QString& path);

    /// The set-up caption under the chart, wrapped to its width; null for a chart its creator
    /// built.
    [[nodiscard]] const QGraphicsTextItem* captionItem() const { return caption_; }

    /// The point nearest to `position` (view coordinates) within kPickRadius, if any.
    [[nodiscard]] std::optional<ChartPoint> pointNear(QPointF position) const;
    /// The hover read-out shown now; empty when none is.
    [[nodiscard]] QString hoverText() const;

    /// How the hover read-out and the markers describe a point; PointReadout unless set.
    void setPointReadout(std::function<QString(const ChartPoint&)> readout);

    /// The markers in the order they were placed (marker n is markers()[n - 1]).
    [[nodiscard]] QList<ChartPoint> markers() const;
    /// The read-out lines of the markers as the chart shows them: "M1 1.000000 GHz, ...".
    [[nodiscard]] QStringList markerTexts() const;
    /// Places a marker on point `index` of curve `curve`, as a click on it does.
    void addMarker(int curve, int index);
    /// Removes marker `number` (1-based); the later ones are numbered anew.
    void removeMarker(int number);
    void removeAllMarkers();

    /// The triangles at the plot's edge now that mark points beyond the y-axis range, one per
    /// pixel column and edge.
    [[nodiscard]] int edgeMarkCount() const { return edgeMarks_; }

    /// True while a magnitude chart shows the uncertainty as a linear magnitude.
    [[nodiscard]] bool showsLinearMagnitude() const { return linear_; }
    /// Shows a magnitude chart's uncertainty as a linear magnitude (true) or in dB; markers keep
    /// their points. Phase charts stay in degrees.
    void setLinearMagnitude(bool linear);

    /// Zooms into `rectangle` (view coordinates, clipped to the plot area).
    void zoomInto(const QRectF& rectangle);
    /// Zooms by `factor` (above 1 in) about `position` (view coordinates).
    void zoomAbout(QPointF position, double factor);
    /// "Reset Zoom": the axes as the chart was made.
    void resetZoom();
    /// "Copy Data": the chart's curves as they are shown, tab-separated, on the clipboard.
    void copyData();

    /// The model the chart's results were computed from. With it the context menu offers
    /// "Budget..." for the point near the mouse or a marker, and "Show RSS and Monte Carlo".
    void setComputedModel(ComputedModel model) { computedModel_ = std::move(model); }
    [[nodiscard]] bool hasComputedModel() const { return computedModel_ != nullptr; }
    /// Opens the budget of point `index` of curve `curve`; null without a model or such a point.
    BudgetWindow* openBudget(int curve, int index);
    /// Shows the RSS and Monte Carlo curves beside the worst case, computing them first (the Monte
    /// Carlo sweep off the window's thread with a progress dialog), or hides them.
    void setMethodCurvesShown(bool shown);
    [[nodiscard]] bool methodCurvesShown() const;
    /// RSS (dash-dot) then Monte Carlo (dash-dot-dot) series, one per drawn curve each.
    [[nodiscard]] QList<QLineSeries*> methodSeries() const { return methodSeries_; }

    /// The window's menu, as a right click at `position` (view coordinates) shows it.
    [[nodiscard]] QMenu* createMenu(QPointF position);

Q_SIGNALS:
    /// A marker was placed on `point`.
    void markerAdded(const ChartPoint& point);
    /// The method curves were added, or their computation stopped (cancelled or failed).
    void methodCurvesFinished();
    /// The menu is opened over `point`, which holds a marker: other parts of the program add
    /// their actions on that point to `menu` (for example a budget of the point).
    void markerMenuRequested(const ChartPoint& point, QMenu* menu);

protected:
    void closeEvent(QCloseEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;

private:
    struct Marker {
        ChartPoint point;
        QGraphicsEllipseItem* dot = nullptr;
        QGraphicsSimpleTextItem* number = nullptr;
    };

    void forgetRecord();
    void adoptRecord();
    void createOverlays(QChart* chart);
    void connectGestures();
    void buildChart(const ChartDrawing& drawing);
    void showChart(QChart* chart);
    void fillSeries();
    void setYAxisRange();
    void setInitialRanges();
    void placeOverlays();
    void placeFooter();
    void updateXTicks();
    void showHover(QPointF position);
    void hideHover();
    void clickAt(QPointF position);
    void updateMarkerTexts();
    [[nodiscard]] ChartGeometry chartGeometry() const;
    [[nodiscard]] int markerNear(QPointF position) const;
    void askAndSaveImage();

    ChartContent content_;
    PlotInfo* record_;
    bool linear_ = false;
    ChartView* view_ = nullptr;
    QValueAxis* xAxis_ = nullptr;
    QLogValueAxis* yAxis_ = nullptr;    ///< the y axis of the charts the window builds
    QValueAxis* linearYAxis_ = nullptr; ///< that of a chart its creator built
    std::function<QString(const ChartPoint&)> readout_ = PointReadout;
    /// The drawn curves (indexes into content_.curves) and their series, in step.
    QList<int> drawnCurves_;
    QList<QLineSeries*> series_;
    QList<Marker> markers_;
    QGraphicsRectItem* markerBox_ = nullptr; ///< the markers' read-outs, top left in the plot
    QGraphicsSimpleTextItem* markerList_ = nullptr;
    QGraphicsRectItem* hoverBox_ = nullptr; ///< the hover read-out
    QGraphicsSimpleTextItem* hoverLabel_ = nullptr;
    QGraphicsEllipseItem* hoverDot_ = nullptr;
    QList<QGraphicsPathItem*> edgeItems_; ///< one per drawn curve with points beyond the axes
    int edgeMarks_ = 0;
    QGraphicsTextItem* note_ = nullptr; ///< "See "Computation of Uncertainty" ..."
    QGraphicsTextItem* caption_ = nullptr;
    bool rendering_ = false;
    bool ignoreClick_ = false; ///< the press that activated the window is not a chart click
    void addMethodCurves();
    /// The method series in dB or linear, as the worst-case curves are shown.
    void fillMethodSeries();
    ComputedModel computedModel_;
    MethodResults* methods_ = nullptr;
    QList<QLineSeries*> methodSeries_;
    QList<ChartCurve> methodCurves_; ///< what each method series shows, in step with it
    QList<QLineSeries*> methodKeys_;
};

} // namespace tolvane
