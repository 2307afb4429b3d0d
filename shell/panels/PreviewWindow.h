#pragma once

#include <QDateTime>
#include <QImage>
#include <QString>
#include <QWidget>

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

// The preview window: Brenwick's own quick view of a file. Images are shown through QImageReader,
// text files as their first 256 KiB (UTF-8), folders as a listing, and anything else (and anything
// missing or unreadable) as an info card with the icon, name, kind, size, modification date and an
// "Open" button.

enum class PreviewPage { image, text, folder, info };

// What the choice of page looks at.
struct PreviewFacts {
    bool exists = false;
    bool isDirectory = false;
    bool readable = false;
    bool isImage = false; // QImageReader knows the format from the content
    bool isText = false;  // the content type is a kind of text/plain
};

// Blocking: stats the path and looks at its first bytes. Never follows a link at the path itself.
PreviewFacts readPreviewFacts(const std::string& path);
PreviewPage choosePreviewPage(const PreviewFacts& facts);

// Everything a page shows, loaded away from the window's thread.
struct PreviewContent {
    struct Entry {
        QString name;
        bool isDirectory = false;
        int64_t size = 0;
    };

    std::string path;
    PreviewPage page = PreviewPage::info;
    QImage image;
    QString text;
    bool textCut = false;       // the file is longer than what is shown
    std::vector<Entry> entries; // folders first, then by name; at most kListingLimit
    int64_t entryCount = 0;     // all entries of the folder
    // The info card (filled for every page; the header shows the name and kind too).
    QString name;
    QString kind;     // the content type's description
    QString iconName; // freedesktop icon name of the content type
    bool exists = false;
    bool isDirectory = false;
    int64_t size = 0;
    std::optional<QDateTime> modified;

    static constexpr int64_t kTextLimit = 256 * 1024;
    static constexpr size_t kListingLimit = 2000;
    static constexpr int kImageLimit = 4096; // longest side an image is decoded at
};

// Blocking; safe on any thread.
PreviewContent loadPreview(const std::string& path);

// The one preview window of the process. preview() shows it (raised) for a path; the content then
// follows the last request, whatever earlier loads return. Space and Escape close it.
class PreviewWindow : public QWidget {
    Q_OBJECT
  public:
    static PreviewWindow& instance();
    // Shows the window for a path (raw bytes).
    static void preview(const std::string& path);

    // The path of the last request.
    const std::string& path() const { return path_; }
    // The page shown, or none while the last request is still loading.
    std::optional<PreviewPage> page() const;
    const PreviewContent* content() const { return loaded_ ? &content_ : nullptr; }

    ~PreviewWindow() override;

  signals:
    // The content of the last request arrived.
    void contentChanged();

  protected:
    void paintEvent(QPaintEvent* event) override;

  private:
    PreviewWindow();
    void request(const std::string& path);
    void present(PreviewContent content, uint64_t ticket);
    void rebuild();
    QWidget* buildBody();

    std::string path_;
    uint64_t ticket_ = 0;
    bool loaded_ = false;
    PreviewContent content_;
};
