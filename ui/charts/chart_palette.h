#pragma once

#include <QPen>

namespace tolvane {

/// Charts of up to this many curves give each curve its own colour and show a legend; above it
/// the curves take a scale from blue (first frequency) to red (last) instead, since a legend of
/// hundreds of entries cannot be read.
inline constexpr int kDistinctCurveColours = 12;

/// The pen of curve `index` of a chart of `count` curves. Up to twelve curves: twelve colours that
/// stay apart for readers with red-green colour blindness, on white and in print, with the line
/// style as a second cue (solid for the first four, dashed for the next four, dotted for the
/// last four), so that curves of similar colour never share a style. Above twelve: the colour
/// scale, solid.
[[nodiscard]] QPen CurvePen(int index, int count);

} // namespace tolvane
