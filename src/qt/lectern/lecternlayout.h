#pragma once

#include <vector>

#include <QRawFont>
#include <QSize>
#include <QString>

#include "qt/lectern/glyphmetrics.h"
#include "qt/lectern/speakerface.h"

namespace zelvano {

struct LecternContent;

// The lines of the speaker's view for a face of a size in device pixels, laid out as the portable
// lectern layout says: the figure in the display's face, then on the caption's line the marks with
// their gap and the caption, in a face that has kana.
class LecternLayout
{
public:
    LecternLayout();

    // The figure, the marks with the gap after them, and the caption.
    std::vector<SpeakerFace::Line> lines(const QSize& size, const LecternContent& content);

private:
    // The largest whole pixel size of a face at which every sample, its cell high, fits into an
    // area. The last answer is kept: the same question comes every second.
    class Fitting
    {
    public:
        explicit Fitting(const QRawFont& face);
        const QRawFont& font(const QStringList& samples, const QSize& area);
        // A text's width in the last font fitted.
        int fittedWidth(const QString& text);

    private:
        QRawFont m_face;
        QStringList m_samples;
        QSize m_area;
        GlyphMetrics m_fitted;
    };

    Fitting m_figure;
    Fitting m_caption;
};

} // namespace zelvano
