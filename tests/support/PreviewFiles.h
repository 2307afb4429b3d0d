#pragma once

#include "tests/support/TempDir.h"

#include <QImage>
#include <QRgba64>
#include <QSize>
#include <QString>

#include <gtest/gtest.h>
#include <png.h>

#include <array>
#include <cstdio>
#include <string>
#include <vector>

// Files for the preview's tests, written into a test's folder; each returns the file's path.
inline std::string writeText(const TempDir& dir, const std::string& name, const std::string& text) {
    writeFileText(dir.path() / name, text);
    return (dir.path() / name).string();
}

// A 40 x 30 red picture in an image format ("PNG", "JPG"), whatever the name says.
inline std::string writeImage(const TempDir& dir, const std::string& name, const char* format) {
    QImage image(40, 30, QImage::Format_RGB32);
    image.fill(Qt::red);
    const std::string path = (dir.path() / name).string();
    EXPECT_TRUE(image.save(QString::fromStdString(path), format));
    return path;
}

// Writes a PNG to `dir`/`name` through libpng: `write(png, info)` gives its header and rows.
template <typename Write> std::string writePng(const TempDir& dir, const std::string& name, Write write) {
    const std::string path = (dir.path() / name).string();
    FILE* out = std::fopen(path.c_str(), "wb");
    EXPECT_TRUE(out) << path;
    if (!out) return path;
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png_create_info_struct(png);
    png_init_io(png, out);
    write(png, info);
    png_write_end(png, nullptr);
    png_destroy_write_struct(&png, &info);
    std::fclose(out);
    return path;
}

// A PNG of `size` at 16 bits per channel (RGBA), in four quadrants of the colours given (top left, top
// right, bottom left, bottom right), written a row at a time: no picture of that size is ever held,
// and its rows repeat, so that even 100 megapixels compress to little.
inline std::string writeQuadrantPng(const TempDir& dir, const std::string& name, QSize size,
                                    const std::array<QRgba64, 4>& colours, bool interlaced = false) {
    return writePng(dir, name, [&](png_structp png, png_infop info) {
        png_set_compression_level(png, 1);
        png_set_filter(png, PNG_FILTER_TYPE_BASE, PNG_FILTER_UP);
        png_set_IHDR(png, info, png_uint_32(size.width()), png_uint_32(size.height()), 16,
                     PNG_COLOR_TYPE_RGB_ALPHA, interlaced ? PNG_INTERLACE_ADAM7 : PNG_INTERLACE_NONE,
                     PNG_COMPRESSION_TYPE_BASE, PNG_FILTER_TYPE_BASE);
        png_write_info(png, info);
        // The two rows there are, samples big-endian as PNG stores them.
        std::array<std::vector<png_byte>, 2> rows;
        for (size_t half = 0; half < 2; ++half) {
            rows[half].resize(size_t(size.width()) * 8);
            for (int x = 0; x < size.width(); ++x) {
                const QRgba64 c = colours[half * 2 + (x < size.width() / 2 ? 0 : 1)];
                const uint16_t samples[4] = {c.red(), c.green(), c.blue(), c.alpha()};
                for (size_t i = 0; i < 4; ++i) {
                    rows[half][size_t(x) * 8 + i * 2] = png_byte(samples[i] >> 8);
                    rows[half][size_t(x) * 8 + i * 2 + 1] = png_byte(samples[i] & 0xff);
                }
            }
        }
        const int passes = png_set_interlace_handling(png);
        for (int pass = 0; pass < passes; ++pass)
            for (int y = 0; y < size.height(); ++y)
                png_write_row(png, rows[y < size.height() / 2 ? 0 : 1].data());
    });
}

// A black grey PNG of `size` at `depth` bits a pixel, its rows compressed (a picture of one bit a pixel
// takes next to nothing on disk, however many pixels it has) or stored as they are (its file is as large
// as its pixels); cut short after `rows` rows when given.
inline std::string writeBlankPng(const TempDir& dir, const std::string& name, QSize size, int depth = 1,
                                 bool compressed = true, int rows = -1) {
    return writePng(dir, name, [&](png_structp png, png_infop info) {
        png_set_compression_level(png, compressed ? 1 : 0);
        png_set_filter(png, PNG_FILTER_TYPE_BASE, PNG_FILTER_NONE);
        png_set_IHDR(png, info, png_uint_32(size.width()), png_uint_32(size.height()), depth,
                     PNG_COLOR_TYPE_GRAY, PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_BASE,
                     PNG_FILTER_TYPE_BASE);
        png_write_info(png, info);
        const std::vector<png_byte> row((size_t(size.width()) * size_t(depth) + 7) / 8, 0);
        for (int y = 0; y < (rows < 0 ? size.height() : rows); ++y)
            png_write_row(png, row.data());
    });
}
