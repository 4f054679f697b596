#include "qt/desktop/focuskeeper.h"

#include <algorithm>
#include <array>
#include <cstdlib>
#include <cstring>
#include <xcb/xcb.h>

#include <QApplication>
#include <QCursor>
#include <QMouseEvent>
#include <QWidget>
#include <QWindow>

#include "clock/keyboardoffer.h"

namespace zelvano {

namespace {

    // The source of an activation request that an application makes for itself.
    constexpr std::uint32_t applicationSource = 1;

    // All the names asked for before any answer is waited for: one round trip to the server
    // while the window is being made, not one for each.
    template <std::size_t count>
    std::array<std::uint32_t, count> internAtoms(
        xcb_connection_t* connection, const std::array<const char*, count>& names)
    {
        std::array<xcb_intern_atom_cookie_t, count> cookies {};
        for (std::size_t i = 0; i < count; ++i)
            cookies[i] = xcb_intern_atom(
                connection, 0, static_cast<std::uint16_t>(std::strlen(names[i])), names[i]);
        std::array<std::uint32_t, count> atoms {};
        for (std::size_t i = 0; i < count; ++i) {
            xcb_intern_atom_reply_t* reply = xcb_intern_atom_reply(connection, cookies[i], nullptr);
            atoms[i] = reply ? reply->atom : std::uint32_t { XCB_ATOM_NONE };
            std::free(reply);
        }
        return atoms;
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
    const auto atoms = internAtoms<4>(m_connection,
        { "WM_PROTOCOLS", "WM_TAKE_FOCUS", "_NET_SUPPORTED", "_NET_ACTIVE_WINDOW" });
    m_protocolsAtom = atoms[0];
    m_takeFocusAtom = atoms[1];
    m_supportedAtom = atoms[2];
    m_activeWindowAtom = atoms[3];
    // Qt then sets the window's input hint to false, keeps WM_TAKE_FOCUS among its protocols, and
    // no longer asks for the keyboard when the window is clicked.
    window.setWindowFlag(Qt::WindowDoesNotAcceptFocus);
    m_heldOffer.setSingleShot(true);
    m_heldOffer.setInterval(talkClickWait);
    connect(&m_heldOffer, &QTimer::timeout, this, [this] { takeFocus(m_heldOfferTime); });
    QCoreApplication::instance()->installNativeEventFilter(this);
    QCoreApplication::instance()->installEventFilter(this);
}

FocusKeeper::~FocusKeeper()
{
    if (m_connection)
        QCoreApplication::instance()->removeNativeEventFilter(this);
}

// Qt calls a window visible as soon as it has asked for the map; a window manager that frames it
// maps it a little later, and until then the window cannot take the keyboard.
void FocusKeeper::activate()
{
    if (!m_connection) {
        m_window.activateWindow();
        return;
    }
    xcb_get_window_attributes_reply_t* attributes = xcb_get_window_attributes_reply(
        m_connection, xcb_get_window_attributes(m_connection, xWindow()), nullptr);
    const bool mapped = attributes && attributes->map_state != XCB_MAP_STATE_UNMAPPED;
    std::free(attributes);
    m_activateWhenMapped = !mapped;
    if (mapped)
        askForActivation();
}

// The window manager gives the keyboard in its own time, and knows when the frame is mapped too;
// without one the window, once mapped, takes it.
void FocusKeeper::askForActivation()
{
    if (!windowManagerActivates()) {
        takeFocus(XCB_CURRENT_TIME);
        return;
    }
    xcb_client_message_event_t request {};
    request.response_type = XCB_CLIENT_MESSAGE;
    request.format = 32;
    request.window = xWindow();
    request.type = m_activeWindowAtom;
    request.data.data32[0] = applicationSource;
    request.data.data32[1] = XCB_CURRENT_TIME;
    const xcb_window_t root = xcb_setup_roots_iterator(xcb_get_setup(m_connection)).data->root;
    xcb_send_event(m_connection, 0, root,
        XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY | XCB_EVENT_MASK_SUBSTRUCTURE_REDIRECT,
        reinterpret_cast<const char*>(&request));
    xcb_flush(m_connection);
}

// Whether a window manager runs that takes activation requests: it lists them in _NET_SUPPORTED.
bool FocusKeeper::windowManagerActivates() const
{
    const xcb_window_t root = xcb_setup_roots_iterator(xcb_get_setup(m_connection)).data->root;
    xcb_get_property_reply_t* supported = xcb_get_property_reply(m_connection,
        xcb_get_property(m_connection, 0, root, m_supportedAtom, XCB_ATOM_ATOM, 0, 1024), nullptr);
    bool listed = false;
    if (supported && supported->format == 32) {
        const auto* atoms = static_cast<const xcb_atom_t*>(xcb_get_property_value(supported));
        const int count = xcb_get_property_value_length(supported) / 4;
        listed = std::find(atoms, atoms + count, m_activeWindowAtom) != atoms + count;
    }
    std::free(supported);
    return listed;
}

// The window manager offers the keyboard (a click on the window, on its title bar, Alt+Tab, the
// taskbar) with a WM_TAKE_FOCUS message.
bool FocusKeeper::nativeEventFilter(const QByteArray& eventType, void* message, qintptr*)
{
    if (eventType != "xcb_generic_event_t")
        return false;
    const auto* event = static_cast<const xcb_generic_event_t*>(message);
    if ((event->response_type & 0x7f) == XCB_MAP_NOTIFY) {
        const auto* map = static_cast<const xcb_map_notify_event_t*>(message);
        if (m_activateWhenMapped && map->window == xWindow()) {
            m_activateWhenMapped = false;
            askForActivation();
        }
        return false;
    }
    if ((event->response_type & 0x7f) != XCB_CLIENT_MESSAGE)
        return false;
    const auto* client = static_cast<const xcb_client_message_event_t*>(message);
    if (client->format == 32 && client->type == m_protocolsAtom
        && client->data.data32[0] == m_takeFocusAtom && client->window == xWindow())
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

// The window's X window as it is now: Qt makes a new one when the window's flags change (to stay on
// top), which QWidget::internalWinId does not follow.
std::uint32_t FocusKeeper::xWindow() const
{
    const QWindow* window = m_window.windowHandle();
    return static_cast<std::uint32_t>(window ? window->winId() : m_window.internalWinId());
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
    const bool ours = reply && reply->focus == xWindow();
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
    if ((modal && modal != &m_window) || hasKeyboard())
        return;
    switch (answerKeyboardOffer(forTalkPress, pointerOnTalkButton())) {
    case OfferAnswer::Take:
        takeFocus(time);
        break;
    case OfferAnswer::AwaitClick:
        m_heldOfferTime = time;
        m_heldOffer.start();
        break;
    case OfferAnswer::Refuse:
        break;
    }
}

void FocusKeeper::takeFocus(std::uint32_t time)
{
    if (!m_window.isVisible())
        return;
    xcb_set_input_focus(m_connection, XCB_INPUT_FOCUS_PARENT, xWindow(), time);
    xcb_flush(m_connection);
}

} // namespace zelvano
