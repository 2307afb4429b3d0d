#include "shell/panels/QuickWinRow.h"

#include "model/CleanupQueue.h"
#include "model/ScanViewModel.h"
#include "shell/actions/NodeActions.h"
#include "shell/controls/ThemedLabel.h"
#include "shell/style/Fonts.h"
#include "shell/style/Formatters.h"
#include "shell/style/Shapes.h"
#include "shell/style/SmoothPainter.h"
#include "shell/style/Symbols.h"
#include "shell/style/Theme.h"

#include <QContextMenuEvent>
#include <QMenu>
#include <QMouseEvent>
#include <QPainter>

namespace {
constexpr double kSymbolWidth = 26, kSpacing = 12, kLeading = 6, kTrailing = 8;

QFont titleFont() {
    return fonts::ui(13, QFont::Medium);
}
QFont countFont() {
    return fonts::ui(10.5);
}
QFont sizeFont() {
    return fonts::ui(12.5, QFont::DemiBold);
}
} // namespace

QuickWinRow::QuickWinRow(ScanViewModel& model, QuickWins::Category category, QWidget* parent)
    : QWidget(parent), model_(model), category_(std::move(category)) {
    setFixedHeight(kHeight);
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    setAttribute(Qt::WA_Hover);
    setCursor(Qt::PointingHandCursor);
    setAccessibleName(title(category_.kind));
}

QString QuickWinRow::symbol(QuickWins::Kind kind) {
    switch (kind) {
    case QuickWins::Kind::downloads:
        return QStringLiteral("arrow.down.circle.fill");
    case QuickWins::Kind::caches:
        return QStringLiteral("clock.arrow.circlepath");
    case QuickWins::Kind::simulators:
        return QStringLiteral("iphone");
    case QuickWins::Kind::largeMedia:
        return QStringLiteral("photo.stack.fill");
    case QuickWins::Kind::nodeModules:
        return QStringLiteral("shippingbox.fill");
    case QuickWins::Kind::buildArtifacts:
        return QStringLiteral("cube.fill");
    case QuickWins::Kind::derivedData:
        return QStringLiteral("hammer.fill");
    }
    return {};
}

QString QuickWinRow::title(QuickWins::Kind kind) {
    switch (kind) {
    case QuickWins::Kind::downloads:
        return QStringLiteral("Downloads");
    case QuickWins::Kind::caches:
        return QStringLiteral("Caches & logs");
    case QuickWins::Kind::simulators:
        return QStringLiteral("iOS Simulators");
    case QuickWins::Kind::largeMedia:
        return QStringLiteral("Large media");
    case QuickWins::Kind::nodeModules:
        return QStringLiteral("node_modules");
    case QuickWins::Kind::buildArtifacts:
        return QStringLiteral("Build artifacts");
    case QuickWins::Kind::derivedData:
        return QStringLiteral("Xcode DerivedData");
    }
    return {};
}

QString QuickWinRow::countText(int64_t itemCount) {
    if (itemCount == 1) return QStringLiteral("1 item");
    return formatCount(itemCount) + QStringLiteral(" items");
}

QString QuickWinRow::stageAllTitle(const QuickWins::Category& category) {
    return QStringLiteral("Add all %1 to Cleanup").arg(category.matches.size());
}

void QuickWinRow::open(ScanViewModel& model, const QuickWins::Category& category) {
    model.showExplore();
    if (category.matches.empty()) return;
    FileNode* largest = category.matches.front();
    for (FileNode* match : category.matches)
        if (match->sizeOnDisk > largest->sizeOnDisk) largest = match;
    if (category.matches.size() == 1 && largest->isDirectory()) {
        model.setCurrentFolder(largest);
        model.setSelectedNode(largest);
    } else {
        model.reveal(largest);
    }
}

void QuickWinRow::stageAll(ScanViewModel& model, const QuickWins::Category& category) {
    model.showExplore();
    const QString reason = title(category.kind);
    // One change per staged item, as when staging them one by one; staged paths are skipped.
    for (const FileNode* match : category.matches)
        model.cleanupQueue().add(match, reason);
}

void QuickWinRow::revealLargest(ScanViewModel& model, const QuickWins::Category& category) {
    model.showExplore();
    if (!category.matches.empty()) node_actions::reveal(category.matches.front());
}

QSize QuickWinRow::sizeHint() const {
    return {300, kHeight};
}
QSize QuickWinRow::minimumSizeHint() const {
    return {120, kHeight};
}

void QuickWinRow::paintEvent(QPaintEvent*) {
    const Theme& t = theme();
    SmoothPainter painter(this);
    if (hovering_) {
        QColor fill = t.chip;
        fill.setAlphaF(fill.alphaF() * 0.6f);
        shapes::fill(painter, rect(), 8, fill);
    }
    const Rgb rgb = QuickWins::color(category_.kind);
    double x = kLeading;
    symbols::paint(painter, QRectF(x, 0, kSymbolWidth, height()), symbol(category_.kind), 13,
                   QColor(rgb.r, rgb.g, rgb.b));
    x += kSymbolWidth + kSpacing;

    // Right side first: the chevron and the size keep their room.
    const QSizeF chevron = symbols::size(QStringLiteral("chevron.right"), 9.5);
    double right = width() - kTrailing;
    symbols::paint(painter, QRectF(right - chevron.width(), 0, chevron.width(), height()),
                   QStringLiteral("chevron.right"), 9.5, t.textTertiary);
    right -= chevron.width() + kSpacing;
    const double sizeWidth =
        ThemedLabel::paintLine(painter, QRectF(x, 0, right - x, height()), formatBytes(category_.totalSize()),
                               sizeFont(), t.text, Qt::AlignRight);
    right -= sizeWidth + kSpacing;

    const QFontMetricsF tm(titleFont()), cm(countFont());
    const double block = tm.height() + 2 + cm.height();
    const double top = (height() - block) / 2;
    ThemedLabel::paintLine(painter, QRectF(x, top, right - x, tm.height()), title(category_.kind),
                           titleFont(), t.text);
    ThemedLabel::paintLine(painter, QRectF(x, top + tm.height() + 2, right - x, cm.height()),
                           countText(category_.itemCount), countFont(), t.textTertiary);
}

void QuickWinRow::enterEvent(QEnterEvent* event) {
    hovering_ = true;
    update();
    QWidget::enterEvent(event);
}

void QuickWinRow::leaveEvent(QEvent* event) {
    hovering_ = false;
    update();
    QWidget::leaveEvent(event);
}

void QuickWinRow::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton && rect().contains(event->position().toPoint()))
        open(model_, category_);
    QWidget::mouseReleaseEvent(event);
}

void QuickWinRow::contextMenuEvent(QContextMenuEvent* event) {
    auto* menu = new QMenu(this);
    menu->setAttribute(Qt::WA_DeleteOnClose);
    // The matches belong to the tree of this moment; a menu left open across a scan does nothing.
    std::shared_ptr<ScanTree> tree = model_.tree();
    ScanViewModel& model = model_;
    const QuickWins::Category category = category_;
    auto guarded = [&model, tree, category](void (*action)(ScanViewModel&, const QuickWins::Category&)) {
        return [&model, tree, category, action] {
            if (model.tree() == tree) action(model, category);
        };
    };
    connect(menu->addAction(stageAllTitle(category_)), &QAction::triggered, &model_, guarded(&stageAll));
    if (!category_.matches.empty())
        connect(menu->addAction(QStringLiteral("Reveal in File Manager")), &QAction::triggered, &model_,
                guarded(&revealLargest));
    menu->popup(event->globalPos());
}
