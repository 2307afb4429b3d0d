#include "visualizations/foldergrid/FolderCard.h"

#include "model/FileNode.h"
#include "shell/style/ColorBlend.h"
#include "shell/style/Contrast.h"
#include "shell/style/Fonts.h"
#include "shell/style/Formatters.h"
#include "shell/style/ItemMark.h"
#include "shell/style/Palette.h"
#include "shell/style/Shapes.h"
#include "shell/style/Theme.h"

#include <QFontMetricsF>
#include <QLinearGradient>
#include <QPainter>

#include <algorithm>
#include <array>
#include <cmath>

namespace {

constexpr double kRadius = 12;
constexpr double kShoulderDrop = 20;
constexpr double kTextPaddingX = 20, kTextPaddingBottom = 16;
constexpr double kHairlineTop = 12, kRowTop = 13, kRowSpacing = 10;
// The flexible space before the size: at least 6, with the row's spacing on both sides of it.
constexpr double kMinimumGap = 6 + 2 * kRowSpacing;
constexpr double kDotSize = 13, kDotOverlap = 3, kDotStroke = 1.5;

// Fonts and their metrics, made once: a screen of cards draws three lines each.
struct CardFonts {
    QFont name = fonts::ui(15, QFont::Medium);
    QFont items = fonts::ui(12);
    QFont size = fonts::ui(13, QFont::DemiBold);
    QFontMetricsF nameMetrics{name}, itemsMetrics{items}, sizeMetrics{size};
};
const CardFonts& cardFonts() {
    static const CardFonts fonts;
    return fonts;
}

constexpr double kSheenOpacity = 0.32;

// The silhouette filled with the background, the tint and a white sheen from the top-left corner,
// and outlined faintly unless selected.
void paintBody(QPainter& painter, const QRectF& rect, const QColor& tint, bool selected,
               const QColor& background) {
    const QPainterPath shape = folderShape(rect);
    painter.setPen(Qt::NoPen);
    painter.setBrush(background);
    painter.drawPath(shape);
    painter.setBrush(tint);
    painter.drawPath(shape);
    QLinearGradient sheen(rect.topLeft(), rect.bottomRight());
    sheen.setColorAt(0, QColor(255, 255, 255, int(kSheenOpacity * 255)));
    sheen.setColorAt(1, QColor(255, 255, 255, 0));
    painter.setBrush(sheen);
    painter.drawPath(shape);

    if (selected) return; // FolderCard::paint marks it, in the theme's inks
    QPen outline(QColor(0, 0, 0, int(0.06 * 255)), 1);
    outline.setCapStyle(Qt::FlatCap);
    outline.setJoinStyle(Qt::MiterJoin);
    outline.setMiterLimit(10);
    painter.setBrush(Qt::NoBrush);
    painter.setPen(outline);
    painter.drawPath(shape);
}

// The body's colour at `point` of a card in `rect`: the tint over the background, under the sheen that
// fades along the diagonal from the top-left corner.
QColor bodyColorAt(const QRectF& rect, QPointF point, const QColor& tint, const QColor& background) {
    const QPointF diagonal = rect.bottomRight() - rect.topLeft(), along = point - rect.topLeft();
    const double length = QPointF::dotProduct(diagonal, diagonal);
    const double t = length > 0 ? std::clamp(QPointF::dotProduct(along, diagonal) / length, 0.0, 1.0) : 0;
    const QColor sheen(255, 255, 255, int(std::lround(kSheenOpacity * 255 * (1 - t))));
    return color_blend::over(sheen, color_blend::over(tint, background));
}

// Draws one line of text with its box's vertical centre at `centreY`.
void drawLine(QPainter& painter, const QFont& font, const QFontMetricsF& metrics, const QColor& color,
              double x, double centreY, const QString& text) {
    painter.setFont(font);
    painter.setPen(color);
    painter.drawText(QPointF(x, centreY + (metrics.ascent() - metrics.descent()) / 2), text);
}

} // namespace

QPainterPath folderShape(const QRectF& rect) {
    const double minX = rect.left(), minY = rect.top(), maxX = rect.right(), maxY = rect.bottom();
    const double tab = 0.46 * rect.width();
    const double d = 2 * kRadius;
    QPainterPath path;
    path.moveTo(minX, minY + kRadius);
    path.arcTo(QRectF(minX, minY, d, d), 180, -90); // the tab's upper-left corner
    path.lineTo(minX + tab - 4, minY);
    // The tab's sloping right shoulder.
    path.cubicTo(minX + tab + 9.9, minY, minX + tab + 9.9, minY + kShoulderDrop, minX + tab + 22,
                 minY + kShoulderDrop);
    path.lineTo(maxX - kRadius, minY + kShoulderDrop);
    path.arcTo(QRectF(maxX - d, minY + kShoulderDrop, d, d), 90, -90);
    path.lineTo(maxX, maxY - kRadius);
    path.arcTo(QRectF(maxX - d, maxY - d, d, d), 0, -90);
    path.lineTo(minX + kRadius, maxY);
    path.arcTo(QRectF(minX, maxY - d, d, d), 270, -90);
    path.closeSubpath();
    return path;
}

FolderCard::FolderCard(const FileNode& node, QColor tint, bool isSelected)
    : node_(node), tint_(tint), selected_(isSelected) {}

std::vector<QColor> FolderCard::categoryDots() const {
    std::vector<QColor> colors;
    for (FileCategory category : node_.topCategories(3))
        colors.push_back(palette::categoryColor(category));
    if (colors.empty()) colors.push_back(palette::categoryColor(FileCategory::other));
    return colors;
}

QString FolderCard::itemsText() const {
    return formatCount(node_.fileCount()) + QStringLiteral(" items");
}

bool FolderCard::hits(const QRectF& cell, QPointF point) {
    return folderShape(cell).contains(point);
}

FolderCardBodies& FolderCardBodies::shared() {
    static FolderCardBodies bodies;
    return bodies;
}

std::list<FolderCardBodies::Entry>::const_iterator
FolderCardBodies::find(QSizeF size, QColor tint, bool selected, QColor background, double pixelRatio) const {
    return std::find_if(entries_.begin(), entries_.end(), [&](const Entry& e) {
        return e.size == size && e.tint == tint.rgba() && e.selected == selected &&
               e.background == background.rgba() && e.pixelRatio == pixelRatio;
    });
}

bool FolderCardBodies::holds(QSizeF size, QColor tint, bool selected, QColor background,
                             double pixelRatio) const {
    std::lock_guard lock(mutex_);
    return find(size, tint, selected, background, pixelRatio) != entries_.end();
}

size_t FolderCardBodies::drawnCount() const {
    std::lock_guard lock(mutex_);
    return drawn_;
}

void FolderCardBodies::addFront(Entry entry) {
    entries_.push_front(std::move(entry));
    if (entries_.size() > kCapacity) entries_.pop_back();
}

QImage FolderCardBodies::draw(QSizeF size, QColor tint, bool selected, QColor background, double pixelRatio) {
    const QSizeF outer = size + QSizeF(2 * kMargin, 2 * kMargin);
    QImage picture((outer * pixelRatio).toSize(), QImage::Format_ARGB32_Premultiplied);
    picture.setDevicePixelRatio(pixelRatio);
    picture.fill(Qt::transparent);
    QPainter painter(&picture);
    painter.setRenderHint(QPainter::Antialiasing);
    paintBody(painter, QRectF(QPointF(kMargin, kMargin), size), tint, selected, background);
    painter.end();
    return picture;
}

void FolderCardBodies::add(QSizeF size, QColor tint, bool selected, QColor background, double pixelRatio,
                           QImage picture) {
    std::lock_guard lock(mutex_);
    if (find(size, tint, selected, background, pixelRatio) == entries_.end())
        addFront({size, tint.rgba(), selected, background.rgba(), pixelRatio, std::move(picture)});
}

QImage FolderCardBodies::body(QSizeF size, QColor tint, bool selected, QColor background, double pixelRatio) {
    {
        std::lock_guard lock(mutex_);
        if (auto found = find(size, tint, selected, background, pixelRatio); found != entries_.end()) {
            entries_.splice(entries_.begin(), entries_, found);
            return entries_.front().picture;
        }
    }
    // Drawn outside the lock, so that pictures drawn ahead keep coming in meanwhile.
    QImage picture = draw(size, tint, selected, background, pixelRatio);
    std::lock_guard lock(mutex_);
    ++drawn_;
    if (find(size, tint, selected, background, pixelRatio) == entries_.end())
        addFront({size, tint.rgba(), selected, background.rgba(), pixelRatio, picture});
    return picture;
}

void FolderCard::paint(QPainter& painter, const QRectF& cell, double hover, const Theme& theme,
                       FolderCardBodies* bodies) const {
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setRenderHint(QPainter::TextAntialiasing);

    const QRectF rect = cell.translated(0, -kHoverLift * hover);
    if (hover > 0) {
        shapes::paintShadow(painter, folderShape(rect), QColor(0, 0, 0, int(0.08 * 255 * hover)), 12,
                            QPointF(0, 5));
    }
    if (bodies) {
        const double ratio = painter.device() ? painter.device()->devicePixelRatioF() : 1.0;
        const QImage body = bodies->body(rect.size(), tint_, selected_, theme.background, ratio);
        painter.drawImage(rect.topLeft() - QPointF(FolderCardBodies::kMargin, FolderCardBodies::kMargin),
                          body);
    } else {
        paintBody(painter, rect, tint_, selected_, theme.background);
    }
    if (selected_) {
        // The sheen lightens the body towards the top-left corner: the rim reads at both ends.
        const std::array fills{bodyColorAt(rect, rect.topLeft(), tint_, theme.background),
                               bodyColorAt(rect, rect.bottomRight(), tint_, theme.background)};
        ItemMark(fills, std::span(&theme.background, 1), theme).paint(painter, folderShape(rect));
    }

    // The text column in the card's lower left: name, hairline, then dots, item count and size.
    const CardFonts& f = cardFonts();
    const double left = rect.left() + kTextPaddingX;
    const double columnWidth = std::max(0.0, rect.width() - 2 * kTextPaddingX);
    const double rowHeight = std::max({kDotSize, f.itemsMetrics.height(), f.sizeMetrics.height()});
    const double rowBottom = rect.bottom() - kTextPaddingBottom;
    const double rowCentre = rowBottom - rowHeight / 2;
    const double hairlineY = rowBottom - rowHeight - kRowTop - 1;
    const double nameCentre = hairlineY - kHairlineTop - f.nameMetrics.height() / 2;

    // What a line of text from `x`, `width` long, lies on: the sheen makes the body lighter towards the
    // top-left, so a line's ink is to read at both its ends.
    auto fillsAlong = [&](double x, double width, double y) {
        return std::array{bodyColorAt(rect, QPointF(x, y), tint_, theme.background),
                          bodyColorAt(rect, QPointF(x + width, y), tint_, theme.background)};
    };

    const QString name = f.nameMetrics.elidedText(nodeName(node_), Qt::ElideMiddle, columnWidth);
    drawLine(painter, f.name, f.nameMetrics,
             contrast::textInk(fillsAlong(left, f.nameMetrics.horizontalAdvance(name), nameCentre)), left,
             nameCentre, name);

    painter.fillRect(QRectF(left, hairlineY, columnWidth, 1), QColor(0, 0, 0, int(0.08 * 255)));

    double x = left;
    painter.setPen(QPen(tint_, kDotStroke));
    for (const QColor& color : categoryDots()) {
        painter.setBrush(color);
        painter.drawEllipse(QRectF(x, rowCentre - kDotSize / 2, kDotSize, kDotSize));
        x += kDotSize - kDotOverlap;
    }
    x += kDotOverlap + kRowSpacing;

    const QString size = formatBytes(node_.sizeOnDisk);
    const double sizeWidth = f.sizeMetrics.horizontalAdvance(size);
    const double itemsRoom = std::max(0.0, left + columnWidth - sizeWidth - kMinimumGap - x);
    const QString items = f.itemsMetrics.elidedText(itemsText(), Qt::ElideRight, itemsRoom);
    drawLine(painter, f.items, f.itemsMetrics,
             contrast::secondaryInk(fillsAlong(x, f.itemsMetrics.horizontalAdvance(items), rowCentre)), x,
             rowCentre, items);
    const double sizeLeft = std::max(x, left + columnWidth - sizeWidth);
    drawLine(painter, f.size, f.sizeMetrics, contrast::textInk(fillsAlong(sizeLeft, sizeWidth, rowCentre)),
             sizeLeft, rowCentre, size);
    painter.restore();
}
