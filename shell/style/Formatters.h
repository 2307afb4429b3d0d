#pragma once

#include <QDateTime>
#include <QString>

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

class FileNode;

// Short texts shown everywhere in the interface. None of them depends on the process locale:
// "1.50 KB" never prints as "1,50 KB".

// A byte count in decimal units, at most three significant digits: "512 B", "1.50 KB", "23.4 MB",
// "100 KB", "-1.50 KB". Values past the petabyte range stay in "PB".
QString formatBytes(int64_t count);
std::string formatBytesUtf8(int64_t count);

// A fraction as a percentage with one decimal, as printf's "%.1f" rounds it: 0.457 gives "45.7%", 0 gives
// "0.0%", 1.5 gives "150.0%".
QString formatPercent(double fraction);
// A share of a total: "0%" for a total below 1, "<0.1%" for a tiny positive share, else as above:
// "12.5%", "0.0%", "150.0%".
QString formatPercent(int64_t part, int64_t total);

// "Unknown" without a date, "Just now" for less than 60 seconds ago (and for the future), else a
// relative text in full units such as "5 minutes ago", "1 day ago", "3 weeks ago", "2 years ago".
// Constant time for any date: one far in the past costs no more than yesterday.
QString relativeDateString(const std::optional<QDateTime>& date);
QString relativeDateString(const std::optional<QDateTime>& date, const QDateTime& now);

// A node's modification or creation stamp (seconds since 1970) as a date; 0 means unknown, and so
// does a stamp beyond the range of dates (hundreds of millions of years away).
std::optional<QDateTime> dateFromStamp(double secondsSince1970);

// A count with the user's digit grouping ("1,234" in an English locale): the hover chip's
// "1,234 files" and the like.
QString formatCount(int64_t count);

// A name or path as shown: a control character (a line break, a tab, ...), a line or paragraph
// separator, a bidirectional embedding, override, isolate or mark (U+200E, U+200F, U+061C), a character
// that draws nothing and joins nothing (U+200B, U+2060-U+2065, U+FEFF, U+00AD, U+034F, the unassigned
// code points kept to be ignored, ...), a noncharacter and a lone surrogate read as the replacement
// character U+FFFD, so a name stays on its line, in its own order, and no character goes unseen. A
// variation selector or tag character stays after a character it serves (one that draws, or a selector
// or tag kept before it: emoji and flag sequences) and reads U+FFFD at the start, after a space, after a
// combining mark or after what reads U+FFFD. The joiners U+200C and U+200D stay. One code unit stands
// for one (both units of a character beyond the first plane read U+FFFD), so a position in the shown text
// is one in `text`. What acts on the file (reveal, copy path) keeps the real text.
QString shownText(QString text);

// Raw bytes (a name, a path) for display as UTF-8, invalid sequences and control characters shown as
// replacement characters (shownText); a leading byte-order mark is kept, and so shown.
QString fromBytes(std::string_view bytes);

// A node's name for display: its raw bytes as fromBytes shows them.
QString nodeName(const FileNode& node);

// A scanned folder's name for display: "Home" for the home folder, `volumeName` for "/", else the last
// path component, as raw bytes.
std::string displayName(const std::string& path, const std::string& volumeName);
