#include "qt/desktop/focuskeeper.h"

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <xcb/xcb.h>

#include <QApplication>
#include <QCursor>
#include <QMouseEvent>
#include <QWidget>

namespace zelvano {

namespace {

    // How long an offer made with the pointer on a talk button waits for the click that refuses
    // it. The window manager makes the offer on the press and lets the press through right after.
    constexpr std::chrono::milliseconds clickWait { 400 };

    std::uint32_t internAtom(xcb_connection_t* connection, const char* name)
    {
        const xcb_intern_atom_cookie_t cookie
            = xcb_intern_atom(connection, 0, static_cast<std::uint16_t>(std::strlen(name)), name);
        xcb_intern_atom_reply_t* reply = xcb_intern_atom_reply(connection, cookie, nullptr);
        const std::uint32_t atom = reply ? reply->atom : std::uint32_t { XCB_ATOM_NONE };
        std::free(reply);
        return atom;
    }

} // namespace

FocusKeeper::FocusKeeper(QWidget& window, std::vector<const QWidget*> talkButtons)
    : QObject(&window)
    , m_window(window)
    , m_talkButtons(std::move(talkButtons))
{
    // The offscreen platform answers for an X connection too, without one.
    const auto* x11 = qGuiApp->nativeInterface<QNativeInterface::QX11Application>();
    if (QGuiApplication::platformName() != QLatin1String("xcb") || !x11 || !x11->connection())
        return;
    m_connection = x11->connection();
    m_protocolsAtom = internAtom(m_connection, "WM_PROTOCOLS");
    m_takeFocusAtom = internAtom(m_connection, "WM_TAKE_FOCUS");
    // Qt then sets the window's input hint to false, keeps WM_TAKE_FOCUS among its protocols, and
    // no longer asks for the keyboard when the window is clicked.
    window.setWindowFlag(Qt::WindowDoesNotAcceptFocus);
    m_heldOffer.setSingleShot(true);
    m_heldOffer.setInterval(clickWait);
    connect(&m_heldOffer, &QTimer::timeout, this, [this] { takeFocus(m_heldOfferTime); });
    QCoreApplication::instance()->installNativeEventFilter(this);
    QCoreApplication::instance()->installEventFilter(this);
}

FocusKeeper::~FocusKeeper()
{
    if (m_connection)
        QCoreApplication::instance()->removeNativeEventFilter(this);
}

void FocusKeeper::activate()
{
    if (m_connection)
        takeFocus(XCB_CURRENT_TIME);
    else
        m_window.activateWindow();
}

// The window manager offers the keyboard (a click on the window, on its title bar, Alt+Tab, the
// taskbar) with a WM_TAKE_FOCUS message.
bool FocusKeeper::nativeEventFilter(const QByteArray& eventType, void* message, qintptr*)
{
    if (eventType != "xcb_generic_event_t")
        return false;
    const auto* event = static_cast<const xcb_generic_event_t*>(message);
    if ((event->response_type & 0x7f) != XCB_CLIENT_MESSAGE)
        return false;
    const auto* client = static_cast<const xcb_client_message_event_t*>(message);
    if (client->format == 32 && client->type == m_protocolsAtom
        && client->data.data32[0] == m_takeFocusAtom && client->window == m_window.internalWinId())
        offered(client->data.data32[1]);
    // Qt's own handling goes on: it passes the keyboard to a box the window has open.
    return false;
}

// A press into the window. On a talk button it refuses the offer the window manager makes for
// it, before or after letting it through; elsewhere the window asks for the keyboard itself, since
// some window managers make no offer for a click into the window.
bool FocusKeeper::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() != QEvent::MouseButtonPress || !watched->isWidgetType()
        || static_cast<QWidget*>(watched)->window() != &m_window)
        return false;
    m_heldOffer.stop();
    const auto time = static_cast<std::uint32_t>(static_cast<QMouseEvent*>(event)->timestamp());
    if (isTalkButton(watched))
        m_talkPressTime = time;
    else if (!hasKeyboard())
        takeFocus(time);
    return false;
}

bool FocusKeeper::isTalkButton(const QObject* object) const
{
    return std::find(m_talkButtons.begin(), m_talkButtons.end(), object) != m_talkButtons.end();
}

// Asked of the X server: Qt's idea of the active window can lag behind, or miss a change some
// window managers make.
bool FocusKeeper::hasKeyboard() const
{
    xcb_get_input_focus_reply_t* reply
        = xcb_get_input_focus_reply(m_connection, xcb_get_input_focus(m_connection), nullptr);
    const bool ours = reply && reply->focus == m_window.internalWinId();
    std::free(reply);
    return ours;
}

bool FocusKeeper::pointerOnTalkButton() const
{
    return isTalkButton(m_window.childAt(m_window.mapFromGlobal(QCursor::pos())));
}

void FocusKeeper::offered(std::uint32_t time)
{
    // A box the window opened holds the keyboard; Qt passes the offer on to it.
    const QWidget* modal = QApplication::activeModalWidget();
    const bool forTalkPress = time != XCB_CURRENT_TIME && time == m_talkPressTime;
    if ((modal && modal != &m_window) || forTalkPress || hasKeyboard())
        return;
    if (pointerOnTalkButton()) {
        m_heldOfferTime = time;
        m_heldOffer.start();
        return;
    }
    takeFocus(time);
}

void FocusKeeper::takeFocus(std::uint32_t time)
{
    if (!m_window.isVisible())
        return;
    xcb_set_input_focus(m_connection, XCB_INPUT_FOCUS_PARENT,
        static_cast<xcb_window_t>(m_window.internalWinId()), time);
    xcb_flush(m_connection);
}

} // namespace zelvano
