#include "shell/style/Fonts.h"

#include "shell/style/FontFeatures.h"

#include <QApplication>
#include <QFile>
#include <QFontDatabase>
#include <QRawFont>

namespace fonts {

namespace {
const QString kUiFamily = QStringLiteral("Inter");
const QString kSymbolFamily = QStringLiteral("Material Icons");
// Material glyphs use about 5/6 of their em square; SF-style symbols sit on the text's cap height.
constexpr double kSymbolScale = 1.4;
} // namespace

bool loadEmbedded() {
    static const bool loaded = [] {
        // Of two fonts of one family and style, the one registered last serves. The desktop's fonts
        // would be read in on first use, after these; read in now, they leave the embedded ones, added
        // next, to serve. Else an installed Inter or Material Icons would take over (here the icons come
        // as a compressed web font, which takes milliseconds to unpack at every start).
        (void)QFontDatabase::families();
        bool ok = true;
        // Text is drawn without Inter's contextual substitutions: names and paths show up inside
        // any text (rows, titles, messages), and Brenwick's own texts have nothing they would change.
        for (const char* file :
             {"Inter-Regular.otf", "Inter-Medium.otf", "Inter-SemiBold.otf", "Inter-Bold.otf"}) {
            QFile face(QStringLiteral(":/fonts/") + QLatin1String(file));
            const QByteArray data = face.open(QIODevice::ReadOnly) ? face.readAll() : QByteArray();
            if (QFontDatabase::addApplicationFontFromData(
                    font_features::withoutContextualSubstitutions(data)) < 0)
                ok = false;
        }
        if (QFontDatabase::addApplicationFont(QStringLiteral(":/fonts/MaterialIcons-Regular.ttf")) < 0)
            ok = false;
        return ok;
    }();
    if (qApp) QApplication::setFont(ui(13));
    return loaded;
}

double qtPointSize(double designPoints) {
    return designPoints * 72.0 / 96.0;
}

QFont ui(double size, QFont::Weight weight) {
    QFont font(kUiFamily);
    font.setPointSizeF(qtPointSize(size));
    font.setWeight(weight);
    font.setStyleStrategy(QFont::PreferAntialias);
    font.setHintingPreference(QFont::PreferNoHinting);
    return font;
}

QFont mono(double size) {
    QFont font = QFontDatabase::systemFont(QFontDatabase::FixedFont);
    font.setPointSizeF(qtPointSize(size));
    // The desktop's monospaced font cannot be changed like the embedded ones. One with contextual
    // ligatures (a programming font) is drawn unshaped instead: a monospaced font has no kerning to
    // lose, and a path must show its own characters.
    static const bool contextual =
        font_features::hasContextualSubstitutions(QRawFont::fromFont(font).fontTable("GSUB"));
    font.setStyleStrategy(contextual ? QFont::StyleStrategy(QFont::PreferAntialias | QFont::PreferNoShaping)
                                     : QFont::PreferAntialias);
    return font;
}

QFont symbol(double textSize) {
    QFont font(kSymbolFamily);
    font.setPointSizeF(qtPointSize(textSize * kSymbolScale));
    font.setStyleStrategy(QFont::PreferAntialias);
    font.setHintingPreference(QFont::PreferNoHinting);
    return font;
}

} // namespace fonts
