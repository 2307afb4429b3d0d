#include "shell/panels/PreviewWindow.h"

#include "model/BackgroundTask.h"
#include "model/FileCategory.h"
#include "platform/Desktop.h"
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
#include <QFile>
#include <QHBoxLayout>
#include <QIcon>
#include <QImageReader>
#include <QMimeDatabase>
#include <QPaintEvent>
#include <QPainter>
#include <QPlainTextEdit>
#include <QPointer>
#include <QScrollArea>
#include <QTextDocument>
#include <QThreadPool>
#include <QVBoxLayout>

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cmath>

namespace {

constexpr qint64 kSniffBytes = 4096;

QString fromBytes(std::string_view bytes) {
    return QString::fromUtf8(bytes.data(), qsizetype(bytes.size()));
}

QString lastComponent(const std::string& path) {
    if (path == "/") return QStringLiteral("/");
    std::string_view view = path;
    while (view.size() > 1 && view.back() == '/')
        view.remove_suffix(1);
    const auto slash = view.find_last_of('/');
    return fromBytes(slash == std::string_view::npos ? view : view.substr(slash + 1));
}

// A regular file opened for reading without blocking on a FIFO or following a link at the path.
// Null when it cannot be read.
std::unique_ptr<QFile> openRegular(const std::string& path) {
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY);
    if (fd < 0) return nullptr;
    struct stat st {};
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        ::close(fd);
        return nullptr;
    }
    auto file = std::make_unique<QFile>();
    if (!file->open(fd, QIODevice::ReadOnly, QFileDevice::AutoCloseHandle)) {
        ::close(fd);
        return nullptr;
    }
    return file;
}

bool canOpenFolder(const std::string& path) {
    DIR* dir = ::opendir(path.c_str());
    if (!dir) return false;
    ::closedir(dir);
    return true;
}

// Cuts an incomplete UTF-8 sequence off the end of a chunk taken from the middle of a file.
void dropPartialCharacter(QByteArray& bytes) {
    qsizetype i = bytes.size();
    int continuation = 0;
    while (i > 0 && continuation < 4 && (uchar(bytes[i - 1]) & 0xC0) == 0x80) {
        --i;
        ++continuation;
    }
    if (i == 0) return;
    const uchar lead = uchar(bytes[i - 1]);
    const int needed = lead >= 0xF0 ? 3 : lead >= 0xE0 ? 2 : lead >= 0xC0 ? 1 : 0;
    if (needed > continuation) bytes.truncate(i - 1);
}

std::vector<PreviewContent::Entry> listFolder(const std::string& path, int64_t& count) {
    std::vector<PreviewContent::Entry> entries;
    count = 0;
    DIR* dir = ::opendir(path.c_str());
    if (!dir) return entries;
    const int fd = ::dirfd(dir);
    while (const dirent* entry = ::readdir(dir)) {
        const std::string_view name = entry->d_name;
        if (name == "." || name == "..") continue;
        ++count;
        if (entries.size() >= PreviewContent::kListingLimit) continue;
        struct stat st {};
        const bool known = ::fstatat(fd, entry->d_name, &st, AT_SYMLINK_NOFOLLOW) == 0;
        const bool isDir = known && S_ISDIR(st.st_mode);
        entries.push_back({fromBytes(name), isDir, known && !isDir ? int64_t(st.st_size) : 0});
    }
    ::closedir(dir);
    std::sort(entries.begin(), entries.end(),
              [](const PreviewContent::Entry& a, const PreviewContent::Entry& b) {
                  if (a.isDirectory != b.isDirectory) return a.isDirectory;
                  return a.name.compare(b.name, Qt::CaseInsensitive) < 0;
              });
    return entries;
}

QString symbolFor(const PreviewContent& content) {
    if (content.isDirectory) return QStringLiteral("folder.fill");
    const QByteArray name = content.name.toUtf8();
    return palette::categorySymbol(file_category::forFileName(name.constData(), size_t(name.size())));
}

} // namespace

namespace {

// The facts, and the file they were read from (open when it is a readable regular file), so that
// the preview reads the very file it judged.
PreviewFacts readFacts(const std::string& path, std::unique_ptr<QFile>& file) {
    PreviewFacts facts;
    struct stat st {};
    if (path.empty() || ::lstat(path.c_str(), &st) != 0) return facts;
    facts.exists = true;
    facts.isDirectory = S_ISDIR(st.st_mode);
    if (facts.isDirectory) {
        facts.readable = canOpenFolder(path);
        return facts;
    }
    file = openRegular(path);
    if (!file) return facts;
    facts.readable = true;
    const QByteArray head = file->peek(kSniffBytes);
    QImageReader reader(file.get());
    reader.setDecideFormatFromContent(true);
    facts.isImage = reader.canRead();
    static const QMimeDatabase mimes;
    facts.isText =
        mimes.mimeTypeForFileNameAndData(lastComponent(path), head).inherits(QStringLiteral("text/plain"));
    return facts;
}

} // namespace

PreviewFacts readPreviewFacts(const std::string& path) {
    std::unique_ptr<QFile> file;
    return readFacts(path, file);
}

PreviewPage choosePreviewPage(const PreviewFacts& facts) {
    if (!facts.exists || !facts.readable) return PreviewPage::info;
    if (facts.isDirectory) return PreviewPage::folder;
    if (facts.isImage) return PreviewPage::image;
    if (facts.isText) return PreviewPage::text;
    return PreviewPage::info;
}

PreviewContent loadPreview(const std::string& path) {
    static const QMimeDatabase mimes;
    PreviewContent content;
    content.path = path;
    content.name = lastComponent(path);
    std::unique_ptr<QFile> file;
    const PreviewFacts facts = readFacts(path, file);
    content.page = choosePreviewPage(facts);
    content.exists = facts.exists;
    content.isDirectory = facts.isDirectory;

    QMimeType type;
    struct stat st {};
    if (facts.exists && ::lstat(path.c_str(), &st) == 0) {
        content.size = int64_t(st.st_size);
        content.modified = dateFromStamp(double(st.st_mtim.tv_sec) + double(st.st_mtim.tv_nsec) / 1e9);
    }
    if (facts.isDirectory)
        type = mimes.mimeTypeForName(QStringLiteral("inode/directory"));
    else if (file)
        type = mimes.mimeTypeForFileNameAndData(content.name, file->peek(kSniffBytes));
    else
        type = mimes.mimeTypeForFile(content.name, QMimeDatabase::MatchExtension); // by its name alone
    content.kind = type.comment();
    if (!content.kind.isEmpty()) content.kind[0] = content.kind[0].toUpper(); // "folder" -> "Folder"
    content.iconName = type.iconName();

    switch (content.page) {
    case PreviewPage::image: {
        QImageReader reader(file.get());
        reader.setDecideFormatFromContent(true);
        reader.setAutoTransform(true);
        const QSize size = reader.size();
        if (size.isValid() && std::max(size.width(), size.height()) > PreviewContent::kImageLimit)
            reader.setScaledSize(
                size.scaled(PreviewContent::kImageLimit, PreviewContent::kImageLimit, Qt::KeepAspectRatio));
        content.image = reader.read();
        if (content.image.isNull()) content.page = PreviewPage::info; // unreadable after all
        break;
    }
    case PreviewPage::text: {
        QByteArray bytes = file->read(PreviewContent::kTextLimit + 1);
        content.textCut = bytes.size() > PreviewContent::kTextLimit;
        if (content.textCut) {
            bytes.truncate(PreviewContent::kTextLimit);
            dropPartialCharacter(bytes);
        }
        content.text = QString::fromUtf8(bytes);
        break;
    }
    case PreviewPage::folder:
        content.entries = listFolder(path, content.entryCount);
        break;
    case PreviewPage::info:
        break;
    }
    return content;
}

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
    explicit ListingPage(std::vector<PreviewContent::Entry> entries, int64_t count)
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
    std::vector<PreviewContent::Entry> entries_;
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
        QThreadPool::globalInstance(), this, [path] { return loadPreview(path); },
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
            subtitle += QStringLiteral(" · ") + formatCount(content_.entryCount) +
                        (content_.entryCount == 1 ? QStringLiteral(" item") : QStringLiteral(" items"));
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
        auto* listing = new ListingPage(content_.entries, content_.entryCount);
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
        modified->setValue(relativeDateString(content_.modified));
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
