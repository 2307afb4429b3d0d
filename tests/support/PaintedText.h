#pragma once

#include <QPaintDevice>
#include <QPaintEngine>
#include <QStringList>
#include <QTextItem>
#include <QWidget>

#include <cmath>
#include <vector>

// The texts a widget paints itself (a row, a card's painted lines), as its painter is given them: the
// widget is rendered onto a device that draws nothing and keeps each text run. Qt lays one text out in
// runs (a font or a script each); runs that follow on from each other on one baseline are one text.
class PaintedTexts : public QPaintDevice {
  public:
    explicit PaintedTexts(QWidget& widget) : size_(widget.size()) { widget.render(this); }

    QStringList texts() const {
        QStringList out;
        const Run* last = nullptr;
        for (const Run& run : engine_.runs) {
            const bool followsOn = last && std::abs(run.at.y() - last->at.y()) < 0.5 &&
                                   std::abs(run.at.x() - (last->at.x() + last->width)) < 0.5;
            if (followsOn)
                out.back() += run.text;
            else
                out << run.text;
            last = &run;
        }
        return out;
    }

    QPaintEngine* paintEngine() const override { return &engine_; }

  protected:
    int metric(PaintDeviceMetric metric) const override {
        switch (metric) {
        case PdmWidth:
            return size_.width();
        case PdmHeight:
            return size_.height();
        case PdmDpiX:
        case PdmDpiY:
        case PdmPhysicalDpiX:
        case PdmPhysicalDpiY:
            return 96;
        case PdmDepth:
            return 32;
        case PdmDevicePixelRatio:
            return 1;
        case PdmDevicePixelRatioScaled:
            return int(devicePixelRatioFScale());
        default:
            return 0;
        }
    }

  private:
    struct Run {
        QPointF at;
        double width = 0;
        QString text;
    };
    class Engine : public QPaintEngine {
      public:
        Engine() : QPaintEngine(AllFeatures) {}
        bool begin(QPaintDevice*) override { return true; }
        bool end() override { return true; }
        void updateState(const QPaintEngineState&) override {}
        void drawPixmap(const QRectF&, const QPixmap&, const QRectF&) override {}
        void drawImage(const QRectF&, const QImage&, const QRectF&, Qt::ImageConversionFlags) override {}
        void drawPath(const QPainterPath&) override {}
        void drawPolygon(const QPointF*, int, PolygonDrawMode) override {}
        void drawTextItem(const QPointF& at, const QTextItem& item) override {
            runs.push_back({at, item.width(), item.text()});
        }
        Type type() const override { return User; }
        std::vector<Run> runs;
    };
    QSize size_;
    mutable Engine engine_;
};

// The texts `widget` paints, each run of text it draws whole.
inline QStringList paintedTexts(QWidget& widget) {
    return PaintedTexts(widget).texts();
}
