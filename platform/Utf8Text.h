#pragma once

#include <QString>

#include <string_view>

namespace platform {

// Raw bytes (a name, a path, a label) as UTF-8 text, invalid sequences read as replacement characters,
// every character kept. QString::fromUtf8 drops a leading byte-order mark: "<U+FEFF>report.pdf" would
// read "report.pdf", the very name it is not.
QString utf8Text(std::string_view bytes);

} // namespace platform
