// What the preview reads of a path, without a window.
#include "platform/PreviewContent.h"
#include "tests/support/PreviewFiles.h"

#include <gtest/gtest.h>

#include <filesystem>

#include <sys/stat.h>

using namespace platform;

namespace {

int64_t sizeOnDisk(const std::filesystem::path& path) {
    struct stat st {};
    EXPECT_EQ(::lstat(path.c_str(), &st), 0) << path;
    return int64_t(st.st_blocks) * 512;
}

QStringList namesOf(const FolderListing& listing) {
    QStringList names;
    for (const auto& e : listing.entries)
        names << e.name;
    return names;
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
    EXPECT_EQ(namesOf(folder.listing), (QStringList{"Alpha", "zeta", "A.txt", "b.txt"})); // folders first
    EXPECT_EQ(folder.listing.entries[2].size, sizeOnDisk(dir.path() / "listing/A.txt"));
    EXPECT_EQ(folder.listing.count, 4);
    const PreviewContent missing = loadPreview(dir.str() + "/Report.pdf");
    EXPECT_EQ(missing.page, PreviewPage::info);
    EXPECT_FALSE(missing.exists);
    EXPECT_FALSE(missing.kind.isEmpty()) << "the kind comes from the name";
    // A name that is not UTF-8 still reaches the file.
    const PreviewContent latin = loadPreview(writeText(dir, "caf\xe9.txt", "latin-1 name\n"));
    EXPECT_EQ(latin.page, PreviewPage::text);
    EXPECT_EQ(latin.text, "latin-1 name\n");
}

// A folder's files show the size they take, as in every other view: a sparse disk image of 734 MB
// that holds nothing takes next to nothing.
TEST(PreviewContent, AListingShowsSizesOnDisk) {
    TempDir dir;
    const std::filesystem::path image = dir.writeFile("images/disc.iso", 0);
    std::filesystem::resize_file(image, 734'000'000);
    dir.writeFile("images/notes.txt", 10'000);
    if (sizeOnDisk(image) >= 734'000'000) GTEST_SKIP() << "the file system keeps no sparse files";
    const PreviewContent folder = loadPreview(dir.str() + "/images");
    ASSERT_EQ(folder.page, PreviewPage::folder);
    ASSERT_EQ(namesOf(folder.listing), (QStringList{"disc.iso", "notes.txt"}));
    EXPECT_EQ(folder.listing.entries[0].size, sizeOnDisk(image));
    EXPECT_EQ(folder.listing.entries[1].size, sizeOnDisk(dir.path() / "images/notes.txt"));
    EXPECT_GT(folder.listing.entries[1].size, 0);
}

// A GIF's header may under-report its size: the reader then cannot be asked to decode it scaled, and
// what it decodes is scaled down after reading instead.
TEST(PreviewContent, AnImageLargerThanItsHeaderSaysIsScaledAfterReading) {
    // Logical screen 65494 x 34 with a 1 x 1 frame: the size the header gives is 1 x 34, the decoded
    // image fills the whole screen.
    const char bytes[] = "GIF89a"
                         "\xd6\xff\x22\x00"             // logical screen 65494 x 34
                         "\x80\x00\x00"                 // a global table of two colours
                         "\x00\x00\x00\xff\xff\xff"     // black, white
                         "\x2c\0\0\0\0\x01\0\x01\0\x00" // one frame at 0,0 of 1 x 1
                         "\x02\x02\x44\x01\x00"         // LZW: clear, colour 0, end
                         "\x3b";
    TempDir dir;
    const std::string path = writeText(dir, "liar.gif", std::string(bytes, sizeof bytes - 1));
    const PreviewContent content = loadPreview(path);
    ASSERT_EQ(content.page, PreviewPage::image);
    EXPECT_EQ(content.image.size(), QSize(PreviewContent::kImageLimit, 2)); // 65494 x 34, aspect kept
}

TEST(PreviewFile, ReadsWhatItJudgedWhenThePathIsRemovedOrReplacedMeanwhile) {
    TempDir dir;
    // A text judged, then removed: its text is still read.
    const std::string notes = writeText(dir, "notes.txt", "judged text\n");
    PreviewFile gone(notes);
    std::filesystem::remove(notes);
    bool cut = true;
    EXPECT_EQ(gone.page(), PreviewPage::text);
    EXPECT_EQ(gone.readText(PreviewContent::kTextLimit, cut), "judged text\n");
    EXPECT_FALSE(cut);
    // An image judged, then replaced by a text under its name: the image is still read.
    const std::string photo = writeImage(dir, "photo.png", "PNG");
    PreviewFile image(photo);
    std::filesystem::remove(photo);
    writeText(dir, "photo.png", "not an image any more\n");
    EXPECT_EQ(image.page(), PreviewPage::image);
    EXPECT_EQ(image.readImage(PreviewContent::kImageLimit).size(), QSize(40, 30));
    // A folder judged, then moved away with another put in its place: the judged one is listed.
    dir.writeFile("box/inside.txt", 5);
    PreviewFile folder(dir.str() + "/box");
    std::filesystem::rename(dir.path() / "box", dir.path() / "moved");
    dir.writeFile("box/other.txt", 5);
    EXPECT_EQ(namesOf(folder.readListing(10)), QStringList{"inside.txt"});
    // The listing's limit keeps the count of everything.
    for (int i = 0; i < 5; ++i)
        dir.writeFile("many/f" + std::to_string(i), 1);
    const FolderListing few = PreviewFile(dir.str() + "/many").readListing(3);
    EXPECT_EQ(few.entries.size(), 3u);
    EXPECT_EQ(few.count, 5);
}

} // namespace
