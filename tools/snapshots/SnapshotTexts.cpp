#include "tools/snapshots/SnapshotTexts.h"

#include "shell/style/Formatters.h"

#include <QDateTime>
#include <QRegularExpression>

namespace snapshot_texts {

namespace {

// The locale's long date without the weekday and with the month's short name: Qt has no format
// between the numeric short one and the long one.
QString abbreviatedDateFormat(const QLocale& locale) {
    QString format = locale.dateFormat(QLocale::LongFormat);
    // The weekday ("ddd" or "dddd") with the separators that tie it to the rest, wherever it stands.
    static const QRegularExpression weekday(
        QStringLiteral(R"(^\s*d{3,4}[,\s]*|[,\s]*(?<!d)d{3,4}\s*$|(?<!d)d{3,4}(?!d)[,\s]*)"));
    format.remove(weekday);
    format.replace(QStringLiteral("MMMM"), QStringLiteral("MMM"));
    return format.trimmed();
}

// The locale's short time, hours and minutes: the C locale's short format keeps the seconds, which
// a snapshot's time does not need.
QString shortTimeFormat(const QLocale& locale) {
    QString format = locale.timeFormat(QLocale::ShortFormat);
    // The seconds with the separator that ties them to the minutes: "HH:mm:ss" -> "HH:mm".
    static const QRegularExpression seconds(QStringLiteral(R"((?<=m)[^A-Za-z']*s{1,2})"));
    format.remove(seconds);
    return format;
}

} // namespace

QString dateTime(double takenAt, const QLocale& locale) {
    // A file may hold any number here; one past the range of dates reads as unknown.
    const std::optional<QDateTime> utc = dateFromStamp(takenAt + Snapshot::kReferenceDateOffset);
    if (!utc) return QStringLiteral("Unknown");
    const QDateTime when = utc->toLocalTime();
    return locale.toString(when.date(), abbreviatedDateFormat(locale)) + QStringLiteral(", ") +
           locale.toString(when.time(), shortTimeFormat(locale));
}

QString summaryDetail(const Snapshot::Summary& summary, const QLocale& locale) {
    return formatBytes(summary.totalSize) + QStringLiteral(" · ") + dateTime(summary.takenAt, locale);
}

QString heading(double from, double to, const QLocale& locale) {
    return QStringLiteral("Changes: ") + dateTime(from, locale) + QStringLiteral(" → ") +
           dateTime(to, locale);
}

QString changeText(const Snapshot::Delta& delta) {
    const int64_t change = delta.change();
    return change >= 0 ? QStringLiteral("+") + formatBytes(change) : formatBytes(change);
}

} // namespace snapshot_texts
