#include "platform/Fonts.h"

#include <QFontDatabase>
#include <QFontMetricsF>
#include <QHash>
#include <QRawFont>
#include <QStringList>
#include <algorithm>
#include <bitset>

namespace {

constexpr qsizetype MaxSearches = 64;
constexpr qsizetype MaxKnownFonts = 256;

// What needs a glyph: blanks and control characters draw nothing anyway.
bool NeedsGlyph(char32_t c) {
    return QChar::isPrint(c) && !QChar::isSpace(c);
}

// The printable ASCII characters a font draws. Asking the font for every
// character of every text was a sixth of a report's Create, so it is asked
// once per family and style (glyphs do not depend on the size), for a
// bounded number of them: a saved report may name any family.
using TAsciiSet = std::bitset<128>;

TAsciiSet AsciiDrawn(const QFontMetricsF &metrics) {
    TAsciiSet drawn;
    for (char32_t c = 0x21; c < 0x7f; ++c)
        drawn[c] = metrics.inFontUcs4(c);
    return drawn;
}

TAsciiSet AsciiDrawnBy(const QFont &font) {
    static QHash<QString, TAsciiSet> known;
    const QString key = font.family() + QLatin1Char('\n') + QString::number(font.weight()) +
                        (font.italic() ? QLatin1Char('i') : QLatin1Char('r'));
    if (const auto at = known.constFind(key); at != known.constEnd())
        return *at;
    const TAsciiSet drawn = AsciiDrawn(QFontMetricsF(font));
    if (known.size() < MaxKnownFonts)
        known.insert(key, drawn);
    return drawn;
}

bool DrawsAll(const QFont &font, const QString &text) {
    const bool ascii =
        std::all_of(text.begin(), text.end(), [](QChar ch) { return ch.unicode() < 0x80; });
    if (ascii) {
        const TAsciiSet drawn = AsciiDrawnBy(font);
        return std::all_of(text.begin(), text.end(), [&](QChar ch) {
            return !NeedsGlyph(ch.unicode()) || drawn[ch.unicode()];
        });
    }
    const QFontMetricsF metrics(font);
    for (const char32_t c : text.toUcs4()) {
        if (NeedsGlyph(c) && !metrics.inFontUcs4(c))
            return false;
    }
    return true;
}

// Whether the family's own font (no fallback) has every character.
bool HasAll(const QFont &font, const QString &text) {
    const QRawFont raw = QRawFont::fromFont(font);
    if (!raw.isValid())
        return false;
    for (const char32_t c : text.toUcs4()) {
        if (NeedsGlyph(c) && !raw.supportsCharacter(c))
            return false;
    }
    return true;
}

QString FamilyWithAll(const QFont &font, const QString &text) {
    // The fonts set-up installs first; DejaVu Sans is what "Symbol" is where
    // the URW fonts are not installed, so both draw the same sign.
    QStringList families{QStringLiteral("DejaVu Sans"), QStringLiteral("Liberation Sans")};
    families += QFontDatabase::families();
    for (const QString &family : std::as_const(families)) {
        QFont candidate(font);
        candidate.setFamilies({family});
        if (HasAll(candidate, text))
            return family;
    }
    return QString();
}

} // namespace

QFont FontForText(const QFont &font, const QString &text) {
    if (DrawsAll(font, text))
        return font;
    // The search goes through every family at hand: once per font and text.
    static QHash<QString, QString> found;
    QFont style(font);
    style.setPixelSize(12);
    const QString key = style.key() + QLatin1Char('\n') + text;
    auto at = found.constFind(key);
    if (at == found.constEnd()) {
        // A saved report from elsewhere may hold any text: a bounded number
        // of searches, then the font stays as named.
        if (found.size() >= MaxSearches)
            return font;
        at = found.insert(key, FamilyWithAll(font, text));
    }
    if (at->isEmpty())
        return font;
    QFont drawing(font);
    drawing.setFamilies({*at});
    return drawing;
}

double IndexGap(const QFontMetricsF &index) {
    return std::max(1.0, index.height() / 8);
}

TSignIndices SignIndices(QPointF signAt, const QFontMetricsF &sign, const QString &signText,
                         const QFontMetricsF &index, const QString &over, const QString &under) {
    const QRectF ink = sign.tightBoundingRect(signText);
    const double base = signAt.y() + sign.ascent();
    const double centre = signAt.x() + ink.center().x();
    const double apart = IndexGap(index);
    const QRectF n = index.tightBoundingRect(over);
    const QRectF i = index.tightBoundingRect(under);
    return {
        QPointF(centre - n.center().x(), base + ink.top() - apart - n.bottom() - index.ascent()),
        QPointF(centre - i.center().x(), base + ink.bottom() + apart - i.top() - index.ascent())};
}
