#include "model/NameFilter.h"

#include "model/FileNode.h"
#include "platform/Utf8Text.h"

#include <algorithm>
#include <string_view>

namespace {

// The filter's "whitespaces": spaces and tabs, not line breaks.
bool isHorizontalSpace(QChar c) {
    return c == u'\t' || c.category() == QChar::Separator_Space;
}

QString trimHorizontalSpace(const QString& text) {
    qsizetype begin = 0, end = text.size();
    while (begin < end && isHorizontalSpace(text[begin]))
        ++begin;
    while (end > begin && isHorizontalSpace(text[end - 1]))
        --end;
    return text.mid(begin, end - begin);
}

bool containsAsciiIgnoringCase(std::string_view haystack, std::string_view lowerNeedle) {
    for (size_t i = 0; i + lowerNeedle.size() <= haystack.size(); ++i) {
        size_t j = 0;
        while (j < lowerNeedle.size()) {
            char c = haystack[i + j];
            if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
            if (c != lowerNeedle[j]) break;
            ++j;
        }
        if (j == lowerNeedle.size()) return true;
    }
    return false;
}

} // namespace

NameFilter::NameFilter(const QString& text) : text_(text), needle_(trimHorizontalSpace(text)) {
    isAscii_ = std::all_of(needle_.begin(), needle_.end(), [](QChar c) { return c.unicode() < 128; });
    if (isAscii_) asciiNeedle_ = needle_.toLower().toStdString();
}

bool NameFilter::matches(const FileNode* node) const {
    if (!node || needle_.isEmpty()) return true;
    // Names are raw bytes; plain ASCII filters (the usual case) are matched without converting them.
    if (isAscii_) return containsAsciiIgnoringCase(node->name(), asciiNeedle_);
    return platform::utf8Text(node->name()).contains(needle_, Qt::CaseInsensitive);
}
