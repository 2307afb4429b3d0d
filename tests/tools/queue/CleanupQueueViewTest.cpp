#include "tools/queue/CleanupQueueView.h"

#include "model/CleanupQueue.h"
#include "model/FileNode.h"
#include "shell/controls/Buttons.h"
#include "shell/style/Theme.h"

#include "shell/lists/ListView.h"
#include "tests/shell/ScannedHome.h"
#include "tests/support/FakeTrash.h"
#include "tests/support/Mouse.h"
#include "tests/support/RowButtons.h"
#include "tests/support/Screenshots.h"
#include "tests/support/TreeChecks.h"

#include <QSignalSpy>
#include <QTest>

#include <gtest/gtest.h>

namespace {

// The name a row of the list shows.
QString name(const CleanupQueueView& view, int row) {
    return CleanupQueueRows::nameText(QueueItemListModel::at(view.items().index(row)));
}

class CleanupQueuePopover : public ::testing::Test {
  protected:
    CleanupQueuePopover() : trash(std::make_shared<FakeTrash>()), fixture(trash) {}
    void SetUp() override { ASSERT_NE(fixture.model().root(), nullptr); }
    void TearDown() override { ThemeManager::instance().setThemeName(ThemeName::light); }
    void picture(QWidget& widget, const char* stem) {
        for (ThemeName name : theme_name::allCases) {
            ThemeManager::instance().setThemeName(name);
            ASSERT_TRUE(saveScreenshot(widget.grab().toImage(), stem, name));
        }
    }

    CleanupQueue& queue() { return fixture.model().cleanupQueue(); }
    void stage(const char* relative) {
        ASSERT_TRUE(queue().add(fixture.node(relative), QStringLiteral("Staged from Explore"))) << relative;
    }
    void moveAndWait(CleanupQueueView& view) {
        view.askToMove();
        ASSERT_TRUE(view.isConfirmationShown());
        view.confirmMove();
        ASSERT_TRUE(QTest::qWaitFor([&] { return !view.isMoving(); }, 30000));
    }

    std::shared_ptr<FakeTrash> trash;
    ScannedHome fixture;
};

TEST_F(CleanupQueuePopover, RowsRemoveOneAndClear) {
    stage("Movies/Trailer.mov");
    stage("Music/Album");
    stage("Downloads/paper.pdf");
    CleanupQueueView view(fixture.model());
    view.resize(CleanupQueueView::kSize);
    view.show();
    ListView& list = *view.itemList();
    ASSERT_EQ(view.items().rowCount(), 3);
    ASSERT_TRUE(row_buttons::click(list, view.items().index(1), CleanupQueueRows::kRemove));
    ASSERT_EQ(view.items().rowCount(), 2);
    EXPECT_EQ(name(view, 1), QStringLiteral("paper.pdf"));
    mouse::click(*list.viewport(), QPointF(40, 10)); // beside the button
    EXPECT_EQ(view.items().rowCount(), 2);

    view.clearButton()->click();
    EXPECT_TRUE(queue().items().empty());
    EXPECT_TRUE(view.isEmptyStateShown());
    EXPECT_FALSE(view.moveButton()->isEnabled());
    view.askToMove(); // nothing to ask about
    EXPECT_FALSE(view.isConfirmationShown());
}

// Rows are divided by a line, except above the hovered row, which is filled.
TEST_F(CleanupQueuePopover, RowsAreDividedAndTheHoveredOneIsFilled) {
    stage("Movies/Trailer.mov");
    stage("Music/Album");
    CleanupQueueView view(fixture.model());
    view.resize(CleanupQueueView::kSize);
    view.show();
    ListView& list = *view.itemList();
    const Theme& t = theme();
    const auto pixel = [&](int x, int y) {
        return view.grab().toImage().pixelColor(list.viewport()->mapTo(&view, QPoint(x, y)));
    };
    const int between = CleanupQueueRows::kRowHeight;
    EXPECT_EQ(pixel(200, between), t.divider);
    EXPECT_EQ(pixel(200, 0), t.background) << "no line over the first row";
    mouse::hover(*list.viewport(), QPointF(200, between + 20));
    QCoreApplication::processEvents();
    EXPECT_EQ(pixel(200, between + 20), t.chip);
    EXPECT_NE(pixel(200, between), t.divider);
}

// A name too long for its row keeps its start and loses its tail; one that fits is shown whole.
TEST(CleanupQueueRowsText, LongNamesAreCutAtTheTail) {
    const CleanupQueue::Item item{
        {},
        "/home/someone/Movies/Holiday in the mountains, the long version with every scene.mov",
        5,
        "Duplicate"};
    const QString shown = CleanupQueueRows::nameLine(item, 160);
    ASSERT_TRUE(shown.endsWith(QChar(0x2026))) << shown.toStdString();
    EXPECT_TRUE(CleanupQueueRows::nameText(item).startsWith(shown.chopped(1))) << shown.toStdString();
    EXPECT_GT(shown.size(), 8);
    EXPECT_EQ(CleanupQueueRows::nameLine(item, 2000), CleanupQueueRows::nameText(item));
}

TEST_F(CleanupQueuePopover, ConfirmationKeepsItsCountAndCancellingKeepsThePopupOpen) {
    stage("Movies/Holiday 2023.mp4");
    stage("Archives");
    QWidget popup(nullptr, Qt::Popup);
    popup.resize(CleanupQueueView::kSize);
    auto* view = new CleanupQueueView(fixture.model(), &popup);
    view->resize(CleanupQueueView::kSize);
    popup.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&popup));
    view->moveButton()->click();
    ASSERT_TRUE(view->isConfirmationShown());
    const QString title = view->confirmationTitle();
    picture(*view, "queue-confirm");
    stage("Downloads/paper.pdf"); // staged while the question shows: it still asks about two
    EXPECT_EQ(view->confirmationTitle(), title);

    QTest::keyClick(QApplication::focusWidget() ? QApplication::focusWidget() : view, Qt::Key_Escape);
    EXPECT_FALSE(view->isConfirmationShown());
    EXPECT_TRUE(popup.isVisible());
    EXPECT_EQ(queue().items().size(), 3u);
}

TEST_F(CleanupQueuePopover, PartialFailureStaysOpenWithBanner) {
    stage("Downloads/installer.deb");
    stage("Pictures/Screenshots");
    stage("Documents/Thesis draft.docx");
    trash->refuse(fixture.path("Pictures/Screenshots"));
    trash->refuse(fixture.path("Documents/Thesis draft.docx"));
    const int64_t rootBefore = fixture.model().root()->sizeOnDisk;
    const int64_t installer = fixture.node("Downloads/installer.deb")->sizeOnDisk;
    CleanupQueueView view(fixture.model());
    QSignalSpy dismissed(&view, &CleanupQueueView::dismissRequested);
    moveAndWait(view);

    EXPECT_EQ(dismissed.count(), 0);
    EXPECT_TRUE(view.bannerText().contains(QStringLiteral("2 item"))) << view.bannerText().toStdString();
    ASSERT_EQ(view.items().rowCount(), 2); // exactly the failed items stay listed
    EXPECT_EQ(name(view, 0), QStringLiteral("Screenshots"));
    EXPECT_EQ(name(view, 1), QStringLiteral("Thesis draft.docx"));
    // The part that went is applied to the tree; the rest stays.
    EXPECT_EQ(fixture.node("Downloads/installer.deb"), nullptr);
    EXPECT_NE(fixture.node("Pictures/Screenshots"), nullptr);
    EXPECT_EQ(fixture.model().root()->sizeOnDisk, rootBefore - installer);
    expectRolledUp(fixture.model().root());
    view.clear(); // the banner stays until the next attempt
    EXPECT_FALSE(view.bannerText().isEmpty());

    // When every item fails, every item stays.
    stage("Pictures/Screenshots");
    moveAndWait(view);
    EXPECT_EQ(view.items().rowCount(), 1);
    EXPECT_EQ(dismissed.count(), 0);
}

// What the queue turns away (here, items already in the Trash) is named in the banner with the
// reason, until the queue is cleared.
TEST_F(CleanupQueuePopover, RefusedItemsAreNamedWithTheirReason) {
    const std::string trash = fixture.home() + "/.local/share/Trash";
    CleanupQueueView view(fixture.model());
    view.resize(CleanupQueueView::kSize);
    EXPECT_TRUE(view.bannerText().isEmpty());
    queue().addAll({{trash + "/files/old movie.mp4", 5}, {trash, 9}}, QStringLiteral("Duplicate"));
    ASSERT_EQ(queue().refusals().size(), 2u);
    const QString banner = view.bannerText();
    for (const CleanupQueue::Refusal& refusal : queue().refusals())
        EXPECT_TRUE(banner.contains(refusal.reason)) << banner.toStdString();
    EXPECT_TRUE(banner.contains(QStringLiteral("old movie.mp4"))) << banner.toStdString();
    EXPECT_TRUE(view.isEmptyStateShown());
    EXPECT_FALSE(view.clearButton()->isEnabled()) << "nothing staged to clear";
    picture(view, "queue-refused");
    view.clear();
    EXPECT_TRUE(view.bannerText().isEmpty());
}

TEST_F(CleanupQueuePopover, AMoveRunsOffTheWindowThreadAndFinishesAfterThePopoverClosed) {
    stage("Music/Album/01 Opening.mp3");
    CleanupQueueView view(fixture.model());
    QSignalSpy dismissed(&view, &CleanupQueueView::dismissRequested);
    trash->hold = true;
    view.askToMove();
    view.confirmMove(); // returns while the trash still holds the items
    EXPECT_TRUE(view.isMoving());
    EXPECT_FALSE(view.moveButton()->isEnabled()); // no second move of the same items meanwhile
    trash->release();
    ASSERT_TRUE(QTest::qWaitFor([&] { return dismissed.count() == 1; }, 30000));
    EXPECT_EQ(fixture.node("Music/Album/01 Opening.mp3"), nullptr);

    stage("Documents/notes.txt");
    trash->hold = true;
    auto* closing = new CleanupQueueView(fixture.model());
    closing->askToMove();
    closing->confirmMove();
    delete closing;
    trash->release();
    ASSERT_TRUE(QTest::qWaitFor([&] { return fixture.node("Documents/notes.txt") == nullptr; }, 30000));
    EXPECT_TRUE(queue().items().empty());
}

} // namespace
