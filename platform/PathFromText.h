#pragma once

#include <QString>

#include <string>

namespace platform {

// The path on disk that `text` names, for an absolute path handed back as text (the folder chooser's
// answer). Text cannot carry a name that is not UTF-8: Qt shows its stray bytes as replacement
// characters. Such a component is found again among its folder's entries, as the one entry whose
// name shows as that text. Components that exist as their UTF-8 bytes, and those that match no entry
// or several, are kept as UTF-8. Reads the folders on the way (a few lstat calls, and a listing per
// name with replacement characters): for a path the user picked, not for paths in bulk.
std::string pathFromText(const QString& text);

} // namespace platform
