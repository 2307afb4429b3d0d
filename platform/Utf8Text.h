#pragma once

#include <QString>

#include <string_view>

namespace platform {

// utf8Text for bytes that begin with a byte-order mark.
QString utf8TextKeepingMark(std::string_view bytes);

// Raw bytes (a name, a path, a label) as UTF-8 text, invalid sequences read as replacement characters,
// every character kept. QString::fromUtf8 drops a leading byte-order mark: "<U+FEFF>report.pdf" would
// read "report.pdf", the very name it is not. Inline: every row shown decodes its name.
inline QString utf8Text(std::string_view bytes) {
    if (bytes.starts_with("\xef\xbb\xbf")) return utf8TextKeepingMark(bytes);
    return QString::fromUtf8(bytes.data(), qsizetype(bytes.size()));
}

} // namespace platform
