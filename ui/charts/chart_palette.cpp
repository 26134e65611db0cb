#include "ui/charts/chart_palette.h"

#include <array>

namespace tolvane {
namespace {

// The eight colours of Okabe and Ito, yellow left out (it vanishes on white), and four darker
// ones of Paul Tol's muted scheme, grouped in fours (one line style each) so that the colours of
// a group stay furthest apart for readers with normal, deuteranopic and protanopic vision.
constexpr std::array<QRgb, kDistinctCurveColours> kCurveColours = {
    0x0072B2, // blue            solid
    0xD55E00, // vermilion
    0x009E73, // bluish green
    0x000000, // black
    0xCC79A7, // reddish purple  dashed
    0xE69F00, // orange
    0x882255, // wine
    0x332288, // indigo
    0x56B4E9, // sky blue        dotted
    0x117733, // green
    0x999933, // olive
    0xAA4499, // purple
};

constexpr Qt::PenStyle kStyles[] = {Qt::SolidLine, Qt::DashLine, Qt::DotLine};
constexpr int kCurvesPerStyle = 4;
constexpr qreal kPenWidth = 1.5;

} // namespace

QPen CurvePen(int index, int count) {
    if (count <= kDistinctCurveColours && index >= 0 && index < kDistinctCurveColours) {
        QPen pen(QColor::fromRgb(kCurveColours[static_cast<std::size_t>(index)]), kPenWidth);
        pen.setStyle(kStyles[index / kCurvesPerStyle]);
        return pen;
    }
    // A scale from blue (first frequency) to red (last).
    const double t = count > 1 ? double(index) / (count - 1) : 0.0;
    return QPen(QColor::fromHsvF(0.66 * (1.0 - t), 0.85, 0.8), kPenWidth);
}

} // namespace tolvane
