#pragma once

#include <cstdint>

#include <QWidget>

#include "core/bellsettings.h"
#include "qt/lectern/lecternlayout.h"

class QScreen;

namespace zelvano {

class SpeakerFace;

// The speaker's view: a window of its own for a screen at the lectern or a projector, light text
// on a dark face as large as it fits: the time large, and beneath it the bells reached (while
// colour is on) and the time to the next bell, or the two times the other way round. It has no
// timer of its own: the main window hands it each second, and it draws what changes before
// showTime returns, as the main display does. Escape or a double-click closes it.
class SpeakerView final : public QWidget
{
    Q_OBJECT

public:
    // A window of mainWindow's, so that it closes with it and takes input while that window's
    // modal loop runs; the window manager does not minimise it with the main window, since it is
    // not a dialog of it. The bells are read from settings at every second.
    SpeakerView(QWidget* mainWindow, const BellSettings& settings);

    // The elapsed seconds and the bell phase they belong to.
    void showTime(std::int32_t seconds, int bellPhase);
    // The time and the marks in the colour of the bell phase, or everything in the colour of no
    // phase and no marks.
    void setColourByPhase(bool on);
    // The time to the next bell large and the elapsed time beneath, or the other way round.
    void setRemainingLarge(bool on);

    // Fills a screen that does not hold the main window where there is one (the projector);
    // otherwise an ordinary window beside the main window. Either way the keyboard stays with
    // the main window. A full-screen view then follows the screens: it fills its screen again
    // when that changes, moves to another screen when the main window comes onto its own or its
    // screen goes, and closes when no screen is left that does not hold the main window.
    void showBesideMainWindow();

    const SpeakerFace& face() const { return *m_face; }

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void showContent();
    void followScreens();
    void fill(QScreen* screen);
    void showAsWindow();

    QWidget* m_mainWindow;
    const BellSettings& m_settings;
    std::int32_t m_seconds = 0;
    int m_phase = 0;
    bool m_colourByPhase = false;
    bool m_remainingLarge = false;
    SpeakerFace* m_face;
    LecternLayout m_layout;
    QString m_screen; // the name of the screen the view fills; empty while it is a window
};

} // namespace zelvano
