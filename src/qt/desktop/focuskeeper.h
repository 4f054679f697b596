#pragma once

#include <cstdint>
#include <vector>

#include <QAbstractNativeEventFilter>
#include <QObject>
#include <QTimer>

class QWidget;
struct xcb_connection_t;

namespace zelvano {

// Under X, a click on one of the buttons that run the talk does its job and leaves the keyboard
// with the window that had it (the slide show, which a presentation clicker drives); any other
// way into the window (a field, the list, the title bar, Alt+Tab, the taskbar) gives it the
// keyboard as usual. The window tells the window manager that it takes the keyboard only when it
// says so itself (no input hint, WM_TAKE_FOCUS: the "globally active" model), and answers each
// offer by what the pointer is on. Elsewhere (Wayland, the offscreen platform) it does nothing:
// there the compositor alone decides.
class FocusKeeper final : public QObject, public QAbstractNativeEventFilter
{
public:
    // To be made before window is shown for the first time.
    FocusKeeper(QWidget& window, std::vector<const QWidget*> talkButtons);
    ~FocusKeeper() override;

    // Gives the window the keyboard, as QWidget::activateWindow does for other windows: once the
    // window is mapped, through the window manager where there is one.
    void activate();

    bool nativeEventFilter(const QByteArray& eventType, void* message, qintptr* result) override;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    std::uint32_t xWindow() const;
    bool isTalkButton(const QObject* object) const;
    bool hasKeyboard() const;
    bool pointerOnTalkButton() const;
    void offered(std::uint32_t time);
    void takeFocus(std::uint32_t time);
    void askForActivation();
    bool windowManagerActivates() const;

    QWidget& m_window;
    std::vector<const QWidget*> m_talkButtons;
    xcb_connection_t* m_connection = nullptr;
    std::uint32_t m_protocolsAtom = 0;
    std::uint32_t m_takeFocusAtom = 0;
    std::uint32_t m_supportedAtom = 0;
    std::uint32_t m_activeWindowAtom = 0;
    // activate() was called while the window was not mapped: it asks once the window is.
    bool m_activateWhenMapped = false;
    // An offer made while the pointer rests on a talk button: a click there refuses it, and
    // without one (Alt+Tab with the pointer left there) it is taken when the wait runs out.
    QTimer m_heldOffer;
    std::uint32_t m_heldOfferTime = 0;
    // The last press on a talk button: an offer the window manager makes for it after letting it
    // through is refused.
    std::uint32_t m_talkPressTime = 0;
};

} // namespace zelvano
