#include "tools/CleanupQueueView.h"

#include "model/CleanupQueue.h"
#include "model/ScanViewModel.h"
#include "shell/canvas/PointerGestures.h"
#include "shell/controls/Buttons.h"
#include "shell/controls/CardBackground.h"
#include "shell/controls/EmptyState.h"
#include "shell/style/Fonts.h"
#include "shell/style/Formatters.h"
#include "shell/style/Shapes.h"
#include "shell/style/SmoothPainter.h"
#include "shell/style/Symbols.h"
#include "shell/style/Theme.h"

#include <QFontMetricsF>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QMouseEvent>
#include <QPainter>
#include <QPointer>
#include <QScrollArea>
#include <QScrollBar>
#include <QStackedWidget>
#include <QVBoxLayout>

#include <algorithm>

namespace cleanup_queue {

namespace {

constexpr int kPadding = 16;

// The system's red, which marks the destructive action and failures.
QColor systemRed() {
    return theme().colorScheme == ColorScheme::dark ? QColor(255, 69, 58) : QColor(255, 59, 48);
}

void styleLabel(QLabel* label, const QFont& font, const QColor& color) {
    label->setFont(font);
    QPalette p = label->palette();
    p.setColor(QPalette::WindowText, color);
    label->setPalette(p);
}

// A filled button in the system red, for the destructive action.
class DestructiveButton : public WideButton {
  public:
    DestructiveButton(const QString& title, double height, double fontSize, std::function<void()> action,
                      QWidget* parent)
        : WideButton(title, {}, height, fontSize, 1, 8, std::move(action), parent) {
        setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
    }

  protected:
    void paintContent(QPainter& painter) override {
        shapes::fill(painter, rect(), 8, systemRed());
        paintLabel(painter, shownImage(), shownTitle(), Qt::white);
    }
};

// A one-point line in the theme's divider colour.
class Divider : public QWidget {
  public:
    explicit Divider(QWidget* parent) : QWidget(parent) { setFixedHeight(1); }

  protected:
    void paintEvent(QPaintEvent*) override { QPainter(this).fillRect(rect(), theme().divider); }
};

QString lastComponent(const std::string& path) {
    const size_t slash = path.find_last_of('/');
    const std::string name =
        slash == std::string::npos || slash + 1 == path.size() ? path : path.substr(slash + 1);
    return QString::fromUtf8(name.data(), qsizetype(name.size()));
}

} // namespace

// ---- Confirmation -------------------------------------------------------------------------------

// The confirmation, drawn over the popover's own content: a separate dialog window would take the
// pointer from the popover, and the popover closes when the pointer goes elsewhere.
class ConfirmSheet : public QWidget {
  public:
    ConfirmSheet(std::function<void()> confirm, std::function<void()> cancel, QWidget* parent)
        : QWidget(parent), card_(new CardBackground(12, this)) {
        setFocusPolicy(Qt::StrongFocus);
        auto* layout = new QVBoxLayout(card_);
        layout->setContentsMargins(20, 18, 20, 16);
        layout->setSpacing(8);
        title_ = new QLabel(card_);
        title_->setWordWrap(true);
        message_ = new QLabel(card_);
        message_->setWordWrap(true);
        layout->addWidget(title_);
        layout->addWidget(message_);
        layout->addSpacing(8);
        auto* buttons = new QHBoxLayout;
        buttons->setSpacing(8);
        buttons->addStretch(1);
        cancel_ = new OutlineButton({.title = QStringLiteral("Cancel"), .height = 28, .fontSize = 12},
                                    std::move(cancel), card_);
        cancel_->setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
        confirm_ = new DestructiveButton(QStringLiteral("Move to Trash"), 28, 12, std::move(confirm), card_);
        buttons->addWidget(cancel_);
        buttons->addWidget(confirm_);
        layout->addLayout(buttons);
        restyle();
        connect(&ThemeManager::instance(), &ThemeManager::themeChanged, this, [this] { restyle(); });
        hide();
    }

    void present(const QString& title, const QString& message) {
        title_->setText(title);
        message_->setText(message);
        setGeometry(parentWidget()->rect());
        placeCard();
        show();
        raise();
        setFocus();
    }

    QString title() const { return title_->text(); }
    QString message() const { return message_->text(); }
    WideButton* confirmButton() const { return confirm_; }
    WideButton* cancelButton() const { return cancel_; }

  protected:
    void paintEvent(QPaintEvent*) override {
        QPainter painter(this);
        painter.setRenderHint(QPainter::Antialiasing);
        const bool dark = theme().colorScheme == ColorScheme::dark;
        painter.fillRect(rect(), QColor(0, 0, 0, dark ? 110 : 60));
        shapes::paintShadow(painter, card_->geometry(), 12, QColor(0, 0, 0, dark ? 90 : 45), 18,
                            QPointF(0, 6));
    }
    void resizeEvent(QResizeEvent* event) override {
        placeCard();
        QWidget::resizeEvent(event);
    }
    void keyPressEvent(QKeyEvent* event) override {
        if (event->key() == Qt::Key_Escape) return cancel_->click();
        QWidget::keyPressEvent(event);
    }
    // Clicks on the dimmed area neither reach the content below nor answer the question.
    void mousePressEvent(QMouseEvent* event) override { event->accept(); }

  private:
    void restyle() {
        const Theme& t = theme();
        styleLabel(title_, fonts::ui(13.5, QFont::Bold), t.text);
        styleLabel(message_, fonts::ui(12), t.textSecondary);
        update();
    }
    void placeCard() {
        const int w = std::min(340, width() - 2 * kPadding);
        card_->setFixedWidth(w);
        int h = card_->layout()->heightForWidth(w);
        if (h < 0) h = card_->sizeHint().height();
        card_->setGeometry((width() - w) / 2, (height() - h) / 2, w, h);
    }

    CardBackground* card_;
    QLabel* title_;
    QLabel* message_;
    OutlineButton* cancel_;
    WideButton* confirm_;
};

// ---- Item rows ----------------------------------------------------------------------------------

ItemList::ItemList(CleanupQueue& queue, QWidget* parent) : QWidget(parent), queue_(queue) {
    // The remove buttons act as buttons do: on a release over the button that was pressed.
    (new PointerGestures(this))
        ->onHover([this](QPointF point) {
            const int row = rowAt(point);
            setHover(row, row >= 0 && removeButtonRect(row).contains(point));
        })
        .onLeave([this] { setHover(-1, false); })
        .onPress([this](QPointF point) {
            const int row = rowAt(point);
            pressedRow_ = row >= 0 && removeButtonRect(row).contains(point) ? row : -1;
            update();
        })
        .onRelease([this](QPointF point) {
            const int pressed = std::exchange(pressedRow_, -1);
            update();
            if (pressed >= 0 && pressed < rowCount() && removeButtonRect(pressed).contains(point))
                emit removeRequested(queue_.items()[size_t(pressed)].id);
        });
    connect(&queue_, &CleanupQueue::itemsChanged, this, [this] {
        hoverRow_ = std::min(hoverRow_, rowCount() - 1);
        setMinimumHeight(rowCount() * kRowHeight);
        updateGeometry();
        update();
    });
    setMinimumHeight(rowCount() * kRowHeight);
}

int ItemList::rowCount() const {
    return int(queue_.items().size());
}

QSize ItemList::sizeHint() const {
    return {CleanupQueueView::kSize.width(), rowCount() * kRowHeight};
}

QRectF ItemList::removeButtonRect(int row) const {
    const double side = 24;
    return {width() - kPadding - side + 4, row * kRowHeight + (kRowHeight - side) / 2, side, side};
}

QString ItemList::nameText(int row) const {
    return lastComponent(queue_.items()[size_t(row)].path);
}
QString ItemList::reasonText(int row) const {
    return queue_.items()[size_t(row)].reason;
}
QString ItemList::sizeText(int row) const {
    return formatBytes(queue_.items()[size_t(row)].size);
}

int ItemList::rowAt(QPointF point) const {
    const int row = int(point.y()) / kRowHeight;
    return point.y() >= 0 && row < rowCount() ? row : -1;
}

void ItemList::setHover(int row, bool onButton) {
    if (row == hoverRow_ && onButton == hoverButton_) return;
    hoverRow_ = row;
    hoverButton_ = onButton;
    setCursor(onButton ? Qt::PointingHandCursor : Qt::ArrowCursor);
    update();
}

void ItemList::paintEvent(QPaintEvent* event) {
    const Theme& t = theme();
    SmoothPainter painter(this);
    const QFont nameFont = fonts::ui(12.5, QFont::Medium), reasonFont = fonts::ui(10.5),
                sizeFont = fonts::ui(12);
    const QFontMetricsF nameMetrics(nameFont), reasonMetrics(reasonFont), sizeMetrics(sizeFont);
    const int first = std::max(0, event->rect().top() / kRowHeight);
    const int last = std::min(rowCount() - 1, event->rect().bottom() / kRowHeight);
    for (int row = first; row <= last; ++row) {
        const double top = row * kRowHeight;
        if (row == hoverRow_)
            shapes::fill(painter, QRectF(6, top + 2, width() - 12, kRowHeight - 4), 8, t.chip);
        if (row > 0 && row != hoverRow_ && row - 1 != hoverRow_)
            painter.fillRect(QRectF(kPadding, top, width() - 2 * kPadding, 1), t.divider);

        const QRectF button = removeButtonRect(row);
        const QString size = sizeText(row);
        const double sizeWidth = sizeMetrics.horizontalAdvance(size);
        const double sizeRight = button.left() - 8;
        painter.setFont(sizeFont);
        painter.setPen(t.text);
        const double centre = top + kRowHeight / 2.0;
        painter.drawText(
            QPointF(sizeRight - sizeWidth, centre + (sizeMetrics.ascent() - sizeMetrics.descent()) / 2),
            size);

        const double textWidth = std::max(0.0, sizeRight - sizeWidth - 12 - kPadding);
        const double nameHeight = nameMetrics.ascent() + nameMetrics.descent();
        const double reasonHeight = reasonMetrics.ascent() + reasonMetrics.descent();
        const double blockTop = centre - (nameHeight + 1 + reasonHeight) / 2;
        painter.setFont(nameFont);
        painter.setPen(t.text);
        painter.drawText(QPointF(kPadding, blockTop + nameMetrics.ascent()),
                         nameMetrics.elidedText(nameText(row), Qt::ElideMiddle, textWidth));
        painter.setFont(reasonFont);
        painter.setPen(t.textSecondary);
        painter.drawText(QPointF(kPadding, blockTop + nameHeight + 1 + reasonMetrics.ascent()),
                         reasonMetrics.elidedText(reasonText(row), Qt::ElideRight, textWidth));

        const bool hot = row == hoverRow_ && hoverButton_;
        if (hot)
            shapes::fill(painter, button, button.width() / 2,
                         QColor(systemRed().red(), systemRed().green(), systemRed().blue(), 30));
        painter.setOpacity(row == pressedRow_ ? 0.6 : 1.0);
        symbols::paint(painter, button, QStringLiteral("xmark.circle"), 13,
                       hot ? systemRed() : t.textTertiary);
        painter.setOpacity(1.0);
    }
}

} // namespace cleanup_queue

using namespace cleanup_queue;

// ---- The popover's content ----------------------------------------------------------------------

CleanupQueueView::CleanupQueueView(ScanViewModel& viewModel, QWidget* parent)
    : QWidget(parent), viewModel_(viewModel), queue_(viewModel.cleanupQueue()) {
    resize(kSize);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);

    auto* header = new QHBoxLayout;
    header->setContentsMargins(kPadding, 14, kPadding, 14);
    header->setSpacing(10);
    title_ = new QLabel(QStringLiteral("Cleanup Queue"), this);
    staged_ = new QLabel(this);
    clear_ = new OutlineButton(
        {.title = QStringLiteral("Clear"), .height = 28, .fontSize = 12}, [this] { clear(); }, this);
    clear_->setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
    move_ = new DestructiveButton(
        QStringLiteral("Move to Trash…"), 28, 12, [this] { askToMove(); }, this);
    header->addWidget(title_);
    header->addStretch(1);
    header->addWidget(staged_);
    header->addWidget(clear_);
    header->addWidget(move_);
    layout->addLayout(header);
    layout->addWidget(new Divider(this));

    content_ = new QStackedWidget(this);
    empty_ = new EmptyState(QStringLiteral("tray"), {},
                            QStringLiteral("Nothing staged yet. Stage items from any visualization, Quick "
                                           "Wins, Duplicates, or App Uninstaller."),
                            EmptyState::Style{}, content_);
    scroll_ = new QScrollArea(content_);
    scroll_->setFrameShape(QFrame::NoFrame);
    scroll_->setWidgetResizable(true);
    scroll_->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    scroll_->viewport()->setAutoFillBackground(false);
    list_ = new ItemList(queue_);
    list_->setAutoFillBackground(false);
    scroll_->setWidget(list_);
    content_->addWidget(empty_);
    content_->addWidget(scroll_);
    layout->addWidget(content_, 1);

    banner_ = new QLabel(this);
    banner_->setWordWrap(true);
    banner_->setContentsMargins(kPadding, 10, kPadding, 12);
    layout->addWidget(banner_);

    sheet_ = new ConfirmSheet([this] { confirmMove(); }, [this] { cancelMove(); }, this);

    connect(list_, &ItemList::removeRequested, this, &CleanupQueueView::removeItem);
    connect(&queue_, &CleanupQueue::itemsChanged, this, &CleanupQueueView::refresh);
    connect(&queue_, &CleanupQueue::refusalsChanged, this, &CleanupQueueView::refresh);
    connect(&ThemeManager::instance(), &ThemeManager::themeChanged, this, &CleanupQueueView::refresh);
    refresh();
}

CleanupQueueView::~CleanupQueueView() = default;

void CleanupQueueView::refresh() {
    const Theme& t = theme();
    styleLabel(title_, fonts::ui(13.5, QFont::DemiBold), t.text);
    styleLabel(staged_, fonts::ui(12.5), t.textSecondary);
    styleLabel(banner_, fonts::ui(11), systemRed());
    staged_->setText(stagedText());
    const bool empty = queue_.items().empty();
    // Nothing to clear in an empty queue; refusal notices alone stay until the next clear or move.
    clear_->setEnabled(!empty);
    // A second confirmation while a move runs would only ask to move the same items again.
    move_->setEnabled(!empty && !moving_);
    move_->setTitle(moving_ ? QStringLiteral("Moving…") : QStringLiteral("Move to Trash…"));
    content_->setCurrentWidget(empty ? static_cast<QWidget*>(empty_) : scroll_);
    banner_->setText(bannerText());
    banner_->setVisible(!banner_->text().isEmpty());
    update();
}

QString CleanupQueueView::stagedText() const {
    return formatBytes(queue_.totalSize()) + QStringLiteral(" staged");
}

QString CleanupQueueView::bannerText() const {
    constexpr size_t kNamed = 3;
    QStringList lines;
    const size_t failed = failures_.size() - moveRefusals_.size();
    if (failed > 0)
        lines << QStringLiteral("Couldn't trash %1 item(s) — check permissions.").arg(qlonglong(failed));
    std::vector<CleanupQueue::Refusal> refusals = queue_.refusals();
    refusals.insert(refusals.end(), moveRefusals_.begin(), moveRefusals_.end());
    for (size_t i = 0; i < std::min(refusals.size(), kNamed); ++i)
        lines << QStringLiteral("“%1” can't go to the Trash. %2")
                     .arg(cleanup_queue::lastComponent(refusals[i].path), refusals[i].reason);
    if (refusals.size() > kNamed)
        lines << QStringLiteral("%1 more item(s) can't go to the Trash.")
                     .arg(qlonglong(refusals.size() - kNamed));
    return lines.join(QLatin1Char('\n'));
}

bool CleanupQueueView::isEmptyStateShown() const {
    return content_->currentWidget() == empty_;
}

bool CleanupQueueView::isConfirmationShown() const {
    return sheet_->isVisibleTo(this);
}
QString CleanupQueueView::confirmationTitle() const {
    return sheet_->title();
}
QString CleanupQueueView::confirmationMessage() const {
    return sheet_->message();
}
WideButton* CleanupQueueView::clearButton() const {
    return clear_;
}
WideButton* CleanupQueueView::confirmationMoveButton() const {
    return sheet_->confirmButton();
}
WideButton* CleanupQueueView::confirmationCancelButton() const {
    return sheet_->cancelButton();
}
WideButton* CleanupQueueView::moveButton() const {
    return move_;
}

void CleanupQueueView::clear() {
    queue_.clear();
}

void CleanupQueueView::removeItem(const QUuid& id) {
    queue_.remove(id);
}

void CleanupQueueView::askToMove() {
    if (queue_.items().empty() || moving_) return;
    // Count and size as they are now, when the question is asked.
    sheet_->present(
        QStringLiteral("Move %1 items to Trash?").arg(qlonglong(queue_.items().size())),
        QStringLiteral("This frees %1. Items go to the Trash, not permanent deletion — you can still "
                       "recover them from there.")
            .arg(formatBytes(queue_.totalSize())));
}

void CleanupQueueView::cancelMove() {
    sheet_->hide();
}

void CleanupQueueView::confirmMove() {
    sheet_->hide();
    if (moving_ || queue_.items().empty()) return;
    moving_ = true;
    refresh();
    // The move runs on a pool thread; the window stays responsive. What was moved leaves the tree
    // even when the popover has been closed meanwhile.
    QPointer<CleanupQueueView> self(this);
    ScanViewModel* viewModel = &viewModel_;
    queue_.trashStaged([self, viewModel](const CleanupQueue::TrashResult& result) {
        viewModel->applyTrashed(result.done);
        if (self) self->finishMove(result);
    });
}

void CleanupQueueView::finishMove(const CleanupQueue::TrashResult& result) {
    moving_ = false;
    failures_ = result.failed;
    moveRefusals_ = result.refused;
    refresh();
    if (failures_.empty()) emit dismissRequested();
}

void CleanupQueueView::paintEvent(QPaintEvent*) {
    QPainter(this).fillRect(rect(), theme().background);
}

void CleanupQueueView::resizeEvent(QResizeEvent* event) {
    if (sheet_->isVisible()) sheet_->setGeometry(rect());
    QWidget::resizeEvent(event);
}
