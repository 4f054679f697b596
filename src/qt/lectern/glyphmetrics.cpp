#include "qt/lectern/glyphmetrics.h"

namespace zelvano {

void GlyphMetrics::setFont(const QRawFont& font)
{
    if (font == m_font)
        return;
    m_font = font;
    m_glyphs.clear();
}

const GlyphMetrics::Glyph& GlyphMetrics::glyph(QChar character)
{
    const auto [known, added] = m_glyphs.try_emplace(character.unicode());
    if (added) {
        const QList<quint32> indexes = m_font.glyphIndexesForString(QString(character));
        if (!indexes.isEmpty()) {
            const quint32 index = indexes.constFirst();
            known->second = { index, m_font.advancesForGlyphIndexes({ index }).constFirst().x(),
                m_font.boundingRect(index) };
        }
    }
    return known->second;
}

qreal GlyphMetrics::width(const QString& text)
{
    qreal width = 0;
    for (const QChar character : text)
        width += glyph(character).advance;
    return width;
}

} // namespace zelvano
