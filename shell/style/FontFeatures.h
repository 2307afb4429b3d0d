#pragma once

#include <QByteArray>

// Substitutions a font makes by context: contextual alternates ("calt") and ligatures ("liga", "clig")
// draw a character as another glyph depending on its neighbours. Inter's turn the "x" of "12000x8000"
// into "×" and "->" into an arrow, so a name would not show its own characters. Qt 6.4 has no switch
// for a single feature (and turning shaping off loses kerning and the placing of accents), so the
// font's data is changed instead.
namespace font_features {

// True when a GSUB table (QRawFont::fontTable("GSUB")) offers any of those substitutions.
bool hasContextualSubstitutions(const QByteArray& gsub);

// An OpenType or TrueType font file whose contextual substitutions are renamed to tags that no shaper
// applies, so every character is drawn as its own glyph; kerning, accents and everything else stay.
// Data that is not such a font, or is cut short, comes back unchanged.
QByteArray withoutContextualSubstitutions(QByteArray font);

} // namespace font_features
