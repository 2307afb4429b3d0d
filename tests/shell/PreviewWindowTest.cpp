#include "shell/panels/PreviewWindow.h"
#include "shell/panels/AppWindow.h"
#include "shell/panels/preview/ListingPage.h"
#include "tests/support/PreviewFiles.h"

#include <QTest>

#include <gtest/gtest.h>

namespace {

TEST(PreviewWindow, FollowsTheLastRequestListsAFolderAndClosesOnSpaceOrEscape) {
    TempDir dir;
    const std::string image = writeImage(dir, "photo.png", "PNG");
    const std::string text = writeText(dir, "notes.txt", "hello\n");
    PreviewWindow& window = PreviewWindow::instance();
    auto waitForPage = [&] { return QTest::qWaitFor([&] { return window.page().has_value(); }, 10000); };

    PreviewWindow::preview(image);
    PreviewWindow::preview(text);
    EXPECT_EQ(window.path(), text);
    ASSERT_TRUE(waitForPage());
    QTest::qWait(50); // the image's load, if still on its way, must not replace the text
    EXPECT_EQ(window.content()->path, text);
    QTest::keyClick(&window, Qt::Key_Space);
    EXPECT_FALSE(window.isVisible());

    // A folder's entries are rows of a list, with one row counting what the listing leaves out.
    for (int i = 0; i < 3; ++i)
        dir.writeFile("folder/file" + std::to_string(i), 10);
    PreviewWindow::preview(dir.str() + "/folder");
    ASSERT_TRUE(waitForPage());
    EXPECT_EQ(window.page(), platform::PreviewPage::folder);
    auto* listing = window.findChild<ListingPage*>();
    ASSERT_TRUE(listing);
    EXPECT_EQ(listing->model()->rowCount(), 3);

    PreviewWindow::preview(image);
    QTest::keyClick(&window, Qt::Key_Escape);
    EXPECT_FALSE(window.isVisible());
}

// The preview belongs to the main window: it closes with it, and holds no application open on its own.
TEST(PreviewWindow, ClosesWithTheMainWindow) {
    TempDir dir;
    const std::string text = writeText(dir, "notes.txt", "hello\n");
    AppWindow window;
    window.show();
    PreviewWindow::preview(text);
    PreviewWindow& preview = PreviewWindow::instance();
    ASSERT_TRUE(preview.isVisible());
    window.close();
    EXPECT_FALSE(preview.isVisible());
    EXPECT_FALSE(preview.testAttribute(Qt::WA_QuitOnClose));
}

} // namespace
