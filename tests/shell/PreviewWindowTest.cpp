#include "shell/PreviewWindow.h"

#include "tests/support/FakeDesktop.h"
#include "tests/support/TempDir.h"

#include <QImage>
#include <QTest>

#include <gtest/gtest.h>

#include <fstream>

namespace {

std::string writeText(const TempDir& dir, const std::string& name, const std::string& text) {
    const std::string path = dir.str() + "/" + name;
    std::ofstream(path, std::ios::binary) << text;
    return path;
}

std::string writeImage(const TempDir& dir, const std::string& name, const char* format) {
    QImage image(40, 30, QImage::Format_RGB32);
    image.fill(Qt::red);
    const std::string path = dir.str() + "/" + name;
    EXPECT_TRUE(image.save(QString::fromStdString(path), format));
    return path;
}

PreviewPage pageOf(const std::string& path) {
    return choosePreviewPage(readPreviewFacts(path));
}

TEST(PreviewPageChoice, TheContentDecidesNotTheName) {
    // Facts no file here gives reliably: unreadable, a folder that cannot be listed, an SVG (both an
    // image and text, shown as the image).
    EXPECT_EQ(choosePreviewPage({true, false, false, true, true}), PreviewPage::info);
    EXPECT_EQ(choosePreviewPage({true, true, false, false, false}), PreviewPage::info);
    EXPECT_EQ(choosePreviewPage({true, false, true, true, true}), PreviewPage::image);

    TempDir dir;
    EXPECT_EQ(pageOf(writeImage(dir, "photo-without-extension", "PNG")), PreviewPage::image);
    EXPECT_EQ(pageOf(writeImage(dir, "wrong.txt", "JPG")), PreviewPage::image);
    EXPECT_EQ(pageOf(writeText(dir, "Makefile", "all:\n\tcc main.c\n")), PreviewPage::text);
    EXPECT_EQ(pageOf(writeText(dir, "blob.bin", std::string("\x7f" "ELF\x02\x01\x01\0\0\0\0\0\xff\xfe\0\x01", 16))),
              PreviewPage::info);
    EXPECT_EQ(pageOf(""), PreviewPage::info);
}

TEST(PreviewContent, TextIsCutAt256KiBOnACharacterBoundary) {
    TempDir dir;
    // "é" is two bytes; the limit falls in the middle of one.
    std::string text(PreviewContent::kTextLimit - 1, 'a');
    text += "\xc3\xa9 and more";
    const PreviewContent content = loadPreview(writeText(dir, "long.txt", text));
    ASSERT_EQ(content.page, PreviewPage::text);
    EXPECT_TRUE(content.textCut);
    EXPECT_EQ(content.text.size(), PreviewContent::kTextLimit - 1);
    EXPECT_FALSE(content.text.contains(QChar::ReplacementCharacter));

    const PreviewContent shortText = loadPreview(writeText(dir, "short.txt", "Grüße\n"));
    EXPECT_FALSE(shortText.textCut);
    EXPECT_EQ(shortText.text, QString::fromUtf8("Grüße\n"));
    EXPECT_EQ(shortText.size, 8);
    EXPECT_TRUE(shortText.modified.has_value());
}

TEST(PreviewContent, ImageFolderAndInfoCard) {
    TempDir dir;
    const PreviewContent image = loadPreview(writeImage(dir, "photo.png", "PNG"));
    ASSERT_EQ(image.page, PreviewPage::image);
    EXPECT_EQ(image.image.size(), QSize(40, 30));

    dir.writeFile("listing/b.txt", 10);
    dir.writeFile("listing/A.txt", 20);
    dir.makeDir("listing/zeta");
    dir.makeDir("listing/Alpha");
    const PreviewContent folder = loadPreview(dir.str() + "/listing");
    ASSERT_EQ(folder.page, PreviewPage::folder);
    EXPECT_EQ(folder.entryCount, 4);
    ASSERT_EQ(folder.entries.size(), 4u);
    // Folders first, then by name regardless of case.
    EXPECT_EQ(folder.entries[0].name, "Alpha");
    EXPECT_EQ(folder.entries[1].name, "zeta");
    EXPECT_EQ(folder.entries[2].name, "A.txt");
    EXPECT_EQ(folder.entries[2].size, 20);
    EXPECT_EQ(folder.entries[3].name, "b.txt");

    const PreviewContent missing = loadPreview(dir.str() + "/Report.pdf");
    EXPECT_EQ(missing.page, PreviewPage::info);
    EXPECT_FALSE(missing.exists);
    EXPECT_EQ(missing.name, "Report.pdf");
    EXPECT_FALSE(missing.kind.isEmpty()) << "the kind comes from the name";
    EXPECT_FALSE(missing.modified.has_value());

    // A name that is not UTF-8 still reaches the file.
    const std::string odd = dir.str() + "/caf\xe9.txt";
    std::ofstream(odd) << "latin-1 name\n";
    const PreviewContent latin = loadPreview(odd);
    EXPECT_TRUE(latin.exists);
    EXPECT_EQ(latin.page, PreviewPage::text);
    EXPECT_EQ(latin.text, "latin-1 name\n");
}

TEST(PreviewWindow, FollowsTheLastRequestAndClosesOnSpaceOrEscape) {
    TempDir dir;
    const std::string image = writeImage(dir, "photo.png", "PNG");
    const std::string text = writeText(dir, "notes.txt", "hello\n");
    PreviewWindow& window = PreviewWindow::instance();

    PreviewWindow::preview(image);
    PreviewWindow::preview(text);
    EXPECT_TRUE(window.isVisible());
    EXPECT_EQ(window.path(), text);
    EXPECT_FALSE(window.page().has_value());
    ASSERT_TRUE(QTest::qWaitFor([&] { return window.page().has_value(); }, 10000));
    QTest::qWait(50); // the image's load, if still on its way, must not replace the text
    EXPECT_EQ(*window.page(), PreviewPage::text);
    EXPECT_EQ(window.content()->path, text);
    EXPECT_EQ(window.windowTitle(), "notes.txt");

    QTest::keyClick(&window, Qt::Key_Space);
    EXPECT_FALSE(window.isVisible());

    PreviewWindow::preview(dir.str() + "/missing.bin");
    ASSERT_TRUE(QTest::qWaitFor([&] { return window.page().has_value(); }, 10000));
    EXPECT_EQ(*window.page(), PreviewPage::info);
    // The info card's "Open" hands the path to the desktop.
    ScopedFakeDesktop desktop;
    QWidget* open = nullptr;
    for (QWidget* w : window.findChildren<QWidget*>())
        if (w->accessibleName() == "Open" && w->isVisibleTo(&window)) open = w;
    ASSERT_TRUE(open);
    QTest::mouseClick(open, Qt::LeftButton);
    EXPECT_EQ(desktop->opened, std::vector<std::string>{dir.str() + "/missing.bin"});

    QTest::keyClick(&window, Qt::Key_Escape);
    EXPECT_FALSE(window.isVisible());
}

} // namespace
