// The spinner, the empty state, the card column, the share bar, the themed label, the hover chip and
// tool tips.
#include "shell/controls/CardColumn.h"
#include "shell/controls/EmptyState.h"
#include "shell/controls/HoverChip.h"
#include "shell/controls/ShareBar.h"
#include "shell/controls/Spinner.h"
#include "shell/controls/ThemedLabel.h"
#include "shell/style/Fonts.h"
#include "shell/style/Motion.h"
#include "shell/style/Symbols.h"
#include "shell/style/Theme.h"
#include "tests/support/InkContrast.h"
#include "tests/support/TestTree.h"

#include <QApplication>
#include <QFontMetricsF>
#include <QPainter>
#include <QScrollBar>
#include <QTest>
#include <QToolTip>
#include <QVBoxLayout>

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

namespace {

TEST(ShareBar, FillIsAShareOfTheTrackWithAMinimumAndTextStaysInside) {
    const double nan = std::numeric_limits<double>::quiet_NaN();
    struct Case {
        double fraction, minimum, track, expected;
    } cases[] = {
        {0.5, 6, 200, 100}, {1, 6, 200, 200}, {0, 6, 200, 6},   {0.01, 6, 200, 6},
        {3, 6, 200, 200},   {-1, 2, 110, 2},  {nan, 2, 110, 2}, {0.5, 20, 10, 10}, // never past the track
    };
    for (const Case& c : cases) {
        ShareBar bar;
        bar.fraction = c.fraction;
        bar.minimumFill = c.minimum;
        EXPECT_DOUBLE_EQ(bar.fillWidth(c.track), c.expected) << c.fraction << " of " << c.track;
    }

    ShareBar bar;
    bar.fraction = 0.5;
    bar.fill = QColor(255, 200, 0);
    bar.track = QColor(220, 220, 220);
    bar.radius = 6;
    QImage image(200, 36, QImage::Format_ARGB32);
    image.fill(Qt::transparent);
    {
        QPainter painter(&image);
        bar.paint(painter, QRectF(0, 0, 200, 36));
    }
    EXPECT_EQ(image.pixelColor(60, 18), bar.fill);
    EXPECT_EQ(image.pixelColor(140, 18), bar.track);

    // A long name and a path: the name gives way so the path's end shows; nothing runs past the
    // trailing padding.
    bar.name = QString(200, QChar('n'));
    bar.nameFont = fonts::ui(13.5);
    bar.nameColor = Qt::black;
    bar.detail = QStringLiteral("/home/someone/a/rather/long/path/to/the/folder");
    bar.detailFont = fonts::ui(10.5);
    bar.detailColor = QColor(0, 0, 255);
    image.fill(Qt::transparent);
    {
        QPainter painter(&image);
        bar.paint(painter, QRectF(0, 0, 200, 36));
    }
    int bluish = 0;
    for (int x = 120; x < 192; ++x)
        for (int y = 0; y < 36; ++y)
            bluish += image.pixelColor(x, y).blue() > image.pixelColor(x, y).red() + 60;
    EXPECT_GT(bluish, 20) << "the detail shows at the right";
    for (int x = 193; x < 200; ++x)
        EXPECT_EQ(image.pixelColor(x, 18), bar.track) << x;
}

TEST(Spinner, TurnsOnlyWhileShownAndAnimating) {
    motion::setAnimationsEnabled(true);
    Spinner spinner(Spinner::kSmall);
    spinner.show();
    EXPECT_TRUE(QTest::qWaitFor([&] { return spinner.step() >= 2; }, 2000));
    spinner.hide();
    const int step = spinner.step();
    QTest::qWait(250);
    EXPECT_EQ(spinner.step(), step);
    motion::setAnimationsEnabled(false);
    Spinner still;
    still.show();
    QTest::qWait(250);
    EXPECT_EQ(still.step(), 0);
    EXPECT_EQ(still.size(), QSize(Spinner::kRegular, Spinner::kRegular));
}

TEST(EmptyState, CentredGroupTextWrapsAtItsWidthOrTheAreasAndTitleComesAndGoes) {
    EmptyState state(QStringLiteral("tray"), QString(),
                     QStringLiteral("Nothing staged yet. Stage items from any visualization, Quick Wins, "
                                    "Duplicates, or App Uninstaller."),
                     EmptyState::Style{});
    state.resize(700, 500);
    state.show();
    QCoreApplication::processEvents();
    ThemedLabel* text = state.textLabel();
    EXPECT_EQ(text->width(), 400);
    const int oneWidthHeight = text->height();
    // Symbol, then text, centred as a group: as much room above as below.
    const QWidget* symbol = state.findChildren<QWidget*>().first(); // made first
    EXPECT_NEAR(symbol->y(), state.height() - text->geometry().bottom() - 1, 2);

    state.resize(220, 500);
    QCoreApplication::processEvents();
    EXPECT_LE(text->width(), 220);
    EXPECT_GT(text->height(), oneWidthHeight) << "more lines when narrower";
    EXPECT_LE(text->geometry().right(), 220);

    state.setTitle(QStringLiteral("Nothing here"));
    EXPECT_FALSE(state.findChildren<ThemedLabel*>().first()->isHidden());
    state.setTitle({});
    EXPECT_TRUE(state.findChildren<ThemedLabel*>().first()->isHidden());
}

TEST(CardColumn, CentredUpToItsWidthPaddedAndScrollingItsCards) {
    CardColumn cards(880);
    QList<QWidget*> added;
    for (int i = 0; i < 12; ++i) {
        auto* card = new QWidget;
        card->setFixedHeight(100);
        cards.column()->addWidget(card);
        added << card;
    }
    cards.resize(1400, 600);
    cards.show();
    QCoreApplication::processEvents();
    const int room = cards.viewport()->width();
    EXPECT_EQ(cards.columnGeometry().width(), 880);
    EXPECT_EQ(cards.columnGeometry().left(), (room - 880) / 2);
    EXPECT_EQ(added.front()->width(), 880);
    const int height = 12 * 100 + 11 * cards.column()->spacing();
    EXPECT_EQ(cards.widget()->height(), 24 + height + 24);
    EXPECT_EQ(cards.verticalScrollBar()->maximum(), cards.widget()->height() - cards.viewport()->height());

    cards.resize(500, 600);
    QCoreApplication::processEvents();
    EXPECT_EQ(cards.columnGeometry().width(), cards.viewport()->width() - 48);
    EXPECT_EQ(cards.columnGeometry().left(), 24);
    // A card that grows makes the column taller.
    added.back()->setFixedHeight(300);
    QCoreApplication::processEvents();
    EXPECT_EQ(cards.widget()->height(), 24 + height + 200 + 24);
    // Cards that come to need the scroll bar once shown stay centred in the narrower room.
    CardColumn few(400);
    auto* first = new QWidget;
    first->setFixedHeight(100);
    few.column()->addWidget(first);
    few.resize(800, 300);
    few.show();
    QCoreApplication::processEvents();
    EXPECT_EQ(few.columnGeometry().left(), (few.viewport()->width() - 400) / 2);
    auto* tall = new QWidget;
    tall->setFixedHeight(400);
    few.column()->addWidget(tall);
    QCoreApplication::processEvents();
    ASSERT_GT(few.verticalScrollBar()->maximum(), 0);
    EXPECT_EQ(few.columnGeometry().left(), (few.viewport()->width() - 400) / 2);
}

// Tool tips take the theme's colours, also when the desktop handed Qt tool-tip colours of its own at
// start (as desktop themes do: black on white) and the application starts in the dark theme, and when
// the theme changes under a tip that is showing.
TEST(ToolTips, FollowTheTheme) {
    QPalette desktop;
    desktop.setColor(QPalette::ToolTipBase, Qt::white);
    desktop.setColor(QPalette::ToolTipText, Qt::black);
    QToolTip::setPalette(desktop);
    ThemeManager::instance().setThemeName(ThemeName::dark);
    QWidget anchor;
    anchor.show();
    QToolTip::showText(anchor.mapToGlobal(QPoint(20, 20)), QStringLiteral("Reveal in File Manager"), &anchor);
    for (ThemeName name : {ThemeName::dark, ThemeName::light, ThemeName::dark}) {
        ThemeManager::instance().setThemeName(name);
        const auto tips = QApplication::topLevelWidgets();
        const auto tip =
            std::find_if(tips.begin(), tips.end(), [](QWidget* w) { return w->inherits("QTipLabel"); });
        ASSERT_NE(tip, tips.end());
        const QImage picture = (*tip)->grab().toImage();
        const Theme& t = Theme::forName(name);
        EXPECT_EQ(picture.pixelColor(picture.width() / 2, 2).rgb(), t.card.rgb())
            << theme_name::rawValue(name);
        EXPECT_EQ((*tip)->palette().color(QPalette::ToolTipText), t.text) << theme_name::rawValue(name);
    }
    QToolTip::hideText();
    ThemeManager::instance().setThemeName(ThemeName::light);
}

// The hover chip's texts and symbol read on the chip in both themes: the name and size at 4.5:1, the
// share, the file count and the symbol at 3:1.
class HoverChipContrast : public ::testing::TestWithParam<ThemeName> {
    void TearDown() override { ThemeManager::instance().setThemeName(ThemeName::light); }
};

TEST_P(HoverChipContrast, TextsAndSymbolRead) {
    ThemeManager::instance().setThemeName(GetParam());
    TestTree tree;
    FileNode* folder = tree.folder(tree.root(), "Projects");
    tree.file(folder, "a.bin", 3'000'000);
    tree.finish();
    QWidget canvas;
    canvas.resize(800, 200);
    HoverChip chip(&canvas);
    chip.setNode(folder, tree.root()->sizeOnDisk);
    const QImage picture = ink_contrast::sharpPicture(chip, theme().background);
    // The row inside the chip, left to right, 10 points apart, as the chip lays it out.
    double x = HoverChip::kMargin + 14;
    auto next = [&](double width, double minimum, const char* what) {
        const QRectF line(x, HoverChip::kMargin + HoverChip::kChipHeight / 2.0 - 3, width, 6);
        ink_contrast::expectReads(picture, line, line.adjusted(-4, -7, 4, 7), minimum, what);
        x += width + 10;
    };
    next(symbols::size(chip.symbolName(), 12).width(), 3.0, "symbol");
    next(QFontMetricsF(fonts::ui(12.5, QFont::DemiBold)).horizontalAdvance(chip.nameText()), 4.5, "name");
    next(QFontMetricsF(fonts::ui(12, QFont::DemiBold)).horizontalAdvance(chip.sizeText()), 4.5, "size");
    next(QFontMetricsF(fonts::ui(11.5)).horizontalAdvance(chip.shareText()), 3.0, "share");
    x += 10; // the capsule's padding
    next(QFontMetricsF(fonts::ui(11, QFont::Medium)).horizontalAdvance(chip.countText()), 3.0, "file count");
}

INSTANTIATE_TEST_SUITE_P(Themes, HoverChipContrast, ::testing::ValuesIn(theme_name::allCases),
                         [](const auto& info) { return std::string(theme_name::rawValue(info.param)); });

} // namespace
