#pragma once

#include <QWidget>

namespace zelvano {

class TimeDisplay;

// The speaker's view: a window of its own with the time alone, light digits on a dark face in
// the largest font that fits, for a screen at the lectern or a projector. It has no timer of its
// own: the main window hands it each new time, and it paints the glyphs that change before
// setText returns, as the main display does. Escape or a double-click closes it.
class SpeakerView final : public QWidget
{
    Q_OBJECT

public:
    // A window of mainWindow's, so that it closes with it and takes input while that window's
    // modal loop runs.
    explicit SpeakerView(QWidget* mainWindow);

    QString text() const;
    void setText(const QString& text, int bellPhase);
    // The digits in the colour of the bell phase, or always in the colour of no phase.
    void setColourByPhase(bool on);

    // Fills a screen other than the main window's where there is one (the projector); with a
    // single screen, an ordinary window beside the main window. Either way the keyboard stays
    // with the main window.
    void showBesideMainWindow();

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void closeWithoutProjector();

    TimeDisplay* m_display;
};

} // namespace zelvano
