#include "ui/charts/plot_window.h"

#include "ui/background_task.h"
#include "ui/charts/axis_ticks.h"
#include "ui/charts/budget_window.h"
#include "ui/charts/chart_palette.h"
#include "ui/charts/chart_view.h"

#include "core/message_sink.h"
#include "engine/plot_info.h"
#include "engine/program_state.h"

#include <QApplication>
#include <QChart>
#include <QClipboard>
#include <QCloseEvent>
#include <QContextMenuEvent>
#include <QCursor>
#include <QFileDialog>
#include <QFileInfo>
#include <QGraphicsEllipseItem>
#include <QGraphicsLayout>
#include <QGraphicsPathItem>
#include <QGraphicsRectItem>
#include <QGraphicsSimpleTextItem>
#include <QGraphicsTextItem>
#include <QGuiApplication>
#include <QImage>
#include <QLegendMarker>
#include <QLineSeries>
#include <QLogValueAxis>
#include <QMenu>
#include <QPageSize>
#include <QPainter>
#include <QPainterPath>
#include <QPdfWriter>
#include <QSvgGenerator>
#include <QTextDocument>
#include <QValueAxis>
#include <QXYSeries>

#include <algorithm>
#include <cmath>
#include <optional>
#include <utility>

namespace tolvane {
namespace {

constexpr double kMetresPerInch = 0.0254;
// The printed page and saved images: 8 × 6 inches.
constexpr double kPageWidthInches = 8.0;
constexpr double kPageHeightInches = 6.0;
// Half the width of the triangle that marks a point beyond the axis range.
constexpr double kEdgeMarkSize = 4.0;
constexpr double kMarkerRadius = 4.5;
// Charts of more points copy their data off the window's thread.
constexpr qsizetype kPointsCopiedAtOnce = 200000;

QFont ChartFont(int pointSize, bool bold = false) {
    QFont font(QStringLiteral("Arial"), pointSize, bold ? QFont::Bold : QFont::Normal);
    font.setStyleHint(QFont::SansSerif);
    return font;
}

QString TitleHtml(const ChartContent& content) {
    QString html = QStringLiteral("<b>%1</b>").arg(ShownTitle(content).toHtmlEscaped());
    if (!content.subtitle.isEmpty())
        html += QStringLiteral("<br><small>%1</small>").arg(content.subtitle.toHtmlEscaped());
    const auto count = content.curves.size();
    if (count > PlotWindow::kMaxLegendEntries) {
        const QString shown =
            count > PlotWindow::kMaxDrawnCurves
                ? QStringLiteral("%1 of %2").arg(PlotWindow::kMaxDrawnCurves).arg(count)
                : QString::number(count);
        html += QStringLiteral("<br><small>%1 frequencies: %2 (blue) to %3 (red)</small>")
                    .arg(shown, content.curves.first().label.toHtmlEscaped(),
                         content.curves.last().label.toHtmlEscaped());
    }
    return html;
}

// Space left and right of the texts under the plot.
constexpr double kFooterInset = 8.0;

// A text under the plot, wrapped by its width.
QGraphicsTextItem* FooterText(const QString& text, int pointSize, const QColor& colour,
                              QGraphicsItem* parent) {
    auto* item = new QGraphicsTextItem(parent);
    item->setPlainText(text);
    item->setFont(ChartFont(pointSize));
    item->setDefaultTextColor(colour);
    item->document()->setDocumentMargin(0);
    return item;
}

// A box behind a read-out, so that it stays legible over the curves.
QGraphicsRectItem* ReadoutBox(QGraphicsItem* parent, qreal z) {
    auto* box = new QGraphicsRectItem(parent);
    box->setBrush(QColor(255, 255, 255, 230));
    box->setPen(QPen(QColor(0x80, 0x80, 0x80), 0.8));
    box->setZValue(z);
    return box;
}

void FitBox(QGraphicsRectItem* box, const QGraphicsSimpleTextItem* text) {
    box->setRect(text->boundingRect().adjusted(-4, -2, 4, 2).translated(text->pos()));
}

// A triangle at `at`, pointing up (a value above the axis) or down.
void AddEdgeMark(QPainterPath* path, QPointF at, bool up) {
    const double tip = up ? -2.0 * kEdgeMarkSize : 2.0 * kEdgeMarkSize;
    path->moveTo(at.x() - kEdgeMarkSize, at.y());
    path->lineTo(at.x() + kEdgeMarkSize, at.y());
    path->lineTo(at.x(), at.y() + tip);
    path->closeSubpath();
}

} // namespace

PlotWindow::PlotWindow(const ChartContent& content, PlotInfo* record, QWidget* parent)
    : PlotWindow(PrepareChart(content), record, parent) {}

PlotWindow::PlotWindow(PreparedChart prepared, PlotInfo* record, QWidget* parent)
    : QMdiSubWindow(parent), content_(std::move(prepared.content)), record_(record) {
    adoptRecord();
    buildChart(prepared.drawing);
    resize(kWidth, kHeight);
}

PlotWindow::PlotWindow(QChart* chart, const ChartContent& content, PlotInfo* record,
                       QWidget* parent)
    : QMdiSubWindow(parent), content_(content), record_(record) {
    adoptRecord();
    xAxis_ = qobject_cast<QValueAxis*>(chart->axes(Qt::Horizontal).value(0));
    linearYAxis_ = qobject_cast<QValueAxis*>(chart->axes(Qt::Vertical).value(0));
    // The mouse reads the first curve (the measured trace) at every point.
    if (xAxis_ != nullptr && linearYAxis_ != nullptr && !content_.curves.isEmpty()) {
        drawnCurves_ = {0};
        createOverlays(chart);
    } else {
        xAxis_ = nullptr;
    }
    showChart(chart);
    if (xAxis_ != nullptr) connectGestures();
    resize(kWidth, kHeight);
}

void PlotWindow::adoptRecord() {
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowTitle(ShownTitle(content_));
    setWindowIcon(QApplication::windowIcon());
    if (record_ != nullptr) {
        record_->kind = content_.kind;
        record_->chartWindow = this;
    }
    // A click that brings a chart from under another to the top only does that.
    connect(this, &QMdiSubWindow::windowStateChanged, this,
            [this](Qt::WindowStates before, Qt::WindowStates now) {
                // A press on the title bar does not swallow the next click on the chart.
                if (!(before & Qt::WindowActive) && (now & Qt::WindowActive) &&
                    QGuiApplication::mouseButtons() != Qt::NoButton && view_ != nullptr &&
                    view_->viewport()->rect().contains(
                        view_->viewport()->mapFromGlobal(QCursor::pos())))
                    ignoreClick_ = true;
            });
}

PlotWindow::~PlotWindow() {
    forgetRecord();
}

void PlotWindow::forgetRecord() {
    if (record_ == nullptr) return;
    (void)ForgetPlotWindow(GlobalProgramState().plots, this);
    record_ = nullptr;
}

void PlotWindow::closeEvent(QCloseEvent* event) {
    QMdiSubWindow::closeEvent(event);
    // A closed chart leaves tiling, cascading and printing at once, not when Qt deletes it later.
    if (event->isAccepted()) forgetRecord();
}

QChart* PlotWindow::chart() const {
    return view_->chart();
}

void PlotWindow::buildChart(const ChartDrawing& drawing) {
    auto* chart = new QChart;
    chart->setBackgroundBrush(Qt::white);
    chart->setTitleFont(ChartFont(11));
    chart->setTitle(TitleHtml(content_));
    chart->setAnimationOptions(QChart::NoAnimation);

    xAxis_ = new QValueAxis;
    xAxis_->setTitleText(content_.xAxisLabel);
    xAxis_->setTitleFont(ChartFont(9, true));
    xAxis_->setLabelsFont(ChartFont(8));
    xAxis_->setTickType(QValueAxis::TicksDynamic);
    yAxis_ = new QLogValueAxis;
    yAxis_->setBase(10.0);
    yAxis_->setTitleFont(ChartFont(9, true));
    yAxis_->setLabelsFont(ChartFont(8));
    yAxis_->setLabelFormat(QStringLiteral("%g"));
    yAxis_->setMinorTickCount(8);
    chart->addAxis(xAxis_, Qt::AlignBottom);
    chart->addAxis(yAxis_, Qt::AlignLeft);

    const int count = int(content_.curves.size());
    drawnCurves_ = drawing.curves;
    for (qsizetype k = 0; k < drawnCurves_.size(); ++k) {
        const int i = drawnCurves_[k];
        auto* series = new QLineSeries;
        series->setName(content_.curves[i].label);
        series->setPen(CurvePen(i, count));
        series->setPointsVisible(content_.curves[i].points.size() <= kMaxDottedCurvePoints);
        series->replace(drawing.points[k]);
        series_.append(series);
    }
    for (QLineSeries* series : series_) {
        chart->addSeries(series);
        series->attachAxis(xAxis_);
        series->attachAxis(yAxis_);
    }
    setInitialRanges();

    QLegend* legend = chart->legend();
    const bool showLegend = content_.kind < kPlotFrequencyMagnitude && count <= kMaxLegendEntries;
    legend->setVisible(showLegend);
    legend->setAlignment(Qt::AlignRight);
    legend->setFont(ChartFont(8));

    // Below the plot, outside the curves: the note that points to the help, and the caption,
    // both wrapped to the chart's width (placeFooter).
    note_ = FooterText(QString::fromUtf8(kAnnotationBefore) + QString::fromUtf8(kAnnotationAfter),
                       8, QColor(0x00, 0x00, 0xff), chart);
    note_->setVisible(content_.annotated);
    caption_ = FooterText(content_.caption, 7, QColor(0x40, 0x40, 0x40), chart);

    createOverlays(chart);
    showChart(chart);
    placeFooter();
    connect(chart, &QGraphicsWidget::geometryChanged, this, [this] { placeFooter(); });
    connectGestures();
}

void PlotWindow::createOverlays(QChart* chart) {
    markerBox_ = ReadoutBox(chart, 20);
    markerList_ = new QGraphicsSimpleTextItem(markerBox_);
    markerList_->setFont(ChartFont(8));
    markerBox_->setVisible(false);
    hoverBox_ = ReadoutBox(chart, 30);
    hoverLabel_ = new QGraphicsSimpleTextItem(hoverBox_);
    hoverLabel_->setFont(ChartFont(8));
    hoverDot_ = new QGraphicsEllipseItem(-kMarkerRadius, -kMarkerRadius, 2 * kMarkerRadius,
                                         2 * kMarkerRadius, chart);
    hoverDot_->setPen(QPen(Qt::black, 1.2));
    hoverDot_->setZValue(29);
    hideHover();
}

void PlotWindow::connectGestures() {
    connect(chart(), &QChart::plotAreaChanged, this, [this] { placeOverlays(); });
    connect(xAxis_, &QValueAxis::rangeChanged, this, [this] {
        updateXTicks();
        placeOverlays();
    });
    if (yAxis_ != nullptr)
        connect(yAxis_, &QLogValueAxis::rangeChanged, this, [this] { placeOverlays(); });
    if (linearYAxis_ != nullptr)
        connect(linearYAxis_, &QValueAxis::rangeChanged, this, [this] { placeOverlays(); });
    connect(view_, &ChartView::hovered, this, &PlotWindow::showHover);
    connect(view_, &ChartView::left, this, &PlotWindow::hideHover);
    connect(view_, &ChartView::clicked, this, &PlotWindow::clickAt);
}

void PlotWindow::showChart(QChart* chart) {
    view_ = new ChartView(chart);
    view_->setRenderHint(QPainter::Antialiasing);
    view_->setContextMenuPolicy(Qt::NoContextMenu);
    // Zoom works on every chart; read-outs and markers on the charts read from a result.
    connect(view_, &ChartView::rubberBandSelected, this, &PlotWindow::zoomInto);
    connect(view_, &ChartView::wheelZoom, this, &PlotWindow::zoomAbout);
    setWidget(view_);
}

void PlotWindow::fillSeries() {
    // Thinned anew for the axes as they are now: a zoomed view shows finer detail.
    const ChartRanges ranges{xAxis_->min(), xAxis_->max(), yAxis_->min(), yAxis_->max()};
    for (qsizetype k = 0; k < series_.size(); ++k)
        series_[k]->replace(ThinnedCurve(content_.curves[drawnCurves_[k]], ranges, linear_));
}

ChartRanges PlotWindow::shownRanges() const {
    ChartRanges ranges = InitialRanges(content_, linear_);
    // The RSS and Monte Carlo curves lie below the worst case: the axis reaches down to them.
    if (methodCurvesShown()) {
        const ChartRanges& methods = methodRanges_[linear_ ? 1 : 0];
        ranges.yMin = std::min(ranges.yMin, methods.yMin);
        ranges.yMax = std::max(ranges.yMax, methods.yMax);
    }
    return ranges;
}

void PlotWindow::setYAxisRange() {
    yAxis_->setTitleText(ShownYAxisLabel(content_, linear_));
    const ChartRanges ranges = shownRanges();
    yAxis_->setRange(ranges.yMin, ranges.yMax);
}

void PlotWindow::updateXTicks() {
    const LinearTicks ticks = RoundLinearTicks(xAxis_->min(), xAxis_->max());
    xAxis_->setTickAnchor(ticks.anchor);
    xAxis_->setTickInterval(ticks.interval);
    xAxis_->setLabelFormat(QStringLiteral("%.%1f").arg(ticks.decimals));
}

ChartGeometry PlotWindow::chartGeometry() const {
    if (yAxis_ != nullptr)
        return ChartGeometry{chart()->plotArea(), xAxis_->min(), xAxis_->max(), yAxis_->min(),
                             yAxis_->max()};
    return ChartGeometry{chart()->plotArea(), xAxis_->min(),       xAxis_->max(),
                         linearYAxis_->min(), linearYAxis_->max(), false};
}

void PlotWindow::placeOverlays() {
    if (view_ == nullptr || xAxis_ == nullptr) return;
    hideHover();
    const ChartGeometry g = chartGeometry();
    const QRectF plot = g.plotArea;
    // Markers where their points are now; one outside the view is hidden.
    for (const Marker& marker : markers_) {
        const QPointF at =
            g.toPixel(QPointF(content_.curves[marker.point.curve].points[marker.point.index].x(),
                              marker.point.uncertainty));
        const bool inside = plot.adjusted(-1, -1, 1, 1).contains(at);
        marker.dot->setPos(at);
        marker.number->setPos(at + QPointF(kMarkerRadius + 1, -kMarkerRadius - 12));
        marker.dot->setVisible(inside);
        marker.number->setVisible(inside);
    }
    markerList_->setPos(plot.topLeft() + QPointF(8, 4));
    FitBox(markerBox_, markerList_);
    markerBox_->setVisible(!markers_.isEmpty());

    // Points above or below the y range, inside the x range, as triangles on the plot's edge.
    qDeleteAll(edgeItems_);
    edgeItems_.clear();
    edgeMarks_ = 0;
    const double xLow = std::min(g.xMin, g.xMax);
    const double xHigh = std::max(g.xMin, g.xMax);
    // One triangle per pixel column and edge, of the curve drawn last (on top) that passes the
    // edge there: thousands drawn over each other would look the same and take seconds to draw.
    const auto columns = qsizetype(std::ceil(plot.width())) + 1;
    QList<bool> markedAbove(columns), markedBelow(columns);
    for (qsizetype k = series_.size() - 1; k >= 0; --k) {
        const ChartCurve& curve = content_.curves[drawnCurves_[k]];
        QPainterPath path;
        for (int j = 0; j < curve.points.size(); ++j) {
            const double x = curve.points[j].x();
            const double y = ShownY(curve, j, linear_);
            if (x < xLow || x > xHigh || std::isnan(y) || (y >= g.yMin && y <= g.yMax)) continue;
            const bool above = y > g.yMax;
            const double pixelX = plot.left() + (x - g.xMin) / (g.xMax - g.xMin) * plot.width();
            const auto column =
                std::clamp(qsizetype(pixelX - plot.left()), qsizetype(0), columns - 1);
            bool& marked = above ? markedAbove[column] : markedBelow[column];
            if (marked) continue;
            marked = true;
            AddEdgeMark(&path, QPointF(pixelX, above ? plot.top() : plot.bottom()), above);
            ++edgeMarks_;
        }
        if (path.isEmpty()) continue;
        auto* item = new QGraphicsPathItem(path, chart());
        const QColor colour = series_[k]->pen().color();
        item->setPen(QPen(colour.darker(130), 0.8));
        item->setBrush(colour);
        item->setZValue(15);
        edgeItems_.append(item);
    }
}

void PlotWindow::placeFooter() {
    // The caption wraps rather than being cut off in a narrow window; the plot gives way to it.
    const QSizeF size = chart()->size();
    const double width = std::max(size.width() - 2.0 * kFooterInset, 1.0);
    caption_->setTextWidth(width);
    const QRectF captionRect = caption_->boundingRect();
    caption_->setPos(kFooterInset, size.height() - captionRect.height() - 4.0);
    double footer = captionRect.height() + 8.0;
    if (note_->isVisible()) {
        // Right-aligned while it fits on one line, else wrapped from the left.
        note_->setTextWidth(-1);
        if (note_->boundingRect().width() > width) note_->setTextWidth(width);
        const QRectF noteRect = note_->boundingRect();
        note_->setPos(std::max(kFooterInset, size.width() - noteRect.width() - kFooterInset),
                      caption_->pos().y() - noteRect.height() - 1.0);
        footer += noteRect.height();
    }
    const QMargins margins(6, 6, 6, 6 + int(std::ceil(footer)));
    if (chart()->margins() != margins) chart()->setMargins(margins);
}

std::optional<ChartPoint> PlotWindow::pointNear(QPointF position) const {
    if (xAxis_ == nullptr) return std::nullopt;
    const QPointF inChart = chart()->mapFromScene(view_->mapToScene(position.toPoint()));
    if (!chart()
             ->plotArea()
             .adjusted(-kPickRadius, -kPickRadius, kPickRadius, kPickRadius)
             .contains(inChart))
        return std::nullopt;
    return NearestPoint(content_, drawnCurves_, chartGeometry(), inChart, kPickRadius, linear_);
}

QString PlotWindow::hoverText() const {
    return hoverBox_ != nullptr && hoverBox_->isVisible() ? hoverLabel_->text() : QString();
}

void PlotWindow::showHover(QPointF position) {
    const std::optional<ChartPoint> point = pointNear(position);
    if (!point) return hideHover();
    const ChartGeometry g = chartGeometry();
    const QPointF at = g.toPixel(
        QPointF(content_.curves[point->curve].points[point->index].x(), point->uncertainty));
    hoverDot_->setPos(at);
    hoverDot_->setBrush(CurvePen(point->curve, int(content_.curves.size())).color());
    hoverDot_->setVisible(true);
    hoverLabel_->setText(readout_(*point));
    // Beside the point, inside the plot area.
    const QRectF text = hoverLabel_->boundingRect();
    QPointF labelAt = at + QPointF(10, -text.height() - 8);
    labelAt.setX(std::min(labelAt.x(), g.plotArea.right() - text.width() - 6));
    labelAt.setX(std::max(labelAt.x(), g.plotArea.left() + 6));
    labelAt.setY(std::max(labelAt.y(), g.plotArea.top() + 4));
    hoverBox_->setRect(text.adjusted(-4, -2, 4, 2));
    hoverBox_->setPos(labelAt);
    hoverBox_->setVisible(true);
}

void PlotWindow::hideHover() {
    if (hoverBox_ == nullptr) return;
    hoverBox_->setVisible(false);
    hoverDot_->setVisible(false);
}

void PlotWindow::clickAt(QPointF position) {
    if (std::exchange(ignoreClick_, false)) return;
    if (const std::optional<ChartPoint> point = pointNear(position))
        addMarker(point->curve, point->index);
}

void PlotWindow::setPointReadout(std::function<QString(const ChartPoint&)> readout) {
    readout_ = std::move(readout);
    updateMarkerTexts();
}

QList<ChartPoint> PlotWindow::markers() const {
    QList<ChartPoint> points;
    for (const Marker& marker : markers_)
        points.append(marker.point);
    return points;
}

QStringList PlotWindow::markerTexts() const {
    QStringList lines;
    for (qsizetype n = 0; n < markers_.size(); ++n)
        lines << QStringLiteral("M%1  %2").arg(n + 1).arg(readout_(markers_[n].point));
    return lines;
}

void PlotWindow::updateMarkerTexts() {
    for (qsizetype n = 0; n < markers_.size(); ++n)
        markers_[n].number->setText(QStringLiteral("M%1").arg(n + 1));
    markerList_->setText(markerTexts().join(QLatin1Char('\n')));
    FitBox(markerBox_, markerList_);
    markerBox_->setVisible(!markers_.isEmpty());
}

void PlotWindow::addMarker(int curve, int index) {
    if (xAxis_ == nullptr || curve < 0 || curve >= content_.curves.size() || index < 0 ||
        index >= content_.curves[curve].points.size())
        return;
    // A point already marked keeps its one marker.
    for (const Marker& placed : markers_)
        if (placed.point.curve == curve && placed.point.index == index) return;
    Marker marker;
    marker.point = DescribePoint(content_, curve, index, linear_);
    marker.dot = new QGraphicsEllipseItem(-kMarkerRadius, -kMarkerRadius, 2 * kMarkerRadius,
                                          2 * kMarkerRadius, chart());
    marker.dot->setPen(QPen(Qt::black, 1.5));
    marker.dot->setBrush(CurvePen(curve, int(content_.curves.size())).color());
    marker.dot->setZValue(25);
    marker.number = new QGraphicsSimpleTextItem(chart());
    marker.number->setFont(ChartFont(8, true));
    marker.number->setZValue(25);
    markers_.append(marker);
    updateMarkerTexts();
    placeOverlays();
    Q_EMIT markerAdded(marker.point);
}

void PlotWindow::removeMarker(int number) {
    if (number < 1 || number > markers_.size()) return;
    const Marker marker = markers_.takeAt(number - 1);
    delete marker.dot;
    delete marker.number;
    updateMarkerTexts();
}

void PlotWindow::removeAllMarkers() {
    while (!markers_.isEmpty())
        removeMarker(int(markers_.size()));
}

int PlotWindow::markerNear(QPointF position) const {
    const QPointF inChart = chart()->mapFromScene(view_->mapToScene(position.toPoint()));
    for (qsizetype n = 0; n < markers_.size(); ++n) {
        const QPointF at = markers_[n].dot->pos();
        if (markers_[n].dot->isVisible() &&
            std::hypot(at.x() - inChart.x(), at.y() - inChart.y()) <= kPickRadius)
            return int(n + 1);
    }
    return 0;
}

void PlotWindow::setLinearMagnitude(bool linear) {
    if (!IsMagnitudeChart(content_) || linear == linear_) return;
    linear_ = linear;
    chart()->zoomReset();
    setInitialRanges();
    fillSeries();
    for (Marker& marker : markers_)
        marker.point = DescribePoint(content_, marker.point.curve, marker.point.index, linear_);
    updateMarkerTexts();
    placeOverlays();
    fillMethodSeries();
}

void PlotWindow::zoomInto(const QRectF& rectangle) {
    const QRectF inChart =
        chart()->mapFromScene(view_->mapToScene(rectangle.toRect())).boundingRect();
    const QRectF zoomed = inChart.intersected(chart()->plotArea());
    if (zoomed.width() < 2.0 || zoomed.height() < 2.0) return;
    chart()->zoomIn(zoomed);
    if (yAxis_ != nullptr) fillSeries();
}

void PlotWindow::zoomAbout(QPointF position, double factor) {
    if (!(factor > 0.0)) return;
    const QPointF at = chart()->mapFromScene(view_->mapToScene(position.toPoint()));
    const QRectF plot = chart()->plotArea();
    if (!plot.contains(at)) return;
    // The point under the mouse stays where it is.
    const QRectF zoomed(at.x() - (at.x() - plot.left()) / factor,
                        at.y() - (at.y() - plot.top()) / factor, plot.width() / factor,
                        plot.height() / factor);
    chart()->zoomIn(zoomed);
    if (yAxis_ != nullptr) fillSeries();
}

void PlotWindow::resetZoom() {
    chart()->zoomReset();
    if (yAxis_ == nullptr) return;
    setInitialRanges();
    fillSeries();
}

void PlotWindow::setInitialRanges() {
    const ChartRanges ranges = shownRanges();
    xAxis_->setRange(ranges.xMin, ranges.xMax);
    updateXTicks();
    setYAxisRange();
}

void PlotWindow::copyData() {
    if (!content_.curves.isEmpty()) {
        // Thousands of curves make tens of megabytes of text: formatted off the window's thread
        // with progress and Cancel.
        qsizetype points = 0;
        for (const ChartCurve& curve : content_.curves)
            points += curve.points.size();
        if (points < kPointsCopiedAtOnce) {
            QGuiApplication::clipboard()->setText(ChartDataText(content_, linear_));
            return;
        }
        QString text;
        if (RunInBackground(
                this, QStringLiteral("Copying the chart's data..."), [&](TaskControl& control) {
                    text = ChartDataText(content_, linear_,
                                         [&control] { return control.cancelRequested(); });
                }))
            QGuiApplication::clipboard()->setText(text);
        return;
    }
    // A chart its creator built: its lines and points as they are drawn.
    ChartContent drawn = content_;
    if (const QList<QAbstractAxis*> x = chart()->axes(Qt::Horizontal); !x.isEmpty())
        drawn.xAxisLabel = x.first()->titleText();
    if (const QList<QAbstractAxis*> y = chart()->axes(Qt::Vertical); !y.isEmpty())
        drawn.yAxisLabel = y.first()->titleText();
    for (QAbstractSeries* series : chart()->series()) {
        if (const auto* xy = qobject_cast<const QXYSeries*>(series)) {
            ChartCurve curve;
            curve.label = xy->name();
            curve.points = xy->points();
            drawn.curves.append(curve);
        }
    }
    QGuiApplication::clipboard()->setText(ChartDataText(drawn, false));
}

QMenu* PlotWindow::createMenu(QPointF position) {
    auto* menu = new QMenu(this);
    menu->addAction(QStringLiteral("Copy Data"), this, &PlotWindow::copyData);
    menu->addAction(QStringLiteral("Reset Zoom"), this, &PlotWindow::resetZoom);
    if (IsMagnitudeChart(content_)) {
        QAction* linear = menu->addAction(QStringLiteral("Linear Magnitude"));
        linear->setCheckable(true);
        linear->setChecked(linear_);
        connect(linear, &QAction::toggled, this, &PlotWindow::setLinearMagnitude);
    }
    menu->addSeparator();
    if (const int number = markerNear(position); number > 0) {
        menu->addAction(QStringLiteral("Remove Marker M%1").arg(number), this,
                        [this, number] { removeMarker(number); });
        const ChartPoint marker = markers_[number - 1].point;
        QAction* budget =
            menu->addAction(QStringLiteral("Budget of M%1...").arg(number), this,
                            [this, marker] { (void)openBudget(marker.curve, marker.index); });
        budget->setEnabled(computedModel_ != nullptr);
        Q_EMIT markerMenuRequested(marker, menu);
    }
    QAction* removeAll =
        menu->addAction(QStringLiteral("Remove All Markers"), this, &PlotWindow::removeAllMarkers);
    removeAll->setEnabled(!markers_.isEmpty());
    menu->addSeparator();
    const std::optional<ChartPoint> near = pointNear(position);
    QAction* budget = menu->addAction(QStringLiteral("Budget..."), this, [this, near] {
        if (near) (void)openBudget(near->curve, near->index);
    });
    budget->setEnabled(computedModel_ != nullptr && near.has_value());
    QAction* methods = menu->addAction(QStringLiteral("Show RSS and Monte Carlo"));
    methods->setCheckable(true);
    methods->setChecked(methodCurvesShown());
    methods->setEnabled(computedModel_ != nullptr && (methods_ == nullptr || !methods_->running()));
    connect(methods, &QAction::toggled, this, &PlotWindow::setMethodCurvesShown);
    menu->addSeparator();
    menu->addAction(QStringLiteral("Save Image..."), this, &PlotWindow::askAndSaveImage);
    return menu;
}

void PlotWindow::contextMenuEvent(QContextMenuEvent* event) {
    QMenu* menu = createMenu(view_->mapFrom(this, event->pos()));
    menu->exec(event->globalPos());
    delete menu;
}

void PlotWindow::renderChart(QPainter* painter, const QRectF& target) {
    if (target.isEmpty()) return;
    // Laid out for the target, whatever the size of the window: a tiled window may be too small
    // for the titles and labels, and its layout blown up to a page cannot be read. The chart gets
    // the target's proportions at a page's width for the drawing, then its window's size back.
    // Paper has no Help menu: the note that points to it is left out, as is the hover read-out.
    QChart* shown = chart();
    const bool noteShown = note_ != nullptr && note_->isVisible();
    if (note_ != nullptr) note_->setVisible(false);
    const QSizeF windowSize = shown->size();
    const QSizeF pageSize(kRenderWidth, kRenderWidth * target.height() / target.width());
    shown->resize(pageSize);
    if (caption_ != nullptr) placeFooter();
    // Laid out now, not when the event loop next runs: the page is drawn before that.
    if (shown->layout() != nullptr) shown->layout()->activate();
    hideHover();
    view_->scene()->render(painter, target, QRectF(shown->pos(), pageSize), Qt::KeepAspectRatio);
    if (note_ != nullptr) note_->setVisible(noteShown);
    shown->resize(windowSize);
    if (caption_ != nullptr) placeFooter();
    if (shown->layout() != nullptr) shown->layout()->activate();
}

bool PlotWindow::saveImage(const QString& path) {
    const QString suffix = QFileInfo(path).suffix().toLower();
    if (suffix == QStringLiteral("png")) {
        QImage image(qRound(kPageWidthInches * kImageDotsPerInch),
                     qRound(kPageHeightInches * kImageDotsPerInch), QImage::Format_RGB32);
        const int dotsPerMetre = qRound(kImageDotsPerInch / kMetresPerInch);
        image.setDotsPerMeterX(dotsPerMetre);
        image.setDotsPerMeterY(dotsPerMetre);
        image.fill(Qt::white);
        QPainter painter(&image);
        painter.setRenderHint(QPainter::Antialiasing);
        painter.setRenderHint(QPainter::TextAntialiasing);
        renderChart(&painter, QRectF(image.rect()));
        painter.end();
        return image.save(path, "PNG");
    }
    if (suffix == QStringLiteral("svg")) {
        // The page at 96 dots per inch.
        const QSize size(qRound(kRenderWidth),
                         qRound(kRenderWidth * kPageHeightInches / kPageWidthInches));
        QSvgGenerator svg;
        svg.setFileName(path);
        svg.setSize(size);
        svg.setResolution(96);
        svg.setViewBox(QRect(QPoint(0, 0), size));
        svg.setTitle(ShownTitle(content_));
        QPainter painter;
        if (!painter.begin(&svg)) return false;
        renderChart(&painter, QRectF(QPointF(0, 0), size));
        return painter.end();
    }
    if (suffix == QStringLiteral("pdf")) {
        QPdfWriter pdf(path);
        pdf.setPageSize(QPageSize(QSizeF(kPageWidthInches, kPageHeightInches), QPageSize::Inch));
        pdf.setPageMargins(QMarginsF(0, 0, 0, 0));
        pdf.setTitle(ShownTitle(content_));
        QPainter painter;
        if (!painter.begin(&pdf)) return false;
        renderChart(&painter, QRectF(QPointF(0, 0), QSizeF(pdf.width(), pdf.height())));
        return painter.end();
    }
    return false;
}

void PlotWindow::askAndSaveImage() {
    QString filter;
    QString path = QFileDialog::getSaveFileName(
        this, QStringLiteral("Save Image"), ShownTitle(content_) + QStringLiteral(".png"),
        QStringLiteral("PNG image (*.png);;SVG image (*.svg);;PDF document (*.pdf)"), &filter);
    if (path.isEmpty()) return;
    // A name without a known suffix takes the one of the chosen file type.
    const QString suffix = QFileInfo(path).suffix().toLower();
    if (suffix != QStringLiteral("png") && suffix != QStringLiteral("svg") &&
        suffix != QStringLiteral("pdf"))
        path += filter.startsWith(QStringLiteral("SVG"))   ? QStringLiteral(".svg")
                : filter.startsWith(QStringLiteral("PDF")) ? QStringLiteral(".pdf")
                                                           : QStringLiteral(".png");
    if (!saveImage(path))
        ShowErrorMessage(QStringLiteral("Save Image: the file could not be written: %1")
                             .arg(path)
                             .toUtf8()
                             .constData());
}

BudgetWindow* PlotWindow::openBudget(int curve, int index) {
    if (computedModel_ == nullptr || curve < 0 || curve >= content_.curves.size() || index < 0 ||
        index >= content_.curves[curve].points.size())
        return nullptr;
    PointExplanation explanation;
    QString description;
    if (!ExplainChartPoint(*computedModel_, content_, curve, index, &explanation, &description))
        return nullptr;
    auto* window = new BudgetWindow(explanation, description, this);
    window->show();
    return window;
}

bool PlotWindow::methodCurvesShown() const {
    return !methodSeries_.isEmpty() && methodSeries_.first()->isVisible();
}

void PlotWindow::setMethodCurvesShown(bool shown) {
    if (!methodSeries_.isEmpty()) {
        for (QLineSeries* series : methodSeries_ + methodKeys_)
            series->setVisible(shown);
        fitYAxisToShownCurves();
        return;
    }
    if (!shown || computedModel_ == nullptr || (methods_ != nullptr && methods_->running())) return;
    delete methods_;
    methods_ = new MethodResults(computedModel_, this);
    connect(methods_, &MethodResults::finished, this, [this] {
        if (methods_->done()) addMethodCurves();
        Q_EMIT methodCurvesFinished();
    });
    if (!methods_->start({kDefaultSweepTrials, kDefaultMonteCarloSeed}))
        Q_EMIT methodCurvesFinished();
}

namespace {

/// A curve's points as a chart shows them: in dB, or as linear magnitudes.
QList<QPointF> ShownPoints(const ChartCurve& curve, bool linear) {
    QList<QPointF> points = curve.points;
    if (linear)
        for (qsizetype j = 0; j < points.size(); ++j)
            points[j].setY(ShownY(curve, int(j), true));
    return points;
}

} // namespace

void PlotWindow::fillMethodSeries() {
    for (qsizetype m = 0; m < methodSeries_.size(); ++m)
        methodSeries_[m]->replace(ShownPoints(methodCurves_[m], linear_));
}

void PlotWindow::addMethodCurves() {
    QChart* shown = chart();
    const auto read = [&](const UncertaintyInfo* results, ChartContent* out) {
        return content_.kind >= kPlotFrequencyMagnitude
                   ? ReadFrequencyChart(results, content_.kind, content_.quantity,
                                        content_.subtitle, out)
                   : ReadDutValueChart(results, content_.kind, content_.subtitle, out);
    };
    ChartContent rss, monteCarlo;
    if (!read(methods_->rss(), &rss) || !read(methods_->monteCarlo(), &monteCarlo)) return;
    // Line styles no worst-case curve has: those draw solid, dashed or dotted by their colour.
    const std::pair<const ChartContent*, Qt::PenStyle> methods[] = {
        {&rss, Qt::DashDotLine}, {&monteCarlo, Qt::DashDotDotLine}};
    for (const auto& [method, style] : methods) {
        for (qsizetype k = 0; k < series_.size(); ++k) {
            auto* series = new QLineSeries;
            QPen pen = series_[k]->pen();
            pen.setStyle(style);
            series->setPen(pen);
            methodCurves_.append(method->curves[drawnCurves_[k]]);
            series->replace(ShownPoints(methodCurves_.last(), linear_));
            shown->addSeries(series);
            for (QAbstractAxis* axis : series_[k]->attachedAxes())
                series->attachAxis(axis);
            for (QLegendMarker* marker : shown->legend()->markers(series))
                marker->setVisible(false);
            methodSeries_.append(series);
        }
    }
    // The legend says which line style is which method.
    const std::pair<QString, Qt::PenStyle> keys[] = {
        {QStringLiteral("worst case: the lines above"), Qt::NoPen},
        {QStringLiteral("RSS (dash-dot)"), Qt::DashDotLine},
        {QStringLiteral("Monte Carlo 95 % (dash-dot-dot)"), Qt::DashDotDotLine}};
    for (const auto& [name, style] : keys) {
        auto* key = new QLineSeries;
        key->setName(name);
        key->setPen(QPen(QColor(0x40, 0x40, 0x40), 1.5, style));
        shown->addSeries(key);
        methodKeys_.append(key);
    }
    shown->legend()->setMarkerShape(QLegend::MarkerShapeFromSeries);
    shown->legend()->setVisible(true);
    for (const bool linear : {false, true}) {
        ChartRanges& ranges = methodRanges_[linear ? 1 : 0];
        const ChartRanges fromRss = InitialRanges(rss, linear);
        const ChartRanges fromMonteCarlo = InitialRanges(monteCarlo, linear);
        ranges.yMin = std::min(fromRss.yMin, fromMonteCarlo.yMin);
        ranges.yMax = std::max(fromRss.yMax, fromMonteCarlo.yMax);
    }
    fitYAxisToShownCurves();
}

void PlotWindow::fitYAxisToShownCurves() {
    if (yAxis_ == nullptr) return;
    setYAxisRange();
    fillSeries();
    placeOverlays();
}

} // namespace tolvane
