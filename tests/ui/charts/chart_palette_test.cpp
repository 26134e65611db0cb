// The curve pens: twelve curves that can be told apart, also by colour-blind readers.

#include "ui/charts/chart_palette.h"

#include <QTest>

#include <array>
#include <cmath>

using namespace tolvane;

namespace {

using Lab = std::array<double, 3>;

double Linear(int channel) {
    const double c = channel / 255.0;
    return c <= 0.04045 ? c / 12.92 : std::pow((c + 0.055) / 1.055, 2.4);
}

// CIELAB of a colour as seen with normal vision (vision 0), deuteranopia (1) or protanopia (2),
// the last two simulated with the full-severity matrices of Machado, Oliveira and Fernandes
// (2009) on linear RGB.
Lab SeenAs(const QColor& colour, int vision) {
    static constexpr double kMatrices[3][3][3] = {{{1, 0, 0}, {0, 1, 0}, {0, 0, 1}},
                                                  {{0.367322, 0.860646, -0.227968},
                                                   {0.280085, 0.672501, 0.047413},
                                                   {-0.011820, 0.042940, 0.968881}},
                                                  {{0.152286, 1.052583, -0.204868},
                                                   {0.114503, 0.786281, 0.099216},
                                                   {-0.003882, -0.048116, 1.051998}}};
    const double in[3] = {Linear(colour.red()), Linear(colour.green()), Linear(colour.blue())};
    double rgb[3];
    for (int i = 0; i < 3; ++i) {
        const auto& row = kMatrices[vision][i];
        rgb[i] = std::clamp(row[0] * in[0] + row[1] * in[1] + row[2] * in[2], 0.0, 1.0);
    }
    const double x = (0.4124 * rgb[0] + 0.3576 * rgb[1] + 0.1805 * rgb[2]) / 0.95047;
    const double y = 0.2126 * rgb[0] + 0.7152 * rgb[1] + 0.0722 * rgb[2];
    const double z = (0.0193 * rgb[0] + 0.1192 * rgb[1] + 0.9505 * rgb[2]) / 1.08883;
    const auto f = [](double t) { return t > 0.008856 ? std::cbrt(t) : 7.787 * t + 16.0 / 116.0; };
    return {116 * f(y) - 16, 500 * (f(x) - f(y)), 200 * (f(y) - f(z))};
}

double Distance(const Lab& a, const Lab& b) {
    return std::hypot(a[0] - b[0], a[1] - b[1], a[2] - b[2]);
}

} // namespace

class ChartPaletteTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    // Every two of twelve curves differ in colour; two of the same line style differ by a CIELAB
    // distance of at least 25 for normal, deuteranopic and protanopic vision alike.
    void twelveCurvesCanBeToldApart() {
        for (int a = 0; a < kDistinctCurveColours; ++a) {
            for (int b = a + 1; b < kDistinctCurveColours; ++b) {
                const QPen pa = CurvePen(a, kDistinctCurveColours);
                const QPen pb = CurvePen(b, kDistinctCurveColours);
                QVERIFY2(pa.color() != pb.color(),
                         qPrintable(QStringLiteral("%1 %2").arg(a).arg(b)));
                if (pa.style() != pb.style()) continue;
                for (int vision = 0; vision < 3; ++vision)
                    QVERIFY2(
                        Distance(SeenAs(pa.color(), vision), SeenAs(pb.color(), vision)) > 25,
                        qPrintable(QStringLiteral("%1 %2 vision %3").arg(a).arg(b).arg(vision)));
            }
        }
        // Fewer curves take the first pens; the colour scale starts above twelve.
        QCOMPARE(CurvePen(1, 3), CurvePen(1, kDistinctCurveColours));
        QCOMPARE(CurvePen(0, 13).color(), QColor::fromHsvF(0.66, 0.85, 0.8));
        QCOMPARE(CurvePen(12, 13).color(), QColor::fromHsvF(0.0, 0.85, 0.8));
    }
};

QTEST_MAIN(ChartPaletteTest)
#include "chart_palette_test.moc"
