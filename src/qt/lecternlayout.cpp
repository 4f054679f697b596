#include "qt/lecternlayout.h"

#include <algorithm>
#include <cmath>

#include <QFontDatabase>

#include "qt/timedisplay.h"

namespace zelvano {

namespace {

    constexpr double marginFraction = 0.05;
    // The caption line's share of the face's height.
    constexpr int captionLinesPerHeight = 8;
    const QString narrowestFigureSample = QStringLiteral("00:00");
    const QString marksGap = QStringLiteral("  ");

    // In whole pixels, as the face lays text out.
    int textWidth(const QRawFont& font, const QString& text)
    {
        qreal width = 0;
        const QList<QPointF> advances
            = font.advancesForGlyphIndexes(font.glyphIndexesForString(text));
        for (const QPointF& advance : advances)
            width += advance.x();
        return static_cast<int>(std::ceil(width));
    }

    QString zeroed(QString text)
    {
        for (QChar& character : text) {
            if (character.isDigit())
                character = u'0';
        }
        return text;
    }

    // text in font, centred in area as if it were width wide, its cell centred in the height.
    SpeakerFace::Line centred(const QString& text, const QRawFont& font, const QColor& colour,
        const QRect& area, int width)
    {
        return { text, font, colour,
            QPoint(area.left() + (area.width() - width) / 2,
                area.top() + (area.height() - SpeakerFace::cellHeight(font)) / 2
                    + SpeakerFace::ascent(font)) };
    }

} // namespace

LecternLayout::LecternLayout()
    : m_figure(QRawFont::fromFont(TimeDisplay::typeface()))
    // The display's face has no kana; this one has them, and the marks, and the digits.
    , m_caption(QRawFont::fromFont(QFont(QStringLiteral("Noto Sans CJK JP")), QFontDatabase::Japanese))
{
}

std::vector<SpeakerFace::Line> LecternLayout::lines(const QSize& size, const LecternContent& content)
{
    const int marginX = static_cast<int>(size.width() * marginFraction);
    const int marginY = static_cast<int>(size.height() * marginFraction);
    const QRect inner = QRect(QPoint(), size).adjusted(marginX, marginY, -marginX, -marginY);
    const int lineHeight = size.height() / captionLinesPerHeight;
    const QRect figureArea = inner.adjusted(0, 0, 0, -lineHeight);
    if (figureArea.isEmpty())
        return {};
    const QRect captionArea(inner.left(), figureArea.bottom() + 1, inner.width(), lineHeight);

    std::vector<SpeakerFace::Line> lines;
    const QString figureSample = zeroed(content.figure);
    const QString sizingSample = m_figure.width(figureSample) > m_figure.width(narrowestFigureSample)
        ? figureSample
        : narrowestFigureSample;
    const QRawFont& figureFont = m_figure.font(sizingSample, figureArea.size());
    lines.push_back(centred(content.figure, figureFont, content.figureColour, figureArea,
        textWidth(figureFont, figureSample)));

    const QString gap = content.marks.isEmpty() || content.caption.isEmpty() ? QString() : marksGap;
    const QString captionSample = zeroed(content.marks + gap + content.caption);
    if (captionSample.isEmpty())
        return lines;
    const QRawFont& captionFont = m_caption.font(captionSample, captionArea.size());
    const SpeakerFace::Line marks = centred(content.marks, captionFont, content.figureColour,
        captionArea, textWidth(captionFont, captionSample));
    SpeakerFace::Line caption = marks;
    caption.text = content.caption;
    caption.colour = content.captionColour;
    caption.origin.rx() += textWidth(captionFont, content.marks + gap);
    lines.push_back(marks);
    lines.push_back(caption);
    return lines;
}

LecternLayout::Fitting::Fitting(const QRawFont& face)
    : m_face(face)
{
}

int LecternLayout::Fitting::width(const QString& text) const { return textWidth(m_face, text); }

// Sizes scale the text almost in proportion, so one measurement gives a guess within a size or
// two; each size tried costs a font engine.
const QRawFont& LecternLayout::Fitting::font(const QString& sample, const QSize& area)
{
    if (sample == m_sample && area == m_area && m_fitted.isValid())
        return m_fitted;
    QRawFont font = m_face;
    const auto fits = [&font, &sample, &area](int pixelSize) {
        font.setPixelSize(pixelSize);
        return textWidth(font, sample) <= area.width()
            && SpeakerFace::cellHeight(font) <= area.height();
    };
    constexpr int probe = 100;
    font.setPixelSize(probe);
    const qreal scale = std::min(qreal(area.width()) / std::max(1, textWidth(font, sample)),
        qreal(area.height()) / SpeakerFace::cellHeight(font));
    int pixelSize = std::max(1, static_cast<int>(probe * scale));
    while (pixelSize > 1 && !fits(pixelSize))
        --pixelSize;
    while (fits(pixelSize + 1))
        ++pixelSize;
    font.setPixelSize(pixelSize);
    m_sample = sample;
    m_area = area;
    m_fitted = font;
    return m_fitted;
}

} // namespace zelvano
