#pragma once

#include <QChartView>
#include <QPoint>

class QRubberBand;

namespace tolvane {

/// The view of one chart, turning the mouse into chart gestures: moving over the chart (hover),
/// a click, a drag that marks a rectangle to zoom into (rubber band) and the wheel. It only
/// reports them; the chart window decides what they mean. Positions are in view coordinates.
class ChartView : public QChartView {
    Q_OBJECT
public:
    explicit ChartView(QChart* chart, QWidget* parent = nullptr);

Q_SIGNALS:
    /// The mouse moved to `position` with no button held.
    void hovered(QPointF position);
    /// The mouse left the view.
    void left();
    /// A left click without a drag.
    void clicked(QPointF position);
    /// A left drag from one corner to the other of `rectangle`.
    void rubberBandSelected(QRectF rectangle);
    /// A wheel turn at `position`: `factor` above 1 zooms in, below 1 out.
    void wheelZoom(QPointF position, double factor);

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;
    void leaveEvent(QEvent* event) override;

private:
    QRubberBand* band_;
    QPoint pressedAt_;
    bool pressed_ = false;
    bool dragging_ = false;
};

} // namespace tolvane
