#include "shell/panels/PreviewWindow.h"

#include "model/BackgroundTask.h"
#include "model/FileCategory.h"
#include "platform/Desktop.h"
#include "platform/Paths.h"
#include "shell/controls/Buttons.h"
#include "shell/controls/CardBackground.h"
#include "shell/controls/ColumnScroll.h"
#include "shell/controls/LabelValueRow.h"
#include "shell/controls/ThemedLabel.h"
#include "shell/panels/AppShortcut.h"
#include "shell/style/Fonts.h"
#include "shell/style/Formatters.h"
#include "shell/style/Palette.h"
#include "shell/style/SmoothPainter.h"
#include "shell/style/Symbols.h"
#include "shell/style/Theme.h"

#include <QApplication>
#include <QHBoxLayout>
#include <QIcon>
#include <QPaintEvent>
#include <QPainter>
#include <QPlainTextEdit>
#include <QPointer>
#include <QScrollArea>
#include <QTextDocument>
#include <QThreadPool>
#include <QVBoxLayout>

#include <algorithm>
#include <cmath>

using platform::PreviewContent;
using platform::PreviewPage;

namespace {

QString lastComponent(const std::string& path) {
    const std::string name = platform::lastComponent(path);
    return QString::fromUtf8(name.data(), qsizetype(name.size()));
}

QString symbolFor(const PreviewContent& content) {
    if (content.isDirectory) return QStringLiteral("folder.fill");
    const QByteArray name = content.name.toUtf8();
    return palette::categorySymbol(file_category::forFileName(name.constData(), size_t(name.size())));
}

} // namespace

// ---- The window ----------------------------------------------------------------------------------

namespace {

// An image scaled down to fit, centred; never scaled up.
class ImagePage : public QWidget {
  public:
    explicit ImagePage(QImage image) : image_(std::move(image)) {}

  protected:
    void paintEvent(QPaintEvent*) override {
        QPainter painter(this);
        painter.setRenderHint(QPainter::SmoothPixmapTransform);
        const QRectF room = QRectF(rect()).adjusted(16, 16, -16, -16);
        QSizeF size = image_.size();
        if (size.width() > room.width() || size.height() > room.height())
            size.scale(room.size(), Qt::KeepAspectRatio);
        const QRectF target(room.center().x() - size.width() / 2, room.center().y() - size.height() / 2,
                            size.width(), size.height());
        painter.drawImage(target, image_);
    }

  private:
    QImage image_;
};

// The folder's entries, one row each: symbol, name, and a file's size. Paints only what is exposed.
class ListingPage : public QWidget {
  public:
    static constexpr int kRow = 30;
    explicit ListingPage(std::vector<platform::FolderListing::Entry> entries, int64_t count)
        : entries_(std::move(entries)), count_(count) {
        setFixedHeight(int(rows()) * kRow + 16);
    }

  protected:
    size_t rows() const { return entries_.size() + (count_ > int64_t(entries_.size()) ? 1 : 0); }
    void paintEvent(QPaintEvent* event) override {
        const Theme& t = theme();
        SmoothPainter painter(this);
        const int first = std::max(0, (event->rect().top() - 8) / kRow);
        const int last = std::min(int(rows()) - 1, (event->rect().bottom() - 8) / kRow);
        const QFont font = fonts::ui(12.5), sizeFont = fonts::ui(12);
        for (int i = first; i <= last; ++i) {
            const QRectF row(20, 8 + i * kRow, width() - 40, kRow);
            if (size_t(i) == entries_.size()) {
                ThemedLabel::paintLine(
                    painter, row,
                    QStringLiteral("%1 more").arg(formatCount(count_ - int64_t(entries_.size()))), font,
                    t.textTertiary);
                continue;
            }
            const auto& entry = entries_[size_t(i)];
            const QString symbol =
                entry.isDirectory ? QStringLiteral("folder.fill") : QStringLiteral("doc.fill");
            symbols::paint(painter, QRectF(row.left(), row.top(), 18, kRow), symbol, 12, t.textTertiary);
            double sizeWidth = 0;
            if (!entry.isDirectory)
                sizeWidth = ThemedLabel::paintLine(painter, row, formatBytes(entry.size), sizeFont,
                                                   t.textSecondary, Qt::AlignRight);
            ThemedLabel::paintLine(
                painter, QRectF(row.left() + 28, row.top(), row.width() - 28 - sizeWidth - 12, kRow),
                entry.name, font, t.text, Qt::AlignLeft, Qt::ElideMiddle);
        }
    }

  private:
    std::vector<platform::FolderListing::Entry> entries_;
    int64_t count_;
};

// The icon of a content type from the desktop's icon theme, else our own symbol.
class TypeIcon : public QWidget {
  public:
    TypeIcon(QString iconName, QString symbol)
        : icon_(QIcon::fromTheme(iconName)), symbol_(std::move(symbol)) {
        setFixedSize(72, 72);
    }

  protected:
    void paintEvent(QPaintEvent*) override {
        QPainter painter(this);
        painter.setRenderHint(QPainter::Antialiasing);
        if (!icon_.isNull()) {
            icon_.paint(&painter, rect());
            return;
        }
        symbols::paint(painter, rect(), symbol_, 40, theme().textTertiary);
    }

  private:
    QIcon icon_;
    QString symbol_;
};

// The strip above a page: the panel colour with a divider under it.
class HeaderBar : public QWidget {
  public:
    HeaderBar() { setFixedHeight(56); }

  protected:
    void paintEvent(QPaintEvent*) override {
        QPainter painter(this);
        painter.fillRect(rect(), theme().panel);
        painter.fillRect(QRectF(0, height() - 1, width(), 1), theme().divider);
    }
};

QPointer<PreviewWindow>& sharedWindow() {
    static QPointer<PreviewWindow> window;
    return window;
}

} // namespace

PreviewWindow& PreviewWindow::instance() {
    QPointer<PreviewWindow>& window = sharedWindow();
    if (!window) {
        window = new PreviewWindow;
        QObject::connect(qApp, &QCoreApplication::aboutToQuit, window, &QObject::deleteLater);
    }
    return *window;
}

void PreviewWindow::preview(const std::string& path) {
    PreviewWindow& window = instance();
    window.request(path);
    window.show();
    window.raise();
    window.activateWindow();
}

PreviewWindow::PreviewWindow() : QWidget(nullptr, Qt::Window) {
    setWindowTitle(QStringLiteral("Preview"));
    resize(760, 560);
    setMinimumSize(360, 280);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    new AppShortcut(QKeySequence(Qt::Key_Escape), this, [this] { close(); });
    new AppShortcut(QKeySequence(Qt::Key_Space), this, [this] { close(); });
    connect(&ThemeManager::instance(), &ThemeManager::themeChanged, this, qOverload<>(&QWidget::update));
}

PreviewWindow::~PreviewWindow() = default;

std::optional<PreviewPage> PreviewWindow::page() const {
    if (!loaded_) return std::nullopt;
    return content_.page;
}

void PreviewWindow::request(const std::string& path) {
    path_ = path;
    const uint64_t ticket = ++ticket_;
    loaded_ = false;
    content_ = PreviewContent{};
    content_.path = path;
    content_.name = lastComponent(path);
    rebuild();
    // Reading a file can block (a slow disk, a network mount): never on the window's thread.
    runInBackground(
        QThreadPool::globalInstance(), this, [path] { return platform::loadPreview(path); },
        [this, ticket](PreviewContent content) { present(std::move(content), ticket); });
}

void PreviewWindow::present(PreviewContent content, uint64_t ticket) {
    if (ticket != ticket_) return; // an earlier request; the window follows the last one
    content_ = std::move(content);
    loaded_ = true;
    rebuild();
    emit contentChanged();
}

void PreviewWindow::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.fillRect(rect(), theme().background);
}

void PreviewWindow::rebuild() {
    clearLayoutLater(layout());
    QWidget* body = buildBody();
    layout()->addWidget(body);
    body->show();
    setWindowTitle(content_.name);
}

QWidget* PreviewWindow::buildBody() {
    auto* body = new QWidget;
    auto* column = new QVBoxLayout(body);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(0);

    const std::string path = path_;

    // Header: symbol, name and kind, and "Open". The info card says all of it itself.
    if (!loaded_ || content_.page != PreviewPage::info) {
        auto* header = new HeaderBar;
        auto* headerRow = new QHBoxLayout(header);
        headerRow->setContentsMargins(18, 8, 14, 9);
        headerRow->setSpacing(12);
        auto* symbol = new ThemedLabel(symbols::glyph(symbolFor(content_)), fonts::symbol(15),
                                       &Theme::textTertiary, Qt::ElideRight);
        headerRow->addWidget(symbol);
        auto* titles = new QVBoxLayout;
        titles->setSpacing(1);
        titles->addWidget(
            new ThemedLabel(content_.name, fonts::ui(13.5, QFont::DemiBold), &Theme::text, Qt::ElideMiddle));
        QString subtitle = loaded_ ? content_.kind : QString();
        if (loaded_ && content_.page == PreviewPage::folder)
            subtitle += QStringLiteral(" · ") + formatCount(content_.listing.count) +
                        (content_.listing.count == 1 ? QStringLiteral(" item") : QStringLiteral(" items"));
        titles->addWidget(new ThemedLabel(subtitle, fonts::ui(11), &Theme::textTertiary, Qt::ElideRight));
        headerRow->addLayout(titles, 1);
        if (loaded_) {
            auto* open = new OutlineButton(QStringLiteral("Open"), {}, 30, 12.5, {}, {}, 1,
                                           [path] { platform::desktop().open(path); });
            open->setFixedWidth(88);
            headerRow->addWidget(open);
        }
        column->addWidget(header);
    }
    if (!loaded_) {
        column->addStretch(1);
        return body;
    }

    switch (content_.page) {
    case PreviewPage::image:
        column->addWidget(new ImagePage(content_.image), 1);
        break;
    case PreviewPage::text: {
        auto* text = new QPlainTextEdit;
        text->setReadOnly(true);
        text->setFrameShape(QFrame::NoFrame);
        text->setFont(fonts::mono(12));
        text->document()->setDocumentMargin(14);
        text->setPlainText(content_.text);
        text->setLineWrapMode(QPlainTextEdit::NoWrap);
        column->addWidget(text, 1);
        break;
    }
    case PreviewPage::folder: {
        auto* scroll = new QScrollArea;
        scroll->setFrameShape(QFrame::NoFrame);
        scroll->setWidgetResizable(true);
        scroll->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
        scroll->viewport()->setAutoFillBackground(false);
        auto* listing = new ListingPage(content_.listing.entries, content_.listing.count);
        scroll->setWidget(listing);
        listing->setAutoFillBackground(false);
        column->addWidget(scroll, 1);
        break;
    }
    case PreviewPage::info: {
        auto* card = new CardBackground(16);
        card->setFixedWidth(340);
        auto* inner = new QVBoxLayout(card);
        inner->setContentsMargins(24, 24, 24, 22);
        inner->setSpacing(0);
        auto* iconRow = new QHBoxLayout;
        iconRow->addStretch(1);
        iconRow->addWidget(new TypeIcon(content_.iconName, symbolFor(content_)));
        iconRow->addStretch(1);
        inner->addLayout(iconRow);
        inner->addSpacing(14);
        auto* name =
            new ThemedLabel(content_.name, fonts::ui(16.5, QFont::DemiBold), &Theme::text, Qt::ElideMiddle);
        name->setAlignment(Qt::AlignHCenter);
        inner->addWidget(name);
        inner->addSpacing(4);
        auto* kind = new ThemedLabel(content_.kind, fonts::ui(12), &Theme::textSecondary, Qt::ElideRight);
        kind->setAlignment(Qt::AlignHCenter);
        inner->addWidget(kind);
        inner->addSpacing(16);
        auto* size = new LabelValueRow(QStringLiteral("Size"), {}, 12, 12.5, 26);
        size->setValue(content_.exists ? formatBytes(content_.size) : QStringLiteral("Unknown"));
        inner->addWidget(size);
        auto* modified = new LabelValueRow(QStringLiteral("Modified"), {}, 12, 12.5, 26);
        modified->setValue(relativeDateString(dateFromStamp(content_.modifiedStamp)));
        inner->addWidget(modified);
        inner->addSpacing(16);
        inner->addWidget(
            new InkButton(QStringLiteral("Open"), {}, 36, 13.5, [path] { platform::desktop().open(path); }));
        auto* centre = new QHBoxLayout;
        centre->addStretch(1);
        centre->addWidget(card);
        centre->addStretch(1);
        column->addStretch(1);
        column->addLayout(centre);
        column->addStretch(1);
        break;
    }
    }
    return body;
}
