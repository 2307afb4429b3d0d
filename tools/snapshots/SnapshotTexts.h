#pragma once

#include "model/Snapshot.h"

#include <QLocale>
#include <QString>

// The texts of the Snapshots screen that are built from data. Dates follow the user's locale.
namespace snapshot_texts {

// A moment (seconds since 2001, as snapshots keep it) as an abbreviated date and a short time in the
// locale: "Jan 5, 2024, 3:04 PM" in American English, "5. Jan. 2024, 15:04" in German.
QString dateTime(double takenAt, const QLocale& locale = QLocale());
// A snapshot row's second line: its total size and when it was taken.
QString summaryDetail(const Snapshot::Summary& summary, const QLocale& locale = QLocale());
// "Changes: <from> → <to>".
QString heading(double from, double to, const QLocale& locale = QLocale());
// A folder's change from "Before" to "After": "+" and the bytes for growth (and for no change), the
// bytes with their minus sign for shrinkage.
QString changeText(const Snapshot::Delta& delta);

} // namespace snapshot_texts
