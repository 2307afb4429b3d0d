#include "shell/style/Fonts.h"

#include <QFile>
#include <QFontMetricsF>

#include <gtest/gtest.h>

// The faces built into the application serve its text and symbols, also where the desktop has fonts of
// the same families installed as files (the development machines do: the build embeds them from there),
// so Brenwick looks the same on every desktop. A face read from a file stays mapped into the process.
TEST(Fonts, TheEmbeddedFacesServeTextAndSymbols) {
    for (const QFont& font :
         {fonts::ui(13), fonts::ui(13, QFont::DemiBold), fonts::ui(11, QFont::Bold), fonts::symbol(13)})
        EXPECT_GT(QFontMetricsF(font).horizontalAdvance(QStringLiteral("Ag\ue88a")), 0);
    QFile maps(QStringLiteral("/proc/self/maps"));
    ASSERT_TRUE(maps.open(QIODevice::ReadOnly));
    const QString mapped = QString::fromUtf8(maps.readAll());
    EXPECT_FALSE(mapped.contains(QStringLiteral("/Inter-")));
    EXPECT_FALSE(mapped.contains(QStringLiteral("/MaterialIcons-")));
}
