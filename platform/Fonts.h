// Fonts chosen by family name for text they may not be able to draw.
// Needs QtGui only, so the saved-report reader builds without widgets.
#pragma once

#include <QFont>
#include <QString>

// The font that draws every character of `text`: `font` itself when it does
// (with Qt's own fallback fonts), else `font` in a family at hand whose font
// has them all, else `font`. A symbol-encoded font, as fonts-urw-base35's
// "Standard Symbols PS" that stands in for "Symbol", maps no Unicode letters,
// and Qt neither draws them from it nor falls back: nothing shows, nothing is
// measured.
QFont FontForText(const QFont &font, const QString &text);
