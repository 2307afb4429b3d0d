#pragma once

#include <QPaintDevice>
#include <QPaintEngine>
#include <QStringList>
#include <QTextItem>
#include <QWidget>

#include <cmath>

// The texts a widget paints itself (a row, a card's painted lines), as its painter is given them: the
// widget is rendered onto a device that draws nothing and keeps each run of text. Qt lays a text out in
// runs (one per font or script); runs that follow on from each other on one baseline are one text.
class PaintedTexts : public QPaintDevice {
  public:
    explicit PaintedTexts(QWidget& widget) : size_(widget.size()) { widget.render(this); }
    const QStringList& texts() const { return engine_.texts; }
    QPaintEngine* paintEngine() const override { return &engine_; }

  protected:
    int metric(PaintDeviceMetric metric) const override {
        switch (metric) {
        case PdmWidth:
            return size_.width();
        case PdmHeight:
            return size_.height();
        case PdmDevicePixelRatioScaled:
            return int(devicePixelRatioFScale());
        case PdmDevicePixelRatio:
            return 1;
        default:
            return metric == PdmDepth ? 32 : 96; // dots per inch, as on the offscreen screen
        }
    }

  private:
    struct Engine : QPaintEngine {
        Engine() : QPaintEngine(AllFeatures) {}
        bool begin(QPaintDevice*) override { return true; }
        bool end() override { return true; }
        void updateState(const QPaintEngineState&) override {}
        void drawPixmap(const QRectF&, const QPixmap&, const QRectF&) override {}
        void drawPath(const QPainterPath&) override {}
        void drawPolygon(const QPointF*, int, PolygonDrawMode) override {}
        Type type() const override { return User; }
        void drawTextItem(const QPointF& at, const QTextItem& item) override {
            if (!texts.isEmpty() && std::abs(at.y() - runEnd.y()) < 0.5 &&
                std::abs(at.x() - runEnd.x()) < 0.5)
                texts.back() += item.text();
            else
                texts << item.text();
            runEnd = at + QPointF(item.width(), 0);
        }
        QStringList texts;
        QPointF runEnd; // where the last run ended
    };
    QSize size_;
    mutable Engine engine_;
};

// The texts `widget` paints, each as it draws it whole.
inline QStringList paintedTexts(QWidget& widget) {
    return PaintedTexts(widget).texts();
}
