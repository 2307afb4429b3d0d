#include "shell/panels/PreviewWindow.h"
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

TEST(PreviewContent, PageByContentTextCutOnACharacterBoundaryListingsAndMissingOrOddNames) {
    // Unreadable, a folder that cannot be listed, an SVG (image and text at once: shown as the image).
    EXPECT_EQ(choosePreviewPage({true, false, false, true, true}), PreviewPage::info);
    EXPECT_EQ(choosePreviewPage({true, true, false, false, false}), PreviewPage::info);
    EXPECT_EQ(choosePreviewPage({true, false, true, true, true}), PreviewPage::image);
    // The content decides, not the name.
    TempDir dir;
    const std::pair<std::string, PreviewPage> files[] = {
        {writeImage(dir, "photo-without-extension", "PNG"), PreviewPage::image},
        {writeImage(dir, "wrong.txt", "JPG"), PreviewPage::image},
        {writeText(dir, "Makefile", "all:\n\tcc main.c\n"), PreviewPage::text},
        {writeText(dir, "blob.bin",
                   std::string("\x7f"
                               "ELF\x02\x01\x01\0\0\0\0\0\xff\xfe\0\x01",
                               16)),
         PreviewPage::info},
        {"", PreviewPage::info},
    };
    for (const auto& [path, page] : files)
        EXPECT_EQ(loadPreview(path).page, page) << path;
    // "é" is two bytes; the limit falls in the middle of one.
    std::string text(PreviewContent::kTextLimit - 1, 'a');
    text += "\xc3\xa9 and more";
    const PreviewContent cut = loadPreview(writeText(dir, "long.txt", text));
    ASSERT_EQ(cut.page, PreviewPage::text);
    EXPECT_TRUE(cut.textCut);
    EXPECT_EQ(cut.text.size(), PreviewContent::kTextLimit - 1);
    EXPECT_FALSE(cut.text.contains(QChar::ReplacementCharacter));
    const PreviewContent whole = loadPreview(writeText(dir, "short.txt", "Grüße\n"));
    EXPECT_FALSE(whole.textCut);
    EXPECT_EQ(whole.text, QString::fromUtf8("Grüße\n"));
    EXPECT_EQ(loadPreview(writeImage(dir, "photo.png", "PNG")).image.size(), QSize(40, 30));
    dir.writeFile("listing/b.txt", 10);
    dir.writeFile("listing/A.txt", 20);
    dir.makeDir("listing/zeta");
    dir.makeDir("listing/Alpha");
    const PreviewContent folder = loadPreview(dir.str() + "/listing");
    ASSERT_EQ(folder.page, PreviewPage::folder);
    QStringList names;
    for (const auto& e : folder.entries)
        names << e.name;
    EXPECT_EQ(names, (QStringList{"Alpha", "zeta", "A.txt", "b.txt"})); // folders first, case ignored
    const PreviewContent missing = loadPreview(dir.str() + "/Report.pdf");
    EXPECT_EQ(missing.page, PreviewPage::info);
    EXPECT_FALSE(missing.exists);
    EXPECT_FALSE(missing.kind.isEmpty()) << "the kind comes from the name";
    // A name that is not UTF-8 still reaches the file.
    const PreviewContent latin = loadPreview(writeText(dir, "caf\xe9.txt", "latin-1 name\n"));
    EXPECT_EQ(latin.page, PreviewPage::text);
    EXPECT_EQ(latin.text, "latin-1 name\n");
}

TEST(PreviewWindow, FollowsTheLastRequestAndClosesOnSpaceOrEscape) {
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

    PreviewWindow::preview(image);
    QTest::keyClick(&window, Qt::Key_Escape);
    EXPECT_FALSE(window.isVisible());
}

} // namespace
