#include "model/AgeReport.h"

#include "model/Saturating.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <ctime>

namespace {

// Local month boundaries from January 1990 to the end of next year, converted once per report, so
// the walk does no time-zone conversion (and takes no libc lock) per file.
class MonthTable {
  public:
    explicit MonthTable(double now) {
        time_t nowSeconds = static_cast<time_t>(now);
        struct tm local {};
        int lastYear = localtime_r(&nowSeconds, &local) ? local.tm_year + 1900 + 1 : 2100;
        lastYear = std::max(lastYear, AgeReport::kFirstYear);
        for (int year = AgeReport::kFirstYear; year <= lastYear + 1; ++year) {
            for (int month = 0; month < 12; ++month) {
                struct tm start {};
                start.tm_year = year - 1900;
                start.tm_mon = month;
                start.tm_mday = 1;
                start.tm_isdst = -1;
                starts_.push_back(static_cast<int64_t>(mktime(&start)));
                if (year == lastYear + 1) return; // only January of the year after: the table's end
            }
        }
    }

    // Months of the table: January 1990 is 0, twelve per year.
    size_t size() const { return starts_.size() - 1; }
    static constexpr int kBeyond = -2; // later than the table: convert with yearMonth()

    // The table month of a time in seconds; -1 before 1990, for a time that is not a number, or out of
    // the calendar's range; kBeyond after the table's end.
    int monthIndex(double stamp) const {
        // Converting a non-finite or huge double to an integer is undefined; such times have no month.
        if (!std::isfinite(stamp) || stamp <= -1e15 || stamp >= 1e15) return -1;
        const int64_t seconds = static_cast<int64_t>(stamp); // truncated toward zero
        if (seconds < starts_.front()) return -1;
        if (seconds >= starts_.back()) return kBeyond;
        // A guess from the mean month length lands within a month of the answer; no search per file.
        constexpr int64_t kMeanMonth = 2'629'746;
        size_t index = std::min(size() - 1, static_cast<size_t>((seconds - starts_.front()) / kMeanMonth));
        while (starts_[index] > seconds)
            --index;
        while (starts_[index + 1] <= seconds)
            ++index;
        return static_cast<int>(index);
    }

    // (year, month 0-11) of a time after the table's end, or false outside the calendar's range.
    static bool yearMonth(double stamp, int& year, int& month) {
        time_t t = static_cast<time_t>(static_cast<int64_t>(stamp));
        struct tm local {};
        if (!localtime_r(&t, &local)) return false;
        year = local.tm_year + 1900;
        month = local.tm_mon;
        return year >= AgeReport::kFirstYear;
    }

  private:
    std::vector<int64_t> starts_;
};

int ageBucket(double days) {
    if (days < 7) return 0;
    if (days < 30) return 1;
    if (days < 91) return 2;
    if (days < 365) return 3;
    if (days < 730) return 4;
    return 5; // also a time that is not a number
}

} // namespace

AgeReport AgeReport::compute(const FileNode* folder, const platform::TrashFolders& trash) {
    double now = std::chrono::duration<double>(std::chrono::system_clock::now().time_since_epoch()).count();
    return compute(folder, now, trash);
}

AgeReport AgeReport::compute(const FileNode* folder, double now, const platform::TrashFolders& trash) {
    AgeReport report;
    if (!folder) return report;
    MonthTable table(now);
    // Monthly totals by table month, and which years a file was counted in (a file of 0 bytes, too).
    std::vector<int64_t> monthly(table.size(), 0);
    std::vector<uint8_t> yearSeen(table.size() / 12, 0);

    folder->forEachNode([&](FileNode* node) {
        if (node->isDirectory() || node->modifiedStamp == 0) return;
        const int64_t size = node->sizeOnDisk;
        const double days = (now - node->modifiedStamp) / 86400.0;
        int64_t& bucket = report.buckets[ageBucket(days)];
        bucket = saturating::add(bucket, size);
        report.total = saturating::add(report.total, size);
        if (const int index = table.monthIndex(node->modifiedStamp); index >= 0) {
            monthly[size_t(index)] = saturating::add(monthly[size_t(index)], size);
            yearSeen[size_t(index) / 12] = 1;
        } else if (int year = 0, month = 0;
                   index == MonthTable::kBeyond && MonthTable::yearMonth(node->modifiedStamp, year, month)) {
            auto [it, inserted] = report.months.try_emplace(year);
            if (inserted) it->second.fill(0);
            it->second[size_t(month)] = saturating::add(it->second[size_t(month)], size);
        }
        // Few files are big and old: their paths cost little to build.
        if (size >= kUntouchedBytes && days >= kUntouchedDays &&
            (trash.folders().empty() || !trash.isInTrash(node->path()))) {
            report.untouched.push_back(node);
            report.untouchedTotal = saturating::add(report.untouchedTotal, size);
        }
    });
    for (size_t year = 0; year < yearSeen.size(); ++year) {
        if (!yearSeen[year]) continue;
        std::array<int64_t, 12>& months = report.months[kFirstYear + int(year)];
        std::copy_n(monthly.begin() + std::ptrdiff_t(year * 12), 12, months.begin());
    }
    FileNode::sortBySizeOnDisk(report.untouched);
    return report;
}
