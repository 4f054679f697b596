#include "qt/timedisplay.h"

#include <algorithm>
#include <cmath>

#include <QAccessible>
#include <QFontMetrics>
#include <QPaintEvent>
#include <QPainter>
#include <QStyle>
#include <QStyleOptionFrame>

#include "qt/accessibletimedisplay.h"

namespace zelvano {

// The inside of the frame, filled with the base colour and the text. It lies a pixel inside the
// style's contents rectangle, so that at a fractional scale factor its pixels never reach the
// frame's shading. Opaque, so Qt paints nothing behind it, as long as the base colour is.
class TimeDisplay::Face final : public QWidget
{
public:
    explicit Face(QWidget* parent)
        : QWidget(parent)
    {
        followBaseColour();
    }

    const QString& text() const { return m_text; }

    // The contents rectangle of the frame, in this widget's coordinates: the text is placed in it.
    void setTextArea(const QRect& area)
    {
        m_textArea = area;
        update();
    }

    void setText(const QString& text)
    {
        const QRect changed = changedArea(m_text, text);
        m_text = text;
        if (!changed.isEmpty())
            repaint(changed);
    }

    QRect characterRect(qsizetype index) const
    {
        if (index < 0 || index >= m_text.size())
            return {};
        const QFontMetricsF metrics(font());
        const QPointF origin = textOrigin(m_text);
        return QRectF(origin.x() + metrics.horizontalAdvance(m_text.left(index)),
            origin.y() - metrics.ascent(), metrics.horizontalAdvance(m_text.at(index)),
            metrics.height())
            .toAlignedRect();
    }

protected:
    void paintEvent(QPaintEvent* event) override
    {
        QPainter painter(this);
        painter.fillRect(event->rect(), palette().base());
        painter.setPen(palette().color(QPalette::Text));
        painter.drawText(textOrigin(m_text), m_text);
    }

    void changeEvent(QEvent* event) override
    {
        if (event->type() == QEvent::PaletteChange)
            followBaseColour();
        QWidget::changeEvent(event);
    }

private:
    void followBaseColour() { setAttribute(Qt::WA_OpaquePaintEvent, palette().base().isOpaque()); }

    // Where a centred read-only line edit puts its text: the baseline of a line as tall as the
    // font's cell centred in the contents, and the text centred between margins of 2 px, the
    // rounding included, so the field shows exactly what a line edit would.
    QPointF textOrigin(const QString& text) const
    {
        constexpr int margin = 2;
        const QFontMetrics metrics(font());
        const int lineWidth = m_textArea.width() - 2 * margin;
        const int used = metrics.horizontalAdvance(text) + 1;
        const int top = m_textArea.y() + (m_textArea.height() - metrics.height() + 1) / 2;
        return { static_cast<qreal>(m_textArea.x() + margin - (used - lineWidth) / 2),
            top + QFontMetricsF(font()).ascent() };
    }

    // From the first glyph that differs to the end of the text, before and after, with room for
    // glyphs whose ink reaches past their advance; nothing when the text stays the same.
    QRect changedArea(const QString& before, const QString& after) const
    {
        const qsizetype common
            = std::mismatch(before.begin(), before.end(), after.begin(), after.end()).first
            - before.begin();
        if (common == before.size() && common == after.size())
            return {};
        const QFontMetricsF metrics(font());
        const auto span = [&](const QString& text) {
            const QPointF origin = textOrigin(text);
            return QRectF(QPointF(origin.x() + metrics.horizontalAdvance(text.left(common)),
                              origin.y() - metrics.ascent()),
                QPointF(
                    origin.x() + metrics.horizontalAdvance(text), origin.y() + metrics.descent()))
                .toAlignedRect();
        };
        const int overhang = 1
            + static_cast<int>(std::ceil(
                std::max({ 0.0, -metrics.minLeftBearing(), -metrics.minRightBearing() })));
        return (span(before) | span(after)).adjusted(-overhang, 0, overhang, 0) & rect();
    }

    QString m_text;
    QRect m_textArea;
};

TimeDisplay::TimeDisplay(QWidget* parent)
    : QWidget(parent)
    , m_face(new Face(this))
{
    installAccessibleTimeDisplay();
    setFocusPolicy(Qt::NoFocus);
    placeFace();
}

QString TimeDisplay::text() const { return m_face->text(); }

void TimeDisplay::setText(const QString& text)
{
    if (text == m_face->text())
        return;
    const QString before = m_face->text();
    m_face->setText(text);
    if (QAccessible::isActive()) {
        QAccessibleTextUpdateEvent event(this, 0, before, text);
        QAccessible::updateAccessibility(&event);
    }
}

QRect TimeDisplay::characterRectOnScreen(qsizetype index) const
{
    const QRect local = m_face->characterRect(index);
    return local.isEmpty() ? QRect() : local.translated(m_face->mapToGlobal(QPoint(0, 0)));
}

// The frame and the base colour, as the style paints a read-only line edit.
void TimeDisplay::paintEvent(QPaintEvent*)
{
    const QStyleOptionFrame option = frameOption();
    QPainter painter(this);
    style()->drawPrimitive(QStyle::PE_PanelLineEdit, &option, &painter, this);
}

void TimeDisplay::resizeEvent(QResizeEvent* event)
{
    placeFace();
    QWidget::resizeEvent(event);
}

void TimeDisplay::changeEvent(QEvent* event)
{
    if (event->type() == QEvent::StyleChange)
        placeFace();
    QWidget::changeEvent(event);
}

// What a read-only line edit with a frame tells the style about itself.
QStyleOptionFrame TimeDisplay::frameOption() const
{
    QStyleOptionFrame option;
    option.initFrom(this);
    option.lineWidth = style()->pixelMetric(QStyle::PM_DefaultFrameWidth, &option, this);
    option.midLineWidth = 0;
    option.state |= QStyle::State_Sunken | QStyle::State_ReadOnly;
    option.features = QStyleOptionFrame::None;
    return option;
}

void TimeDisplay::placeFace()
{
    const QStyleOptionFrame option = frameOption();
    const QRect contents = style()->subElementRect(QStyle::SE_LineEditContents, &option, this);
    const QRect face = contents.adjusted(1, 1, -1, -1);
    m_face->setGeometry(face);
    m_face->setTextArea(contents.translated(-face.topLeft()));
}

} // namespace zelvano
