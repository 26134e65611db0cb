#include "ui/charts/artwork.h"

#include <QPainter>
#include <QPainterPath>

#include <cmath>

namespace tolvane {
namespace {

const QColor kPaper(0xfb, 0xfc, 0xfd);
const QColor kMinorRule(0xee, 0xf2, 0xf6);
const QColor kMajorRule(0xdf, 0xe6, 0xee);
const QColor kChartRule(0xd8, 0xe0, 0xea);

void DrawGraphPaper(QPainter* painter, int size) {
    painter->fillRect(0, 0, size, size, kPaper);
    constexpr int kMinor = 12;
    constexpr int kMajor = 60; // divides the tile, so tiles join without a seam
    for (int at = 0; at < size; at += kMinor) {
        painter->setPen(QPen(at % kMajor == 0 ? kMajorRule : kMinorRule, 1));
        painter->drawLine(at, 0, at, size - 1);
        painter->drawLine(0, at, size - 1, at);
    }
}

// Smith chart of radius `radius` around `centre`: constant-resistance circles and
// constant-reactance arcs, clipped to the unit circle.
void DrawSmithChart(QPainter* painter, QPointF centre, double radius, const QPen& pen) {
    painter->save();
    painter->setRenderHint(QPainter::Antialiasing);
    painter->setPen(pen);
    painter->setBrush(Qt::NoBrush);
    QPainterPath unit;
    unit.addEllipse(centre, radius, radius);
    painter->drawPath(unit);
    painter->setClipPath(unit);
    painter->drawLine(QPointF(centre.x() - radius, centre.y()),
                      QPointF(centre.x() + radius, centre.y()));
    for (double r : {0.2, 0.5, 1.0, 2.0, 5.0}) {
        // Circle of centre (r / (1 + r), 0) and radius 1 / (1 + r) in reflection coordinates.
        const double circleRadius = radius / (1.0 + r);
        painter->drawEllipse(QPointF(centre.x() + radius * r / (1.0 + r), centre.y()), circleRadius,
                             circleRadius);
    }
    for (double x : {0.2, 0.5, 1.0, 2.0, 5.0}) {
        // Arcs of centre (1, ±1/x) and radius 1/x.
        const double arcRadius = radius / x;
        for (double sign : {-1.0, 1.0})
            painter->drawEllipse(QPointF(centre.x() + radius, centre.y() + sign * arcRadius),
                                 arcRadius, arcRadius);
    }
    painter->restore();
}

} // namespace

QPixmap DrawBackgroundTile(int tile) {
    QPixmap pixmap(kBackgroundTileSize, kBackgroundTileSize);
    QPainter painter(&pixmap);
    DrawGraphPaper(&painter, kBackgroundTileSize);
    if (tile == 2) {
        const double half = kBackgroundTileSize / 2.0;
        DrawSmithChart(&painter, QPointF(half, half), half - 40.0, QPen(kChartRule, 1.2));
    }
    return pixmap;
}

QIcon ApplicationIcon() {
    QIcon icon;
    for (int size : {16, 32, 48, 64, 128}) {
        QPixmap pixmap(size, size);
        pixmap.fill(Qt::transparent);
        QPainter painter(&pixmap);
        painter.setRenderHint(QPainter::Antialiasing);
        const double half = size / 2.0;
        painter.setBrush(Qt::white);
        painter.setPen(Qt::NoPen);
        painter.drawEllipse(QPointF(half, half), half - 0.5, half - 0.5);
        DrawSmithChart(&painter, QPointF(half, half), half - 1.0,
                       QPen(QColor(0x3a, 0x5a, 0x80), std::max(1.0, size / 40.0)));
        // A measured point with its uncertainty circle.
        const QPointF point(half + 0.35 * half, half - 0.3 * half);
        painter.setPen(QPen(QColor(0xc0, 0x39, 0x2b), std::max(1.0, size / 32.0)));
        painter.setBrush(QColor(0xc0, 0x39, 0x2b, 60));
        painter.drawEllipse(point, 0.22 * half, 0.22 * half);
        painter.setBrush(QColor(0xc0, 0x39, 0x2b));
        painter.drawEllipse(point, 0.06 * half + 0.5, 0.06 * half + 0.5);
        icon.addPixmap(pixmap);
    }
    return icon;
}

} // namespace tolvane
