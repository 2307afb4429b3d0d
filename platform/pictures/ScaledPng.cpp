#include "platform/pictures/ScaledPng.h"

#include <QIODevice>

#include <png.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <new>
#include <optional>
#include <vector>

namespace {

// Box filter: every source pixel falls into one target pixel, whose value is the mean of all of them
// (premultiplied, so that transparent pixels do not darken their neighbours).
class BoxSums {
  public:
    // `whole`: sums for every target row at once (pixels arrive in any order); else for one row, and
    // source rows must arrive top to bottom.
    BoxSums(QSize source, QSize target, bool whole)
        : source_(source), target_(target), whole_(whole), colOf_(size_t(source.width())),
          colCount_(size_t(target.width())), rowCount_(size_t(target.height())),
          sums_(size_t(target.width()) * 4 * size_t(whole ? target.height() : 1)) {
        for (int x = 0; x < source.width(); ++x) {
            colOf_[size_t(x)] = int(int64_t(x) * target.width() / source.width());
            ++colCount_[size_t(colOf_[size_t(x)])];
        }
        for (int y = 0; y < source.height(); ++y)
            ++rowCount_[size_t(rowOf(y))];
    }

    // Adds `count` RGBA pixels of source row `y`, the i-th at column x0 + i * step.
    void add(int y, int x0, int step, const uchar* rgba, int count, QImage& image) {
        const int row = rowOf(y);
        if (!whole_ && row != pendingRow_) {
            if (pendingRow_ >= 0) flush(pendingRow_, image);
            pendingRow_ = row;
        }
        uint32_t* line = sums_.data() + (whole_ ? size_t(row) * size_t(target_.width()) * 4 : 0);
        for (int i = 0, x = x0; i < count; ++i, x += step, rgba += 4) {
            uint32_t* sum = line + size_t(colOf_[size_t(x)]) * 4;
            const uint32_t alpha = rgba[3];
            if (alpha == 255) {
                sum[0] += rgba[0];
                sum[1] += rgba[1];
                sum[2] += rgba[2];
            } else {
                sum[0] += (rgba[0] * alpha + 127) / 255;
                sum[1] += (rgba[1] * alpha + 127) / 255;
                sum[2] += (rgba[2] * alpha + 127) / 255;
            }
            sum[3] += alpha;
        }
    }

    // Writes the rows still held.
    void finish(QImage& image) {
        if (!whole_) {
            if (pendingRow_ >= 0) flush(pendingRow_, image);
            return;
        }
        for (int row = 0; row < target_.height(); ++row)
            flush(row, image);
    }

  private:
    int rowOf(int y) const { return int(int64_t(y) * target_.height() / source_.height()); }

    void flush(int row, QImage& image) {
        uint32_t* line = sums_.data() + (whole_ ? size_t(row) * size_t(target_.width()) * 4 : 0);
        uchar* out = image.scanLine(row);
        for (size_t col = 0; col < size_t(target_.width()); ++col) {
            const uint32_t count = colCount_[col] * rowCount_[size_t(row)];
            for (size_t c = 0; c < 4; ++c) {
                uint32_t& sum = line[col * 4 + c];
                out[col * 4 + c] = uchar((sum + count / 2) / count);
                sum = 0;
            }
        }
    }

    QSize source_, target_;
    bool whole_;
    int pendingRow_ = -1;
    std::vector<int> colOf_;
    std::vector<uint32_t> colCount_, rowCount_;
    // Per target pixel: red, green, blue (premultiplied) and alpha.
    std::vector<uint32_t> sums_;
};

constexpr int kMostShrink = 2048; // source pixels to a target pixel, on a side
constexpr png_uint_32 kLongestSide = 1'000'000;

struct Decoding {
    QSize target;
    std::stop_token stop;
    std::vector<png_byte> row;
    std::optional<BoxSums> sums;
    QImage image;
};

void readFromDevice(png_structp png, png_bytep data, size_t length) {
    auto* device = static_cast<QIODevice*>(png_get_io_ptr(png));
    if (device->read(reinterpret_cast<char*>(data), qint64(length)) != qint64(length))
        png_error(png, "the file ends early");
}

[[noreturn]] void fail(png_structp png, png_const_charp) {
    png_longjmp(png, 1);
}

void ignoreWarning(png_structp, png_const_charp) {}

// libpng reports errors with a longjmp out of its calls: between those calls this frame holds no
// object with a destructor, and what outlives a jump is in `d`.
bool decodeRows(png_structp png, png_infop info, Decoding& d) {
    png_read_info(png, info);
    png_uint_32 width = 0, height = 0;
    int depth = 0, colour = 0, interlace = 0;
    png_get_IHDR(png, info, &width, &height, &depth, &colour, &interlace, nullptr, nullptr);
    // Every kind of PNG as 8-bit RGBA.
    png_set_expand(png);
    png_set_scale_16(png);
    png_set_gray_to_rgb(png);
    png_set_filler(png, 0xff, PNG_FILLER_AFTER);
    png_read_update_info(png, info);
    if (png_get_rowbytes(png, info) != size_t(width) * 4) return false;

    const QSize source{int(width), int(height)};
    const bool interlaced = interlace != PNG_INTERLACE_NONE;
    QSize target = d.target.boundedTo(source).expandedTo(QSize(1, 1));
    if (interlaced && qint64(target.width()) * target.height() > platform::kInterlacedPixels) {
        const double shrink =
            std::sqrt(double(platform::kInterlacedPixels) / (double(target.width()) * target.height()));
        target = QSize(std::max(1, int(target.width() * shrink)), std::max(1, int(target.height() * shrink)));
    }
    // A target pixel gathers at most 2048 x 2048 source pixels: its sums stay within 32 bits.
    target = target.expandedTo(QSize((source.width() + kMostShrink - 1) / kMostShrink,
                                     (source.height() + kMostShrink - 1) / kMostShrink));
    d.row.resize(png_get_rowbytes(png, info));
    d.sums.emplace(source, target, interlaced);
    d.image = QImage(target, QImage::Format_RGBA8888_Premultiplied);
    if (d.image.isNull()) return false;

    if (!interlaced) {
        for (int y = 0; y < source.height(); ++y) {
            if (d.stop.stop_requested()) return false;
            png_read_row(png, d.row.data(), nullptr);
            d.sums->add(y, 0, 1, d.row.data(), source.width(), d.image);
        }
    } else {
        // Without libpng's interlace handling each pass comes as its own small rows.
        for (int pass = 0; pass < 7; ++pass) {
            const int cols = int(PNG_PASS_COLS(width, pass));
            const int rows = int(PNG_PASS_ROWS(height, pass));
            if (cols == 0 || rows == 0) continue;
            for (int r = 0; r < rows; ++r) {
                if (d.stop.stop_requested()) return false;
                png_read_row(png, d.row.data(), nullptr);
                d.sums->add(int(PNG_ROW_FROM_PASS_ROW(r, pass)), int(PNG_PASS_START_COL(pass)),
                            int(PNG_PASS_COL_OFFSET(pass)), d.row.data(), cols, d.image);
            }
        }
    }
    d.sums->finish(d.image);
    return true;
}

bool decode(png_structp png, png_infop info, Decoding& d) {
    if (setjmp(png_jmpbuf(png))) return false;
    return decodeRows(png, info, d);
}

} // namespace

namespace platform {

QImage readScaledPng(QIODevice& device, QSize target, std::stop_token stop) {
    png_structp png = png_create_read_struct(PNG_LIBPNG_VER_STRING, nullptr, fail, ignoreWarning);
    if (!png) return {};
    png_infop info = png_create_info_struct(png);
    if (!info) {
        png_destroy_read_struct(&png, nullptr, nullptr);
        return {};
    }
    png_set_read_fn(png, &device, readFromDevice);
    // A row of the widest PNG takes 4 MB.
    png_set_user_limits(png, kLongestSide, kLongestSide);
    Decoding decoding{target, std::move(stop), {}, {}, {}};
    bool decoded = false;
    try {
        decoded = decode(png, info, decoding);
    } catch (const std::bad_alloc&) {
        // A picture too wide for memory: shown as not decodable.
    }
    png_destroy_read_struct(&png, &info, nullptr);
    if (!decoded) return {};
    decoding.image.convertTo(QImage::Format_ARGB32_Premultiplied);
    return std::move(decoding.image);
}

} // namespace platform
