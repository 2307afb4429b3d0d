#include "tools/CleanupQueueView.h"

#include "model/CleanupQueue.h"
#include "model/FileNode.h"
#include "shell/Buttons.h"
#include "shell/Formatters.h"
#include "shell/Theme.h"

#include "tests/support/FakeTrash.h"
#include "tests/shell/ScannedHome.h"
#include "tests/support/TreeChecks.h"
#include "tests/support/Screenshots.h"

#include <QSignalSpy>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>


namespace {

class CleanupQueuePopover : public ::testing::Test {
protected:
    CleanupQueuePopover() : trash(std::make_shared<FakeTrash>()), fixture(trash) {}

    void SetUp() override { ASSERT_NE(fixture.model().root(), nullptr); }

    CleanupQueue& queue() { return fixture.model().cleanupQueue(); }
    void stage(const char* relative) {
        ASSERT_TRUE(queue().add(fixture.node(relative), QStringLiteral("Staged from Explore"))) << relative;
    }
    // Confirms in the popover and waits for the move to end.
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
    auto* list = view.itemList();
    ASSERT_EQ(list->rowCount(), 3);
    EXPECT_EQ(list->nameText(1), QStringLiteral("Album"));
    EXPECT_EQ(list->reasonText(1), QStringLiteral("Staged from Explore"));
    EXPECT_EQ(list->sizeText(0), formatBytes(fixture.node("Movies/Trailer.mov")->sizeOnDisk));
    EXPECT_FALSE(view.isEmptyStateShown());
    EXPECT_EQ(view.stagedText(), formatBytes(queue().totalSize()) + QStringLiteral(" staged"));

    // The row's remove button, clicked.
    QTest::mouseClick(list, Qt::LeftButton, {}, list->removeButtonRect(1).center().toPoint());
    ASSERT_EQ(list->rowCount(), 2);
    EXPECT_EQ(list->nameText(1), QStringLiteral("paper.pdf"));
    // A click beside the button removes nothing.
    QTest::mouseClick(list, Qt::LeftButton, {}, QPoint(40, 10));
    EXPECT_EQ(list->rowCount(), 2);

    view.clearButton()->click();
    EXPECT_TRUE(queue().items().empty());
    EXPECT_TRUE(view.isEmptyStateShown());
    EXPECT_EQ(view.stagedText(), QStringLiteral("0 B staged"));
    EXPECT_FALSE(view.clearButton()->isEnabled());
    EXPECT_FALSE(view.moveButton()->isEnabled());
    view.askToMove(); // nothing to ask about
    EXPECT_FALSE(view.isConfirmationShown());
}

TEST_F(CleanupQueuePopover, ConfirmationTellsCountAndSizeAndCancelChangesNothing) {
    stage("Movies/Holiday 2023.mp4");
    stage("Archives");
    const int64_t total = queue().totalSize();
    // Inside a real popup: answering the confirmation must not close it.
    QWidget popup(nullptr, Qt::Popup);
    popup.resize(CleanupQueueView::kSize);
    auto* view = new CleanupQueueView(fixture.model(), &popup);
    view->resize(CleanupQueueView::kSize);
    popup.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&popup));

    view->moveButton()->click();
    ASSERT_TRUE(view->isConfirmationShown());
    EXPECT_EQ(view->confirmationTitle(), QStringLiteral("Move 2 items to Trash?"));
    EXPECT_EQ(view->confirmationMessage(),
              QStringLiteral("This frees %1. Items go to the Trash, not permanent deletion — you can still recover "
                             "them from there.")
                  .arg(formatBytes(total)));
    // Staging more while the question shows does not change what it says.
    stage("Downloads/paper.pdf");
    EXPECT_EQ(view->confirmationTitle(), QStringLiteral("Move 2 items to Trash?"));

    QTest::keyClick(QApplication::focusWidget() ? QApplication::focusWidget() : view, Qt::Key_Escape);
    EXPECT_FALSE(view->isConfirmationShown());
    EXPECT_TRUE(popup.isVisible());
    EXPECT_EQ(queue().items().size(), 3u);
    EXPECT_TRUE(view->bannerText().isEmpty());
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
    EXPECT_EQ(view.failures().size(), 2u);
    EXPECT_EQ(view.bannerText(), QStringLiteral("Couldn't trash 2 item(s) — check permissions."));
    ASSERT_EQ(view.itemList()->rowCount(), 2); // exactly the failed items stay listed
    EXPECT_EQ(view.itemList()->nameText(0), QStringLiteral("Screenshots"));
    EXPECT_EQ(view.itemList()->nameText(1), QStringLiteral("Thesis draft.docx"));
    // The part that went is applied; the rest stays in the tree.
    EXPECT_EQ(fixture.node("Downloads/installer.deb"), nullptr);
    EXPECT_NE(fixture.node("Pictures/Screenshots"), nullptr);
    EXPECT_EQ(fixture.model().root()->sizeOnDisk, rootBefore - installer);
    expectRolledUp(fixture.model().root());

    // Removing a row or clearing keeps the banner until the next attempt.
    view.clear();
    EXPECT_EQ(view.bannerText(), QStringLiteral("Couldn't trash 2 item(s) — check permissions."));

    // When every item fails, every item stays.
    stage("Pictures/Screenshots");
    moveAndWait(view);
    EXPECT_EQ(view.itemList()->rowCount(), 1);
    EXPECT_EQ(view.bannerText(), QStringLiteral("Couldn't trash 1 item(s) — check permissions."));
    EXPECT_EQ(dismissed.count(), 0);
}

TEST_F(CleanupQueuePopover, TheWindowKeepsRunningWhileItemsMove) {
    stage("Music/Album/01 Opening.mp3");
    CleanupQueueView view(fixture.model());
    QSignalSpy dismissed(&view, &CleanupQueueView::dismissRequested);
    trash->hold = true;
    view.askToMove();
    view.confirmMove(); // returns at once
    EXPECT_TRUE(view.isMoving());
    EXPECT_FALSE(view.moveButton()->isEnabled()); // no second move of the same items meanwhile
    EXPECT_EQ(view.moveButton()->title(), QStringLiteral("Moving…"));
    int turns = 0;
    QTimer ticker;
    QObject::connect(&ticker, &QTimer::timeout, [&] { ++turns; });
    ticker.start(5);
    QTest::qWait(100); // the event loop keeps turning
    EXPECT_GT(turns, 3);
    EXPECT_TRUE(view.isMoving());
    trash->release();
    ASSERT_TRUE(QTest::qWaitFor([&] { return dismissed.count() == 1; }, 30000));
    EXPECT_EQ(fixture.node("Music/Album/01 Opening.mp3"), nullptr);
}

TEST_F(CleanupQueuePopover, AMoveFinishesInTheTreeAfterThePopoverClosed) {
    stage("Documents/notes.txt");
    trash->hold = true;
    auto* view = new CleanupQueueView(fixture.model());
    view->askToMove();
    view->confirmMove();
    delete view; // the user closed the popover while the move ran
    trash->release();
    ASSERT_TRUE(QTest::qWaitFor([&] { return fixture.node("Documents/notes.txt") == nullptr; }, 30000));
    EXPECT_TRUE(queue().items().empty());
}

TEST_F(CleanupQueuePopover, RenderInBothThemes) {
    stage("Movies/Holiday 2023.mp4");
    stage("Projects/web/node_modules");
    stage("Archives/backup-2021.zip");
    stage("Downloads/installer.deb");
    queue().addAll({{fixture.path("Music/Album/02 Second Song.flac"), 720'000}}, QStringLiteral("Duplicate"));
    trash->refuse(fixture.path("Downloads/installer.deb"));
    // The list itself is pictured in the window's popover; here the question and the failure banner.
    for (ThemeName themeName : theme_name::allCases) {
        ThemeManager::instance().setThemeName(themeName);
        CleanupQueueView view(fixture.model());
        view.resize(CleanupQueueView::kSize);
        view.show();
        view.askToMove();
        ASSERT_TRUE(saveScreenshot(view.grab().toImage(), "queue-confirm", themeName));
        view.cancelMove();

        CleanupQueueView empty(fixture.model());
        empty.resize(CleanupQueueView::kSize);
        const auto items = queue().items();
        // Render the empty state and the failure banner from a failing move of one item.
        queue().clear();
        stage("Downloads/installer.deb");
        moveAndWait(empty);
        queue().clear();
        ASSERT_TRUE(saveScreenshot(empty.grab().toImage(), "queue-empty", themeName));
        for (const auto& item : items) queue().addAll({{item.path, item.size}}, item.reason);
    }
    ThemeManager::instance().setThemeName(ThemeName::light);
}

} // namespace
