#include "ui/charts/chart_view.h"

#include <QMouseEvent>
#include <QRubberBand>
#include <QWheelEvent>

#include <cmath>

namespace tolvane {
namespace {

// A press and release closer than this many pixels is a click, not a drag.
constexpr int kDragThreshold = 4;
// One notch of a wheel (120 eighths of a degree) zooms by this factor.
constexpr double kZoomPerNotch = 1.25;

} // namespace

ChartView::ChartView(QChart* chart, QWidget* parent)
    : QChartView(chart, parent), band_(new QRubberBand(QRubberBand::Rectangle, this)) {
    setMouseTracking(true);
    // The zoom rectangle is drawn here; QChartView's own rubber band would zoom out on a right
    // click, which opens the chart's menu instead.
    setRubberBand(QChartView::NoRubberBand);
}

void ChartView::mousePressEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton) return QChartView::mousePressEvent(event);
    pressed_ = true;
    dragging_ = false;
    pressedAt_ = event->position().toPoint();
    event->accept();
}

void ChartView::mouseMoveEvent(QMouseEvent* event) {
    const QPoint at = event->position().toPoint();
    if (!pressed_) {
        Q_EMIT hovered(event->position());
        return QChartView::mouseMoveEvent(event);
    }
    if (!dragging_ && (at - pressedAt_).manhattanLength() >= kDragThreshold) {
        dragging_ = true;
        band_->show();
    }
    if (dragging_) band_->setGeometry(QRect(pressedAt_, at).normalized());
    event->accept();
}

void ChartView::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton || !pressed_) return QChartView::mouseReleaseEvent(event);
    pressed_ = false;
    band_->hide();
    if (dragging_)
        Q_EMIT rubberBandSelected(QRectF(pressedAt_, event->position().toPoint()).normalized());
    else
        Q_EMIT clicked(event->position());
    dragging_ = false;
    event->accept();
}

void ChartView::wheelEvent(QWheelEvent* event) {
    const double notches = event->angleDelta().y() / 120.0;
    if (notches == 0.0) return QChartView::wheelEvent(event);
    Q_EMIT wheelZoom(event->position(), std::pow(kZoomPerNotch, notches));
    event->accept();
}

void ChartView::leaveEvent(QEvent* event) {
    Q_EMIT left();
    QChartView::leaveEvent(event);
}

} // namespace tolvane
