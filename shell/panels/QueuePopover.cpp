#include "shell/panels/QueuePopover.h"

#include "shell/panels/ViewRegistry.h"
#include "shell/style/Theme.h"

#include <QApplication>
#include <QCloseEvent>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>
#include <QScreen>

#include <algorithm>

QueuePopover::QueuePopover(ScanViewModel& viewModel, QWidget* anchor)
    : QWidget(anchor ? anchor->window() : nullptr, Qt::Tool | Qt::FramelessWindowHint), anchor_(anchor) {
    setAttribute(Qt::WA_DeleteOnClose);
    setObjectName(QStringLiteral("cleanupQueuePopover"));
    // A one-point border around the content, which keeps its exact size.
    setFixedSize(kContentSize.width() + 2, kContentSize.height() + kArrowHeight + 2);
    content_ = ViewRegistry::createCleanupQueue(viewModel, this);
    content_->setGeometry(1, kArrowHeight + 1, kContentSize.width(), kContentSize.height());
    if (content_->metaObject()->indexOfSignal("dismissRequested()") >= 0)
        connect(content_, SIGNAL(dismissRequested()), this, SLOT(close()));
    connect(qApp, &QGuiApplication::applicationStateChanged, this, [this](Qt::ApplicationState state) {
        if (state != Qt::ApplicationActive) close();
    });
    qApp->installEventFilter(this);
}

QueuePopover::~QueuePopover() {
    qApp->removeEventFilter(this);
}

void QueuePopover::popup() {
    if (anchor_) {
        const QPoint tip = anchor_->mapToGlobal(QPoint(anchor_->width() / 2, anchor_->height()));
        int x = tip.x() - width() / 2;
        // Inside the window when it is wide enough, and always inside the screen.
        auto keepInside = [&x, this](const QRect& area) {
            x = std::clamp(x, area.left() + 8, std::max(area.left() + 8, area.right() + 1 - width() - 8));
        };
        keepInside(anchor_->window()->geometry());
        if (QScreen* screen = anchor_->screen()) keepInside(screen->availableGeometry());
        arrowX_ = std::clamp(double(tip.x() - x), 16.0, width() - 16.0);
        move(x, tip.y() + 2);
    }
    // The arrow and the panel: anything outside this outline is not part of the window.
    setMask(QRegion(outline().toFillPolygon().toPolygon()));
    show();
    raise();
    activateWindow();
    setFocus(Qt::PopupFocusReason);
}

QPainterPath QueuePopover::outline(double inset) const {
    const QRectF panel =
        QRectF(0, kArrowHeight, width(), height() - kArrowHeight).adjusted(inset, inset, -inset, -inset);
    QPainterPath path;
    path.moveTo(panel.topLeft());
    path.lineTo(arrowX_ - kArrowHeight, panel.top());
    path.lineTo(arrowX_, inset);
    path.lineTo(arrowX_ + kArrowHeight, panel.top());
    path.lineTo(panel.topRight());
    path.lineTo(panel.bottomRight());
    path.lineTo(panel.bottomLeft());
    path.closeSubpath();
    return path;
}

bool QueuePopover::isInside(QObject* object) const {
    for (auto* widget = qobject_cast<QWidget*>(object); widget; widget = widget->parentWidget())
        if (widget == this) return true;
    return false;
}

bool QueuePopover::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::MouseButtonPress || event->type() == QEvent::MouseButtonDblClick) {
        // Every widget up the chain sees the same press; judge it once, at the widget it was sent to.
        if (!watched->isWidgetType() || isInside(watched)) return false;
        const bool onAnchor =
            anchor_ && (watched == anchor_ || anchor_->isAncestorOf(static_cast<QWidget*>(watched)));
        close();
        return onAnchor; // swallowed: the anchor's click would open it again
    }
    return false;
}

void QueuePopover::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Escape) {
        close();
        return;
    }
    QWidget::keyPressEvent(event);
}

void QueuePopover::closeEvent(QCloseEvent* event) {
    qApp->removeEventFilter(this);
    emit closed();
    event->accept();
}

void QueuePopover::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const Theme& t = theme();
    painter.fillPath(outline(), t.background);
    painter.setPen(QPen(t.border, 1));
    painter.setBrush(Qt::NoBrush);
    painter.drawPath(outline(0.5));
}
