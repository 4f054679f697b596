#pragma once

#include <vector>

#include <QRawFont>
#include <QSize>
#include <QString>

#include "qt/lectern/glyphmetrics.h"
#include "qt/lectern/speakerface.h"

namespace zelvano {

// What the speaker's view shows: the figure, the bells reached (shown only while colour is on),
// the caption, and their colours; the marks take the figure's.
struct LecternContent
{
    QString figure;
    QString marks;
    QString caption;
    QColor figureColour;
    QColor captionColour;
};

// Where the speaker's view puts its content on a face of a size, in device pixels: margins of
// 5 % of the width and of the height on each side; at the bottom of what they leave, one line an
// eighth of the face's height, the marks then two spaces then the caption, centred; the figure
// centred in the rest. Each line's font is the largest that fits its text there, the figure's
// fitted to "00:00" at least, so that it keeps its size through a talk of up to 99:59 and grows
// smaller only for a wider figure. Texts are centred by their width with every digit a 0, so a
// figure does not move as its digits change.
class LecternLayout
{
public:
    LecternLayout();

    // The lines for the face: the figure, the marks, the caption.
    std::vector<SpeakerFace::Line> lines(const QSize& size, const LecternContent& content);

private:
    // The largest whole pixel size of a face at which a text, its cell high, fits into an area.
    // The last answer is kept: the same question comes every second.
    class Fitting
    {
    public:
        explicit Fitting(const QRawFont& face);
        const QRawFont& font(const QString& sample, const QSize& area);
        // A text's width at the face's own size, to compare texts by; and in the last font fitted.
        int faceWidth(const QString& text);
        int fittedWidth(const QString& text);

    private:
        GlyphMetrics m_face;
        QString m_sample;
        QSize m_area;
        GlyphMetrics m_fitted;
    };

    Fitting m_figure;
    Fitting m_caption;
};

} // namespace zelvano
