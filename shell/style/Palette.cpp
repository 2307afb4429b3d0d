#include "shell/style/Palette.h"

#include "model/FileNode.h"

#include <QTextBoundaryFinder>

#include <array>
#include <chrono>
#include <cmath>
#include <vector>

namespace palette {

namespace {

QColor hex(uint32_t rgb) {
    return QColor((rgb >> 16) & 0xff, (rgb >> 8) & 0xff, rgb & 0xff);
}

QColor withAlpha(QColor color, double alpha) {
    color.setAlphaF(float(alpha));
    return color;
}

} // namespace

std::span<const std::span<const QColor>> folderFamilies() {
    static const std::array<std::vector<QColor>, 8> shades = {{
        {QColor(147, 197, 253), QColor(165, 180, 252), QColor(191, 219, 254), QColor(125, 211, 252),
         QColor(199, 210, 254)},
        {QColor(94, 234, 212), QColor(153, 246, 228), QColor(103, 232, 249), QColor(167, 243, 208)},
        {QColor(196, 181, 253), QColor(216, 180, 254), QColor(221, 214, 254), QColor(233, 213, 255)},
        {QColor(252, 211, 77), QColor(253, 230, 138), QColor(253, 186, 116), QColor(254, 215, 170)},
        {QColor(253, 164, 175), QColor(249, 168, 212), QColor(254, 205, 211), QColor(251, 207, 232)},
        {QColor(134, 239, 172), QColor(190, 242, 100), QColor(187, 247, 208), QColor(217, 249, 157)},
        {QColor(125, 211, 252), QColor(165, 243, 252), QColor(186, 230, 253)},
        {QColor(203, 213, 225), QColor(226, 232, 240), QColor(148, 163, 184)},
    }};
    static const std::array<std::span<const QColor>, 8> families = [] {
        std::array<std::span<const QColor>, 8> f;
        for (size_t i = 0; i < f.size(); ++i)
            f[i] = shades[i];
        return f;
    }();
    return families;
}

std::span<const QColor> mindMapPalette() {
    static const std::array<QColor, 8> colors = {hex(0x60a5fa), hex(0x2dd4bf), hex(0xa78bfa), hex(0xfbbf24),
                                                 hex(0xfb7185), hex(0x4ade80), hex(0x38bdf8), hex(0x94a3b8)};
    return colors;
}

std::span<const QColor> cardPalette() {
    static const std::array<QColor, 12> colors = {hex(0xdbeafe), hex(0xccfbf1), hex(0xede9fe), hex(0xfef3c7),
                                                  hex(0xffe4e6), hex(0xdcfce7), hex(0xe0f2fe), hex(0xf1f5f9),
                                                  hex(0xfae8ff), hex(0xe0e7ff), hex(0xffedd5), hex(0xecfccb)};
    return colors;
}

std::span<const QColor> agePalette() {
    static const std::array<QColor, 6> colors = {QColor(52, 211, 153),  QColor(96, 165, 250),
                                                 QColor(129, 140, 248), QColor(167, 139, 250),
                                                 QColor(244, 114, 182), QColor(248, 113, 113)};
    return colors;
}

QColor categoryColor(FileCategory category) {
    const Rgb c = file_category::color(category);
    return QColor(c.r, c.g, c.b);
}

double nowStamp() {
    using namespace std::chrono;
    return duration<double>(system_clock::now().time_since_epoch()).count();
}

int ageBucket(std::optional<double> date, double now) {
    if (!date) return 5;
    const double days = (now - *date) / 86400.0;
    // Strict tests: NaN fails every one of them and lands in the oldest bucket.
    if (days < 7) return 0;
    if (days < 30) return 1;
    if (days < 91) return 2;
    if (days < 365) return 3;
    if (days < 730) return 4;
    return 5;
}

int ageBucketOfStamp(double modifiedStamp, double now) {
    return ageBucket(modifiedStamp == 0 ? std::nullopt : std::optional<double>(modifiedStamp), now);
}

QColor folderColor(int top, int index, int depth) {
    const auto families = folderFamilies();
    const auto family = families[size_t(((top % 8) + 8) % 8)];
    if (depth < 2) return family[0];
    const int shade = (index + depth) % int(family.size());
    return family[size_t(shade < 0 ? shade + int(family.size()) : shade)];
}

namespace {
constexpr double kTypeCardAlpha = 0.38, kAgeCardAlpha = 0.25;
}

QColor cardColor(const FileNode& node, ColorMode mode, int index, double now) {
    switch (mode) {
    case ColorMode::type:
        return withAlpha(categoryColor(node.dominantCategory()), kTypeCardAlpha);
    case ColorMode::folder:
        return cardPalette()[size_t(std::abs(index) % 12)];
    case ColorMode::age:
        return withAlpha(agePalette()[size_t(ageBucketOfStamp(node.modifiedStamp, now))], kAgeCardAlpha);
    }
    return {};
}

std::vector<QColor> cardTints(ColorMode mode) {
    std::vector<QColor> tints;
    switch (mode) {
    case ColorMode::type:
        for (int c = 0; c < kFileCategoryCount; ++c)
            tints.push_back(withAlpha(categoryColor(FileCategory(c)), kTypeCardAlpha));
        break;
    case ColorMode::folder:
        tints.assign(cardPalette().begin(), cardPalette().end());
        break;
    case ColorMode::age:
        for (const QColor& color : agePalette())
            tints.push_back(withAlpha(color, kAgeCardAlpha));
        break;
    }
    return tints;
}

QColor mindMapColor(const FileNode& node, ColorMode mode, int index, double now) {
    switch (mode) {
    case ColorMode::type:
        return categoryColor(node.dominantCategory());
    case ColorMode::folder:
        return mindMapPalette()[size_t(std::abs(index) % 8)];
    case ColorMode::age:
        return withAlpha(agePalette()[size_t(ageBucketOfStamp(node.modifiedStamp, now))], 0.8);
    }
    return {};
}

QColor nodeColor(const FileNode& node, ColorMode mode, bool firstLevel, int top, int index, int depth,
                 double now) {
    switch (mode) {
    case ColorMode::type: {
        // A file's own category; a folder's dominant one (other when it has no bytes by type).
        const FileCategory category = node.isDirectory() ? node.dominantCategory() : node.category;
        const double alpha = firstLevel || index % 2 == 0 ? 1.0 : 0.8;
        return withAlpha(categoryColor(category), alpha);
    }
    case ColorMode::folder:
        return folderColor(top, index, depth);
    case ColorMode::age:
        return withAlpha(agePalette()[size_t(ageBucketOfStamp(node.modifiedStamp, now))], 0.55);
    }
    return {};
}

QString categorySymbol(FileCategory category) {
    switch (category) {
    case FileCategory::video:
        return QStringLiteral("play.rectangle.fill");
    case FileCategory::audio:
        return QStringLiteral("waveform");
    case FileCategory::image:
        return QStringLiteral("photo.fill");
    case FileCategory::document:
        return QStringLiteral("doc.text.fill");
    case FileCategory::developer:
        return QStringLiteral("chevron.left.forwardslash.chevron.right");
    case FileCategory::archive:
        return QStringLiteral("shippingbox.fill");
    case FileCategory::application:
        return QStringLiteral("app.fill");
    case FileCategory::system:
        return QStringLiteral("gearshape.fill");
    case FileCategory::other:
        return QStringLiteral("doc.fill");
    }
    return QStringLiteral("doc.fill");
}

QString nodeSymbol(const FileNode& node) {
    return node.isDirectory() ? QStringLiteral("folder.fill") : categorySymbol(node.category);
}

namespace {

// The first user-perceived character of a text.
QString firstCharacter(const QString& text) {
    if (text.isEmpty()) return {};
    QTextBoundaryFinder finder(QTextBoundaryFinder::Grapheme, text);
    const qsizetype end = finder.toNextBoundary();
    return text.left(end > 0 ? end : 1);
}

} // namespace

QString initials(const QString& name) {
    static const QString separators = QStringLiteral(" _-.");
    QStringList pieces;
    QString piece;
    for (const QChar c : name) {
        if (separators.contains(c)) {
            if (!piece.isEmpty()) pieces.append(piece);
            piece.clear();
            if (pieces.size() == 3) break;
        } else {
            piece.append(c);
        }
    }
    if (!piece.isEmpty() && pieces.size() < 3) pieces.append(piece);
    if (pieces.size() >= 2) {
        QString result;
        for (const QString& p : pieces)
            result += firstCharacter(p).toUpper();
        return result;
    }
    return firstCharacter(name).toUpper();
}

} // namespace palette
