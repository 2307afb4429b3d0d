#include "shell/panels/TitleLine.h"

#include "shell/style/Fonts.h"

#include <QFontMetricsF>

#include <algorithm>

QFont TitleLine::nameFont() {
    return fonts::ui(31.5, QFont::DemiBold);
}
QFont TitleLine::sizeFont() {
    return fonts::ui(15, QFont::DemiBold);
}
QFont TitleLine::countsFont() {
    return fonts::ui(14);
}

namespace {

// `text` cut at its end to fit `width` with a "…", keeping at least `keep` characters; empty when even
// those do not fit. Measured as it is drawn, so what fits here fits on the screen.
QString cutToWidth(const QFontMetricsF& metrics, const QString& text, double width, qsizetype keep) {
    const QString ellipsis(QChar(0x2026));
    auto cut = [&](qsizetype length) {
        qsizetype end = length;
        while (end > keep && (text.at(end - 1) == u' ' || text.at(end - 1) == u'·')) // no bare separator
            --end;
        return text.left(end) + ellipsis;
    };
    if (metrics.horizontalAdvance(cut(keep)) > width) return {};
    qsizetype low = keep, high = text.size() - 1; // the longest cut that fits lies in [low, high]
    while (low < high) {
        const qsizetype middle = (low + high + 1) / 2;
        if (metrics.horizontalAdvance(cut(middle)) <= width)
            low = middle;
        else
            high = middle - 1;
    }
    return cut(low);
}

} // namespace

TitleLine TitleLine::fit(const QString& name, const QString& size, const QString& counts, double width) {
    const QFontMetricsF nameM(nameFont()), sizeM(sizeFont()), countsM(countsFont());
    // The separator in front of the counts is no character of theirs.
    qsizetype lead = 0;
    while (lead < counts.size() && (counts.at(lead) == u' ' || counts.at(lead) == u'·'))
        ++lead;
    const double fullCounts = countsM.horizontalAdvance(counts);
    // At their shortest the counts keep one character.
    const double minCounts =
        lead < counts.size()
            ? std::min(fullCounts, countsM.horizontalAdvance(counts.left(lead + 1) + QChar(0x2026)))
            : fullCounts;

    double nameW = nameM.horizontalAdvance(name);
    const double sizeW = kSizeGap + sizeM.horizontalAdvance(size);
    double countsW = fullCounts;
    auto overflow = [&] { return nameW + sizeW + countsW - width; };
    if (overflow() > 0) countsW = std::max(minCounts, countsW - overflow());
    if (overflow() > 0) nameW = std::max(std::min(kMinNameWidth, nameW), nameW - overflow());
    if (overflow() > 0) countsW = std::max(0.0, countsW - overflow());

    TitleLine line;
    line.name = nameW < nameM.horizontalAdvance(name) ? nameM.elidedText(name, Qt::ElideRight, nameW) : name;
    line.size = size;
    if (countsW >= fullCounts)
        line.counts = counts;
    else if (lead < counts.size())
        line.counts = cutToWidth(countsM, counts, countsW, lead + 1); // empty: not one character fits
    line.nameWidth = nameM.horizontalAdvance(line.name);
    line.sizeWidth = sizeM.horizontalAdvance(size);
    line.countsWidth = line.counts.isEmpty() ? 0 : countsM.horizontalAdvance(line.counts);
    return line;
}
