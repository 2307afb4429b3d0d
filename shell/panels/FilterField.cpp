#include "shell/panels/FilterField.h"

#include "model/ScanViewModel.h"
#include "shell/controls/SymbolButton.h"
#include "shell/controls/ThemedLineEdit.h"
#include "shell/panels/AppShortcut.h"
#include "shell/style/Fonts.h"
#include "shell/style/Shapes.h"
#include "shell/style/Symbols.h"
#include "shell/style/Theme.h"

#include <QEvent>
#include <QFontMetricsF>
#include <QLineEdit>
#include <QPainter>

#include <cmath>

namespace {

constexpr int kPadding = 12;
constexpr int kSpacing = 8;
constexpr double kIconWidth = 14;

QFont hintFont() {
    return fonts::ui(11, QFont::Medium);
}

} // namespace

FilterField::FilterField(ScanViewModel& viewModel, QWidget* parent) : QWidget(parent), viewModel_(viewModel) {
    setFixedHeight(32);
    setMinimumWidth(kMinimumWidth);
    setMaximumWidth(kMaximumWidth);
    setCursor(Qt::IBeamCursor);

    edit_ = new ThemedLineEdit(QStringLiteral("Filter by name..."), fonts::ui(13), this);
    edit_->installEventFilter(this);
    // Clicks on the capsule or the clear button keep the focus in the field.
    setFocusPolicy(Qt::ClickFocus);
    setFocusProxy(edit_);
    connect(edit_, &QLineEdit::textEdited, this, [this](const QString& text) { viewModel_.setFilter(text); });

    clear_ = new SymbolButton(
        QStringLiteral("xmark.circle.fill"), 12, QSize(18, 18), &Theme::textTertiary,
        [this] { viewModel_.setFilter(QString()); }, this);
    clear_->setToolTip(QStringLiteral("Clear"));

    shortcut_ = new AppShortcut(QKeySequence(Qt::CTRL | Qt::Key_K), this,
                                [this] { edit_->setFocus(Qt::ShortcutFocusReason); });

    connect(&viewModel, &ScanViewModel::filterChanged, this, &FilterField::syncFromModel);
    syncFromModel();
}

QString FilterField::hint() const {
    return shortcut_->hint();
}

bool FilterField::showsHint() const {
    return viewModel_.filter().isEmpty() && !edit_->hasFocus();
}

void FilterField::syncFromModel() {
    if (edit_->text() != viewModel_.filter()) edit_->setText(viewModel_.filter());
    updateAccessory();
}

void FilterField::updateAccessory() {
    clear_->setVisible(!viewModel_.filter().isEmpty());
    place();
    update();
}

bool FilterField::eventFilter(QObject* watched, QEvent* event) {
    if (watched == edit_ && (event->type() == QEvent::FocusIn || event->type() == QEvent::FocusOut))
        updateAccessory();
    return QWidget::eventFilter(watched, event);
}

void FilterField::mousePressEvent(QMouseEvent*) {
    edit_->setFocus(Qt::MouseFocusReason);
}

void FilterField::resizeEvent(QResizeEvent*) {
    place();
}

void FilterField::place() {
    double right = width() - kPadding;
    if (clear_->isVisible()) {
        clear_->move(int(right - clear_->width()), (height() - clear_->height()) / 2);
        right -= clear_->width() + kSpacing;
    } else if (showsHint()) {
        right -= std::ceil(QFontMetricsF(hintFont()).horizontalAdvance(hint())) + kSpacing;
    }
    const int left = int(kPadding + kIconWidth + kSpacing);
    edit_->setGeometry(left, 0, std::max(0, int(right) - left), height());
}

void FilterField::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const Theme& t = theme();
    const QRectF bounds(0, 0, width(), height());
    painter.fillPath(shapes::capsule(bounds), t.card);
    shapes::strokeInside(painter, bounds, bounds.height() / 2, t.border);
    symbols::paint(painter, QRectF(kPadding, 0, kIconWidth, height()), QStringLiteral("magnifyingglass"), 12,
                   t.textTertiary);
    if (showsHint()) {
        const QFont font = hintFont();
        const double w = QFontMetricsF(font).horizontalAdvance(hint());
        painter.setFont(font);
        painter.setPen(t.textTertiary);
        painter.drawText(QRectF(width() - kPadding - w, 0, w + 1, height()), Qt::AlignVCenter | Qt::AlignLeft,
                         hint());
    }
}
