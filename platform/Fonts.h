// Fonts chosen by family name for text they may not be able to draw.
// Needs QtGui only, so the saved-report reader builds without widgets.
#pragma once

#include <QFont>
#include <QFontMetricsF>
#include <QPointF>
#include <QString>

// The font that draws every character of `text`: `font` itself when it does
// (with Qt's own fallback fonts), else `font` in a family at hand whose font
// has them all, else `font`. A symbol-encoded font, as fonts-urw-base35's
// "Standard Symbols PS" that stands in for "Symbol", maps no Unicode letters,
// and Qt neither draws them from it nor falls back: nothing shows, nothing is
// measured.
QFont FontForText(const QFont &font, const QString &text);

// How far an index keeps from the ink of what it belongs to.
double IndexGap(const QFontMetricsF &index);

// Where the index over a product sign ("n") and the one under it ("i") go:
// the top-left of each text, centred on the sign's ink and IndexGap apart
// from it. `signAt` is the top-left of the sign's text; texts are placed as
// labels place them, their base line one ascent below their top.
struct TSignIndices {
    QPointF Over;
    QPointF Under;
};
TSignIndices SignIndices(QPointF signAt, const QFontMetricsF &sign, const QString &signText,
                         const QFontMetricsF &index, const QString &over, const QString &under);
