#include "shell/style/Formatters.h"

#include "model/FileNode.h"
#include "model/Saturating.h"
#include "platform/Paths.h"
#include "platform/UserFolders.h"
#include "platform/Utf8Text.h"

#include <QLocale>

#include <array>
#include <charconv>
#include <cmath>

namespace {

// printf-style fixed notation without the C locale: std::to_chars never uses a decimal comma.
void appendFixed(std::string& out, double value, int decimals) {
    std::array<char, 64> buffer{};
    auto [end, ec] = std::to_chars(buffer.data(), buffer.data() + buffer.size(), value,
                                   std::chars_format::fixed, decimals);
    if (ec == std::errc()) out.append(buffer.data(), end);
}

} // namespace

std::string formatBytesUtf8(int64_t count) {
    static constexpr std::array<const char*, 6> units = {"B", "KB", "MB", "GB", "TB", "PB"};
    std::string out;
    if (count < 0) out += '-';
    // The most negative count has no positive int64 magnitude; uint64 holds it exactly.
    const uint64_t magnitude = count < 0 ? uint64_t(0) - uint64_t(count) : uint64_t(count);
    if (magnitude < 1000) {
        out += std::to_string(magnitude);
        out += " B";
        return out;
    }
    double v = double(magnitude) / 1000.0;
    size_t unit = 1;
    while (v >= 999.5 && unit < units.size() - 1) {
        v /= 1000.0;
        ++unit;
    }
    appendFixed(out, v, v >= 99.95 ? 0 : v >= 9.995 ? 1 : 2);
    out += ' ';
    out += units[unit];
    return out;
}

QString formatBytes(int64_t count) {
    return QString::fromStdString(formatBytesUtf8(count));
}

QString formatPercent(double fraction) {
    std::string out;
    appendFixed(out, fraction * 100.0, 1);
    out += '%';
    return QString::fromStdString(out);
}

QString formatPercent(int64_t part, int64_t total) {
    if (total < 1) return QStringLiteral("0%");
    const double fraction = double(part) / double(total);
    const double p = fraction * 100.0;
    if (p > 0 && p < 0.1) return QStringLiteral("<0.1%");
    return formatPercent(fraction);
}

namespace {

QString unitsAgo(qint64 n, const char* unit) {
    return QStringLiteral("%1 %2%3 ago").arg(n).arg(QLatin1String(unit)).arg(n == 1 ? "" : "s");
}

} // namespace

QString relativeDateString(const std::optional<QDateTime>& date, const QDateTime& now) {
    if (!date || !date->isValid() || !now.isValid()) return QStringLiteral("Unknown");
    // Times from the file system may be anywhere in the 64-bit range.
    const qint64 seconds = saturating::sub(now.toMSecsSinceEpoch(), date->toMSecsSinceEpoch()) / 1000;
    if (seconds < 60) return QStringLiteral("Just now");
    // Beyond ten thousand years the calendar adds nothing but cost (local-time rules are looked up
    // across the whole span) and, further out, a month count that overflows: count mean Gregorian
    // years instead (400 of them are exactly 146,097 days).
    constexpr qint64 kDay = 86400, kCycleDays = 146'097;
    if (seconds >= 25 * kCycleDays * kDay) return unitsAgo(seconds / kDay * 400 / kCycleDays, "year");

    // The largest calendar unit that has passed, counted in local time like a calendar would.
    const QDateTime from = date->toLocalTime();
    const QDateTime to = now.toLocalTime();
    int months = (to.date().year() - from.date().year()) * 12 + (to.date().month() - from.date().month());
    if (from.addMonths(months) > to) --months;
    if (months >= 12) return unitsAgo(months / 12, "year");
    if (months >= 1) return unitsAgo(months, "month");
    const qint64 days = from.daysTo(to) - (from.addDays(from.daysTo(to)) > to ? 1 : 0);
    if (days >= 7) return unitsAgo(days / 7, "week");
    if (days >= 1) return unitsAgo(days, "day");
    if (seconds >= 3600) return unitsAgo(seconds / 3600, "hour");
    return unitsAgo(seconds / 60, "minute");
}

QString relativeDateString(const std::optional<QDateTime>& date) {
    return relativeDateString(date, QDateTime::currentDateTime());
}

std::optional<QDateTime> dateFromStamp(double secondsSince1970) {
    // Past about 285 million years either way the milliseconds leave the 64-bit range: no real date.
    constexpr double kLimit = 9e15;
    if (secondsSince1970 == 0 || !(std::abs(secondsSince1970) < kLimit)) return std::nullopt;
    // In UTC, so reading it back costs no local-time lookup; it is shown in local time.
    return QDateTime::fromMSecsSinceEpoch(qint64(std::llround(secondsSince1970 * 1000.0)), Qt::UTC);
}

QString formatCount(int64_t count) {
    return QLocale().toString(qlonglong(count));
}

namespace {

// Characters that draw nothing and join nothing: a soft hyphen, the combining grapheme joiner, the
// Khmer inherent vowels, the Mongolian vowel separator, the zero-width space, the word joiner and the
// invisible operators, the deprecated format controls, the Hangul fillers that stand alone, the
// byte-order mark, the interlinear annotation controls, the shorthand and musical format controls, the
// deprecated language tag and the code points kept to be ignored (U+2065, U+FFF0-U+FFF8, the unassigned
// ones up to U+E0FFF; the selectors and tags among them are judged apart, servesPrevious). Names that differ
// only by them would read alike. The joiners U+200C and U+200D stay: scripts and emoji need them, as the
// Hangul fillers that build archaic syllables (U+115F, U+1160) do.
bool drawsNothing(char32_t point) {
    if (point < 0x10000)
        return point == 0x00ad || point == 0x034f || point == 0x17b4 || point == 0x17b5 || point == 0x180e ||
               point == 0x200b || (point >= 0x2060 && point <= 0x2065) ||
               (point >= 0x206a && point <= 0x206f) || point == 0x3164 || point == 0xfeff ||
               point == 0xffa0 || (point >= 0xfff0 && point <= 0xfffb);
    return (point >= 0x1bca0 && point <= 0x1bca3) || (point >= 0x1d173 && point <= 0x1d17a) ||
           (point >= 0xe0000 && point <= 0xe0fff);
}

// Bidirectional embeddings, overrides, isolates and marks: they would show a name's characters in
// another order ("photo\u202Egpj.exe" as "photoexe.jpg", "invoice\u200F 1 2.pdf" as "invoice2 1 .pdf").
bool reorders(char32_t point) {
    return point == 0x061c || point == 0x200e || point == 0x200f || (point >= 0x202a && point <= 0x202e) ||
           (point >= 0x2066 && point <= 0x2069);
}

// Variation selectors and tag characters: they choose how the character before them is drawn (an
// emoji's style, a flag's region), and chain (a tag sequence, a selector after one).
bool servesPrevious(char32_t point) {
    return (point >= 0xfe00 && point <= 0xfe0f) || (point >= 0x180b && point <= 0x180d) || point == 0x180f ||
           (point >= 0xe0020 && point <= 0xe007f) || (point >= 0xe0100 && point <= 0xe01ef);
}

// Code points Unicode keeps out of interchange; Qt draws some of them as line breaks.
bool isNoncharacter(char32_t point) {
    return (point >= 0xfdd0 && point <= 0xfdef) || (point & 0xfffe) == 0xfffe;
}

// Whether a selector or tag at `at` of a text shown up to there has a character to serve: one that
// draws, or a selector or tag kept before it. At the start, after a space, after a combining mark or
// after what reads U+FFFD it would change nothing seen, and would hide in the name.
bool hasCharacterToServe(const QString& text, qsizetype at) {
    if (at == 0) return false;
    char32_t before = text.at(at - 1).unicode();
    if (QChar::isLowSurrogate(before) && at >= 2 && QChar::isHighSurrogate(text.at(at - 2).unicode()))
        before = QChar::surrogateToUcs4(text.at(at - 2).unicode(), char16_t(before));
    if (servesPrevious(before)) return true; // one marked reads U+FFFD by now
    if (before == QChar::ReplacementCharacter) return false;
    const QChar::Category category = QChar::category(before);
    return category != QChar::Separator_Space && category != QChar::Mark_NonSpacing &&
           category != QChar::Mark_SpacingCombining && category != QChar::Mark_Enclosing;
}

} // namespace

QString shownText(QString text) {
    for (qsizetype i = 0; i < text.size(); ++i) {
        const char16_t unit = text.at(i).unicode();
        if (unit >= 0x20 && unit < 0x7f) continue; // printable ASCII: most of every name
        // Latin letters and their accents, CJK and Hangul syllables: none of them hides, and they are
        // most of the rest.
        if ((unit >= 0xc0 && unit < 0x340) || (unit >= 0x3200 && unit < 0xd800)) continue;
        char32_t point = unit;
        qsizetype units = 1;
        if (QChar::isHighSurrogate(unit) && i + 1 < text.size() &&
            QChar::isLowSurrogate(text.at(i + 1).unicode())) {
            point = QChar::surrogateToUcs4(unit, text.at(i + 1).unicode());
            units = 2;
        }
        bool hides = servesPrevious(point) ? !hasCharacterToServe(text, i)
                                           : drawsNothing(point) || reorders(point) || isNoncharacter(point);
        if (!hides && units == 1) {
            const QChar::Category category = QChar::category(point);
            hides = category == QChar::Other_Control || category == QChar::Separator_Line ||
                    category == QChar::Separator_Paragraph || category == QChar::Other_Surrogate;
        }
        // Both units of a character beyond the first plane read U+FFFD, one for one.
        if (hides)
            for (qsizetype k = i; k < i + units; ++k)
                text[k] = QChar::ReplacementCharacter; // detaches only a text that has one
        i += units - 1;
    }
    return text;
}

QString fromBytes(std::string_view bytes) {
    return shownText(platform::utf8Text(bytes));
}

QString nodeName(const FileNode& node) {
    return fromBytes(node.name());
}

std::string displayName(const std::string& path, const std::string& volumeName) {
    const std::string standardized = platform::standardizedPath(platform::absolutePath(path));
    if (standardized == platform::standardizedPath(platform::homeFolder())) return "Home";
    if (standardized == "/") return volumeName;
    // A folder recorded as "x/.." is named after the folder it is, not "..".
    return platform::lastComponent(standardized);
}
