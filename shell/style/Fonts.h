#pragma once

#include <QFont>
#include <QString>

// Inter for text and Material Icons for symbols, both embedded in the application's resources.
// Sizes are in design points: one point is one device-independent pixel. Text shows exactly its
// characters: Inter is embedded without its contextual substitutions (see FontFeatures.h).
namespace fonts {

// Registers the embedded fonts with Qt (once) and makes Inter the application font. Returns false
// when a font could not be loaded.
bool loadEmbedded();

// Inter at a size in points, with the weight the design names (QFont::Normal, Medium, DemiBold for
// semibold, Bold).
QFont ui(double size, QFont::Weight weight = QFont::Normal);

// The symbol font at the size of the text it stands beside: symbols are drawn a little larger than
// the text size so their ink matches a line of text of that size.
QFont symbol(double textSize);

// The system's monospaced font at a size in points (paths), unshaped when it has contextual
// substitutions.
QFont mono(double size);

// Point size to Qt's point size: Qt's points are 1/72 inch at 96 logical dots per inch.
double qtPointSize(double designPoints);

} // namespace fonts
