#include "shell/controls/Buttons.h"
#include "shell/controls/FileTile.h"
#include "shell/controls/RollingText.h"
#include "shell/controls/ThemedLabel.h"
#include "shell/style/Fonts.h"
#include "shell/style/Palette.h"
#include "shell/style/Symbols.h"
#include "shell/style/Theme.h"

#include "tests/support/TreeBuilder.h"

#include <QFontMetrics>
#include <QFontMetricsF>
#include <QImage>
#include <QPainter>
#include <QTest>

#include <gtest/gtest.h>

#include <cmath>

namespace {

TEST(Buttons, ConfirmationComesAndGoesDisabledDoesNotActAndAPressShowsUntilRelease) {
    int calls = 0;
    OutlineButton copy({.title = "Copy Path",
                        .systemImage = "doc.on.clipboard.fill",
                        .confirmTitle = "Copied",
                        .confirmImage = "checkmark",
                        .confirmDuration = 0.2},
                       [&] { ++calls; });
    QTest::mouseClick(&copy, Qt::LeftButton);
    EXPECT_EQ(calls, 1);
    EXPECT_EQ(copy.shownTitle(), "Copied");
    EXPECT_EQ(copy.shownImage(), "checkmark");
    ASSERT_TRUE(QTest::qWaitFor([&] { return !copy.isConfirming(); }, 5000));
    EXPECT_EQ(copy.shownTitle(), "Copy Path");
    // No confirming title: no confirmation. A title alone keeps the icon.
    OutlineButton noTitle(
        {.title = "Reveal", .systemImage = "arrow.up.forward.square", .confirmImage = "checkmark"}, {});
    QTest::mouseClick(&noTitle, Qt::LeftButton);
    EXPECT_FALSE(noTitle.isConfirming());
    OutlineButton titleOnly(
        {.title = "Copy Path", .systemImage = "doc.on.clipboard.fill", .confirmTitle = "Copied"}, {});
    QTest::mouseClick(&titleOnly, Qt::LeftButton);
    EXPECT_EQ(titleOnly.shownImage(), "doc.on.clipboard.fill");

    InkButton ink("Scan", "", 40, 13, [&] { ++calls; });
    ink.resize(200, 40);
    ink.setEnabled(false);
    QTest::mouseClick(&ink, Qt::LeftButton);
    EXPECT_EQ(calls, 1);
    ink.setEnabled(true);
    QTest::mouseClick(&ink, Qt::LeftButton);
    EXPECT_EQ(calls, 2);
    const QRgb normal = ink.grab().toImage().pixelColor(10, 20).rgb();
    QTest::mousePress(&ink, Qt::LeftButton);
    EXPECT_NE(ink.grab().toImage().pixelColor(10, 20).rgb(), normal);
    QTest::mouseRelease(&ink, Qt::LeftButton);
    EXPECT_EQ(ink.grab().toImage().pixelColor(10, 20).rgb(), normal);
}

// A disabled shared button is drawn at half opacity over whatever lies under it, in both themes.
TEST(Buttons, DisabledIsDrawnAtHalfOpacity) {
    for (ThemeName name : theme_name::allCases) {
        ThemeManager::instance().setThemeName(name);
        const Theme& t = theme();
        QWidget ground;
        ground.setAutoFillBackground(true);
        QPalette colours = ground.palette();
        colours.setColor(QPalette::Window, t.background);
        ground.setPalette(colours);
        ground.resize(220, 60);
        InkButton ink("Scan", "", 40, 13, {}, &ground);
        ink.setGeometry(10, 10, 200, 40);
        ink.setEnabled(false);
        const QColor shown = ground.grab().toImage().pixelColor(20, 30);
        auto half = [](float under, float over) {
            return int(std::lround(255 * (under + (over - under) / 2)));
        };
        EXPECT_NEAR(shown.red(), half(t.background.redF(), t.ink.redF()), 1);
        EXPECT_NEAR(shown.green(), half(t.background.greenF(), t.ink.greenF()), 1);
        EXPECT_NEAR(shown.blue(), half(t.background.blueF(), t.ink.blueF()), 1);
    }
    ThemeManager::instance().setThemeName(ThemeName::light);
}

// Which characters roll when a figure changes, and which old character each one replaces.
TEST(RollingText, NumbersPairFromTheirLastDigitAndWordsFromTheirFirstLetter) {
    auto rolling = [](const QString& before, const QString& after) {
        QString rolls, replaced;
        for (const rolling_text::Glyph& g : rolling_text::plan(before, after)) {
            rolls += g.rolls() ? QChar(u'^') : QChar(u'.');
            replaced += g.before.isNull() ? QChar(u'_') : g.before;
        }
        return std::pair(rolls.toStdString(), replaced.toStdString());
    };
    // Only the digits that changed.
    EXPECT_EQ(rolling("12,345 files  ·  1.23 GB", "12,346 files  ·  1.24 GB").first,
              ".....^..............^...");
    // A count gains its digits at the front: its last digits replace the old ones.
    EXPECT_EQ(rolling("999 files", "1,000 files"),
              std::pair(std::string("^^^^^......"), std::string("__999 files")));
    // A unit that changes rolls with the number before it.
    EXPECT_EQ(rolling("999 KB free", "1.00 MB free").first, "^^^^.^......");
    // Runs that differ in kind pair by place.
    EXPECT_EQ(rolling("—", "0 B"), std::pair(std::string("^^^"), std::string("—__")));
    EXPECT_EQ(rolling("", "7").first, "^");
    EXPECT_TRUE(rolling_text::plan("3 files", "").empty());
}

TEST(Symbols, EveryNameHasAGlyphInTheEmbeddedFont) {
    const QFontMetrics metrics(fonts::symbol(12));
    for (const symbols::Entry& e : symbols::table())
        EXPECT_TRUE(metrics.inFontUcs4(e.codepoint)) << e.name;
    for (FileCategory c : file_category::allCases)
        EXPECT_TRUE(symbols::known(palette::categorySymbol(c)));
    EXPECT_TRUE(symbols::glyph("no.such.symbol").isEmpty());
}

TEST(ThemedLabel, OneLineCutsToItsWidthAndTakesTheThemesColour) {
    ThemeManager::instance().setThemeName(ThemeName::light);
    const QFont font = fonts::ui(12);
    ThemedLabel line(QStringLiteral("/home/someone/Documents/a/long/path.txt"), font, &Theme::textTertiary,
                     Qt::ElideMiddle);
    EXPECT_EQ(line.minimumSizeHint().width(), 0);
    EXPECT_EQ(line.sizeHint().height(), int(std::ceil(QFontMetricsF(font).height())));
    line.resize(120, line.sizeHint().height());
    EXPECT_TRUE(line.shownText().contains(QChar(0x2026)));
    EXPECT_TRUE(line.shownText().endsWith(QStringLiteral("path.txt")));
    line.resize(line.sizeHint());
    EXPECT_EQ(line.shownText(), line.text());
    // Its margins are room of its own: a layout never squeezes the line into them.
    const QSize bare = line.sizeHint();
    line.setContentsMargins(20, 0, 20, 8);
    EXPECT_EQ(line.sizeHint(), bare + QSize(40, 8));
    EXPECT_EQ(line.minimumSizeHint().height(), bare.height() + 8);
    line.resize(line.sizeHint());
    EXPECT_EQ(line.shownText(), line.text());

    ThemedLabel wrapped(QStringLiteral("A quick scan builds nine ways to look at your disk."), font,
                        &Theme::textSecondary);
    wrapped.setWordWrap(true);
    EXPECT_GT(wrapped.heightForWidth(80), wrapped.heightForWidth(800));
    ThemeManager::instance().setThemeName(ThemeName::dark);
    EXPECT_EQ(wrapped.palette().color(QPalette::WindowText), Theme::dark().textSecondary);
    ThemeManager::instance().setThemeName(ThemeName::light);
}

} // namespace

namespace {

// A file's tile as drawn for each of `names`, files of one size and age.
std::vector<QImage> tiles(const std::vector<std::string>& names) {
    TreeBuilder builder("/data");
    std::vector<FileNode*> nodes;
    for (const std::string& name : names)
        nodes.push_back(builder.fileAt(name, 12'000, 1'600'000'000));
    auto tree = builder.finish();
    std::vector<QImage> images;
    for (FileNode* node : nodes) {
        QImage image(320, FileTile::kHeight, QImage::Format_ARGB32_Premultiplied);
        image.fill(Qt::transparent);
        QPainter painter(&image);
        FileTile::paint(painter, QRectF(image.rect()), *node, false, theme());
        images.push_back(image);
    }
    return images;
}

// A tile shows every character of a name as it is: a line break as U+FFFD (not as a gap that joins the
// halves), the "x" between digits as an "x", never as "×".
TEST(FileTile, ShowsEveryCharacterOfANameAsItIs) {
    const auto broken = tiles({"two\nlines.txt", "two\xef\xbf\xbdlines.txt", "two lines.txt"});
    EXPECT_EQ(broken[0], broken[1]);
    EXPECT_NE(broken[0], broken[2]);
    const auto digits = tiles({"photo-12000x8000.jpg", "photo-12000\xc3\x97"
                                                       "8000.jpg"});
    EXPECT_NE(digits[0], digits[1]);
}

} // namespace
