#pragma once

#include "model/FileCategory.h"
#include "model/ViewModes.h"

#include <QColor>
#include <QString>

#include <optional>
#include <span>
#include <vector>

class FileNode;

// Colours the visualisations share, the symbol of each file category and label initials. Pure
// computation; the palettes are fixed and the same in both themes.
namespace palette {

// Eight families of related shades (31 colours), used under "By folder"; shade 0 is the base.
std::span<const std::span<const QColor>> folderFamilies();
std::span<const QColor> mindMapPalette(); // 8 colours
std::span<const QColor> cardPalette();    // 12 light tints
std::span<const QColor> agePalette();     // 6 colours, youngest first

QColor categoryColor(FileCategory category);

// Seconds since 1970, now.
double nowStamp();

// Age bucket 0-5 of a date (seconds since 1970): under 7 days, 30, 91, 365, 730, older. No date,
// and a date that is not a number, give 5; a date in the future gives 0.
int ageBucket(std::optional<double> date, double now = nowStamp());
// The same for a node's modification stamp, where 0 means no date.
int ageBucketOfStamp(double modifiedStamp, double now = nowStamp());

// "By folder" colour: family by top-level branch (wrapping, negative too), shade by sibling index and
// depth (depth below 2 gives the family's base shade).
QColor folderColor(int top, int index, int depth);

// A folder card's tint.
QColor cardColor(const FileNode& node, ColorMode mode, int index, double now = nowStamp());
// Every tint cardColor gives under `mode`.
std::vector<QColor> cardTints(ColorMode mode);
// A mind-map node's colour.
QColor mindMapColor(const FileNode& node, ColorMode mode, int index, double now = nowStamp());

// The colour of a node on the canvas views: its category (a folder's dominant one) under "By type",
// folderColor under "By folder", its age under "By age". `firstLevel` is true for the view's first
// level of nodes; `top`, `index` and `depth` are as the view counts them.
QColor nodeColor(const FileNode& node, ColorMode mode, bool firstLevel, int top, int index, int depth,
                 double now = nowStamp());

// The symbol name of a file category ("play.rectangle.fill", ...); folders use "folder.fill".
QString categorySymbol(FileCategory category);
// "folder.fill" for a folder, else its category's symbol.
QString nodeSymbol(const FileNode& node);

// Initials of a name for abbreviated labels: "Xcode DerivedData" -> "XD", "node_modules" -> "NM",
// "Downloads" -> "D", ".app" -> ".", "" -> "".
QString initials(const QString& name);

} // namespace palette
