#include "qt/slides/rawturnkeys.h"

#include <X11/keysym.h>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string_view>
#include <xcb/xcb.h>
#include <xcb/xinput.h>

#include <QGuiApplication>
#include <QSocketNotifier>

#include "core/platformservices.h"
#include "qt/app/qttexts.h"

namespace zelvano {

namespace {

    struct FreeReply
    {
        void operator()(void* reply) const { std::free(reply); }
    };
    template <typename Reply> using ReplyPtr = std::unique_ptr<Reply, FreeReply>;

    // What a key means by the keysym of its first level. The keypad's arrows are left out: with
    // Num Lock on they are digits, and raw events do not tell which.
    TurnKey turnKeyOf(xcb_keysym_t keysym)
    {
        switch (keysym) {
        case XK_Next:
        case XK_Right:
        case XK_Down:
            return TurnKey::Forward;
        case XK_Prior:
        case XK_Left:
        case XK_Up:
            return TurnKey::Back;
        case XK_Shift_L:
        case XK_Shift_R:
        case XK_Control_L:
        case XK_Control_R:
        case XK_Meta_L:
        case XK_Meta_R:
        case XK_Alt_L:
        case XK_Alt_R:
        case XK_Super_L:
        case XK_Super_R:
        case XK_Hyper_L:
        case XK_Hyper_R:
        case XK_ISO_Level3_Shift:
        case XK_Mode_switch:
            return TurnKey::Modifier;
        default:
            return TurnKey::Other;
        }
    }

    bool hasExtension(xcb_connection_t* connection, std::string_view name)
    {
        const ReplyPtr<xcb_query_extension_reply_t> reply(xcb_query_extension_reply(connection,
            xcb_query_extension(connection, static_cast<std::uint16_t>(name.size()), name.data()),
            nullptr));
        return reply && reply->present;
    }

    // XWayland names its input devices after itself; from version 23 on it also has an extension
    // of its own name.
    bool isXWayland(xcb_connection_t* connection)
    {
        if (hasExtension(connection, "XWAYLAND"))
            return true;
        const ReplyPtr<xcb_input_xi_query_device_reply_t> devices(xcb_input_xi_query_device_reply(
            connection, xcb_input_xi_query_device(connection, XCB_INPUT_DEVICE_ALL), nullptr));
        if (!devices)
            return false;
        constexpr std::string_view prefix = "xwayland-";
        for (auto info = xcb_input_xi_query_device_infos_iterator(devices.get()); info.rem;
             xcb_input_xi_device_info_next(&info)) {
            const std::string_view name(
                xcb_input_xi_device_info_name(info.data), info.data->name_len);
            if (name.substr(0, prefix.size()) == prefix)
                return true;
        }
        return false;
    }

} // namespace

RawTurnKeys::RawTurnKeys(PlatformServices& platform, QObject* parent)
    : QObject(parent)
    , m_platform(platform)
{
    m_keys.fill(TurnKey::Other);
}

RawTurnKeys::~RawTurnKeys() { disconnectFromServer(); }

RawTurnKeys::Reach RawTurnKeys::reach()
{
    connectToServer();
    return m_reach;
}

void RawTurnKeys::setWatching(bool watching)
{
    if (watching == m_watching)
        return;
    connectToServer();
    if (!m_connection)
        return;
    if (watching)
        readKeyboardMapping();
    selectRawKeys(watching);
    m_watching = watching;
}

// The same server as Qt's: the program is given no display of its own, so both follow DISPLAY.
void RawTurnKeys::connectToServer()
{
    if (m_connected)
        return;
    m_connected = true;
    if (QGuiApplication::platformName() != QLatin1String("xcb"))
        return;
    m_connection = xcb_connect(nullptr, nullptr);
    const xcb_query_extension_reply_t* input = xcb_connection_has_error(m_connection)
        ? nullptr
        : xcb_get_extension_data(m_connection, &xcb_input_id);
    const ReplyPtr<xcb_input_xi_query_version_reply_t> version(input && input->present
            ? xcb_input_xi_query_version_reply(
                m_connection, xcb_input_xi_query_version(m_connection, 2, 2), nullptr)
            : nullptr);
    if (!version || version->major_version < 2
        || (version->major_version == 2 && version->minor_version < 2)) {
        m_platform.trace(qttexts::turnKeysUnseenTrace);
        disconnectFromServer();
        return;
    }
    m_inputOpcode = input->major_opcode;
    m_root = xcb_setup_roots_iterator(xcb_get_setup(m_connection)).data->root;
    m_reach = isXWayland(m_connection) ? Reach::XWindowsOnly : Reach::EveryWindow;
    m_events
        = new QSocketNotifier(xcb_get_file_descriptor(m_connection), QSocketNotifier::Read, this);
    connect(m_events, &QSocketNotifier::activated, this, &RawTurnKeys::readEvents);
}

// Also called while the notifier tells of events, so it goes only once that is done.
void RawTurnKeys::disconnectFromServer()
{
    if (m_events) {
        m_events->setEnabled(false);
        m_events->deleteLater();
        m_events = nullptr;
    }
    if (m_connection)
        xcb_disconnect(m_connection);
    m_connection = nullptr;
    m_reach = Reach::None;
    m_watching = false;
}

// A connection that broke meanwhile is found when its events are read next.
void RawTurnKeys::selectRawKeys(bool selected)
{
    struct
    {
        xcb_input_event_mask_t head;
        std::uint32_t bits;
    } mask { { XCB_INPUT_DEVICE_ALL_MASTER, 1 },
        selected ? std::uint32_t { XCB_INPUT_XI_EVENT_MASK_RAW_KEY_PRESS
            | XCB_INPUT_XI_EVENT_MASK_RAW_KEY_RELEASE }
                 : 0 };
    xcb_input_xi_select_events(m_connection, m_root, 1, &mask.head);
    xcb_flush(m_connection);
}

// Read again at each start of watching and whenever the server says the keyboard changed.
void RawTurnKeys::readKeyboardMapping()
{
    m_keys.fill(TurnKey::Other);
    const xcb_setup_t* setup = xcb_get_setup(m_connection);
    const auto count = static_cast<std::uint8_t>(setup->max_keycode - setup->min_keycode + 1);
    const ReplyPtr<xcb_get_keyboard_mapping_reply_t> mapping(xcb_get_keyboard_mapping_reply(
        m_connection, xcb_get_keyboard_mapping(m_connection, setup->min_keycode, count), nullptr));
    if (!mapping || mapping->keysyms_per_keycode == 0)
        return;
    const xcb_keysym_t* keysyms = xcb_get_keyboard_mapping_keysyms(mapping.get());
    const int length = xcb_get_keyboard_mapping_keysyms_length(mapping.get());
    for (int key = 0; key < count && (key + 1) * mapping->keysyms_per_keycode <= length; ++key)
        m_keys[static_cast<std::size_t>(setup->min_keycode + key)]
            = turnKeyOf(keysyms[key * mapping->keysyms_per_keycode]);
}

void RawTurnKeys::readEvents()
{
    bool mappingChanged = false;
    while (xcb_generic_event_t* event = xcb_poll_for_event(m_connection)) {
        const std::uint8_t type = event->response_type & 0x7f;
        const auto* generic = reinterpret_cast<const xcb_ge_generic_event_t*>(event);
        if (type == XCB_MAPPING_NOTIFY) {
            mappingChanged = true;
        } else if (type == XCB_GE_GENERIC && generic->extension == m_inputOpcode
            && (generic->event_type == XCB_INPUT_RAW_KEY_PRESS
                || generic->event_type == XCB_INPUT_RAW_KEY_RELEASE)) {
            const std::uint32_t code
                = reinterpret_cast<const xcb_input_raw_key_press_event_t*>(event)->detail;
            const TurnKey key = code < m_keys.size() ? m_keys[code] : TurnKey::Other;
            const bool press = generic->event_type == XCB_INPUT_RAW_KEY_PRESS;
            std::free(event);
            if (key == TurnKey::Other || !m_watching)
                continue;
            if (press)
                emit pressed(key, code);
            else
                emit released(key, code);
            continue;
        }
        std::free(event);
    }
    if (xcb_connection_has_error(m_connection)) {
        m_platform.trace(qttexts::turnKeysLostTrace);
        disconnectFromServer();
        return;
    }
    if (mappingChanged && m_watching)
        readKeyboardMapping();
}

} // namespace zelvano
