#include "ui/charts/plot_window.h"

#include "ui/charts/axis_ticks.h"
#include "ui/charts/budget_window.h"

#include "core/message_sink.h"
#include "engine/plot_info.h"
#include "engine/program_state.h"

#include <QApplication>
#include <QChart>
#include <QChartView>
#include <QCloseEvent>
#include <QContextMenuEvent>
#include <QFileDialog>
#include <QFileInfo>
#include <QGraphicsSimpleTextItem>
#include <QKeyEvent>
#include <QLegendMarker>
#include <QLineSeries>
#include <QLogValueAxis>
#include <QMenu>
#include <QPageSize>
#include <QPainter>
#include <QPdfWriter>
#include <QScatterSeries>
#include <QSvgGenerator>
#include <QValueAxis>

#include <algorithm>
#include <cmath>

namespace tolvane {
namespace {

QFont ChartFont(int pointSize, bool bold = false) {
    QFont font(QStringLiteral("Arial"), pointSize, bold ? QFont::Bold : QFont::Normal);
    font.setStyleHint(QFont::SansSerif);
    return font;
}

// Curve colours of a chart with a legend: six that stay apart on white and in print.
const QColor kCurveColours[] = {QColor(0x1f, 0x4e, 0x9c), QColor(0xc0, 0x39, 0x2b),
                                QColor(0x1e, 0x84, 0x49), QColor(0x8e, 0x44, 0xad),
                                QColor(0xd3, 0x7a, 0x00), QColor(0x17, 0x8a, 0x9a)};

QColor CurveColour(int index, int count) {
    if (count <= PlotWindow::kMaxLegendEntries) return kCurveColours[index % 6];
    // A scale from blue (first frequency) to red (last).
    const double t = count > 1 ? double(index) / (count - 1) : 0.0;
    return QColor::fromHsvF(0.66 * (1.0 - t), 0.85, 0.8);
}

QString TitleHtml(const ChartContent& content) {
    QString html = QStringLiteral("<b>%1</b>").arg(content.title.toHtmlEscaped());
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

} // namespace

PlotWindow::PlotWindow(const ChartContent& content, PlotInfo* record, QWidget* parent)
    : QMdiSubWindow(parent), content_(content), record_(record) {
    adoptRecord();
    buildChart();
    resize(kWidth, kHeight);
}

PlotWindow::PlotWindow(QChart* chart, const QString& title, int kind, PlotInfo* record,
                       QWidget* parent)
    : QMdiSubWindow(parent), record_(record) {
    content_.kind = kind;
    content_.title = title;
    adoptRecord();
    showChart(chart);
    resize(kWidth, kHeight);
}

void PlotWindow::adoptRecord() {
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowTitle(content_.title);
    setWindowIcon(QApplication::windowIcon());
    if (record_ != nullptr) {
        record_->kind = content_.kind;
        record_->chartWindow = this;
    }
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

void PlotWindow::buildChart() {
    auto* chart = new QChart;
    chart->setBackgroundBrush(Qt::white);
    chart->setTitleFont(ChartFont(11));
    chart->setTitle(TitleHtml(content_));
    chart->setAnimationOptions(QChart::NoAnimation);

    auto* xAxis = new QValueAxis;
    xAxis->setTitleText(content_.xAxisLabel);
    xAxis->setTitleFont(ChartFont(9, true));
    xAxis->setLabelsFont(ChartFont(8));
    // A single point (one frequency, one DUT value) still gets an axis of some width, a tenth of
    // its value either side, so that a single frequency is not shown among negative ones.
    const double xPad = content_.xMax > content_.xMin ? 0.0
                        : content_.xMin != 0.0        ? std::fabs(content_.xMin) / 10.0
                                                      : 0.5;
    xAxis->setRange(content_.xMin - xPad, content_.xMax + xPad);
    const LinearTicks ticks = RoundLinearTicks(xAxis->min(), xAxis->max());
    xAxis->setTickType(QValueAxis::TicksDynamic);
    xAxis->setTickAnchor(ticks.anchor);
    xAxis->setTickInterval(ticks.interval);
    xAxis->setLabelFormat(QStringLiteral("%.%1f").arg(ticks.decimals));
    auto* yAxis = new QLogValueAxis;
    yAxis->setBase(10.0);
    yAxis->setTitleText(content_.yAxisLabel);
    yAxis->setTitleFont(ChartFont(9, true));
    yAxis->setLabelsFont(ChartFont(8));
    yAxis->setLabelFormat(QStringLiteral("%g"));
    yAxis->setMinorTickCount(8);
    yAxis->setRange(content_.yAxisMin, content_.yAxisMax);
    chart->addAxis(xAxis, Qt::AlignBottom);
    chart->addAxis(yAxis, Qt::AlignLeft);

    const int count = int(content_.curves.size());
    const int drawn = std::min(count, kMaxDrawnCurves);
    for (int k = 0; k < drawn; ++k) {
        // Evenly spread over the curves, first and last included.
        const int i = drawn > 1 ? int((qint64(k) * (count - 1)) / (drawn - 1)) : 0;
        const ChartCurve& curve = content_.curves[i];
        auto* series = new QLineSeries;
        series->setName(curve.label);
        series->setPen(QPen(CurveColour(i, count), 1.5));
        series->setPointsVisible(curve.points.size() <= 41);
        series->replace(curve.points);
        chart->addSeries(series);
        series->attachAxis(xAxis);
        series->attachAxis(yAxis);
        drawnCurves_.append(i);
        drawnSeries_.append(series);
    }

    QLegend* legend = chart->legend();
    const bool showLegend = content_.kind < kPlotFrequencyMagnitude && count <= kMaxLegendEntries;
    legend->setVisible(showLegend);
    legendShownAlone_ = showLegend;
    legend->setAlignment(Qt::AlignRight);
    legend->setFont(ChartFont(8));

    if (content_.annotated) {
        noteBefore_ = new QGraphicsSimpleTextItem(QString::fromUtf8(kAnnotationBefore), chart);
        noteAfter_ = new QGraphicsSimpleTextItem(QString::fromUtf8(kAnnotationAfter), chart);
        for (QGraphicsSimpleTextItem* note : {noteBefore_, noteAfter_}) {
            note->setFont(ChartFont(8));
            note->setBrush(QColor(0x00, 0x00, 0xff));
            note->setZValue(10);
        }
        connect(chart, &QChart::plotAreaChanged, this, [this] { placeAnnotations(); });
    }
    showChart(chart);
}

void PlotWindow::showChart(QChart* chart) {
    view_ = new QChartView(chart);
    view_->setRenderHint(QPainter::Antialiasing);
    view_->setContextMenuPolicy(Qt::NoContextMenu);
    // The arrow keys move the current point, Enter opens its budget.
    view_->setFocusPolicy(Qt::StrongFocus);
    view_->installEventFilter(this);
    setWidget(view_);
}

void PlotWindow::placeAnnotations() {
    // The first part ends at the point, the second starts there, both on one baseline; in a
    // narrow window the pair moves right as far as needed to start inside the plot area.
    const QRectF plot = chart()->plotArea();
    QPointF at = chart()->mapToPosition(content_.annotationAt);
    const QRectF before = noteBefore_->boundingRect();
    at.rx() = std::max(at.x(), plot.left() + before.width() + 4.0);
    noteBefore_->setPos(at.x() - before.width(), at.y() - before.height());
    noteAfter_->setPos(at.x(), at.y() - before.height());
}

void PlotWindow::renderChart(QPainter* painter, const QRectF& target) {
    if (target.isEmpty()) return;
    // Laid out for the target, whatever the size of the window: a tiled window may be too small
    // for the titles and labels, and its layout blown up to a page cannot be read. The chart gets
    // the target's proportions at a page's width for the drawing, then its window's size back.
    QChart* shown = chart();
    const QSizeF windowSize = shown->size();
    const QSizeF pageSize(kRenderWidth, kRenderWidth * target.height() / target.width());
    shown->resize(pageSize);
    view_->scene()->render(painter, target, QRectF(shown->pos(), pageSize), Qt::KeepAspectRatio);
    shown->resize(windowSize);
}

bool PlotWindow::saveImage(const QString& path) {
    const QString suffix = QFileInfo(path).suffix().toLower();
    const QSize size = view_->viewport()->size();
    if (suffix == QStringLiteral("png")) {
        return view_->grab().save(path, "PNG");
    }
    if (suffix == QStringLiteral("svg")) {
        QSvgGenerator svg;
        svg.setFileName(path);
        svg.setSize(size);
        svg.setViewBox(QRect(QPoint(0, 0), size));
        svg.setTitle(content_.title);
        QPainter painter;
        if (!painter.begin(&svg)) return false;
        renderChart(&painter, QRectF(QPointF(0, 0), size));
        return painter.end();
    }
    if (suffix == QStringLiteral("pdf")) {
        QPdfWriter pdf(path);
        pdf.setPageSize(QPageSize(QSizeF(8.0, 6.0), QPageSize::Inch));
        pdf.setPageMargins(QMarginsF(0, 0, 0, 0));
        pdf.setTitle(content_.title);
        QPainter painter;
        if (!painter.begin(&pdf)) return false;
        renderChart(&painter, QRectF(QPointF(0, 0), QSizeF(pdf.width(), pdf.height())));
        return painter.end();
    }
    return false;
}

void PlotWindow::contextMenuEvent(QContextMenuEvent* event) {
    // A click explains the point under the mouse; the keyboard's menu key the current point.
    if (event->reason() == QContextMenuEvent::Mouse && computedModel_ != nullptr) {
        const QPoint nearest = nearestPoint(view_->mapFrom(this, event->pos()));
        if (nearest.x() >= 0) setCurrentPoint(nearest);
    }
    QMenu menu(this);
    menu.addAction(QStringLiteral("Save Image..."), this, &PlotWindow::askAndSaveImage);
    menu.addSeparator();
    QAction* budget = menu.addAction(QStringLiteral("Budget..."), this, [this] {
        (void)openBudget(currentPoint_.x(), currentPoint_.y());
    });
    QAction* methods = menu.addAction(QStringLiteral("Show RSS and Monte Carlo"));
    methods->setCheckable(true);
    methods->setChecked(methodCurvesShown());
    connect(methods, &QAction::toggled, this, &PlotWindow::setMethodCurvesShown);
    budget->setEnabled(computedModel_ != nullptr);
    methods->setEnabled(computedModel_ != nullptr && (methods_ == nullptr || !methods_->running()));
    menu.exec(event->globalPos());
}

void PlotWindow::setComputedModel(ComputedModel model) {
    computedModel_ = std::move(model);
}

BudgetWindow* PlotWindow::openBudget(int curve, int point) {
    if (computedModel_ == nullptr || curve < 0 || curve >= content_.curves.size() || point < 0 ||
        point >= content_.curves[curve].points.size())
        return nullptr;
    PointExplanation explanation;
    QString description;
    if (!ExplainChartPoint(*computedModel_, content_, curve, point, &explanation, &description))
        return nullptr;
    auto* window = new BudgetWindow(explanation, description, this);
    window->show();
    return window;
}

QPoint PlotWindow::nearestPoint(const QPoint& viewPosition) const {
    QChart* shown = chart();
    const QPointF at = shown->mapFromScene(view_->mapToScene(viewPosition));
    QPoint nearest(-1, -1);
    double best = 0.0;
    for (qsizetype k = 0; k < drawnSeries_.size(); ++k) {
        const QList<QPointF>& points = content_.curves[drawnCurves_[k]].points;
        for (qsizetype p = 0; p < points.size(); ++p) {
            const QPointF position = shown->mapToPosition(points[p], drawnSeries_[k]);
            const double distance = QLineF(position, at).length();
            if (nearest.x() < 0 || distance < best) {
                best = distance;
                nearest = QPoint(drawnCurves_[k], int(p));
            }
        }
    }
    return nearest;
}

void PlotWindow::setCurrentPoint(QPoint point) {
    currentPoint_ = point;
    const int k = int(drawnCurves_.indexOf(point.x()));
    if (k < 0) return;
    if (currentMarker_ == nullptr) {
        currentMarker_ = new QScatterSeries;
        currentMarker_->setMarkerSize(11.0);
        currentMarker_->setColor(Qt::transparent);
        currentMarker_->setBorderColor(Qt::black);
        chart()->addSeries(currentMarker_);
        for (QAbstractAxis* axis : drawnSeries_[k]->attachedAxes())
            currentMarker_->attachAxis(axis);
        for (QLegendMarker* marker : chart()->legend()->markers(currentMarker_))
            marker->setVisible(false);
    }
    currentMarker_->replace({content_.curves[point.x()].points[point.y()]});
}

bool PlotWindow::eventFilter(QObject* watched, QEvent* event) {
    if (watched != view_ || event->type() != QEvent::KeyPress || drawnCurves_.isEmpty())
        return QMdiSubWindow::eventFilter(watched, event);
    const auto* key = static_cast<QKeyEvent*>(event);
    int k = std::max(0, int(drawnCurves_.indexOf(currentPoint_.x())));
    int p = currentPoint_.y();
    switch (key->key()) {
    case Qt::Key_Left:
        --p;
        break;
    case Qt::Key_Right:
        ++p;
        break;
    case Qt::Key_Up:
        ++k;
        break;
    case Qt::Key_Down:
        --k;
        break;
    case Qt::Key_Return:
    case Qt::Key_Enter:
        (void)openBudget(currentPoint_.x(), currentPoint_.y());
        return true;
    default:
        return QMdiSubWindow::eventFilter(watched, event);
    }
    k = std::clamp(k, 0, int(drawnCurves_.size()) - 1);
    const int curve = drawnCurves_[k];
    p = std::clamp(p, 0, std::max(0, int(content_.curves[curve].points.size()) - 1));
    if (!content_.curves[curve].points.isEmpty()) setCurrentPoint(QPoint(curve, p));
    return true;
}

bool PlotWindow::methodCurvesShown() const {
    return !methodSeries_.isEmpty() && methodSeries_.first()->isVisible();
}

void PlotWindow::setMethodCurvesShown(bool shown) {
    if (!methodSeries_.isEmpty()) {
        for (QLineSeries* series : methodSeries_ + methodKeys_)
            series->setVisible(shown);
        for (QLineSeries* key : methodKeys_)
            for (QLegendMarker* marker : chart()->legend()->markers(key))
                marker->setVisible(shown);
        chart()->legend()->setVisible(shown || legendShownAlone_);
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

void PlotWindow::addMethodCurves() {
    QChart* shown = chart();
    const QString subtitle = content_.subtitle;
    const auto read = [&](const UncertaintyInfo* results, ChartContent* out) {
        return content_.kind >= kPlotFrequencyMagnitude
                   ? ReadFrequencyChart(results, content_.kind, content_.quantity, subtitle, out)
                   : ReadDutValueChart(results, content_.kind, subtitle, out);
    };
    ChartContent rss, monteCarlo;
    if (!read(methods_->rss(), &rss) || !read(methods_->monteCarlo(), &monteCarlo)) return;
    auto* yAxis = static_cast<QLogValueAxis*>(shown->axes(Qt::Vertical).first());
    double yMin = yAxis->min(), yMax = yAxis->max();
    const std::pair<const ChartContent*, Qt::PenStyle> methods[] = {{&rss, Qt::DashLine},
                                                                    {&monteCarlo, Qt::DotLine}};
    for (const auto& [method, style] : methods) {
        for (qsizetype k = 0; k < drawnSeries_.size(); ++k) {
            auto* series = new QLineSeries;
            QPen pen = drawnSeries_[k]->pen();
            pen.setStyle(style);
            series->setPen(pen);
            series->replace(method->curves[drawnCurves_[k]].points);
            shown->addSeries(series);
            for (QAbstractAxis* axis : drawnSeries_[k]->attachedAxes())
                series->attachAxis(axis);
            for (QLegendMarker* marker : shown->legend()->markers(series))
                marker->setVisible(false);
            methodSeries_.append(series);
        }
        yMin = std::min(yMin, method->yAxisMin);
        yMax = std::max(yMax, method->yAxisMax);
    }
    yAxis->setRange(yMin, yMax);
    // The legend says which line style is which method.
    const std::pair<QString, Qt::PenStyle> keys[] = {
        {QStringLiteral("worst case (solid)"), Qt::SolidLine},
        {QStringLiteral("RSS (dashed)"), Qt::DashLine},
        {QStringLiteral("Monte Carlo 95 % (dotted)"), Qt::DotLine}};
    // A chart of too many curves for a legend names the methods only.
    if (!legendShownAlone_)
        for (QLineSeries* series : drawnSeries_)
            for (QLegendMarker* marker : shown->legend()->markers(series))
                marker->setVisible(false);
    for (const auto& [name, style] : keys) {
        auto* key = new QLineSeries;
        key->setName(name);
        key->setPen(QPen(QColor(0x40, 0x40, 0x40), 1.5, style));
        shown->addSeries(key);
        methodKeys_.append(key);
    }
    shown->legend()->setMarkerShape(QLegend::MarkerShapeFromSeries);
    shown->legend()->setVisible(true);
}

void PlotWindow::askAndSaveImage() {
    QString filter;
    QString path = QFileDialog::getSaveFileName(
        this, QStringLiteral("Save Image"), content_.title + QStringLiteral(".png"),
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

} // namespace tolvane
