#include "shell/FileTile.h"
#include "shell/InspectorView.h"
#include "shell/PreviewWindow.h"
#include "shell/SidebarView.h"

#include "model/CleanupQueue.h"
#include "model/FileNode.h"
#include "shell/Theme.h"
#include "tests/shell/ScannedHome.h"
#include "tests/support/Screenshots.h"

#include <QHBoxLayout>
#include <QImage>
#include <QTest>

#include <gtest/gtest.h>

#include <fstream>

namespace {

// The sidebar and the inspector side by side, as the window shows them.
struct Columns {
    explicit Columns(ScanViewModel& model, int height) {
        auto* row = new QHBoxLayout(&frame);
        row->setContentsMargins(0, 0, 0, 0);
        row->setSpacing(0);
        row->addWidget(new SidebarView(model));
        row->addWidget(new InspectorView(model));
        frame.resize(SidebarView::kWidth + InspectorView::kWidth, height);
        frame.show();
    }
    QWidget frame;
};

// Before any scan, then over a scanned home folder once with a folder selected, once with a staged file.
TEST(Screenshot, SidebarAndInspectorInBothThemes) {
    {
        ScanViewModel empty;
        Columns columns(empty, 760);
        QTest::qWait(20);
        ASSERT_TRUE(saveScreenshot(columns.frame.grab().toImage(), "columns-empty", ThemeName::light));
    }

    ScannedHome home;
    ScanViewModel& model = home.model();
    Columns columns(model, 1050);
    QWidget& frame = columns.frame;

    FileNode* projects = home.node("Projects/web");
    FileNode* movie = home.node("Movies/Holiday 2023.mp4");
    ASSERT_TRUE(projects && movie);
    for (ThemeName name : theme_name::allCases) {
        ThemeManager::instance().setThemeName(name);
        const Theme& t = Theme::forName(name);

        model.select(projects);
        QTest::qWait(20);
        QImage image = frame.grab().toImage();
        ASSERT_TRUE(saveScreenshot(image, "columns-folder", name));
        EXPECT_EQ(image.pixelColor(2, 1040).rgb(), t.background.rgb());
        EXPECT_EQ(image.pixelColor(SidebarView::kWidth + 2, 1040).rgb(), t.panel.rgb());

        model.cleanupQueue().add(movie, "Large media");
        model.select(movie);
        QTest::qWait(20);
        image = frame.grab().toImage();
        ASSERT_TRUE(saveScreenshot(image, "columns-file", name));
        model.cleanupQueue().remove(movie->path());
    }
    // A short window: both columns scroll instead of squeezing their content.
    frame.resize(SidebarView::kWidth + InspectorView::kWidth, 760);
    QTest::qWait(20);
    ASSERT_TRUE(saveScreenshot(frame.grab().toImage(), "columns-short", ThemeName::dark));
    ThemeManager::instance().setThemeName(ThemeName::light);
}

TEST(Screenshot, FileTilesAndPreviewPages) {
    ScannedHome home;
    ScanViewModel& model = home.model();

    QWidget tiles;
    auto* column = new QVBoxLayout(&tiles);
    column->setContentsMargins(16, 16, 16, 16);
    column->setSpacing(10);
    for (const char* path :
         {"Movies/Holiday 2023.mp4", "Documents/Annual report.pdf", "Projects/web/src/app.ts"})
        column->addWidget(new FileTile(model, home.node(path)));
    model.setSelectedNode(home.node("Documents/Annual report.pdf"));
    tiles.resize(300, 16 * 2 + 3 * FileTile::kHeight + 20);

    // A real image and a text file to preview.
    QImage picture(320, 200, QImage::Format_RGB32);
    picture.fill(QColor(125, 211, 252));
    const std::string image = home.home() + "/Pictures/sky.png";
    ASSERT_TRUE(picture.save(QString::fromStdString(image)));
    std::ofstream(home.home() + "/Documents/readme.md")
        << "# Notes\n\nThings to clean up:\n- old archives\n- caches\n";

    for (ThemeName name : theme_name::allCases) {
        ThemeManager::instance().setThemeName(name);
        ASSERT_TRUE(saveScreenshot(tiles.grab().toImage(), "file-tiles", name));
        const std::pair<const char*, std::string> pages[] = {
            {"preview-image", image},
            {"preview-text", home.home() + "/Documents/readme.md"},
            {"preview-folder", home.home() + "/Projects/web"},
            {"preview-info", home.home() + "/Movies/Holiday 2023.mp4"},
            {"preview-missing", home.home() + "/Movies/gone.mkv"},
        };
        for (const auto& [stem, path] : pages) {
            PreviewWindow::preview(path);
            ASSERT_TRUE(QTest::qWaitFor([] { return PreviewWindow::instance().page().has_value(); }, 10000));
            QTest::qWait(20);
            ASSERT_TRUE(saveScreenshot(PreviewWindow::instance().grab().toImage(), stem, name));
        }
    }
    PreviewWindow::instance().close();
    ThemeManager::instance().setThemeName(ThemeName::light);
}

} // namespace
