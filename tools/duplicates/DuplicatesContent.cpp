#include "tools/duplicates/DuplicatesContent.h"

#include "model/Saturating.h"
#include "shell/style/Formatters.h"

namespace duplicates_content {

namespace {

int64_t wasted(const DuplicateFinder::Group& group) {
    int64_t total = 0;
    for (size_t copy = 1; copy < group.files.size(); ++copy)
        total = saturating::add(total, group.size);
    return total;
}

} // namespace

Content choose(bool hasScan, bool hasGroups, bool searching) {
    if (!hasScan) return Content::needsScan;
    if (!hasGroups && !searching) return Content::nothingFound;
    return Content::groups;
}

int64_t reclaimableBytes(std::span<const DuplicateFinder::Group> groups) {
    int64_t total = 0;
    for (const DuplicateFinder::Group& group : groups)
        total = saturating::add(total, wasted(group));
    return total;
}

QString summary(std::span<const DuplicateFinder::Group> groups) {
    return QStringLiteral("%1 could be reclaimed across %2 %3")
        .arg(formatBytes(reclaimableBytes(groups)), formatCount(int64_t(groups.size())),
             groups.size() == 1 ? QStringLiteral("group") : QStringLiteral("groups"));
}

QString groupLabel(const DuplicateFinder::Group& group) {
    return QStringLiteral("%1 copies · %2 each · wastes %3")
        .arg(formatCount(int64_t(group.files.size())), formatBytes(group.size), formatBytes(wasted(group)));
}

} // namespace duplicates_content
