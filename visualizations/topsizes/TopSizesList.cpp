#include "visualizations/topsizes/TopSizesList.h"

#include "model/FileNode.h"
#include "model/Rankings.h"
#include "shell/style/Formatters.h"

#include <algorithm>

namespace top_sizes {

QString title(Scope scope) {
    switch (scope) {
    case Scope::here:
        return QStringLiteral("In this folder");
    case Scope::files:
        return QStringLiteral("Biggest files anywhere");
    case Scope::folders:
        return QStringLiteral("Biggest folders anywhere");
    }
    return {};
}

std::optional<std::span<FileNode* const>> source(Scope scope, const FileNode* folder,
                                                 const Rankings* rankings) {
    if (!folder) return std::span<FileNode* const>();
    if (scope == Scope::here) return folder->children();
    if (!rankings) return std::nullopt;
    return scope == Scope::files ? std::span<FileNode* const>(rankings->files)
                                 : std::span<FileNode* const>(rankings->folders);
}

VisibleList::VisibleList(std::span<FileNode* const> source, const FileNode* folder,
                         const std::function<bool(const FileNode*)>& passes)
    : folderSize_(folder ? folder->sizeOnDisk : 0) {
    items_.reserve(source.size());
    for (FileNode* node : source)
        if (passes(node)) items_.push_back(node);
    // Sources are largest first, so the first match is the largest.
    if (!items_.empty() && items_.front()->sizeOnDisk >= 2) scale_ = items_.front()->sizeOnDisk;
}

std::span<FileNode* const> VisibleList::rows() const {
    return std::span<FileNode* const>(items_).first(std::min(items_.size(), kMaxRows));
}

double VisibleList::fraction(size_t i) const {
    return double(items_.at(i)->sizeOnDisk) / double(scale_);
}

QString VisibleList::share(size_t i) const {
    return formatPercent(items_.at(i)->sizeOnDisk, folderSize_);
}

} // namespace top_sizes
