#pragma once

// What a drawing writes as text, and where: a paint device that keeps every text item drawn on
// it, so that a test can tell whether a printed page carries a text whole.

#include <QLineF>
#include <QPaintDevice>
#include <QPaintEngine>
#include <QPainter>
#include <QPointF>
#include <QString>
#include <QTextItem>

#include <utility>
#include <vector>

namespace tolvane::testing {

class TextRecorder : public QPaintDevice {
public:
    TextRecorder(int width, int height) : width_(width), height_(height) {}

    [[nodiscard]] QPaintEngine* paintEngine() const override { return &engine_; }
    /// The texts drawn and the line from their start to their end on the baseline, in device
    /// coordinates, in the order they were drawn.
    [[nodiscard]] const std::vector<std::pair<QLineF, QString>>& texts() const {
        return engine_.texts;
    }
    /// Every text drawn run together without white space (lines wrap at spaces).
    [[nodiscard]] QString joinedWithoutSpaces() const {
        QString all;
        for (const auto& [at, text] : texts())
            all += text;
        return all.remove(QLatin1Char(' ')).remove(QLatin1Char('\n'));
    }

protected:
    [[nodiscard]] int metric(PaintDeviceMetric metric) const override {
        switch (metric) {
        case PdmWidth:
            return width_;
        case PdmHeight:
            return height_;
        case PdmDpiX:
        case PdmDpiY:
        case PdmPhysicalDpiX:
        case PdmPhysicalDpiY:
            return 96;
        case PdmDevicePixelRatioScaled:
            return int(devicePixelRatioFScale());
        case PdmDepth:
            return 32;
        default:
            return 1;
        }
    }

private:
    struct Engine : QPaintEngine {
        bool begin(QPaintDevice*) override { return true; }
        bool end() override { return true; }
        void updateState(const QPaintEngineState&) override {}
        // The rest is not recorded (the defaults would call each other without end).
        void drawPixmap(const QRectF&, const QPixmap&, const QRectF&) override {}
        void drawPath(const QPainterPath&) override {}
        void drawPolygon(const QPointF*, int, PolygonDrawMode) override {}
        void drawLines(const QLineF*, int) override {}
        void drawRects(const QRectF*, int) override {}
        void drawEllipse(const QRectF&) override {}
        void drawPoints(const QPointF*, int) override {}
        void drawTextItem(const QPointF& at, const QTextItem& item) override {
            const QLineF baseline(at, at + QPointF(item.width(), 0.0));
            texts.emplace_back(painter()->transform().map(baseline), item.text());
        }
        [[nodiscard]] Type type() const override { return User; }
        std::vector<std::pair<QLineF, QString>> texts;
    };
    int width_;
    int height_;
    mutable Engine engine_;
};

} // namespace tolvane::testing
