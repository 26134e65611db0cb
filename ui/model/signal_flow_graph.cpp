#include "ui/model/signal_flow_graph.h"

#include "engine/model_terms.h"

#include <QCursor>
#include <QGuiApplication>
#include <QHelpEvent>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>
#include <QScreen>
#include <QSvgRenderer>
#include <QToolTip>

#include <algorithm>
#include <cmath>
#include <limits>
#include <utility>

namespace tolvane {
namespace {

// Hot spots in widget coordinates; the picture lies 5 pixels in from the widget's left and top.
constexpr HotSpot kSourceHotSpots[] = {
    {65, 20, 107, 63, kTermSourceUncertainty},         // SSr
    {17, 165, 59, 189, kTermReceiverNoise},            // NRc
    {75, 73, 139, 106, kTermDirectivity},              // CDr
    {155, 73, 222, 106, kTermSourceMatch},             // CSm
    {137, 115, 190, 158, kTermReflectionTracking},     // CRt
    {213, 20, 290, 63, kTermCable1MagnitudeDrift},     // DCb1Tm, upper
    {213, 115, 290, 158, kTermCable1MagnitudeDrift},   // DCb1Tm, lower
    {281, 73, 392, 106, kTermConnector1Reflection},    // both RCn1Rm
    {298, 20, 375, 63, kTermConnector1Transmission},   // 1+RCn1Tm, upper
    {298, 115, 375, 158, kTermConnector1Transmission}, // 1+RCn1Tm, lower
    {409, 73, 464, 106, kTargetDut},                   // S11A
    {433, 115, 495, 163, kTargetDut},                  // S12A
    {433, 14, 495, 63, kTargetDut},                    // S21A
    {465, 78, 519, 111, kTargetDut},                   // S22A
};

constexpr HotSpot kLoadHotSpots[] = {
    {16, 73, 72, 106, kTargetDut},                     // S11A
    {42, 117, 102, 165, kTargetDut},                   // S12A
    {42, 12, 102, 62, kTargetDut},                     // S21A
    {74, 77, 131, 112, kTargetDut},                    // S22A
    {145, 73, 256, 106, kTermConnector2Reflection},    // both RCn2Rm
    {162, 20, 239, 62, kTermConnector2Transmission},   // 1+RCn2Tm, upper
    {162, 117, 239, 160, kTermConnector2Transmission}, // 1+RCn2Tm, lower
    {247, 20, 324, 62, kTermCable2MagnitudeDrift},     // DCb2Tm, upper
    {247, 117, 324, 160, kTermCable2MagnitudeDrift},   // DCb2Tm, lower
    {278, 73, 342, 106, kTermLoadMatch},               // CLm
    {348, 20, 399, 62, kTermTransmissionTracking},     // CTt
    {367, 73, 427, 106, kTermCrosstalk},               // CXt
    {433, 20, 483, 65, kTermReceiverUncertainty},      // SRc
    {475, 135, 519, 161, kTermReceiverNoise},          // NRc
};

// A branch from one node to another with its arrow at the middle. A reflection branch between
// the two nodes of a junction that already carries one in the other direction is drawn as an arc
// whose middle lies `bowX` pixels to the side.
struct Branch {
    QPointF from;
    QPointF to;
    qreal bowX = 0;
};

// Where a text sits: its centre, its left edge or its right edge at `at` (vertically centred).
enum class Anchor { Centre, Left, Right };

enum class TextStyle {
    Symbol,  // branch labels and node names: italic, digits and the final letter as subscripts
    Gain,    // a plain gain of 1
    Caption, // the names of the parts of the set-up, under the graph
};

// A branch label is set smaller when it would not fit inside its hot spot (or in `maxWidth`, when
// that is given), so that it stays where the user clicks whatever fonts the desktop has.
struct Text {
    const char* text;
    QPointF at;
    Anchor anchor;
    TextStyle style;
    int target = kTargetNone;
    qreal maxWidth = 0;
};

struct Graph {
    std::vector<QPointF> nodes;
    std::vector<Branch> branches;
    std::vector<Text> texts;
};

// Source side: a1M/b1M at the test set, the calibration residuals, cable 1 and connector 1 as
// cascaded two-ports, then the DUT from a1A/b1A to b2A/a2A.
Graph SourceGraph() {
    constexpr qreal up = 66;
    constexpr qreal lo = 112;
    constexpr qreal xM = 36, x1 = 142, x2 = 225, x3 = 284, xA = 398, xB = 522;
    const QPointF a1M(xM, up), b1M(xM, lo), u1(x1, up), u2(x2, up), l2(x2, lo), u3(x3, up),
        l3(x3, lo), a1A(xA, up), b1A(xA, lo), b2A(xB, up), a2A(xB, lo), noise(xM, 150);
    Graph graph;
    graph.nodes = {a1M, b1M, u1, u2, l2, u3, l3, a1A, b1A, b2A, a2A, noise};
    graph.branches = {
        {a1M, u1},     {u1, u2},   {u2, u3},     {u3, a1A},      {a1A, b2A}, // upper path
        {a2A, b1A},    {b1A, l3},  {l3, l2},     {l2, b1M},                  // lower path
        {u1, b1M},     {l2, u2},   {u3, l3},     {b1A, a1A, -9},             // CDr CSm RCn1Rm
        {a1A, b1A, 9}, {a2A, b2A}, {noise, b1M},                             // S11A S22A NRc
    };
    using enum Anchor;
    using enum TextStyle;
    graph.texts = {
        {"SSr", {86, 48}, Centre, Symbol, kTermSourceUncertainty},
        {"1", {183, 48}, Centre, Gain},
        {"DCb1Tm", {252, 48}, Centre, Symbol, kTermCable1MagnitudeDrift},
        {"1+RCn1Tm", {337, 48}, Centre, Symbol, kTermConnector1Transmission},
        {"S21A", {464, 48}, Centre, Symbol, kTargetDut},
        {"CRt", {163, 127}, Centre, Symbol, kTermReflectionTracking},
        {"DCb1Tm", {252, 127}, Centre, Symbol, kTermCable1MagnitudeDrift},
        {"1+RCn1Tm", {337, 127}, Centre, Symbol, kTermConnector1Transmission},
        {"S12A", {464, 127}, Centre, Symbol, kTargetDut},
        {"CDr", {124, 92}, Centre, Symbol, kTermDirectivity},
        {"CSm", {219, 89}, Right, Symbol, kTermSourceMatch},
        {"RCn1Rm", {288, 84}, Left, Symbol, kTermConnector1Reflection, 48},
        {"RCn1Rm", {386, 95}, Right, Symbol, kTermConnector1Reflection, 48},
        {"S11A", {412, 89}, Left, Symbol, kTargetDut},
        {"S22A", {517, 94}, Right, Symbol, kTargetDut},
        {"NRc", {38, 177}, Centre, Symbol, kTermReceiverNoise},
        {"1", {41, 132}, Left, Gain},
        {"a1M", {xM, 48}, Centre, Symbol},
        {"b1M", {31, lo}, Right, Symbol},
        {"a1A", {xA, 48}, Centre, Symbol},
        {"b1A", {xA, 127}, Centre, Symbol},
        {"b2A", {519, 48}, Centre, Symbol},
        {"a2A", {519, 127}, Centre, Symbol},
        {"Test set", {96, 178}, Centre, Caption},
        {"Calibration", {183, 178}, Centre, Caption},
        {"Cable 1", {254, 178}, Centre, Caption},
        {"Connector 1", {341, 178}, Centre, Caption},
        {"DUT", {460, 178}, Centre, Caption},
    };
    return graph;
}

// Load side: the DUT from a1A/b1A to b2A/a2A, connector 2 and cable 2, the load-side calibration
// residuals with the crosstalk from a1M, and the receiver b2M.
Graph LoadGraph() {
    constexpr qreal up = 66;
    constexpr qreal lo = 113;
    constexpr qreal xA = 16, xB = 136, x1 = 250, x2 = 346, x3 = 430, xM = 500;
    const QPointF a1A(xA, up), b1A(xA, lo), b2A(xB, up), a2A(xB, lo), u1(x1, up), l1(x1, lo),
        u2(x2, up), l2(x2, lo), u3(x3, up), a1M(x3, lo), b2M(xM, up), noise(xM, 128);
    Graph graph;
    graph.nodes = {a1A, b1A, b2A, a2A, u1, l1, u2, l2, u3, a1M, b2M, noise};
    graph.branches = {
        {a1A, b2A}, {b2A, u1},      {u1, u2},      {u2, u3},     {u3, b2M}, // upper path
        {l2, l1},   {l1, a2A},      {a2A, b1A},                             // lower path
        {a1A, b1A}, {a2A, b2A, -9}, {b2A, a2A, 9},                          // S11A S22A RCn2Rm
        {l1, u1},   {u2, l2},       {a1M, u3},     {noise, b2M},            // RCn2Rm CLm CXt NRc
    };
    using enum Anchor;
    using enum TextStyle;
    graph.texts = {
        {"S21A", {74, 47}, Centre, Symbol, kTargetDut},
        {"1+RCn2Tm", {200, 47}, Centre, Symbol, kTermConnector2Transmission},
        {"DCb2Tm", {286, 47}, Centre, Symbol, kTermCable2MagnitudeDrift},
        {"CTt", {374, 47}, Centre, Symbol, kTermTransmissionTracking},
        {"SRc", {460, 47}, Centre, Symbol, kTermReceiverUncertainty},
        {"S12A", {72, 129}, Centre, Symbol, kTargetDut},
        {"1+RCn2Tm", {200, 129}, Centre, Symbol, kTermConnector2Transmission},
        {"DCb2Tm", {286, 129}, Centre, Symbol, kTermCable2MagnitudeDrift},
        {"S11A", {20, 89}, Left, Symbol, kTargetDut},
        {"S22A", {124, 96}, Right, Symbol, kTargetDut},
        {"RCn2Rm", {149, 84}, Left, Symbol, kTermConnector2Reflection, 48},
        {"RCn2Rm", {246, 95}, Right, Symbol, kTermConnector2Reflection, 48},
        {"CLm", {341, 89}, Right, Symbol, kTermLoadMatch},
        {"CXt", {425, 89}, Right, Symbol, kTermCrosstalk},
        {"NRc", {497, 148}, Centre, Symbol, kTermReceiverNoise},
        {"1", {505, 97}, Left, Gain},
        {"a1A", {xA, 48}, Centre, Symbol},
        {"b1A", {xA, 128}, Centre, Symbol},
        {"b2A", {xB, 47}, Centre, Symbol},
        {"a2A", {xB, 128}, Centre, Symbol},
        {"b2M", {xM, 47}, Centre, Symbol},
        {"a1M", {x3, 128}, Centre, Symbol},
        {"DUT", {26, 168}, Centre, Caption},
        {"Connector 2", {193, 168}, Centre, Caption},
        {"Cable 2", {298, 168}, Centre, Caption},
        {"Calibration", {388, 168}, Centre, Caption},
        {"Test set", {470, 168}, Centre, Caption},
    };
    return graph;
}

const Graph& GraphOf(GraphSide side) {
    static const Graph source = SourceGraph();
    static const Graph load = LoadGraph();
    return side == GraphSide::Source ? source : load;
}

constexpr int kSymbolPixels = 14;
constexpr int kSmallestSymbolPixels = 9;

QFont TextFont(TextStyle style, int pixels) {
    QFont font;
    if (style == TextStyle::Caption) {
        font.setFamilies({QStringLiteral("DejaVu Sans")});
        font.setStyleHint(QFont::SansSerif);
    } else {
        // The classic look of circuit symbols: a Times-like italic where there is one.
        font.setFamilies({QStringLiteral("Nimbus Roman"), QStringLiteral("Liberation Serif"),
                          QStringLiteral("DejaVu Serif")});
        font.setStyleHint(QFont::Serif);
    }
    font.setPixelSize(pixels);
    font.setItalic(style != TextStyle::Gain);
    return font;
}

// A text split into runs set normally and runs set as subscripts: the digits that follow a letter
// and the final letter (so "DCb1Tm" is DCb, 1 low, T, m low and "S21A" is S, 21A low).
struct Run {
    QString text;
    bool subscript;
};

std::vector<Run> SplitSubscripts(const QString& text, TextStyle style) {
    std::vector<Run> runs;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text.at(i);
        const bool afterLetterOrSubscript =
            i > 0 && (text.at(i - 1).isLetter() || (!runs.empty() && runs.back().subscript));
        const bool subscript =
            style == TextStyle::Symbol && i > 0 &&
            ((c.isDigit() && afterLetterOrSubscript) || (c.isLetter() && i == text.size() - 1));
        if (runs.empty() || runs.back().subscript != subscript)
            runs.push_back({QString(), subscript});
        runs.back().text += c;
    }
    return runs;
}

// How one text is set: its rectangle and the pixel size of its main font; subscripts are three
// quarters of it, dropped by 0.3 of it.
struct TextLayout {
    QRectF rect;
    int pixels;
};

QFont SubscriptFont(const QFont& main) {
    QFont font = main;
    font.setPixelSize(std::max(1, static_cast<int>(std::lround(main.pixelSize() * 0.75))));
    return font;
}

qreal SubscriptDrop(const QFont& main) {
    return main.pixelSize() * 0.3;
}

QSizeF TextSize(const QString& text, TextStyle style, int pixels) {
    const QFont main = TextFont(style, pixels);
    const QFontMetricsF mainMetrics(main);
    const QFontMetricsF subMetrics(SubscriptFont(main));
    qreal width = 0;
    qreal below = mainMetrics.descent();
    for (const Run& run : SplitSubscripts(text, style)) {
        width += (run.subscript ? subMetrics : mainMetrics).horizontalAdvance(run.text);
        if (run.subscript) below = std::max(below, SubscriptDrop(main) + subMetrics.descent());
    }
    return {width, mainMetrics.ascent() + below};
}

QRect PictureRect(GraphSide side) {
    return side == GraphSide::Source ? QRect(5, 5, 527, 183) : QRect(5, 5, 519, 170);
}

// The room `box` leaves for a text anchored at `at` (its centre, left or right edge there).
QSizeF RoomIn(const QRectF& box, QPointF at, Anchor anchor) {
    qreal width = 2 * std::min(at.x() - box.left(), box.right() - at.x());
    if (anchor == Anchor::Left) width = box.right() - at.x();
    if (anchor == Anchor::Right) width = at.x() - box.left();
    return {width - 1, 2 * std::min(at.y() - box.top(), box.bottom() - at.y()) - 1};
}

// The room a text may take: the picture, and for a branch label the hot spot it sits in.
QSizeF SizeLimit(const Text& text, const QRectF& picture, std::span<const HotSpot> spots) {
    QSizeF limit = RoomIn(picture, text.at, text.anchor);
    if (text.maxWidth > 0) limit.setWidth(std::min(limit.width(), text.maxWidth));
    for (const HotSpot& spot : spots) {
        if (text.target == kTargetNone || spot.target != text.target ||
            !spot.contains(qRound(text.at.x()), qRound(text.at.y())))
            continue;
        const QRectF box(spot.left, spot.top, spot.right - spot.left, spot.bottom - spot.top);
        limit = limit.boundedTo(RoomIn(box, text.at, text.anchor));
    }
    return limit;
}

TextLayout LayOut(const Text& text, GraphSide side) {
    const QString string = QString::fromLatin1(text.text);
    int pixels = text.style == TextStyle::Caption ? 10 : kSymbolPixels;
    QSizeF size = TextSize(string, text.style, pixels);
    const QSizeF limit = SizeLimit(text, PictureRect(side), GraphHotSpots(side));
    while ((size.width() > limit.width() || size.height() > limit.height()) &&
           pixels > kSmallestSymbolPixels)
        size = TextSize(string, text.style, --pixels);
    qreal left = text.at.x() - size.width() / 2;
    if (text.anchor == Anchor::Left) left = text.at.x();
    if (text.anchor == Anchor::Right) left = text.at.x() - size.width();
    return {QRectF(QPointF(left, text.at.y() - size.height() / 2), size), pixels};
}

void DrawText(QPainter& painter, const Text& text, const TextLayout& layout) {
    const QFont main = TextFont(text.style, layout.pixels);
    const QFont sub = SubscriptFont(main);
    const qreal baseline = layout.rect.top() + QFontMetricsF(main).ascent();
    painter.setPen(text.style == TextStyle::Caption ? QColor(0x70, 0x70, 0x70) : QColor(Qt::black));
    qreal x = layout.rect.left();
    for (const Run& run : SplitSubscripts(QString::fromLatin1(text.text), text.style)) {
        painter.setFont(run.subscript ? sub : main);
        painter.drawText(QPointF(x, run.subscript ? baseline + SubscriptDrop(main) : baseline),
                         run.text);
        x += QFontMetricsF(painter.font()).horizontalAdvance(run.text);
    }
}

// The branch's line (an arc when it bows) with a filled arrowhead at its middle.
void DrawBranch(QPainter& painter, const Branch& branch) {
    const QPointF middle = (branch.from + branch.to) / 2;
    const QPointF control = middle + QPointF(2 * branch.bowX, 0);
    QPainterPath path(branch.from);
    path.quadTo(control, branch.to);
    painter.setBrush(Qt::NoBrush);
    painter.drawPath(path);

    // The tangent at the middle of a quadratic arc is parallel to its chord.
    const QPointF tip = path.pointAtPercent(0.5);
    const QPointF chord = branch.to - branch.from;
    const qreal length = std::hypot(chord.x(), chord.y());
    const QPointF along = chord / length;
    const QPointF across(-along.y(), along.x());
    constexpr qreal kHead = 9;
    constexpr qreal kHalfWidth = 3.5;
    const QPointF headTip = tip + along * (kHead / 2);
    const QPointF base = tip - along * (kHead / 2);
    const QPointF head[] = {headTip, base + across * kHalfWidth, base - across * kHalfWidth};
    painter.setBrush(painter.pen().color());
    painter.drawPolygon(head, 3);
}

} // namespace

std::span<const HotSpot> GraphHotSpots(GraphSide side) {
    if (side == GraphSide::Source) return kSourceHotSpots;
    return kLoadHotSpots;
}

int GraphTargetAt(GraphSide side, int x, int y) {
    for (const HotSpot& spot : GraphHotSpots(side))
        if (spot.contains(x, y)) return spot.target;
    return kTargetNone;
}

std::vector<int> GraphTargetsInReadingOrder(GraphSide side) {
    // The leftmost hot spot of each target, then sorted by where it starts.
    std::vector<HotSpot> firsts;
    for (const HotSpot& spot : GraphHotSpots(side)) {
        auto same = std::find_if(firsts.begin(), firsts.end(),
                                 [&](const HotSpot& first) { return first.target == spot.target; });
        if (same == firsts.end())
            firsts.push_back(spot);
        else if (std::pair(spot.left, spot.top) < std::pair(same->left, same->top))
            *same = spot;
    }
    std::sort(firsts.begin(), firsts.end(), [](const HotSpot& a, const HotSpot& b) {
        return std::pair(a.left, a.top) < std::pair(b.left, b.top);
    });
    std::vector<int> targets;
    for (const HotSpot& spot : firsts)
        targets.push_back(spot.target);
    return targets;
}

std::vector<GraphLabel> GraphLabels(GraphSide side) {
    std::vector<GraphLabel> labels;
    for (const Text& text : GraphOf(side).texts)
        labels.push_back({QString::fromLatin1(text.text), LayOut(text, side).rect, text.target});
    return labels;
}

QCursor HotSpotCursor() {
    static const QCursor cursor = [] {
        // Drawn at the screen's pixel ratio so that it stays sharp on high-density screens.
        const QScreen* screen = QGuiApplication::primaryScreen();
        const qreal ratio = screen != nullptr ? screen->devicePixelRatio() : 1.0;
        QPixmap pixmap(QSize(32, 32) * ratio);
        pixmap.setDevicePixelRatio(ratio);
        pixmap.fill(Qt::transparent);
        QPainter painter(&pixmap);
        QSvgRenderer(QStringLiteral(":/model/hot_spot_cursor.svg"))
            .render(&painter, QRectF(0, 0, 32, 32));
        painter.end();
        return QCursor(pixmap, 1, 1);
    }();
    return cursor;
}

SignalFlowGraph::SignalFlowGraph(GraphSide side, QWidget* parent) : QWidget(parent), side_(side) {
    setMouseTracking(true);
    setFocusPolicy(Qt::StrongFocus);
    keyboardTarget_ = GraphTargetsInReadingOrder(side_).front();
    setFixedSize(sizeHint());
    setCursor(Qt::ArrowCursor);
    setAccessibleName(side == GraphSide::Source ? QStringLiteral("Source Side Uncertainty Model")
                                                : QStringLiteral("Load Side Uncertainty Model"));
}

QSize SignalFlowGraph::sizeHint() const {
    return PictureRect(side_).size() + QSize(10, 10);
}

bool SignalFlowGraph::event(QEvent* event) {
    if (event->type() != QEvent::ToolTip) return QWidget::event(event);
    const auto* help = static_cast<QHelpEvent*>(event);
    const int target = GraphTargetAt(side_, help->pos().x(), help->pos().y());
    const QString text = target == kTargetNone ? QString() : toolTips_.value(target);
    if (text.isEmpty())
        QToolTip::hideText();
    else
        QToolTip::showText(help->globalPos(), text, this);
    return true;
}

void SignalFlowGraph::paintEvent(QPaintEvent* /*event*/) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const QRect picture = PictureRect(side_);
    painter.fillRect(rect(), palette().window());
    painter.fillRect(picture, Qt::white);
    painter.setPen(QPen(palette().mid().color(), 1));
    painter.drawRect(QRectF(picture).adjusted(-0.5, -0.5, 0.5, 0.5));

    // The spots under the mouse are filled; those of the keyboard's target, while the graph has
    // the focus, are filled and outlined.
    const bool showKeyboardTarget = hasFocus();
    for (const HotSpot& spot : GraphHotSpots(side_)) {
        const bool hovered = spot.target == hovered_;
        const bool current = showKeyboardTarget && spot.target == keyboardTarget_;
        if (!hovered && !current) continue;
        painter.setPen(current ? QPen(palette().highlight().color(), 1.5, Qt::DashLine)
                               : QPen(Qt::NoPen));
        painter.setBrush(QColor(0xff, 0xe8, 0x8c, 0xb0));
        painter.drawRoundedRect(
            QRectF(spot.left, spot.top, spot.right - spot.left, spot.bottom - spot.top), 3, 3);
    }

    const Graph& graph = GraphOf(side_);
    const QColor ink(0x1a, 0x2b, 0x4c);
    painter.setPen(QPen(ink, 1.3));
    for (const Branch& branch : graph.branches)
        DrawBranch(painter, branch);
    painter.setPen(Qt::NoPen);
    painter.setBrush(ink);
    for (const QPointF& node : graph.nodes)
        painter.drawEllipse(node, 3.2, 3.2);
    for (const Text& text : graph.texts)
        DrawText(painter, text, LayOut(text, side_));
}

void SignalFlowGraph::setHovered(int target) {
    if (target == hovered_) return;
    hovered_ = target;
    setCursor(target == kTargetNone ? QCursor(Qt::ArrowCursor) : HotSpotCursor());
    update();
}

void SignalFlowGraph::mouseMoveEvent(QMouseEvent* event) {
    const QPoint at = event->position().toPoint();
    setHovered(GraphTargetAt(side_, at.x(), at.y()));
}

void SignalFlowGraph::mousePressEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton) return;
    const QPoint at = event->position().toPoint();
    pressed_ = GraphTargetAt(side_, at.x(), at.y());
    setHovered(pressed_);
}

void SignalFlowGraph::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton) return;
    const QPoint at = event->position().toPoint();
    const int target = GraphTargetAt(side_, at.x(), at.y());
    const bool clicked = target != kTargetNone && target == pressed_;
    pressed_ = kTargetNone;
    if (clicked) Q_EMIT targetClicked(target);
}

void SignalFlowGraph::leaveEvent(QEvent* /*event*/) {
    setHovered(kTargetNone);
}

void SignalFlowGraph::keyPressEvent(QKeyEvent* event) {
    const std::vector<int> targets = GraphTargetsInReadingOrder(side_);
    const auto at = std::find(targets.begin(), targets.end(), keyboardTarget_);
    const qsizetype index = at == targets.end() ? 0 : at - targets.begin();
    switch (event->key()) {
    case Qt::Key_Left:
    case Qt::Key_Up:
        keyboardTarget_ = targets[std::max<qsizetype>(index - 1, 0)];
        update();
        break;
    case Qt::Key_Right:
    case Qt::Key_Down:
        keyboardTarget_ = targets[std::min<qsizetype>(index + 1, qsizetype(targets.size()) - 1)];
        update();
        break;
    case Qt::Key_Return:
    case Qt::Key_Enter:
    case Qt::Key_Space:
        Q_EMIT targetClicked(keyboardTarget_);
        break;
    default:
        QWidget::keyPressEvent(event);
    }
}

void SignalFlowGraph::focusInEvent(QFocusEvent* event) {
    QWidget::focusInEvent(event);
    update();
}

void SignalFlowGraph::focusOutEvent(QFocusEvent* event) {
    QWidget::focusOutEvent(event);
    update();
}

} // namespace tolvane
