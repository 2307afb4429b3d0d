#include "shell/style/Fonts.h"
#include "shell/style/FontFeatures.h"

#include <QFile>
#include <QFontMetricsF>
#include <QGlyphRun>
#include <QRawFont>
#include <QTextLayout>

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

namespace {

// The glyphs a line of `text` is drawn with.
QList<quint32> drawnGlyphs(const QFont& font, const QString& text) {
    QTextLayout layout(text, font);
    layout.beginLayout();
    layout.createLine();
    layout.endLayout();
    QList<quint32> glyphs;
    for (const QGlyphRun& run : layout.glyphRuns())
        glyphs += run.glyphIndexes();
    return glyphs;
}

} // namespace

// Every character of a name is drawn as its own glyph: Inter's contextual alternates would draw the
// "x" between digits as "×" (and "->" as an arrow). Kerning stays.
TEST(Fonts, NamesAreDrawnWithTheirOwnCharacters) {
    const QString name = QStringLiteral("photo-12000x8000 a->b.jpg");
    for (QFont::Weight weight : {QFont::Normal, QFont::Medium, QFont::DemiBold, QFont::Bold}) {
        const QFont font = fonts::ui(12.5, weight);
        EXPECT_EQ(drawnGlyphs(font, name), QRawFont::fromFont(font).glyphIndexesForString(name)) << weight;
        const QFontMetricsF metrics(font);
        EXPECT_LT(metrics.horizontalAdvance(QStringLiteral("AV")),
                  metrics.horizontalAdvance(QStringLiteral("A")) +
                      metrics.horizontalAdvance(QStringLiteral("V")));
    }
    // The path font, too, draws the characters themselves.
    const QFont mono = fonts::mono(11);
    EXPECT_EQ(drawnGlyphs(mono, name), QRawFont::fromFont(mono).glyphIndexesForString(name));
}

TEST(Fonts, ContextualSubstitutionsAreRenamedInTheFontData) {
    QFile file(QStringLiteral(":/fonts/Inter-Regular.otf"));
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QByteArray inter = file.readAll();
    EXPECT_TRUE(font_features::hasContextualSubstitutions(QRawFont(inter, 12).fontTable("GSUB")));
    const QByteArray changed = font_features::withoutContextualSubstitutions(inter);
    ASSERT_EQ(changed.size(), inter.size());
    EXPECT_FALSE(font_features::hasContextualSubstitutions(QRawFont(changed, 12).fontTable("GSUB")));
    EXPECT_NE(changed, inter);
    // Data cut short anywhere, or that is no font, is handed back as it is.
    for (qsizetype size : {0, 5, 12, 100, 1000, 20000}) {
        const QByteArray cut = inter.left(size);
        EXPECT_EQ(font_features::withoutContextualSubstitutions(cut), cut) << size;
    }
    EXPECT_FALSE(font_features::hasContextualSubstitutions(QByteArray(9, 'x')));
    EXPECT_FALSE(font_features::hasContextualSubstitutions(QByteArray(64, '\xff')));
}
