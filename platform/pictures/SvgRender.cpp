#include "platform/pictures/SvgRender.h"

#include <QPaintDevice>
#include <QPaintEngine>
#include <QPainter>
#include <QPainterPath>
#include <QSvgRenderer>

namespace platform {
namespace {

// Forwards what a painter draws to a painter on the picture, state and all, until told to stop.
class ForwardingEngine final : public QPaintEngine {
  public:
    ForwardingEngine(QImage& target, std::stop_token stop, std::chrono::steady_clock::time_point deadline)
        : QPaintEngine(AllFeatures), target_(target), stop_(std::move(stop)), deadline_(deadline) {}

    bool stopped() {
        if (!stopped_ && (stop_.stop_requested() || std::chrono::steady_clock::now() >= deadline_))
            stopped_ = true;
        return stopped_;
    }

    // Whether a call was dropped.
    bool dropped() const { return stopped_; }

    bool begin(QPaintDevice*) override { return painter_.begin(&target_); }
    bool end() override { return painter_.end(); }
    Type type() const override { return Type(User + 7); }

    // In the order a recorded picture replays it: the transform before the clip set under it.
    void updateState(const QPaintEngineState& state) override {
        if (stopped()) return;
        const DirtyFlags flags = state.state();
        if (flags & DirtyPen) painter_.setPen(state.pen());
        if (flags & DirtyBrush) painter_.setBrush(state.brush());
        if (flags & DirtyBrushOrigin) painter_.setBrushOrigin(state.brushOrigin());
        if (flags & DirtyFont) painter_.setFont(state.font());
        if (flags & DirtyBackground) painter_.setBackground(state.backgroundBrush());
        if (flags & DirtyBackgroundMode) painter_.setBackgroundMode(state.backgroundMode());
        if (flags & DirtyTransform) painter_.setTransform(state.transform());
        if (flags & DirtyClipRegion) painter_.setClipRegion(state.clipRegion(), state.clipOperation());
        if (flags & DirtyClipPath) painter_.setClipPath(state.clipPath(), state.clipOperation());
        if (flags & DirtyClipEnabled) painter_.setClipping(state.isClipEnabled());
        if (flags & DirtyHints) {
            painter_.setRenderHints(QPainter::RenderHints(~0), false);
            painter_.setRenderHints(state.renderHints());
        }
        if (flags & DirtyCompositionMode) painter_.setCompositionMode(state.compositionMode());
        if (flags & DirtyOpacity) painter_.setOpacity(state.opacity());
    }

    void drawPath(const QPainterPath& path) override {
        if (!stopped()) painter_.drawPath(path);
    }
    void drawRects(const QRectF* rects, int count) override {
        if (!stopped()) painter_.drawRects(rects, count);
    }
    void drawLines(const QLineF* lines, int count) override {
        if (!stopped()) painter_.drawLines(lines, count);
    }
    void drawEllipse(const QRectF& rect) override {
        if (!stopped()) painter_.drawEllipse(rect);
    }
    void drawPoints(const QPointF* points, int count) override {
        if (!stopped()) painter_.drawPoints(points, count);
    }
    void drawPolygon(const QPointF* points, int count, PolygonDrawMode mode) override {
        if (stopped()) return;
        switch (mode) {
        case OddEvenMode:
            painter_.drawPolygon(points, count, Qt::OddEvenFill);
            break;
        case WindingMode:
            painter_.drawPolygon(points, count, Qt::WindingFill);
            break;
        case ConvexMode:
            painter_.drawConvexPolygon(points, count);
            break;
        case PolylineMode:
            painter_.drawPolyline(points, count);
            break;
        }
    }
    void drawPixmap(const QRectF& rect, const QPixmap& pixmap, const QRectF& source) override {
        if (!stopped()) painter_.drawPixmap(rect, pixmap, source);
    }
    void drawTiledPixmap(const QRectF& rect, const QPixmap& pixmap, const QPointF& offset) override {
        if (!stopped()) painter_.drawTiledPixmap(rect, pixmap, offset);
    }
    void drawImage(const QRectF& rect, const QImage& image, const QRectF& source,
                   Qt::ImageConversionFlags flags) override {
        if (!stopped()) painter_.drawImage(rect, image, source, flags);
    }
    void drawTextItem(const QPointF& point, const QTextItem& item) override {
        if (!stopped()) painter_.drawTextItem(point, item);
    }

  private:
    QImage& target_;
    QPainter painter_;
    std::stop_token stop_;
    std::chrono::steady_clock::time_point deadline_;
    bool stopped_ = false;
};

// A device of the picture's size and resolution that paints through the forwarding engine.
class ForwardingDevice final : public QPaintDevice {
  public:
    ForwardingDevice(QImage& target, std::stop_token stop, std::chrono::steady_clock::time_point deadline)
        : target_(target), engine_(target, std::move(stop), deadline) {}
    ~ForwardingDevice() override = default;

    QPaintEngine* paintEngine() const override { return &engine_; }
    bool dropped() const { return engine_.dropped(); }

  protected:
    int metric(PaintDeviceMetric metric) const override {
        switch (metric) {
        case PdmWidth:
            return target_.width();
        case PdmHeight:
            return target_.height();
        case PdmWidthMM:
            return target_.widthMM();
        case PdmHeightMM:
            return target_.heightMM();
        case PdmNumColors:
            return target_.colorCount();
        case PdmDepth:
            return target_.depth();
        case PdmDpiX:
            return target_.logicalDpiX();
        case PdmDpiY:
            return target_.logicalDpiY();
        case PdmPhysicalDpiX:
            return target_.physicalDpiX();
        case PdmPhysicalDpiY:
            return target_.physicalDpiY();
        case PdmDevicePixelRatio:
            return 1;
        case PdmDevicePixelRatioScaled:
            return int(devicePixelRatioFScale());
        default:
            return 0;
        }
    }

  private:
    QImage& target_;
    mutable ForwardingEngine engine_;
};

} // namespace

QImage renderSvg(const QByteArray& document, int longestSide, std::stop_token stop,
                 std::chrono::steady_clock::time_point deadline) {
    QSvgRenderer renderer;
    if (!renderer.load(document)) return {};
    QSize size = renderer.defaultSize();
    if (size.isEmpty() || longestSide <= 0) return {};
    if (std::max(size.width(), size.height()) > longestSide)
        size = size.scaled(longestSide, longestSide, Qt::KeepAspectRatio).expandedTo(QSize(1, 1));
    QImage image(size, QImage::Format_ARGB32_Premultiplied);
    if (image.isNull()) return {};
    image.fill(Qt::transparent);
    ForwardingDevice device(image, std::move(stop), deadline);
    {
        QPainter painter(&device);
        renderer.render(&painter);
    }
    if (device.dropped()) return {};
    return image;
}

} // namespace platform
