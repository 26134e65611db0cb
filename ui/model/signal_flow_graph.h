#pragma once

#include <QHash>
#include <QRectF>
#include <QString>
#include <QWidget>

#include <span>
#include <vector>

class QCursor;

namespace tolvane {

/// The two pictures of the error model: the source side (port 1, up to the DUT) and the load side
/// (from the DUT to port 2).
enum class GraphSide { Source, Load };

/// What a hot spot opens: the editor sheet of an error term, at that term's page (term numbers 1 to
/// 17, see ui/value_table_page.h), or the DUT dialog.
inline constexpr int kTargetDut = 0;
/// No hot spot at all.
inline constexpr int kTargetNone = -1;

/// A clickable rectangle of a picture in its widget's coordinates, as left, top, right, bottom with
/// the right and bottom edges outside (a point at x == right is not in it).
struct HotSpot {
    int left;
    int top;
    int right;
    int bottom;
    int target;

    [[nodiscard]] bool contains(int x, int y) const {
        return x >= left && x < right && y >= top && y < bottom;
    }
};

/// The hot spots of one picture in the order they are tested.
[[nodiscard]] std::span<const HotSpot> GraphHotSpots(GraphSide side);
/// The target of the first hot spot, in test order, that holds (x, y); kTargetNone if none does.
[[nodiscard]] int GraphTargetAt(GraphSide side, int x, int y);

/// One text of a picture as it is laid out: branch labels carry the target of the hot spot they
/// sit in, node names and gains carry kTargetNone.
struct GraphLabel {
    QString text;
    QRectF rect;
    int target;
};
[[nodiscard]] std::vector<GraphLabel> GraphLabels(GraphSide side);

/// The cursor shown over a hot spot: an arrow with a pencil, since a click edits the term.
[[nodiscard]] QCursor HotSpotCursor();

/// The targets of one picture, each once, in reading order: by the left edge of their leftmost hot
/// spot, then by its top. The order in which the keyboard visits them.
[[nodiscard]] std::vector<int> GraphTargetsInReadingOrder(GraphSide side);

/// A signal-flow graph of one side of the model, drawn with its nodes, branches and labels inside a
/// sunken button frame. Over a hot spot the cursor becomes HotSpotCursor() and the spot's labels
/// are highlighted; a click on a hot spot emits targetClicked. From the keyboard the graph takes
/// the focus with Tab, the arrow keys move from target to target in reading order (the current
/// one highlighted), and Enter or Space emits targetClicked for it.
class SignalFlowGraph : public QWidget {
    Q_OBJECT
public:
    explicit SignalFlowGraph(GraphSide side, QWidget* parent = nullptr);

    [[nodiscard]] GraphSide side() const { return side_; }
    /// 537 × 193 for the source side, 529 × 180 for the load side: the picture plus 5 pixels on
    /// every edge.
    [[nodiscard]] QSize sizeHint() const override;
    /// The target under the mouse, kTargetNone when there is none.
    [[nodiscard]] int hoveredTarget() const { return hovered_; }
    /// The target the keyboard is on: the first in reading order until an arrow key moves it.
    [[nodiscard]] int keyboardTarget() const { return keyboardTarget_; }
    /// The tool tip shown over every hot spot of `target`.
    void setTargetToolTip(int target, const QString& text) { toolTips_[target] = text; }
    [[nodiscard]] QString targetToolTip(int target) const { return toolTips_.value(target); }

Q_SIGNALS:
    /// A click released over the hot spot it was pressed on.
    void targetClicked(int target);

protected:
    bool event(QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void leaveEvent(QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;

private:
    void setHovered(int target);

    GraphSide side_;
    int hovered_ = kTargetNone;
    int pressed_ = kTargetNone;
    int keyboardTarget_ = kTargetNone;
    QHash<int, QString> toolTips_;
};

} // namespace tolvane
