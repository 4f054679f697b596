#pragma once

#include <QWidget>

#include "core/bellsettings.h"
#include "qt/lectern/lecternlayout.h"

class QScreen;

namespace zelvano {

class Lectern;
class SpeakerFace;

// The speaker's view: a window of its own for a screen at the lectern or a projector, showing
// what the main window's Lectern says, as large as it fits. It has no timer of its own: the main
// window has it show its content again at each second and each choice, and it draws what changed
// before showContent returns, as the main display does. Escape or a double-click closes it.
class SpeakerView final : public QWidget
{
    Q_OBJECT

public:
    // A window of mainWindow's, so that it closes with it and takes input while that window's
    // modal loop runs; the window manager does not minimise it with the main window, since it is
    // not a dialog of it. The lectern and the bells are read at every showContent.
    SpeakerView(QWidget* mainWindow, const Lectern& lectern, const BellSettings& settings);

    void showContent();

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
    void followScreens();
    void fill(QScreen* screen);

    QWidget* m_mainWindow;
    const Lectern& m_lectern;
    const BellSettings& m_settings;
    SpeakerFace* m_face;
    LecternLayout m_layout;
    QString m_screen; // the name of the screen the view fills; empty while it is a window
};

} // namespace zelvano
