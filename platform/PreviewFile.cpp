#include "platform/PreviewFile.h"

#include "platform/Paths.h"

#include <QFile>
#include <QImageReader>
#include <QMimeDatabase>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

constexpr qint64 kSniffBytes = 4096;

const QMimeDatabase& mimes() {
    static const QMimeDatabase database;
    return database;
}

QString nameOf(const std::string& path) {
    const std::string name = platform::lastComponent(path);
    return QString::fromUtf8(name.data(), qsizetype(name.size()));
}

// Whether a content type is one that Qt's image readers name: a picture the worker may draw. Only the
// plugins' descriptions are read; no decoder runs in this process.
bool isPictureType(const QMimeType& type) {
    static const QList<QByteArray> pictures = QImageReader::supportedMimeTypes();
    for (const QByteArray& name : pictures)
        if (type.inherits(QString::fromLatin1(name))) return true;
    return false;
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

} // namespace

namespace platform {

PreviewPage choosePreviewPage(const PreviewFacts& facts) {
    if (!facts.exists || !facts.readable) return PreviewPage::info;
    if (facts.isDirectory) return PreviewPage::folder;
    if (facts.isImage) return PreviewPage::image;
    if (facts.isText) return PreviewPage::text;
    return PreviewPage::info;
}

PreviewFile::PreviewFile(const std::string& path) : path_(path) {
    struct stat st {};
    if (path.empty() || ::lstat(path.c_str(), &st) != 0) return;
    facts_.exists = true;
    facts_.isDirectory = S_ISDIR(st.st_mode);
    size_ = int64_t(st.st_size);
    modifiedStamp_ = double(st.st_mtim.tv_sec) + double(st.st_mtim.tv_nsec) / 1e9;
    if (facts_.isDirectory) {
        folderFd_ = ::open(path.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
        facts_.readable = folderFd_ >= 0;
        return;
    }
    file_ = openRegular(path);
    if (!file_) return;
    facts_.readable = true;
    const QByteArray head = file_->peek(kSniffBytes);
    const QMimeType named = mimes().mimeTypeForFileNameAndData(nameOf(path), head);
    const QMimeType content = mimes().mimeTypeForData(head);
    facts_.isText = named.inherits(QStringLiteral("text/plain"));
    // The content decides (a photo named "wrong.txt"); the name speaks only for content of its own kind
    // (a compressed drawing is gzip data by its bytes, a drawing after a long comment XML): a text named
    // "photo.png" is shown as text.
    facts_.isImage = isPictureType(content) || (isPictureType(named) && named.inherits(content.name()));
}

PreviewFile::~PreviewFile() {
    if (folderFd_ >= 0) ::close(folderFd_);
}

QMimeType PreviewFile::type() const {
    if (facts_.isDirectory) return mimes().mimeTypeForName(QStringLiteral("inode/directory"));
    if (file_) return mimes().mimeTypeForFileNameAndData(nameOf(path_), file_->peek(kSniffBytes));
    return mimes().mimeTypeForFile(nameOf(path_), QMimeDatabase::MatchExtension);
}

QImage PreviewFile::readImage(int longestSide, std::stop_token stop, const PictureWorker::Limits& limits) {
    if (!file_ || !facts_.isImage) return {};
    // A worker of its own: ended with the read, whatever it is drawing.
    PictureWorker worker(limits);
    return worker.decode(file_->handle(), {.longestSide = longestSide, .bounds = kPictureBounds},
                         std::move(stop));
}

QString PreviewFile::readText(int64_t limit, bool& cut) {
    cut = false;
    if (!file_) return {};
    file_->seek(0);
    QByteArray bytes = file_->read(limit + 1);
    cut = bytes.size() > limit;
    if (cut) {
        bytes.truncate(qsizetype(limit));
        dropPartialCharacter(bytes);
    }
    return QString::fromUtf8(bytes);
}

FolderListing PreviewFile::readListing(size_t limit) const {
    if (folderFd_ < 0) return {};
    return listFolder(folderFd_, limit);
}

PreviewFacts readPreviewFacts(const std::string& path) {
    return PreviewFile(path).facts();
}

} // namespace platform
