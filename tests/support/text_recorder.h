// A paint device that keeps the texts drawn on it, so that a test can read
// what a widget, a page or a printout shows without comparing pixels.
#pragma once

#include <QPaintDevice>
#include <QPaintEngine>
#include <QStringList>

namespace vek::test {

class TextRecorder : public QPaintDevice {
  public:
    explicit TextRecorder(QSize size) : size_(size), engine_(this) {}
    QPaintEngine *paintEngine() const override { return const_cast<Engine *>(&engine_); }

    // Every text drawn, in drawing order.
    QStringList texts;

  protected:
    int metric(PaintDeviceMetric m) const override {
        switch (m) {
        case PdmWidth:
            return size_.width();
        case PdmHeight:
            return size_.height();
        case PdmWidthMM:
            return size_.width() * 254 / 960;
        case PdmHeightMM:
            return size_.height() * 254 / 960;
        case PdmDpiX:
        case PdmDpiY:
        case PdmPhysicalDpiX:
        case PdmPhysicalDpiY:
            return 96;
        case PdmDepth:
            return 32;
        case PdmNumColors:
            return 1 << 24;
        case PdmDevicePixelRatio:
            return 1;
        case PdmDevicePixelRatioScaled:
            return static_cast<int>(devicePixelRatioFScale());
        }
        return 0;
    }

  private:
    class Engine : public QPaintEngine {
      public:
        explicit Engine(TextRecorder *owner) : QPaintEngine(QPaintEngine::AllFeatures), owner_(owner) {}
        bool begin(QPaintDevice *) override { return true; }
        bool end() override { return true; }
        void updateState(const QPaintEngineState &) override {}
        void drawPixmap(const QRectF &, const QPixmap &, const QRectF &) override {}
        void drawImage(const QRectF &, const QImage &, const QRectF &, Qt::ImageConversionFlags) override {}
        void drawPath(const QPainterPath &) override {}
        void drawPolygon(const QPointF *, int, PolygonDrawMode) override {}
        void drawRects(const QRectF *, int) override {}
        void drawLines(const QLineF *, int) override {}
        void drawTextItem(const QPointF &, const QTextItem &item) override { owner_->texts << item.text(); }
        Type type() const override { return QPaintEngine::User; }

      private:
        TextRecorder *owner_;
    };

    QSize size_;
    Engine engine_;
};

} // namespace vek::test
