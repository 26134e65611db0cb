#include "ui/charts/plot_window.h"

#include "ui/charts/axis_ticks.h"

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
#include <QLegendMarker>
#include <QLineSeries>
#include <QLogValueAxis>
#include <QMenu>
#include <QPageSize>
#include <QPainter>
#include <QPdfWriter>
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
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowTitle(content_.title);
    setWindowIcon(QApplication::windowIcon());
    if (record_ != nullptr) {
        record_->kind = content_.kind;
        record_->chartWindow = this;
    }
    buildChart();
    resize(kWidth, kHeight);
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
    }

    QLegend* legend = chart->legend();
    const bool showLegend = content_.kind < kPlotFrequencyMagnitude && count <= kMaxLegendEntries;
    legend->setVisible(showLegend);
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

    view_ = new QChartView(chart);
    view_->setRenderHint(QPainter::Antialiasing);
    view_->setContextMenuPolicy(Qt::NoContextMenu);
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
    QMenu menu(this);
    menu.addAction(QStringLiteral("Save Image..."), this, &PlotWindow::askAndSaveImage);
    menu.exec(event->globalPos());
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
