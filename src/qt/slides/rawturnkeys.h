#pragma once

#include <array>
#include <cstdint>

#include <QObject>

#include "clock/slideturns.h"

class QSocketNotifier;
struct xcb_connection_t;

namespace zelvano {

class PlatformServices;

// The page-turn keys pressed in any window of the X server, seen through XInput 2's raw key
// events (2.2) on a connection of the program's own, so that Qt's input handling stays as it was
// and every key reaches the slide show unchanged. Each key is told apart by the keysym of its
// first level: a turn key, a modifier, or another key, which is dropped where it is read. The
// server sends nothing while nobody watches. A held key whose device repeats comes as more
// presses before its one release; raw events carry no mark of a repeat.
class RawTurnKeys final : public QObject
{
    Q_OBJECT

public:
    // Whose keys the program can see: every window's; only X windows' (under XWayland, which
    // hears nothing of a native Wayland window's keys); or none (no X, or no XInput 2.2).
    enum class Reach { EveryWindow, XWindowsOnly, None };

    explicit RawTurnKeys(PlatformServices& platform, QObject* parent = nullptr);
    ~RawTurnKeys() override;

    // Connects to the X server the first time it is asked.
    Reach reach();
    void setWatching(bool watching);

signals:
    void pressed(zelvano::TurnKey key, std::uint32_t code);
    void released(zelvano::TurnKey key, std::uint32_t code);

private:
    void connectToServer();
    void disconnectFromServer();
    void selectRawKeys(bool selected);
    void readKeyboardMapping();
    void readEvents();

    PlatformServices& m_platform;
    bool m_connected = false; // a connection was tried
    xcb_connection_t* m_connection = nullptr;
    std::uint8_t m_inputOpcode = 0;
    std::uint32_t m_root = 0;
    Reach m_reach = Reach::None;
    bool m_watching = false;
    QSocketNotifier* m_events = nullptr;
    std::array<TurnKey, 256> m_keys {}; // what each key code means now
};

} // namespace zelvano
