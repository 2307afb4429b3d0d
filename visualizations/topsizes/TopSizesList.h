#pragma once

#include <QString>

#include <array>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <span>
#include <vector>

class FileNode;
struct Rankings;

// What the Top Sizes view lists, as data: the scopes, the items a scope offers and the rows they
// make once the filter has had its say. Pure computation, tested without a window.
namespace top_sizes {

enum class Scope { here, files, folders };
constexpr std::array<Scope, 3> allScopes = {Scope::here, Scope::files, Scope::folders};
// The picker's title of a scope.
QString title(Scope scope);

// Rows shown at most. The "anywhere" lists never hold more than the rankings' 200; a folder's own
// children may.
constexpr size_t kMaxRows = 500;

// The items a scope lists, largest first: the folder's children, or its rankings' files or folders.
// Nothing while the rankings of an "anywhere" scope are not at hand (`rankings` null).
std::optional<std::span<FileNode* const>> source(Scope scope, const FileNode* folder,
                                                 const Rankings* rankings);

// The items that pass the filter, in source order, and the values of their rows.
class VisibleList {
  public:
    VisibleList() = default;
    VisibleList(std::span<FileNode* const> source, const FileNode* folder,
                const std::function<bool(const FileNode*)>& passes);

    // Every match; the count shown above the list.
    const std::vector<FileNode*>& items() const { return items_; }
    // The rows: the first kMaxRows matches.
    std::span<FileNode* const> rows() const;
    // The bars' full length in bytes: the largest match's size, at least 1 (0 and 1 give 1).
    int64_t scale() const { return scale_; }

    // Row values of the match at position `i`: its 1-based rank among the matches, its bar's share of
    // the scale and its share of the listed folder's size ("0%" when that folder is empty).
    int rank(size_t i) const { return int(i) + 1; }
    double fraction(size_t i) const;
    QString share(size_t i) const;

  private:
    std::vector<FileNode*> items_;
    int64_t scale_ = 1;
    int64_t folderSize_ = 0;
};

} // namespace top_sizes
