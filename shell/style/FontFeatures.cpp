#include "shell/style/FontFeatures.h"

#include <array>
#include <cstdint>
#include <cstring>
#include <vector>

namespace font_features {

namespace {

constexpr std::array<const char*, 3> kContextualTags{"calt", "clig", "liga"};

uint16_t read16(const QByteArray& data, qsizetype at) {
    return uint16_t(uint8_t(data[at]) << 8 | uint8_t(data[at + 1]));
}

uint32_t read32(const QByteArray& data, qsizetype at) {
    return uint32_t(read16(data, at)) << 16 | read16(data, at + 2);
}

// Where the feature records of the contextual substitutions start, in a GSUB table that lies at
// [table, table + length) of `data`. Everything read is checked against the table's end.
std::vector<qsizetype> contextualRecords(const QByteArray& data, qsizetype table, qsizetype length) {
    std::vector<qsizetype> records;
    const qsizetype end = table + length;
    if (table < 0 || length < 10 || end > data.size()) return records;
    const uint16_t listOffset = read16(data, table + 6);
    const qsizetype list = table + listOffset;
    if (listOffset == 0 || list + 2 > end) return records;
    const uint16_t count = read16(data, list);
    for (qsizetype i = 0; i < count; ++i) {
        const qsizetype record = list + 2 + 6 * i; // a 4-byte tag and a 2-byte offset
        if (record + 6 > end) break;
        for (const char* tag : kContextualTags)
            if (std::memcmp(data.constData() + record, tag, 4) == 0) records.push_back(record);
    }
    return records;
}

} // namespace

bool hasContextualSubstitutions(const QByteArray& gsub) {
    return !contextualRecords(gsub, 0, gsub.size()).empty();
}

QByteArray withoutContextualSubstitutions(QByteArray font) {
    constexpr qsizetype kHeader = 12, kTableRecord = 16;
    if (font.size() < kHeader) return font;
    const uint16_t tables = read16(font, 4);
    for (qsizetype i = 0; i < tables; ++i) {
        const qsizetype record = kHeader + kTableRecord * i;
        if (record + kTableRecord > font.size()) break;
        if (std::memcmp(font.constData() + record, "GSUB", 4) != 0) continue;
        const qsizetype offset = read32(font, record + 8), length = read32(font, record + 12);
        // "calt" becomes "calT": registered tags are lower case, so the renamed one is applied by no
        // shaper and keeps its place in the list, which is sorted by tag.
        for (qsizetype tag : contextualRecords(font, offset, length))
            font[tag + 3] = char(font[tag + 3] - 'a' + 'A');
        break;
    }
    return font;
}

} // namespace font_features
