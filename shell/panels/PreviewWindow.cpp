#include "shell/panels/PreviewWindow.h"

#include "platform/Paths.h"
#include "platform/Utf8Text.h"
#include "shell/controls/ColumnScroll.h"
#include "shell/controls/Spinner.h"
#include "shell/panels/AppShortcut.h"
#include "shell/panels/preview/ImagePage.h"
#include "shell/panels/preview/InfoPage.h"
#include "shell/panels/preview/ListingPage.h"
#include "shell/panels/preview/PreviewHeader.h"
#include "shell/panels/preview/TextPage.h"
#include "shell/style/Formatters.h"
#include "shell/style/Theme.h"

#include <QApplication>
#include <QPainter>
#include <QTimer>
#include <QVBoxLayout>

using platform::PreviewContent;
using platform::PreviewPage;

namespace {

QPointer<PreviewWindow>& sharedWindow() {
    static QPointer<PreviewWindow> window;
    return window;
}

} // namespace

PreviewWindow& PreviewWindow::instance() {
    QPointer<PreviewWindow>& window = sharedWindow();
    if (!window) {
        window = new PreviewWindow;
        QObject::connect(qApp, &QCoreApplication::aboutToQuit, window, [window = window.data()] {
            window->reads_.finish(); // the worker of a picture being drawn is ended
            window->deleteLater();
        });
        // Without an event loop that quits the window lives on; its reads must still end before the
        // application object goes (and with it what they use).
        static const bool finishesWithTheApplication = [] {
            qAddPostRoutine([] {
                if (PreviewWindow* window = sharedWindow()) window->reads_.finish();
            });
            return true;
        }();
        Q_UNUSED(finishesWithTheApplication);
    }
    return *window;
}

void PreviewWindow::dismiss() {
    if (PreviewWindow* window = sharedWindow()) window->close();
}

void PreviewWindow::preview(const std::string& path) {
    PreviewWindow& window = instance();
    window.request(path);
    window.show();
    window.raise();
    window.activateWindow();
}

PreviewWindow::PreviewWindow() : QWidget(nullptr, Qt::Window), spinnerDelay_(new QTimer(this)) {
    setWindowTitle(QStringLiteral("Preview"));
    // Left open after the main window closed, it would keep the process (and the scanned tree) alive.
    setAttribute(Qt::WA_QuitOnClose, false);
    resize(760, 560);
    setMinimumSize(360, 280);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    new AppShortcut(QKeySequence(Qt::Key_Escape), this, [this] { close(); });
    new AppShortcut(QKeySequence(Qt::Key_Space), this, [this] { close(); });
    spinnerDelay_->setSingleShot(true);
    spinnerDelay_->setInterval(kSpinnerDelay);
    connect(spinnerDelay_, &QTimer::timeout, this, [this] {
        if (spinner_) spinner_->show();
    });
}

PreviewWindow::~PreviewWindow() = default;

std::optional<PreviewPage> PreviewWindow::page() const {
    if (!loaded_) return std::nullopt;
    return content_.page;
}

void PreviewWindow::request(const std::string& path) {
    path_ = path;
    loaded_ = false;
    content_ = PreviewContent{};
    content_.path = path;
    content_.name = platform::utf8Text(platform::lastComponent(path));
    rebuild();
    // Reading a file can block (a slow disk, a network mount): never on the window's thread.
    reads_.start(path, this, [this](PreviewContent content) { present(std::move(content)); });
}

void PreviewWindow::present(PreviewContent content) {
    content_ = std::move(content);
    loaded_ = true;
    rebuild();
    emit contentChanged();
}

void PreviewWindow::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.fillRect(rect(), theme().background);
}

void PreviewWindow::closeEvent(QCloseEvent* event) {
    reads_.stop(); // nobody waits for what it would show
    spinnerDelay_->stop();
    QWidget::closeEvent(event);
}

void PreviewWindow::rebuild() {
    clearLayoutLater(layout());
    QWidget* body = buildBody();
    layout()->addWidget(body);
    body->show();
    setWindowTitle(shownText(content_.name));
}

QWidget* PreviewWindow::buildBody() {
    auto* body = new QWidget;
    auto* column = new QVBoxLayout(body);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(0);
    // The info card says all the header would.
    if (!loaded_ || content_.page != PreviewPage::info)
        column->addWidget(new PreviewHeader(content_, loaded_));
    if (!loaded_) {
        // The page's place keeps the spinner's room while the delay runs, so it shows centred.
        spinner_ = new Spinner(Spinner::kRegular);
        QSizePolicy policy = spinner_->sizePolicy();
        policy.setRetainSizeWhenHidden(true);
        spinner_->setSizePolicy(policy);
        spinner_->hide();
        column->addStretch(1);
        column->addWidget(spinner_, 0, Qt::AlignHCenter);
        column->addStretch(1);
        spinnerDelay_->start();
        return body;
    }
    spinnerDelay_->stop();
    switch (content_.page) {
    case PreviewPage::image:
        column->addWidget(new ImagePage(content_.image), 1);
        break;
    case PreviewPage::text:
        column->addWidget(new TextPage(content_.text), 1);
        break;
    case PreviewPage::folder:
        column->addWidget(new ListingPage(content_.listing), 1);
        break;
    case PreviewPage::info:
        column->addWidget(new InfoPage(content_), 1);
        break;
    }
    return body;
}
