#pragma once

#include <QPaintDevice>
#include <QPaintEngine>
#include <QStringList>

namespace ecuprobe::gui_testing {

// An A4 page at 300 dpi that keeps the texts drawn on it, in order, and nothing
// else: what a page says, read back without a PDF parser.
class TextRecorder final : public QPaintDevice {
public:
    TextRecorder() : engine(texts) {}

    QStringList texts;

    QPaintEngine* paintEngine() const override { return &engine; }

protected:
    int metric(PaintDeviceMetric metric) const override {
        switch (metric) {
            case PdmWidth:
                return 2480;
            case PdmHeight:
                return 3508;
            case PdmWidthMM:
                return 210;
            case PdmHeightMM:
                return 297;
            case PdmDpiX:
            case PdmDpiY:
            case PdmPhysicalDpiX:
            case PdmPhysicalDpiY:
                return 300;
            case PdmDepth:
                return 32;
            case PdmNumColors:
                return 0x7fffffff;
            case PdmDevicePixelRatio:
                return 1;
            case PdmDevicePixelRatioScaled:
                return static_cast<int>(devicePixelRatioFScale());
        }
        return 0;
    }

private:
    class Engine final : public QPaintEngine {
    public:
        explicit Engine(QStringList& kept) : QPaintEngine(AllFeatures), texts(kept) {}
        bool begin(QPaintDevice*) override { return true; }
        bool end() override { return true; }
        void updateState(const QPaintEngineState&) override {}
        void drawPixmap(const QRectF&, const QPixmap&, const QRectF&) override {}
        void drawPath(const QPainterPath&) override {}
        void drawPolygon(const QPointF*, int, PolygonDrawMode) override {}
        void drawTextItem(const QPointF&, const QTextItem& item) override {
            texts.append(item.text());
        }
        Type type() const override { return User; }

    private:
        QStringList& texts;
    };

    mutable Engine engine;
};

}  // namespace ecuprobe::gui_testing
