// What the preview reads of a path, without a window.
#include "platform/PreviewContent.h"
#include "platform/pictures/ScaledPng.h"
#include "tests/support/HostilePictures.h"
#include "tests/support/PreviewFiles.h"
#include "tests/support/SparseTwins.h"
#include "tests/support/StuckReads.h"

#include <QFile>

#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <future>
#include <thread>

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
    for (size_t i = 99; i < text.size(); i += 100)
        text[i] = '\n'; // lines short enough to be shown as they are
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
    // A leading byte-order mark stays in a name, listed or previewed: it is shown, not dropped.
    const std::string marked = writeText(dir, "marked/\xef\xbb\xbfnotes.txt", "hello\n");
    EXPECT_EQ(loadPreview(marked).name, QStringLiteral("\uFEFFnotes.txt"));
    EXPECT_EQ(namesOf(loadPreview(dir.str() + "/marked").listing),
              QStringList{QStringLiteral("\uFEFFnotes.txt")});
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

// Four quadrants of 16-bit colours, one of them half transparent.
const std::array<QRgba64, 4> kQuadrants = {
    QRgba64::fromRgba64(0xffff, 0, 0, 0xffff),
    QRgba64::fromRgba64(0, 0x8080, 0xffff, 0xffff),
    QRgba64::fromRgba64(0x1234, 0xabcd, 0x5678, 0xffff),
    QRgba64::fromRgba64(0, 0xffff, 0, 0x8000),
};

// The picture of a quadrant PNG: the PNG's proportions, each quadrant's colour at its middle.
void expectQuadrants(const QImage& image, QSize source) {
    ASSERT_FALSE(image.isNull());
    EXPECT_NEAR(double(image.width()) / image.height(), double(source.width()) / source.height(), 0.01);
    const QPoint middles[4] = {{image.width() / 4, image.height() / 4},
                               {image.width() * 3 / 4, image.height() / 4},
                               {image.width() / 4, image.height() * 3 / 4},
                               {image.width() * 3 / 4, image.height() * 3 / 4}};
    for (size_t i = 0; i < 4; ++i) {
        SCOPED_TRACE(i);
        const QColor shown = image.pixelColor(middles[i]);
        const QColor wanted = QColor::fromRgba64(kQuadrants[i]).toRgb();
        EXPECT_NEAR(shown.red(), wanted.red(), 2);
        EXPECT_NEAR(shown.green(), wanted.green(), 2);
        EXPECT_NEAR(shown.blue(), wanted.blue(), 2);
        EXPECT_NEAR(shown.alpha(), wanted.alpha(), 1);
    }
}

// At 16 bits a channel a photo of 24 megapixels is past what an image may take when decoded whole;
// the preview still shows it, scaled, and one of 100 megapixels too, interlaced or not.
TEST(PreviewContent, LargeSixteenBitPngsAreShownScaled) {
    TempDir dir;
    for (const QSize size : {QSize(6000, 4000), QSize(12500, 8000)}) {
        SCOPED_TRACE(size.width());
        const PreviewContent content = loadPreview(writeQuadrantPng(dir, "photo.png", size, kQuadrants));
        ASSERT_EQ(content.page, PreviewPage::image);
        EXPECT_EQ(content.image.width(), PreviewContent::kImageLimit);
        expectQuadrants(content.image, size);
    }
    // An interlaced PNG sends its pixels in passes over the whole picture: read at a bounded size.
    const QSize size(6000, 4000);
    const PreviewContent interlaced =
        loadPreview(writeQuadrantPng(dir, "interlaced.png", size, kQuadrants, true));
    ASSERT_EQ(interlaced.page, PreviewPage::image);
    EXPECT_LE(qint64(interlaced.image.width()) * interlaced.image.height(), kInterlacedPixels);
    expectQuadrants(interlaced.image, size);
    // Cut short in its pixel data, it is not shown as a picture.
    const std::string whole = fileText(dir.path() / "photo.png");
    const PreviewContent cut = loadPreview(writeText(dir, "cut.png", whole.substr(0, whole.size() / 2)));
    EXPECT_EQ(cut.page, PreviewPage::info);
}

// Reading a picture costs time by the pixel, and one bit a pixel compresses to next to nothing: a
// picture that declares more pixels than the bound shows the info card at once.
TEST(PreviewContent, APictureOfMorePixelsThanTheBoundShowsTheInfoCard) {
    TempDir dir;
    const int width = 16384;
    const QSize past(width, int(kPicturePixelLimit / width) + 1);
    const PreviewContent content = loadPreview(writeBlankPng(dir, "blank.png", past));
    EXPECT_EQ(content.page, PreviewPage::info);
    EXPECT_TRUE(content.exists);
    EXPECT_TRUE(content.image.isNull());
    // 65536 x 65536 pixels, 2^32 (0 in 32 bits), is refused from its header: none of its rows is read.
    QFile wide(QString::fromStdString(writeBlankPng(dir, "wide.png", QSize(65536, 65536), 1, false, 128)));
    ASSERT_TRUE(wide.open(QIODevice::ReadOnly));
    const int64_t before = bytesReadByProcess();
    EXPECT_TRUE(decodePicture(wide, {.longestSide = 4096, .bounds = PreviewFile::kPictureBounds}).isNull());
    EXPECT_LT(bytesReadByProcess() - before, 64 * 1024);
}

// A scaled pixel is the mean of what it covers, transparent pixels adding no colour of theirs.
TEST(PreviewContent, AScaledPngAveragesWhatEachPixelCovers) {
    TempDir dir;
    const QRgba64 black = QRgba64::fromRgba64(0, 0, 0, 0xffff);
    const QRgba64 white = QRgba64::fromRgba64(0xffff, 0xffff, 0xffff, 0xffff);
    const QRgba64 green = QRgba64::fromRgba64(0, 0xffff, 0, 0xffff);
    const QRgba64 invisibleRed = QRgba64::fromRgba64(0xffff, 0, 0, 0);
    for (const bool interlaced : {false, true}) {
        SCOPED_TRACE(interlaced);
        auto scaled = [&](const std::array<QRgba64, 4>& colours) {
            QFile file(QString::fromStdString(
                writeQuadrantPng(dir, "small.png", QSize(16, 16), colours, interlaced)));
            EXPECT_TRUE(file.open(QIODevice::ReadOnly));
            const QImage image = readScaledPng(file, QSize(1, 1));
            EXPECT_EQ(image.size(), QSize(1, 1));
            return image.isNull() ? QColor() : image.pixelColor(0, 0);
        };
        const QColor grey = scaled({black, white, white, black});
        EXPECT_NEAR(grey.red(), 128, 1);
        EXPECT_NEAR(grey.green(), 128, 1);
        EXPECT_EQ(grey.alpha(), 255);
        const QColor tint = scaled({invisibleRed, green, green, green});
        EXPECT_NEAR(tint.alpha(), 191, 1);
        EXPECT_LE(tint.red(), 1);
        EXPECT_GE(tint.green(), 254);
        // Stopped, it reads no further row and gives nothing.
        std::stop_source stop;
        stop.request_stop();
        QFile file(QString::fromStdString((dir.path() / "small.png").string()));
        ASSERT_TRUE(file.open(QIODevice::ReadOnly));
        EXPECT_TRUE(readScaledPng(file, QSize(1, 1), stop.get_token()).isNull());
    }
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

// Pictures whose decoding could wait on a FIFO, take gigabytes or minutes are judged first, or ended with
// their worker, and shown by their info card; ordinary ones of the same kinds still show. The worker has
// seconds here, not the preview's budget. The FIFO lies in the working folder, where a reference taken for
// a file's path is looked for, under a name that reads as a fragment.
class PreviewPicture : public testing::TestWithParam<PictureCase> {};

TEST_P(PreviewPicture, IsShownOnlyWhenItMayBeDecoded) {
    TempDir dir;
    const PlantedFifo fifo(dir.path() / "#pic");
    const WorkingFolder here(dir.path());
    const std::string pipe = dir.str() + "/#pic";
    const std::string path = writeText(dir, GetParam().name, GetParam().bytes(pipe));
    if (GetParam().holesTo > 0) std::filesystem::resize_file(path, uintmax_t(GetParam().holesTo));
    PreviewContent content;
    EXPECT_TRUE(fifo.finishesWithin(std::chrono::seconds(30), [&] {
        if (!GetParam().afterOpening) {
            content = loadPreview(path, {}, {.time = std::chrono::seconds(3)});
            return;
        }
        PreviewFile file(path);
        GetParam().afterOpening(path, pipe);
        content.page = file.page();
        if (content.page == PreviewPage::image)
            content.image =
                file.readImage(PreviewContent::kImageLimit, {}, {.time = std::chrono::seconds(3)});
        if (content.image.isNull()) content.page = PreviewPage::info;
    }));
    EXPECT_EQ(content.page, GetParam().shown ? PreviewPage::image : PreviewPage::info);
    if (GetParam().shown) {
        EXPECT_EQ(content.image.size(), GetParam().drawn);
        EXPECT_GE(content.image.pixelColor(content.image.width() / 2, content.image.height() / 2).blue(),
                  240);
    } else {
        EXPECT_TRUE(content.image.isNull());
    }
}

// The file at `path` made to hold `bytes` after it was opened: a new file renamed over it (what was opened
// keeps its bytes), or the same file rewritten in place.
void renameOver(const std::string& path, const std::string& bytes) {
    writeFileText(path + ".new", bytes);
    std::filesystem::rename(path + ".new", path);
}
void rewriteInPlace(const std::string& path, const std::string& bytes) {
    writeFileText(path, bytes);
}

INSTANTIATE_TEST_SUITE_P(
    Kinds, PreviewPicture,
    testing::Values(
        PictureCase{"drawing.svg", [](auto&) { return svgText(); }, true},
        PictureCase{"drawing.svgz", [](auto&) { return gzipped(svgText()); }, true},
        // Its first bytes only say XML: the name speaks for a content of its kind.
        PictureCase{
            "commented.svg",
            [](auto&) { return "<?xml version=\"1.0\"?><!--" + std::string(400, ' ') + "-->" + svgText(); },
            true},
        PictureCase{"photo.jpg", [](auto&) { return jpegWithScans(0); }, true},
        // Decoded in formats of fewer than four bytes a pixel, sent in one of four.
        PictureCase{"palette.png", [](auto&) { return pngOf(QImage::Format_Indexed8); }, true},
        PictureCase{"grey.png", [](auto&) { return pngOf(QImage::Format_Grayscale8); }, true},
        // Their short side scales to less than a pixel: drawn one pixel wide.
        PictureCase{"line.jpg",
                    [](auto&) { return jpegWithScans(0, QSize(6000, 1)); },
                    true,
                    {},
                    0,
                    QSize(PreviewContent::kImageLimit, 1)},
        PictureCase{"column.bmp",
                    [](auto&) { return bluePicture(QSize(1, 5769), "bmp"); },
                    true,
                    {},
                    0,
                    QSize(1, PreviewContent::kImageLimit)},
        PictureCase{"fifo.svg", [](auto& fifo) { return svgNaming(fifo); }, false},
        PictureCase{"entity.svg", [](auto& fifo) { return svgNamingThroughEntity(fifo); }, false},
        PictureCase{"embedded.svg", [](auto& fifo) { return svgEmbeddingOneNaming(fifo); }, false},
        PictureCase{"bomb.svgz", [](auto&) { return svgzInflatingTo(64); }, false},
        PictureCase{"huge.svg", [](auto&) { return svgPadded(PreviewFile::kPictureBounds.svgBytes); }, false},
        PictureCase{"repeated.svg", [](auto&) { return svgRepeating(6); }, false},
        PictureCase{"scans.jpg", [](auto&) { return jpegWithScans(500); }, false},
        PictureCase{"polygon.svg", [](auto&) { return svgDashedPolygon(); }, false},
        PictureCase{"zigzag.svg", [](auto&) { return svgDashedZigZag(); }, false},
        PictureCase{"text.svg", [](auto&) { return svgEntityText(); }, false},
        PictureCase{"renamed.svg", [](auto&) { return svgText(); }, true,
                    [](auto& path, auto& fifo) { renameOver(path, svgNaming(fifo)); }},
        // The bytes the worker reads are those it judges: the new ones, refused.
        PictureCase{"rewritten.svg", [](auto&) { return svgText(); }, false,
                    [](auto& path, auto& fifo) { rewriteInPlace(path, svgNaming(fifo)); }},
        PictureCase{"pic.svg", [](auto&) { return svgNaming("#pic"); }, false},
        PictureCase{"prefixed.svg", [](auto&) { return svgNaming("#pic", "svg:image"); }, false},
        PictureCase{"fragments.svg", [](auto&) { return svgOfFragments(); }, true},
        PictureCase{"embedded.jpg.svg", [](auto&) { return svgEmbedding(jpegWithScans(0), "image/jpeg"); },
                    true},
        PictureCase{"embeddedScans.svg", [](auto&) { return svgEmbedding(jpegWithScans(500), "image/jpeg"); },
                    false},
        PictureCase{"tables.jpg", [](auto&) { return jpegWithScans(500, QSize(48, 48), misleadingTable()); },
                    false},
        // A JPEG cut before its end, then 8 GB of holes (a disk image).
        PictureCase{"holes.jpg",
                    [](auto&) {
                        const std::string jpeg = jpegWithScans(0);
                        return jpeg.substr(0, jpeg.size() - 2);
                    },
                    false,
                    {},
                    8'000'000'000}),
    pictureCaseName);

// What only costs a worker its time or is stopped by its sandbox (a million shapes drawn, a file opened by
// the name of a fragment, a disk image read to its end), judged directly: through the preview a fault here
// would go unseen.
TEST(PictureCheck, RefusesWhatWouldOnlyCostAWorkerItsTime) {
    const PictureBounds& bounds = PreviewFile::kPictureBounds;
    // The drawing's count is its root's, not its last element's (a plain one here).
    EXPECT_FALSE(judgeSvg(svgRepeating(6, "<rect width=\"1\" height=\"1\"/>"), bounds));
    EXPECT_FALSE(judgeSvg(svgNaming("#pic"), bounds));
    EXPECT_FALSE(judgeSvg(svgNaming("#pic", "svg:image"), bounds));
    EXPECT_TRUE(judgeSvg(svgOfFragments(), bounds));
    // A JPEG cut before its end, then 8 GB of holes: its scans are counted in no more than the bound.
    TempDir dir;
    const std::string jpeg = jpegWithScans(0);
    QFile holes(QString::fromStdString(writeText(dir, "holes.jpg", jpeg.substr(0, jpeg.size() - 2))));
    std::filesystem::resize_file(holes.fileName().toStdString(), 8'000'000'000);
    ASSERT_TRUE(holes.open(QIODevice::ReadOnly));
    const int64_t before = bytesReadByProcess();
    EXPECT_TRUE(decodePicture(holes, {.longestSide = 4096, .bounds = bounds}).isNull());
    EXPECT_LE(bytesReadByProcess() - before, kJpegByteLimit + (1 << 20));
}

// A drawing that takes minutes stops within moments of being asked, and gives no picture.
TEST(PreviewFile, AnSvgStopsDrawingWhenAsked) {
    TempDir dir;
    // Five thousand triangles, each over most of a picture of 4000 x 4000.
    std::string shapes;
    for (int i = 0; i < 5000; ++i)
        shapes += "<path d=\"M0 0L4000 " + std::to_string(i % 4000) + "L" + std::to_string(i % 3000) +
                  " 4000Z\" fill=\"#" + std::to_string(100 + i % 800) + "\" fill-opacity=\"0.5\"/>";
    const std::string path = writeText(
        dir, "slow.svg",
        "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"4000\" height=\"4000\">" + shapes + "</svg>");
    PreviewFile file(path);
    ASSERT_EQ(file.page(), PreviewPage::image);
    std::stop_source stop;
    auto drawn = std::async(std::launch::async,
                            [&] { return file.readImage(PreviewContent::kImageLimit, stop.get_token()); });
    ASSERT_EQ(drawn.wait_for(std::chrono::milliseconds(300)), std::future_status::timeout) << "drew at once";
    stop.request_stop();
    ASSERT_EQ(drawn.wait_for(std::chrono::seconds(20)), std::future_status::ready);
    EXPECT_TRUE(drawn.get().isNull());
}

} // namespace
