#include "platform/PreviewContent.h"

#include "platform/Paths.h"
#include "platform/Utf8Text.h"

namespace {

// `text` with each run of combining marks cut after `limit`.
QString withShortMarkRuns(QString text, int limit) {
    qsizetype kept = 0;
    int run = 0;
    for (qsizetype i = 0; i < text.size();) {
        const bool pair = text[i].isHighSurrogate() && i + 1 < text.size() && text[i + 1].isLowSurrogate();
        const char32_t c = pair ? QChar::surrogateToUcs4(text[i], text[i + 1]) : char32_t(text[i].unicode());
        const qsizetype end = i + (pair ? 2 : 1);
        run = QChar::isMark(c) ? run + 1 : 0;
        if (run <= limit) {
            for (; i < end; ++i)
                text[kept++] = text[i];
        }
        i = end;
    }
    text.truncate(kept);
    return text;
}

// `text` with a line break inserted wherever a line reaches `limit` code units, never inside a
// character or between a letter and its marks.
QString withShortLines(const QString& text, qsizetype limit) {
    QString out;
    out.reserve(text.size() + text.size() / limit);
    qsizetype column = 0;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text[i];
        if (c == QLatin1Char('\n')) {
            column = 0;
        } else if (column >= limit && !c.isLowSurrogate() && !c.isMark() &&
                   !(c.isHighSurrogate() && i + 1 < text.size() &&
                     QChar::isMark(QChar::surrogateToUcs4(c, text[i + 1])))) {
            out += QLatin1Char('\n');
            column = 0;
        }
        out += c;
        if (c != QLatin1Char('\n')) ++column;
    }
    return out;
}

} // namespace

namespace platform {

PreviewContent loadPreview(const std::string& path, std::stop_token stop,
                           const PictureWorker::Limits& limits) {
    PreviewContent content;
    content.path = path;
    content.name = utf8Text(lastComponent(path));
    PreviewFile file(path);
    content.page = file.page();
    content.exists = file.facts().exists;
    content.isDirectory = file.facts().isDirectory;
    content.size = file.size();
    content.modifiedStamp = file.modifiedStamp();
    const QMimeType type = file.type();
    content.kind = type.comment();
    if (!content.kind.isEmpty()) content.kind[0] = content.kind[0].toUpper(); // "folder" -> "Folder"
    content.iconName = type.iconName();

    switch (content.page) {
    case PreviewPage::image:
        content.image = file.readImage(PreviewContent::kImageLimit, stop, limits);
        if (content.image.isNull()) content.page = PreviewPage::info; // unreadable after all
        break;
    case PreviewPage::text:
        content.text =
            withShortLines(withShortMarkRuns(file.readText(PreviewContent::kTextLimit, content.textCut),
                                             PreviewContent::kMarkRunLimit),
                           PreviewContent::kLineLimit);
        break;
    case PreviewPage::folder:
        content.listing = file.readListing(PreviewContent::kListingLimit);
        break;
    case PreviewPage::info:
        break;
    }
    if (stop.stop_requested()) return {};
    return content;
}

} // namespace platform
