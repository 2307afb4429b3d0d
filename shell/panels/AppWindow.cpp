#include "shell/panels/AppWindow.h"

#include "shell/panels/PreviewWindow.h"
#include "shell/style/Motion.h"
#include "shell/style/Theme.h"

#include <QGraphicsOpacityEffect>
#include <QGuiApplication>
#include <QLabel>
#include <QPainter>
#include <QScreen>
#include <QVBoxLayout>

#include <algorithm>

AppWindow::AppWindow(QWidget* parent) : QWidget(parent) {
    setWindowTitle(QStringLiteral("Brenwick"));
    setMinimumSize(kMinimumSize);
    // It paints every pixel itself (the content over it, opaque too, leaves it nothing): Qt's own fill of
    // a window's background would be a wasted pass over the whole window on every full repaint.
    setAttribute(Qt::WA_OpaquePaintEvent);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    connect(&ThemeManager::instance(), &ThemeManager::themeAboutToChange, this, &AppWindow::beginThemeFade);
    connect(&ThemeManager::instance(), &ThemeManager::themeChanged, this, &AppWindow::endThemeFade);
}

void AppWindow::setContent(QWidget* content) {
    if (content_) content_->deleteLater();
    content_ = content;
    if (content) layout()->addWidget(content);
}

QSize AppWindow::defaultSize(const QRect& available) {
    return QSize(std::clamp(kDefaultSize.width(), kMinimumSize.width(),
                            std::max(available.width(), kMinimumSize.width())),
                 std::clamp(kDefaultSize.height(), kMinimumSize.height(),
                            std::max(available.height(), kMinimumSize.height())));
}

void AppWindow::showAndActivate() {
    QScreen* screen = this->screen() ? this->screen() : QGuiApplication::primaryScreen();
    const QRect available = screen ? screen->availableGeometry() : QRect(QPoint(0, 0), kDefaultSize);
    const QSize size = defaultSize(available);
    resize(size);
    // Centre the frame's content area; the window manager adds its frame around it.
    move(available.center() - QPoint(size.width() / 2, size.height() / 2));
    show();
    raise();
    activateWindow();
}

void AppWindow::closeEvent(QCloseEvent* event) {
    QWidget::closeEvent(event);
    PreviewWindow::dismiss();
}

void AppWindow::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.fillRect(rect(), theme().background);
}

void AppWindow::resizeEvent(QResizeEvent* event) {
    if (fade_) fade_->setGeometry(rect());
    QWidget::resizeEvent(event);
}

void AppWindow::beginThemeFade() {
    if (!isVisible() || !motion::animationsEnabled()) return;
    if (!fade_) {
        fade_ = new QLabel(this);
        fade_->setAttribute(Qt::WA_TransparentForMouseEvents);
        fade_->setGraphicsEffect(new QGraphicsOpacityEffect(fade_));
    }
    fade_->setPixmap(grab());
    fade_->setGeometry(rect());
    fade_->raise();
    fade_->show();
}

void AppWindow::endThemeFade() {
    if (!fade_ || !fade_->isVisible()) return;
    auto* effect = static_cast<QGraphicsOpacityEffect*>(fade_->graphicsEffect());
    motion::animate(
        this, "themeFade", 1.0, 0.0, motion::themeChange(),
        [effect](const QVariant& v) { effect->setOpacity(v.toDouble()); },
        [this] {
            fade_->hide();
            fade_->setPixmap(QPixmap());
            static_cast<QGraphicsOpacityEffect*>(fade_->graphicsEffect())->setOpacity(1.0);
        });
}
