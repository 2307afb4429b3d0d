#pragma once

#include <QBuffer>
#include <QImage>
#include <QImageWriter>

#include <gtest/gtest.h>
#include <zlib.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <ostream>
#include <string>
#include <string_view>

// Pictures, ordinary and hostile, for what is judged before decoding; each is the bytes of a file. The
// ordinary ones are 48 x 48 and blue.

inline std::string svgPadded(size_t padding, std::string_view extra = {}) {
    std::string text =
        "<svg xmlns=\"http://www.w3.org/2000/svg\" xmlns:xlink=\"http://www.w3.org/1999/xlink\" "
        "xmlns:svg=\"http://www.w3.org/2000/svg\" width=\"48\" height=\"48\">"
        "<rect width=\"48\" height=\"48\" fill=\"#0000ff\"/>";
    text += extra;
    if (padding > 0) text += "<!--" + std::string(padding, ' ') + "-->";
    return text + "</svg>";
}

inline std::string svgText() {
    return svgPadded(0);
}

// An SVG whose <image> (or `element`) names a file by its path.
inline std::string svgNaming(const std::string& path, const std::string& element = "image") {
    return svgPadded(0, "<" + element + " width=\"48\" height=\"48\" xlink:href=\"" + path + "\"/>");
}

// The same, its path held in an entity that the XML reader expands.
inline std::string svgNamingThroughEntity(const std::string& path) {
    return "<!DOCTYPE svg [<!ENTITY where \"" + path + "\">]>" +
           svgPadded(0, "<image width=\"48\" height=\"48\" xlink:href=\"&where;\"/>");
}

// An SVG that embeds a picture (the bytes of a file of `type`) as a data URI.
inline std::string svgEmbedding(const std::string& picture, const std::string& type) {
    const QByteArray inner = QByteArray::fromStdString(picture).toBase64();
    return svgPadded(0, "<image width=\"48\" height=\"48\" xlink:href=\"data:" + type + ";base64," +
                            inner.toStdString() + "\"/>");
}

// An SVG that embeds another that names a file.
inline std::string svgEmbeddingOneNaming(const std::string& path) {
    return svgEmbedding(svgNaming(path), "image/svg+xml");
}

// An SVG of references Qt takes as fragments: a <use> of a square filled by a gradient whose stops come
// from another.
inline std::string svgOfFragments() {
    return svgPadded(0, "<defs><linearGradient id=\"stops\"><stop offset=\"0\" stop-color=\"#0000ff\"/>"
                        "<stop offset=\"1\" stop-color=\"#0000ff\"/></linearGradient>"
                        "<linearGradient id=\"blue\" xlink:href=\"#stops\"/>"
                        "<rect id=\"square\" width=\"48\" height=\"48\" fill=\"url(#blue)\"/></defs>"
                        "<use xlink:href=\"#square\"/>");
}

// `pieces` times `piece`, compressed as gzip without ever holding the whole.
inline std::string gzipped(std::string_view head, std::string_view piece, size_t pieces,
                           std::string_view tail) {
    z_stream stream{};
    EXPECT_EQ(deflateInit2(&stream, 9, Z_DEFLATED, MAX_WBITS + 16, 9, Z_DEFAULT_STRATEGY), Z_OK);
    std::string out;
    char buffer[64 * 1024];
    auto feed = [&](std::string_view in, int flush) {
        stream.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(in.data()));
        stream.avail_in = uInt(in.size());
        do {
            stream.next_out = reinterpret_cast<Bytef*>(buffer);
            stream.avail_out = sizeof buffer;
            deflate(&stream, flush);
            out.append(buffer, sizeof buffer - stream.avail_out);
        } while (stream.avail_out == 0);
    };
    feed(head, Z_NO_FLUSH);
    for (size_t i = 0; i < pieces; ++i)
        feed(piece, Z_NO_FLUSH);
    feed(tail, Z_FINISH);
    deflateEnd(&stream);
    return out;
}

inline std::string gzipped(std::string_view text) {
    return gzipped(text, {}, 0, {});
}

// An SVG that draws one rectangle 10^levels times through nested <use>, then `after`.
inline std::string svgRepeating(int levels, const std::string& after = {}) {
    std::string uses = "<g id=\"l0\"><rect width=\"1\" height=\"1\"/></g>";
    for (int level = 1; level <= levels; ++level) {
        uses += "<g id=\"l" + std::to_string(level) + "\">";
        for (int i = 0; i < 10; ++i)
            uses += "<use xlink:href=\"#l" + std::to_string(level - 1) + "\"/>";
        uses += "</g>";
    }
    return svgPadded(0, uses + after);
}

// Drawings that pass every bound and still take one drawing call of minutes or gigabytes: one dashed
// polygon whose stroke is wider than its 4000 px canvas (440 bytes)...
inline std::string svgDashedPolygon() {
    std::string points;
    for (int i = 0; i < 30; ++i)
        points += std::to_string(int(2000 + 1900 * std::cos(i * 2.4))) + "," +
                  std::to_string(int(2000 + 1900 * std::sin(i * 2.4))) + " ";
    return "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"4000\" height=\"4000\"><polygon points=\"" +
           points + "\" fill=\"none\" stroke=\"#00f\" stroke-width=\"3000\" stroke-dasharray=\"3\"/></svg>";
}

// ... one zig-zag path across 4096 px, 3 px wide in dashes of one pixel (its memory grows by hundreds
// of megabytes a second)...
inline std::string svgDashedZigZag() {
    std::string path = "M0 0";
    for (int i = 1; i < 7000; ++i)
        path += " L" + std::to_string(i % 2 ? 4096 : 0) + " " + std::to_string(i / 2) + (i % 2 ? ".5" : "");
    return "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"4096\" height=\"4096\"><path d=\"" + path +
           "\" fill=\"none\" stroke=\"#00f\" stroke-width=\"3\" stroke-dasharray=\"1,1\"/></svg>";
}

// ... one text of an entity of 4,000 letters written 60,000 times (gigabytes to lay out)...
inline std::string svgEntityText() {
    std::string uses;
    for (int i = 0; i < 60000; ++i)
        uses += "&e;";
    return "<!DOCTYPE svg [<!ENTITY e \"" + std::string(4000, 'x') + "\">]>" +
           svgPadded(0, "<text y=\"20\">" + uses + "</text>");
}

// ... and, for an icon, one polyline whose stroke is 5000 px wide (7 KB, seconds).
inline std::string svgWidePolyline() {
    std::string points;
    for (int i = 0; i < 700; ++i)
        points += std::to_string(i * 37 % 256) + "," + std::to_string(i * 91 % 256) + " ";
    return "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"256\" height=\"256\"><polyline points=\"" +
           points + "\" fill=\"none\" stroke=\"#00f\" stroke-width=\"5000\"/></svg>";
}

// An SVG that inflates to `mebibytes` of a comment, and a little drawing.
inline std::string svgzInflatingTo(size_t mebibytes) {
    const std::string whole = svgPadded(1);
    const size_t comment = whole.find("<!--") + 4;
    return gzipped(whole.substr(0, comment), std::string(1024 * 1024, ' '), mebibytes, whole.substr(comment));
}

// A progressive JPEG whose last scan comes `repeats` times more, each after `beforeEachScan`: the decoder
// warns and goes on, one pass over the picture a scan.
inline std::string jpegWithScans(int repeats, QSize size = QSize(48, 48),
                                 const std::string& beforeEachScan = {}) {
    QImage image(size, QImage::Format_RGB32);
    image.fill(Qt::blue);
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    QImageWriter writer(&buffer, "jpeg");
    writer.setProgressiveScanWrite(true);
    EXPECT_TRUE(writer.write(image));
    const std::string bytes = buffer.data().toStdString();
    // The markers in order: segments by their length, a scan's data up to the next marker.
    size_t lastScan = 0;
    size_t end = 0;
    for (size_t at = 2; at + 2 <= bytes.size();) {
        const auto code = uint8_t(bytes[at + 1]);
        if (code == 0xd9) {
            end = at;
            break;
        }
        const size_t length = size_t(uint8_t(bytes[at + 2])) << 8 | uint8_t(bytes[at + 3]);
        if (code == 0xda) lastScan = at;
        at += 2 + length;
        if (code != 0xda) continue;
        while (at + 1 < bytes.size() &&
               !(uint8_t(bytes[at]) == 0xff && bytes[at + 1] != 0 && (uint8_t(bytes[at + 1]) & 0xf8) != 0xd0))
            ++at;
    }
    EXPECT_GT(lastScan, 0u);
    EXPECT_GT(end, lastScan);
    std::string out = bytes.substr(0, end);
    for (int i = 0; i < repeats; ++i)
        out += beforeEachScan + bytes.substr(lastScan, end - lastScan);
    return out + bytes.substr(end);
}

// A JPEG table segment (DQT) that defines quantisation tables no component uses, 2 and 3, twice over: its
// length has both bytes set (0x0106) and its values are the bytes of an end marker (FF D9), so that a
// length misread by a byte or two ends the count of scans.
inline std::string misleadingTable() {
    std::string table = "\xff\xdb\x01\x06";
    for (const char id : {2, 3, 2, 3}) {
        table += id;
        for (int i = 0; i < 32; ++i)
            table += "\xff\xd9";
    }
    return table;
}

// `image` as a file of `format` ("png", "bmp") writes it.
inline std::string pictureBytes(const QImage& image, const char* format) {
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    EXPECT_TRUE(QImageWriter(&buffer, format).write(image)) << format;
    return buffer.data().toStdString();
}

// A blue picture of `size` in `format`.
inline std::string bluePicture(QSize size, const char* format) {
    QImage image(size, QImage::Format_RGB32);
    image.fill(Qt::blue);
    return pictureBytes(image, format);
}

// A 48 x 48 PNG that decodes to `pixels`, a format of less than four bytes a pixel: a palette whose first
// colour is blue (QImage::Format_Indexed8), or grey (Format_Grayscale8), white.
inline std::string pngOf(QImage::Format pixels) {
    QImage image(48, 48, pixels);
    if (pixels == QImage::Format_Indexed8) image.setColorTable({qRgb(0, 0, 255), qRgb(255, 255, 0)});
    image.fill(pixels == QImage::Format_Indexed8 ? 0u : 255u); // the first colour, or white
    return pictureBytes(image, "png");
}

// A picture file of a test's cases: its name, its bytes (given the path of a FIFO it may name), and
// whether it is drawn, then at `drawn`; a file with `holesTo` is then made that long with holes.
struct PictureCase {
    const char* name;
    std::function<std::string(const std::string& fifo)> bytes;
    bool shown;
    // Done to the file once it is open, before it is decoded, given its path and the FIFO's.
    std::function<void(const std::string& path, const std::string& fifo)> afterOpening = {};
    int64_t holesTo = 0;
    QSize drawn = QSize(48, 48);
};

// Where a picture's test works while this lives: the folder Qt's SVG handler opens a relative path in.
class WorkingFolder {
  public:
    explicit WorkingFolder(const std::filesystem::path& folder) : saved_(std::filesystem::current_path()) {
        std::filesystem::current_path(folder);
    }
    WorkingFolder(const WorkingFolder&) = delete;
    WorkingFolder& operator=(const WorkingFolder&) = delete;
    ~WorkingFolder() {
        std::error_code ignored;
        std::filesystem::current_path(saved_, ignored);
    }

  private:
    std::filesystem::path saved_;
};

inline void PrintTo(const PictureCase& c, std::ostream* out) {
    *out << c.name;
}

// A case's name as a test's name.
inline std::string pictureCaseName(const testing::TestParamInfo<PictureCase>& info) {
    std::string name = info.param.name;
    std::replace(name.begin(), name.end(), '.', '_');
    return name;
}
