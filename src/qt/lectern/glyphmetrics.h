#pragma once

#include <unordered_map>

#include <QRawFont>
#include <QRectF>
#include <QString>

namespace zelvano {

// The glyphs of a font for characters, their advances and their bounding boxes, each looked up
// once: Qt asks FreeType to load a glyph again for each of these questions, which at the speaker's
// view's sizes costs more than all else its second does. Characters outside the Basic
// Multilingual Plane are not looked up.
class GlyphMetrics
{
public:
    struct Glyph
    {
        quint32 index = 0;
        qreal advance = 0;
        QRectF bounds; // around the origin on the baseline
    };

    // Forgets what it knew when the font is another one.
    void setFont(const QRawFont& font);
    const QRawFont& font() const { return m_font; }

    const Glyph& glyph(QChar character);
    qreal width(const QString& text);

private:
    QRawFont m_font;
    std::unordered_map<char16_t, Glyph> m_glyphs;
};

} // namespace zelvano
