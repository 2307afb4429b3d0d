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

    // (year, month 0-11) of a time in seconds, or false before 1990 or outside the calendar's range.
    bool yearMonth(double stamp, int& year, int& month) const {
        // Converting a non-finite or huge double to an integer is undefined; such times have no month.
        if (!std::isfinite(stamp) || stamp <= -1e15 || stamp >= 1e15) return false;
        int64_t seconds = static_cast<int64_t>(stamp); // truncated toward zero
        if (seconds < starts_.front()) return false;
        if (seconds < starts_.back()) {
            size_t index = static_cast<size_t>(std::upper_bound(starts_.begin(), starts_.end(), seconds) -
                                               starts_.begin()) -
                           1;
            year = AgeReport::kFirstYear + static_cast<int>(index / 12);
            month = static_cast<int>(index % 12);
            return true;
        }
        // Beyond the table (a time in the future): rare, converted one by one.
        time_t t = static_cast<time_t>(seconds);
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

AgeReport AgeReport::compute(const FileNode* folder) {
    double now = std::chrono::duration<double>(std::chrono::system_clock::now().time_since_epoch()).count();
    return compute(folder, now);
}

AgeReport AgeReport::compute(const FileNode* folder, double now) {
    AgeReport report;
    if (!folder) return report;
    MonthTable table(now);
    // Cache of the last year's slots: files of one folder are mostly from the same year.
    int cachedYear = -1;
    std::array<int64_t, 12>* cachedMonths = nullptr;

    folder->forEachNode([&](FileNode* node) {
        if (node->isDirectory() || node->modifiedStamp == 0) return;
        const int64_t size = node->sizeOnDisk;
        const double days = (now - node->modifiedStamp) / 86400.0;
        int64_t& bucket = report.buckets[ageBucket(days)];
        bucket = saturating::add(bucket, size);
        report.total = saturating::add(report.total, size);
        int year = 0, month = 0;
        if (table.yearMonth(node->modifiedStamp, year, month)) {
            if (year != cachedYear) {
                auto [it, inserted] = report.months.try_emplace(year);
                if (inserted) it->second.fill(0);
                cachedYear = year;
                cachedMonths = &it->second;
            }
            (*cachedMonths)[month] = saturating::add((*cachedMonths)[month], size);
        }
        if (size >= kUntouchedBytes && days >= kUntouchedDays) {
            report.untouched.push_back(node);
            report.untouchedTotal = saturating::add(report.untouchedTotal, size);
        }
    });
    FileNode::sortBySizeOnDisk(report.untouched);
    return report;
}
