// The folder grid's layout as data and the folder card, without a view.
#include "shell/Palette.h"
#include "shell/Theme.h"
#include "visualizations/FolderCard.h"
#include "visualizations/FolderGridLayout.h"

#include "tests/support/TestTree.h"

#include <QImage>
#include <QLocale>
#include <QPainter>

#include <gtest/gtest.h>

namespace {

using folder_grid::ItemKind;

size_t countOf(const folder_grid::Layout& layout, ItemKind kind) {
    return size_t(std::count_if(layout.items.begin(), layout.items.end(),
                                [kind](const folder_grid::Item& item) { return item.kind == kind; }));
}

TEST(FolderGridLayout, ColumnsSectionsAndTheEmptyState) {
    // Columns grow with the width and never drop below one; cells fill the row between the paddings.
    int previous = 1;
    for (double w = -500; w <= 2000; w += 7) {
        const int columns = folder_grid::columnCount(w);
        EXPECT_GE(columns, previous) << w;
        previous = columns;
    }
    EXPECT_EQ(folder_grid::columnCount(0), 1);
    const auto wide = folder_grid::layout(8, 0, 1265);
    EXPECT_DOUBLE_EQ(wide.items[wide.columns].rect.right(), 1265 - 24); // the first row's last card
    EXPECT_GE(folder_grid::layout(3, 0, 20).columnWidth, 10);
    // A scroll bar narrows the cells, not the number of columns.
    const auto narrowed = folder_grid::layout(8, 0, 1265, 1251);
    EXPECT_EQ(narrowed.columns, wide.columns);
    EXPECT_DOUBLE_EQ(narrowed.items[wide.columns].rect.right(), 1251 - 24);

    // Folders then files, each under its header, all inside the height.
    const auto both = folder_grid::layout(5, 3, 1000);
    std::vector<ItemKind> kinds;
    for (const auto& item : both.items) {
        if (kinds.empty() || kinds.back() != item.kind) kinds.push_back(item.kind);
        EXPECT_LT(item.rect.bottom(), both.height);
    }
    EXPECT_EQ(kinds, (std::vector<ItemKind>{ItemKind::folderHeader, ItemKind::folderCard, ItemKind::fileHeader,
                                            ItemKind::fileTile}));
    EXPECT_EQ(countOf(both, ItemKind::folderCard), 5u);
    EXPECT_EQ(countOf(both, ItemKind::fileTile), 3u);
    // Only files: their header is where the folders' would be.
    const auto files = folder_grid::layout(0, 2, 700);
    EXPECT_EQ(files.items.front().kind, ItemKind::fileHeader);
    EXPECT_DOUBLE_EQ(files.items.front().rect.top(), both.items.front().rect.top());
    EXPECT_EQ(countOf(files, ItemKind::folderHeader), 0u);
    const auto empty = folder_grid::layout(0, 0, 700);
    ASSERT_EQ(empty.items.size(), 1u);
    EXPECT_EQ(empty.items[0].kind, ItemKind::emptyState);
}

TEST(FolderGridLayout, AtMostSixHundredTiles) {
    const auto layout = folder_grid::layout(0, 601, 1300);
    EXPECT_EQ(countOf(layout, ItemKind::fileTile), 600u);
    EXPECT_EQ(layout.items.back().index, 599u);
    EXPECT_EQ(countOf(folder_grid::layout(0, 150'000, 1300), ItemKind::fileTile), 600u);
}

TEST(FolderGridLayout, HundredThousandCardsAreDataAndOnlyTheVisibleOnesAreFound) {
    const size_t count = 100'000;
    const auto layout = folder_grid::layout(count, 0, 1300); // 4 columns, 25,000 rows
    ASSERT_EQ(countOf(layout, ItemKind::folderCard), count);
    // Reading order: rows top to bottom, never overlapping.
    for (size_t i = 2; i < layout.items.size(); ++i) {
        const auto& a = layout.items[i - 1].rect;
        const auto& b = layout.items[i].rect;
        ASSERT_TRUE(b.top() > a.top() ? b.top() >= a.bottom() + 19 - 1e-6 : b.left() >= a.right() + 19 - 1e-6) << i;
    }

    // A band of one screen somewhere in the middle holds a handful of rows.
    const double top = 2'000'000;
    const auto [first, last] = folder_grid::visibleRange(layout, top, top + 900);
    EXPECT_GE(last - first, 4u * 4);
    EXPECT_LE(last - first, 4u * 6);
    for (size_t i = first; i < last; ++i) EXPECT_TRUE(layout.items[i].rect.intersects(QRectF(0, top, 1300, 900)));
    EXPECT_FALSE(layout.items[first - 1].rect.intersects(QRectF(0, top, 1300, 900)));
    EXPECT_FALSE(layout.items[last].rect.intersects(QRectF(0, top, 1300, 900)));

    // The very last card is found by its position; the gap between cards holds nothing.
    const auto& lastCard = layout.items.back();
    EXPECT_EQ(lastCard.index, count - 1);
    EXPECT_EQ(folder_grid::itemAt(layout, lastCard.rect.center()), &lastCard);
    EXPECT_EQ(folder_grid::itemAt(layout, lastCard.rect.topLeft() - QPointF(9, 0)), nullptr);
    EXPECT_EQ(folder_grid::itemAt(layout, QPointF(10, layout.height - 5)), nullptr);
}

// ---- Folder shape and card ----------------------------------------------------------------------

TEST(FolderShape, TabShoulderAndBody) {
    const QPainterPath shape = folderShape(QRectF(0, 0, 300, 192));
    EXPECT_EQ(shape.boundingRect(), QRectF(0, 0, 300, 192));
    EXPECT_TRUE(shape.contains(QPointF(60, 5)));      // on the tab
    EXPECT_FALSE(shape.contains(QPointF(220, 10)));   // the strip right of the tab
    EXPECT_TRUE(shape.contains(QPointF(220, 30)));    // the body below it
    EXPECT_FALSE(shape.contains(QPointF(1, 1)));      // outside the rounded corner
    EXPECT_FALSE(shape.contains(QPointF(299, 191)));
    EXPECT_TRUE(shape.contains(QPointF(150, 100)));
    // Shifted rectangles shift the shape.
    EXPECT_EQ(folderShape(QRectF(10, 40, 300, 192)).boundingRect(), QRectF(10, 40, 300, 192));
    EXPECT_FALSE(FolderCard::hits(QRectF(10, 40, 300, 192), {230, 50}));
    EXPECT_TRUE(FolderCard::hits(QRectF(10, 40, 300, 192), {230, 70}));
}

TEST(FolderCard, CategoryDotsAndItemCount) {
    TestTree t;
    FileNode* one = t.folder(t.root(), "one");
    t.file(one, "only.mp4", 100, FileCategory::video);
    FileNode* four = t.folder(t.root(), "four");
    t.file(four, "a.mp3", 10, FileCategory::audio);
    t.file(four, "b.zip", 400, FileCategory::archive);
    t.file(four, "c.pdf", 300, FileCategory::document);
    t.file(four, "d.png", 200, FileCategory::image);
    FileNode* many = t.folder(t.root(), "many");
    for (int i = 0; i < 1234; ++i) t.file(many, "x.c", 1, FileCategory::developer);
    t.finish();
    const QColor tint = palette::cardPalette()[0];

    EXPECT_EQ(FolderCard(*one, tint, false).categoryDots(), std::vector<QColor>{palette::categoryColor(FileCategory::video)});
    EXPECT_EQ(FolderCard(*four, tint, false).categoryDots(),
              (std::vector<QColor>{palette::categoryColor(FileCategory::archive),
                                   palette::categoryColor(FileCategory::document),
                                   palette::categoryColor(FileCategory::image)}));

    // A folder without bytes by type: one grey dot, the colour of "other".
    TestTree bare;
    FileNode* plain = FileNode::make(bare.tree->arena(), "plain", true);
    EXPECT_EQ(FolderCard(*plain, tint, false).categoryDots(), std::vector<QColor>{QColor(203, 213, 225)});

    const QLocale saved;
    QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
    EXPECT_EQ(FolderCard(*one, tint, false).itemsText(), "1 items");
    EXPECT_EQ(FolderCard(*many, tint, false).itemsText(), "1,234 items");
    QLocale::setDefault(saved);
}

// A card of 300 x 192 at (10, 14), painted over `background`.
QImage renderCard(const FileNode& folder, const QColor& tint, bool selected, double hover, const Theme& theme,
                  const QColor& background) {
    QImage image(320, 220, QImage::Format_ARGB32_Premultiplied);
    image.fill(background);
    QPainter painter(&image);
    FolderCard(folder, tint, selected).paint(painter, QRectF(10, 14, 300, 192), hover, theme);
    return image;
}

TEST(FolderCard, OutlineShowsTheSelectionAndTheTintShowsThroughOnlyWhenTranslucent) {
    TestTree t;
    FileNode* folder = t.folder(t.root(), "Documents");
    t.file(folder, "a.pdf", 1000, FileCategory::document);
    t.finish();
    const Theme& light = Theme::light();
    auto render = [&](bool selected, double hover) {
        return renderCard(*folder, palette::cardPalette()[3], selected, hover, light, light.background);
    };
    // Just inside the left edge, half way down: the outline's pixel.
    const QImage plain = render(false, 0), selected = render(true, 0);
    const QColor edgePlain = plain.pixelColor(10, 110), edgeSelected = selected.pixelColor(10, 110);
    EXPECT_GT(edgePlain.lightness(), 180);                          // black at 0.06 over the tint
    EXPECT_LT(edgeSelected.lightness(), edgePlain.lightness() - 60); // canvas ink at 0.75
    // Inside, the fill is the same.
    EXPECT_EQ(plain.pixelColor(150, 60), selected.pixelColor(150, 60));
    // The strip right of the tab is not painted.
    EXPECT_EQ(plain.pixelColor(250, 20), light.background);
    // Hovered, the card rises: its bottom edge moves up.
    EXPECT_NE(render(false, 1).pixelColor(150, 14 + 192 - 1), plain.pixelColor(150, 14 + 192 - 1));

    // Far from the sheen's bright corner and the texts: "by folder" is opaque, the theme does not show
    // through; "by type" is translucent over the theme's background, darker in the dark theme.
    auto fillAt = [&](const QColor& tint, const Theme& theme) {
        return renderCard(*folder, tint, false, 0, theme, Qt::magenta).pixelColor(300, 180);
    };
    const QColor opaque = palette::cardColor(*folder, ColorMode::folder, 2);
    EXPECT_EQ(fillAt(opaque, light), fillAt(opaque, Theme::dark()));
    const QColor translucent = palette::cardColor(*folder, ColorMode::type, 0);
    EXPECT_LT(fillAt(translucent, Theme::dark()).lightness(), fillAt(translucent, light).lightness());
}

} // namespace
