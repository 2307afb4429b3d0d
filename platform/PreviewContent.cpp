#include "platform/PreviewContent.h"

#include "platform/Paths.h"

namespace platform {

PreviewContent loadPreview(const std::string& path) {
    PreviewContent content;
    content.path = path;
    const std::string name = lastComponent(path);
    content.name = QString::fromUtf8(name.data(), qsizetype(name.size()));
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
        content.image = file.readImage(PreviewContent::kImageLimit);
        if (content.image.isNull()) content.page = PreviewPage::info; // unreadable after all
        break;
    case PreviewPage::text:
        content.text = file.readText(PreviewContent::kTextLimit, content.textCut);
        break;
    case PreviewPage::folder:
        content.listing = file.readListing(PreviewContent::kListingLimit);
        break;
    case PreviewPage::info:
        break;
    }
    return content;
}

} // namespace platform
