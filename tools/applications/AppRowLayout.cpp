#include "tools/applications/AppRowLayout.h"

#include "model/AppUninstaller.h"
#include "shell/style/Fonts.h"
#include "shell/style/Formatters.h"

#include <QFontMetricsF>

#include <algorithm>

namespace {

constexpr double kSidePadding = 14;
constexpr double kSpacing = 12;
constexpr double kChevronWidth = 12;
constexpr double kIconSide = 36;
constexpr double kMinimumGap = 12; // the flexible space between the name and the sizes
constexpr double kLineSpacing = 2;
constexpr double kSecondLineSpacing = 6;
constexpr double kButtonHeight = 22;
constexpr double kButtonPadding = 10;
constexpr double kDetailIndent = 74;
constexpr double kDetailSpacing = 10;
constexpr double kDetailSymbolWidth = 16;
constexpr double kRevealSide = 20;
constexpr double kChipPaddingX = 6, kChipPaddingY = 2;

double widthOf(const QString& s, const QFont& font) {
    return s.isEmpty() ? 0 : QFontMetricsF(font).horizontalAdvance(s);
}

double lineHeight(const QFont& font) {
    return QFontMetricsF(font).height();
}

} // namespace

QFont AppRowLayout::nameFont() {
    return fonts::ui(13, QFont::DemiBold);
}
QFont AppRowLayout::secondaryFont() {
    return fonts::ui(11);
}
QFont AppRowLayout::chipFont() {
    return fonts::ui(10, QFont::DemiBold);
}
QFont AppRowLayout::totalFont() {
    return fonts::ui(13, QFont::DemiBold);
}
QFont AppRowLayout::buttonFont() {
    return fonts::ui(11.5, QFont::Medium);
}
QFont AppRowLayout::detailFont() {
    return fonts::ui(12);
}

double AppRowLayout::cardHeight(const AppUninstaller::InstalledApp& app, double openness) {
    const double open = 1 + 2 * kDetailPadding + kDetailHeight * double(1 + app.leftovers.size());
    return kHeaderHeight + std::clamp(openness, 0.0, 1.0) * open;
}

AppRowLayout AppRowLayout::make(const AppUninstaller::InstalledApp& app, const QRectF& card, double openness,
                                bool uninstalling) {
    AppRowLayout l;
    l.card = card;
    l.openness = std::clamp(openness, 0.0, 1.0);
    l.header = QRectF(card.left(), card.top(), card.width(), kHeaderHeight);
    l.toggles = !app.leftovers.empty();
    l.uninstalling = uninstalling;
    const double middle = l.header.center().y();

    // Texts.
    l.name = fromBytes(app.displayName);
    l.identifier = fromBytes(app.bundleIdentifier);
    if (app.version) l.version = QStringLiteral("v") + fromBytes(*app.version);
    if (app.lastUsedDate)
        if (auto date = dateFromStamp(*app.lastUsedDate))
            l.lastUsed = QStringLiteral("\u00b7 Last used ") + relativeDateString(date);
    l.total = formatBytes(app.totalSize());
    if (!app.leftovers.empty())
        l.leftovers = QStringLiteral("+") + formatBytes(app.totalSize() - app.bundleSize) +
                      QStringLiteral(" leftovers");

    // Left to right: chevron, icon, then the name block up to the sizes.
    double x = card.left() + kSidePadding;
    l.chevron = QRectF(x, l.header.top(), kChevronWidth, kHeaderHeight);
    x += kChevronWidth + kSpacing;
    l.icon = QRectF(x, middle - kIconSide / 2, kIconSide, kIconSide);
    x += kIconSide + kSpacing;

    // Right to left: the action, then the sizes.
    double right = card.right() - kSidePadding;
    const double actionWidth =
        uninstalling ? kSpinner : widthOf(kUninstall, buttonFont()) + 2 * kButtonPadding;
    const double actionHeight = uninstalling ? kSpinner : kButtonHeight;
    l.action = QRectF(right - actionWidth, middle - actionHeight / 2, actionWidth, actionHeight);
    right = l.action.left() - kSpacing;
    const double sizeWidth =
        std::max(widthOf(l.total, totalFont()), widthOf(l.leftovers, secondaryFont())) + 1;
    const double totalHeight = lineHeight(totalFont());
    const double leftoversHeight = l.leftovers.isEmpty() ? 0 : lineHeight(secondaryFont());
    double y = middle - (totalHeight + (leftoversHeight > 0 ? kLineSpacing + leftoversHeight : 0)) / 2;
    l.totalRect = QRectF(right - sizeWidth, y, sizeWidth, totalHeight);
    if (leftoversHeight > 0)
        l.leftoversRect =
            QRectF(right - sizeWidth, y + totalHeight + kLineSpacing, sizeWidth, leftoversHeight);

    const double nameRight = std::max(x, right - sizeWidth - kSpacing - kMinimumGap - kSpacing);
    const double nameHeight = lineHeight(nameFont()), secondHeight = lineHeight(secondaryFont());
    y = middle - (nameHeight + kLineSpacing + secondHeight) / 2;
    l.nameRect = QRectF(x, y, nameRight - x, nameHeight);
    y += nameHeight + kLineSpacing;

    // The second line: the identifier gives way first, down to a short stub, then the last use.
    const double room = nameRight - x;
    const double chipWidth = l.version.isEmpty() ? 0 : widthOf(l.version, chipFont()) + 2 * kChipPaddingX;
    const double lastUsedWidth = widthOf(l.lastUsed, secondaryFont());
    const double gaps =
        (chipWidth > 0 ? kSecondLineSpacing : 0) + (lastUsedWidth > 0 ? kSecondLineSpacing : 0);
    const double identifierNatural = widthOf(l.identifier, secondaryFont());
    const double identifierWidth =
        std::min(identifierNatural,
                 std::max(std::min(identifierNatural, 40.0), room - chipWidth - lastUsedWidth - gaps));
    l.identifierRect = QRectF(x, y, std::max(0.0, identifierWidth), secondHeight);
    double sx = x + identifierWidth;
    if (chipWidth > 0) {
        sx += kSecondLineSpacing;
        const double chipHeight = lineHeight(chipFont()) + 2 * kChipPaddingY;
        l.versionChip = QRectF(sx, y + secondHeight / 2 - chipHeight / 2, chipWidth, chipHeight);
        sx += chipWidth;
    }
    if (lastUsedWidth > 0) {
        sx += kSecondLineSpacing;
        l.lastUsedRect = QRectF(sx, y, std::max(0.0, std::min(lastUsedWidth, nameRight - sx)), secondHeight);
    }

    if (l.openness <= 0) return l;

    // The detail lines, laid out at their full place; a row still opening shows what its card holds.
    l.divider = QRectF(card.left(), l.header.bottom(), card.width(), 1);
    y = l.divider.bottom() + kDetailPadding;
    auto addDetail = [&](const QString& symbol, const QString& title, int64_t size,
                         std::vector<std::string> paths) {
        Detail d;
        d.symbol = symbol;
        d.title = title;
        d.size = formatBytes(size);
        d.paths = std::move(paths);
        d.line = QRectF(card.left() + kDetailIndent, y, card.width() - kDetailIndent - kSidePadding,
                        kDetailHeight);
        const double middleY = d.line.center().y();
        d.symbolRect = QRectF(d.line.left(), d.line.top(), kDetailSymbolWidth, kDetailHeight);
        d.reveal = QRectF(d.line.right() - kRevealSide, middleY - kRevealSide / 2, kRevealSide, kRevealSide);
        const double sizeWidth = widthOf(d.size, detailFont()) + 1;
        d.sizeRect =
            QRectF(d.reveal.left() - kDetailSpacing - sizeWidth, d.line.top(), sizeWidth, kDetailHeight);
        const double titleLeft = d.symbolRect.right() + kDetailSpacing;
        d.titleRect = QRectF(titleLeft, d.line.top(),
                             std::max(0.0, d.sizeRect.left() - kDetailSpacing - titleLeft), kDetailHeight);
        l.details.push_back(std::move(d));
        y += kDetailHeight;
    };
    addDetail(QStringLiteral("app.fill"), QStringLiteral("App bundle"), app.bundleSize, {app.bundleURL});
    for (const auto& group : app.leftovers)
        addDetail(QStringLiteral("tray.2.fill"), QString::fromStdString(group.category), group.totalSize,
                  group.urls);
    return l;
}
