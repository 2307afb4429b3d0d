// The folder grid's layout as data and the folder card, without a view.
#include "visualizations/foldergrid/FolderGridLayout.h"
#include "shell/style/Palette.h"
#include "shell/style/Theme.h"
#include "visualizations/foldergrid/FolderCard.h"

#include "tests/support/TestTree.h"

#include <QImage>
#include <QPainter>

#include <gtest/gtest.h>

namespace {

using folder_grid::ItemKind;

size_t countOf(const folder_grid::Layout& layout, ItemKind kind) {
    return size_t(std::count_if(layout.items.begin(), layout.items.end(),
                                [kind](const folder_grid::Item& item) { return item.kind == kind; }));
}

TEST(FolderGridLayout, ColumnsSectionsAndTheEmptyState) {
    int previous = 1;
    for (double w = -500; w <= 2000; w += 7) {
        const int columns = folder_grid::columnCount(w);
        EXPECT_GE(columns, previous) << w;
        previous = columns;
    }
    // A scroll bar narrows the cells, not the number of columns.
    const auto wide = folder_grid::layout(8, 0, 1265), narrowed = folder_grid::layout(8, 0, 1265, 1251);
    EXPECT_EQ(narrowed.columns, wide.columns);
    EXPECT_LT(narrowed.items[wide.columns].rect.right(), 1251);

    // Folders then files, each under its header, all inside the height; files alone, only their header.
    const auto both = folder_grid::layout(5, 3, 1000);
    std::vector<ItemKind> kinds;
    for (const auto& item : both.items) {
        if (kinds.empty() || kinds.back() != item.kind) kinds.push_back(item.kind);
        EXPECT_LT(item.rect.bottom(), both.height);
    }
    EXPECT_EQ(kinds, (std::vector<ItemKind>{ItemKind::folderHeader, ItemKind::folderCard,
                                            ItemKind::fileHeader, ItemKind::fileTile}));
    EXPECT_EQ(countOf(both, ItemKind::folderCard), 5u);
    EXPECT_EQ(countOf(both, ItemKind::fileTile), 3u);
    EXPECT_EQ(countOf(folder_grid::layout(0, 2, 700), ItemKind::folderHeader), 0u);
    const auto empty = folder_grid::layout(0, 0, 700);
    ASSERT_EQ(empty.items.size(), 1u);
    EXPECT_EQ(empty.items[0].kind, ItemKind::emptyState);
    EXPECT_EQ(countOf(folder_grid::layout(0, 150'000, 1300), ItemKind::fileTile), 600u); // tiles are capped
}

TEST(FolderGridLayout, HundredThousandCardsAreDataAndOnlyTheVisibleOnesAreFound) {
    const size_t count = 100'000;
    const auto layout = folder_grid::layout(count, 0, 1300);
    ASSERT_EQ(countOf(layout, ItemKind::folderCard), count);
    for (size_t i = 2; i < layout.items.size(); ++i) { // reading order, never overlapping
        const auto& a = layout.items[i - 1].rect;
        const auto& b = layout.items[i].rect;
        ASSERT_TRUE(b.top() > a.top() ? b.top() > a.bottom() : b.left() > a.right()) << i;
    }
    const QRectF band(0, 2'000'000, 1300, 900);
    const auto [first, last] = folder_grid::visibleRange(layout, band.top(), band.bottom());
    ASSERT_LT(first, last);
    for (size_t i = first; i < last; ++i)
        EXPECT_TRUE(layout.items[i].rect.intersects(band));
    EXPECT_FALSE(layout.items[first - 1].rect.intersects(band));
    EXPECT_FALSE(layout.items[last].rect.intersects(band));

    const auto& lastCard = layout.items.back();
    EXPECT_EQ(lastCard.index, count - 1);
    EXPECT_EQ(folder_grid::itemAt(layout, lastCard.rect.center()), &lastCard);
    EXPECT_EQ(folder_grid::itemAt(layout, lastCard.rect.topLeft() - QPointF(9, 0)), nullptr); // the gap
}

TEST(FolderCard, TheStripBesideTheTabIsNotPartOfTheCard) {
    const QRectF cell(10, 40, 300, 192);
    EXPECT_EQ(folderShape(cell).boundingRect(), cell);
    EXPECT_TRUE(FolderCard::hits(cell, {70, 45}));   // the tab
    EXPECT_FALSE(FolderCard::hits(cell, {230, 50})); // beside it
    EXPECT_TRUE(FolderCard::hits(cell, {230, 70}));  // the body below
    EXPECT_FALSE(FolderCard::hits(cell, {11, 41}));  // the rounded corner
}

TEST(FolderCard, CategoryDotsAreTheLargestThree) {
    TestTree t;
    FileNode* four = t.folder(t.root(), "four");
    t.file(four, "a.mp3", 10, FileCategory::audio);
    t.file(four, "b.zip", 400, FileCategory::archive);
    t.file(four, "c.pdf", 300, FileCategory::document);
    t.file(four, "d.png", 200, FileCategory::image);
    t.finish();
    EXPECT_EQ(FolderCard(*four, palette::cardPalette()[0], false).categoryDots(),
              (std::vector<QColor>{palette::categoryColor(FileCategory::archive),
                                   palette::categoryColor(FileCategory::document),
                                   palette::categoryColor(FileCategory::image)}));
}

// Far from the sheen and the texts: "by folder" tints are opaque, so the theme does not show through;
// "by type" ones are translucent over the theme's background.
TEST(FolderCard, TheTintShowsTheThemeThroughOnlyWhenTranslucent) {
    TestTree t;
    FileNode* folder = t.folder(t.root(), "Documents");
    t.file(folder, "a.pdf", 1000, FileCategory::document);
    t.finish();
    auto fillAt = [&](const QColor& tint, const Theme& theme) {
        QImage image(320, 220, QImage::Format_ARGB32_Premultiplied);
        image.fill(Qt::magenta);
        QPainter painter(&image);
        FolderCard(*folder, tint, false).paint(painter, QRectF(10, 14, 300, 192), 0, theme);
        return image.pixelColor(300, 180);
    };
    const QColor opaque = palette::cardColor(*folder, ColorMode::folder, 2);
    EXPECT_EQ(fillAt(opaque, Theme::light()), fillAt(opaque, Theme::dark()));
    const QColor translucent = palette::cardColor(*folder, ColorMode::type, 0);
    EXPECT_LT(fillAt(translucent, Theme::dark()).lightness(),
              fillAt(translucent, Theme::light()).lightness());
}

} // namespace
