#include "shell/style/Formatters.h"
#include "tests/support/EnvOverride.h"
#include "tests/support/TempDir.h"
#include "tests/support/TreeBuilder.h"

#include <QLocale>
#include <QProcess>

#include <gtest/gtest.h>

#include <clocale>
#include <cstdlib>
#include <limits>

namespace {

// The tables run under the C locale and under German, whose decimal separator is a comma, both in the
// C library (QApplication sets the user's locale there) and in Qt's default locale.
enum class Locale { c, german };

class LocaleGuard {
  public:
    explicit LocaleGuard(Locale locale) {
        if (locale == Locale::c) return;
        // Compiled into a folder of our own: the machine need not have it generated.
        static TempDir locales;
        static const int rc =
            QProcess::execute("localedef", {"-i", "de_DE", "-f", "UTF-8",
                                            QString::fromStdString(locales.str() + "/de_DE.UTF-8")});
        EXPECT_TRUE(rc == 0 || rc == 1)
            << "localedef could not build de_DE.UTF-8 (package locales)"; // 1: warnings
        setenv("LOCPATH", locales.str().c_str(), 1);
        previous_ = std::setlocale(LC_ALL, nullptr);
        EXPECT_NE(std::setlocale(LC_ALL, "de_DE.UTF-8"), nullptr);
        EXPECT_STREQ(std::localeconv()->decimal_point, ",");
        QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
    }
    ~LocaleGuard() {
        if (previous_.empty()) return;
        std::setlocale(LC_ALL, previous_.c_str());
        unsetenv("LOCPATH");
        QLocale::setDefault(QLocale::c());
    }

  private:
    std::string previous_;
};

class Formatters : public ::testing::TestWithParam<Locale> {};

TEST_P(Formatters, BytesAtEveryRoundingBoundaryAndPercentOfATotal) {
    LocaleGuard guard(GetParam());
    const std::pair<int64_t, const char*> bytes[] = {
        {0, "0 B"},
        {999, "999 B"},
        {-1500, "-1.50 KB"},
        {1000, "1.00 KB"},
        {9994, "9.99 KB"},
        {9995, "10.0 KB"},
        {99949, "99.9 KB"},
        {99950, "100 KB"},
        {999499, "999 KB"},
        {999500, "1.00 MB"},
        {999'500'000'000, "1.00 TB"},
        {1'500'000'000'000'000'000, "1500 PB"},
        {std::numeric_limits<int64_t>::min(), "-9223 PB"},
    };
    for (const auto& [count, text] : bytes)
        EXPECT_EQ(formatBytes(count).toStdString(), text) << count;

    const struct {
        int64_t part, total;
        const char* text;
    } percents[] = {
        {5, 0, "0%"},    {5, -3, "0%"},    {1, 10'000, "<0.1%"}, {1, 1000, "0.1%"},          {0, 100, "0.0%"},
        {1, 8, "12.5%"}, {3, 2, "150.0%"}, {-1, 10, "-10.0%"},   {999, 10'000'000, "<0.1%"},
    };
    for (const auto& c : percents)
        EXPECT_EQ(formatPercent(c.part, c.total).toStdString(), c.text) << c.part << "/" << c.total;
    // A fraction: no "<0.1%" and no "0%"; a tie rounds as printf does, to even.
    for (auto [fraction, text] :
         {std::pair{0.0, "0.0%"}, {0.0004, "0.0%"}, {0.0625, "6.2%"}, {0.0675, "6.8%"}})
        EXPECT_EQ(formatPercent(fraction).toStdString(), text) << fraction;
}

INSTANTIATE_TEST_SUITE_P(Locales, Formatters, ::testing::Values(Locale::c, Locale::german),
                         [](const auto& info) { return info.param == Locale::c ? "C" : "German"; });

TEST(RelativeDate, JustNowUnknownFullUnitsAndStamps) {
    const QDateTime now(QDate(2024, 6, 15), QTime(12, 0, 0));
    auto ago = [&](qint64 seconds) { return relativeDateString(now.addSecs(-seconds), now).toStdString(); };
    EXPECT_EQ(relativeDateString(std::nullopt, now).toStdString(), "Unknown");
    const std::pair<qint64, const char*> cases[] = {
        {0, "Just now"},           {59, "Just now"},
        {-3600, "Just now"}, // the future
        {60, "1 minute ago"},      {59 * 60 + 59, "59 minutes ago"},
        {3600, "1 hour ago"},      {23 * 3600, "23 hours ago"},
        {86400, "1 day ago"},      {6 * 86400, "6 days ago"},
        {7 * 86400, "1 week ago"}, {20 * 86400, "2 weeks ago"},
    };
    for (auto [seconds, text] : cases)
        EXPECT_EQ(ago(seconds), text) << seconds;
    for (auto [date, text] :
         {std::pair(QDate(2024, 5, 15), "1 month ago"), std::pair(QDate(2021, 1, 1), "3 years ago")})
        EXPECT_EQ(relativeDateString(QDateTime(date, QTime(12, 0)), now).toStdString(), text);
    // Calendar days, not date changes: 23:00 to 01:00 the next day is two hours.
    const QDateTime lateEvening(QDate(2024, 6, 14), QTime(23, 0));
    EXPECT_EQ(relativeDateString(lateEvening, QDateTime(QDate(2024, 6, 15), QTime(1, 0))).toStdString(),
              "2 hours ago");
    // A stamp of 0 is unknown; any other is seconds since 1970.
    EXPECT_FALSE(dateFromStamp(0).has_value());
    EXPECT_EQ(dateFromStamp(1.5)->toMSecsSinceEpoch(), 1500);
    EXPECT_EQ(dateFromStamp(-86400)->toSecsSinceEpoch(), -86400);
}

// Times anywhere in the 64-bit range (btrfs and tmpfs keep them) give a text without overflow; far
// ones are counted in mean years, not walked through the calendar.
TEST(RelativeDate, TimesFarAwayGiveYearsWithoutOverflow) {
    const QDateTime now(QDate(2024, 6, 15), QTime(12, 0, 0), Qt::UTC);
    auto yearsAgo = [&](qint64 msecs) {
        return relativeDateString(QDateTime::fromMSecsSinceEpoch(msecs, Qt::UTC), now).toStdString();
    };
    EXPECT_EQ(yearsAgo(QDateTime(QDate(2014, 6, 15), QTime(12, 0), Qt::UTC).toMSecsSinceEpoch()),
              "10 years ago");
    // Mean Gregorian years of 365.2425 days far out.
    const qint64 tenMillionYears = qint64(10'000'000 * 365.2425 * 86400) * 1000;
    EXPECT_EQ(yearsAgo(now.toMSecsSinceEpoch() - tenMillionYears), "10000000 years ago");
    for (qint64 msecs : {std::numeric_limits<qint64>::min() / 2, std::numeric_limits<qint64>::min() + 1}) {
        const std::string text = yearsAgo(msecs);
        EXPECT_TRUE(text.ends_with(" years ago") && text.front() != '-') << text;
    }
    EXPECT_EQ(yearsAgo(std::numeric_limits<qint64>::max() - 1), "Just now");
    // A stamp beyond any date is unknown rather than a wrapped number.
    for (double stamp : {double(INT64_MIN / 2), double(INT64_MAX), -1e300})
        EXPECT_EQ(relativeDateString(dateFromStamp(stamp), now).toStdString(), "Unknown") << stamp;
}

} // namespace

namespace {

// The home folder by any spelling is "Home", "/" the volume's name, anything else its last component.
TEST(DisplayName, HomeVolumeOrLastComponent) {
    TempDir home;
    EnvOverride env;
    env.set("HOME", home.str() + "/");
    EXPECT_EQ(displayName(home.str(), "Disk"), "Home");
    EXPECT_EQ(displayName(home.str() + "/./", "Disk"), "Home");
    EXPECT_EQ(displayName("/", "Disk"), "Disk");
    EXPECT_EQ(displayName("//", "Disk"), "Disk");
    EXPECT_EQ(displayName(home.str() + "/caf\xe9/", "Disk"), "caf\xe9");
    env.set("HOME", "/");
    EXPECT_EQ(displayName("/", "Disk"), "Home"); // the home folder comes first
}

} // namespace

namespace {

// Names and paths as shown: what would break the line or show as nothing reads U+FFFD, as a byte that
// is not UTF-8 does; every other character is itself, one code unit for one.
TEST(ShownText, ControlCharactersAndInvalidBytesReadAsReplacementCharacters) {
    const QString r(QChar::ReplacementCharacter);
    EXPECT_EQ(fromBytes("name\nwith newline.txt"), "name" + r + "with newline.txt");
    EXPECT_EQ(fromBytes("tab\there\r.txt"), "tab" + r + "here" + r + ".txt");
    EXPECT_EQ(fromBytes(std::string_view("nul\0bell\x07"
                                         "del\x7f",
                                         13)),
              "nul" + r + "bell" + r + "del" + r);
    EXPECT_EQ(fromBytes("next\xc2\x85line\xe2\x80\xa8para\xe2\x80\xa9"),
              "next" + r + "line" + r + "para" + r);
    EXPECT_EQ(fromBytes("caf\xe9"), "caf" + r);
    // A right-to-left override would show "photo<RLO>gpj.exe" as if it were a picture.
    EXPECT_EQ(fromBytes("photo\u202egpj.exe"), "photo" + r + "gpj.exe");
    EXPECT_EQ(fromBytes("a\u2066b\u2069c\u202ad"), "a" + r + "b" + r + "c" + r + "d");
    // The bidirectional marks too: "invoice<RLM> 1 2.pdf" draws as "invoice2 1 .pdf". Letters stay.
    const QString rightToLeft = QString::fromUtf8("\u05e9\u05dc\u05d5\u05dd notes.txt");
    EXPECT_EQ(fromBytes("\u05e9\u05dc\u05d5\u05dd \u200fnotes.txt"),
              QString(rightToLeft).insert(5, QChar::ReplacementCharacter));
    EXPECT_EQ(fromBytes(rightToLeft.toStdString()), rightToLeft);
    // A leading byte-order mark, which UTF-8 decoding would drop: "<BOM>report.pdf" is not "report.pdf".
    EXPECT_EQ(fromBytes("\xef\xbb\xbfreport.pdf"), r + "report.pdf");
    EXPECT_EQ(fromBytes("\xef\xbb\xbf\xef\xbb\xbf\xffsshd"), r + r + r + "sshd");
    const QString plain = QString::fromUtf8("Café e\u0301 日本 photo-12000x8000 \U0001F600.jpg");
    EXPECT_EQ(fromBytes(plain.toStdString()), plain);
    EXPECT_EQ(shownText(QStringLiteral("a\nb\u2029")), "a" + r + "b" + r);
    // What draws nothing and joins nothing, or reorders: names that would all read "report.pdf";
    // noncharacters (U+FDD0 breaks a tool tip's line); a lone surrogate; both units of one beyond the
    // first plane, as of any such character there.
    for (const char32_t hidden :
         {0x200b,  0x2060,  0x2064,  0x2065,  0xfeff,  0x00ad,  0x034f,  0x17b4,  0x17b5,
          0x180e,  0x3164,  0xffa0,  0xfff0,  0xfff8,  0xfff9,  0x206a,  0x206f,  0x200e,
          0x200f,  0x061c,  0xfdd0,  0xfdef,  0xfffe,  0xd800,  0x1bca0, 0x1bca3, 0x1d173,
          0x1d17a, 0xe0000, 0xe0001, 0xe0002, 0xe001f, 0xe0080, 0xe00ff, 0xe01f0, 0xe0fff}) {
        const QString one =
            hidden > 0xffff ? QString::fromUcs4(&hidden, 1) : QString(QChar(char16_t(hidden)));
        EXPECT_EQ(shownText("report" + one + ".pdf"), "report" + QString(one.size(), r.front()) + ".pdf")
            << std::hex << uint32_t(hidden);
    }
    EXPECT_EQ(fromBytes("a\U0001FFFEb\U0010FFFF"), "a" + r + r + "b" + r + r);
    // The joiners stay: scripts and emoji sequences need them, as archaic Hangul needs its fillers.
    const QString joined = QString::fromUtf8(
        "\u0915\u094d\u200d\u0937 \U0001F469\u200d\U0001F4BB \u0645\u200c\u06cc \u115f\u1161\u11a8");
    EXPECT_EQ(shownText(joined), joined);
    // Selectors and tags stay after what they serve, chained (a flag's tag sequence, an emoji's selector
    // after a text selector), and read U+FFFD where they serve nothing seen.
    const std::pair<const char*, const char*> served[] = {
        {"\u2764\ufe0f \u1820\u180b\u180f #\ufe0f\u20e3 \u2603\ufe0e\ufe0f \u8fba\U000E0100.txt", nullptr},
        {"\U0001F3F4\U000E0067\U000E0062\U000E0065\U000E006E\U000E0067\U000E007F.png", nullptr},
        {"\ufe0freport.pdf", "\ufffdreport.pdf"},
        {"report \ufe0f\u180b.pdf", "report \ufffd\ufffd.pdf"},
        {"report\u200b\ufe0f.pdf", "report\ufffd\ufffd.pdf"},
        {"re\u0301\ufe0fport\U000E0100.pdf", "re\u0301\ufffdport\U000E0100.pdf"},
        {"\U000E0067\U000E0100x", "\ufffd\ufffd\ufffd\ufffdx"},
        {"x\U000E0001\U000E0065n", "x\ufffd\ufffd\ufffd\ufffdn"},
    };
    for (const auto& [text, shown] : served)
        EXPECT_EQ(shownText(QString::fromUtf8(text)), QString::fromUtf8(shown ? shown : text)) << text;

    // A node's name as the rows, tiles and the inspector show it; the node keeps its real name.
    TreeBuilder builder("/data");
    FileNode* node = builder.fileAt("two\nlines\t.txt", 10);
    auto tree = builder.finish();
    EXPECT_EQ(nodeName(*node), "two" + r + "lines" + r + ".txt");
    EXPECT_EQ(node->path(), "/data/two\nlines\t.txt");
}

} // namespace
