#pragma once

#include <windows.h>
#include <cstddef>
#include <functional>
#include <string>
#include <vector>

#include "share/networkaddress.h"
#include "win32/share/qrpicture.h"

namespace zelvano {

// The sharing window's controls, as readers from outside find them.
enum class ShareControlId : int {
    Hint = 101,
    AddressLabel,
    Address, // the page's address, read-only and selectable
    NetworkLabel,
    Network, // the addresses to choose from, by network
    Devices,
    Stop,
};

// The small window that puts the time on a phone: the QR code of the page's address, the address
// as text to select and copy, the network it is on with the others to choose from, how many
// devices are watching, and a button that stops sharing. It only shows what it is given and says
// what the user chose; closing it leaves sharing on. It belongs to the main window, above which it
// stays, and takes Tab, Enter and Escape as a dialog does although the main window's loop runs it.
class ShareWindow final
{
public:
    ShareWindow(HINSTANCE instance, std::function<void()> onStop,
        std::function<void(std::size_t)> onNetworkChosen);
    ~ShareWindow();
    ShareWindow(const ShareWindow&) = delete;
    ShareWindow& operator=(const ShareWindow&) = delete;

    bool isOpen() const { return m_window != nullptr; }
    // Opens the window, or brings it to the front when it is open.
    void open(HWND owner);
    void close();
    // The addresses on offer, the one listened on and the page's address there.
    void showAddress(
        const std::vector<NetworkAddress>& addresses, std::size_t chosen, const std::string& url);
    void showDeviceCount(int count);

private:
    static LRESULT CALLBACK windowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    static LRESULT CALLBACK messageFilter(int code, WPARAM wParam, LPARAM lParam);
    LRESULT handle(UINT message, WPARAM wParam, LPARAM lParam);
    void createControls();
    void layOut();
    HWND control(ShareControlId id) const;
    int scaled(int pixelsAt96) const;
    RECT qrRect() const;

    HINSTANCE m_instance;
    std::function<void()> m_onStop;
    std::function<void(std::size_t)> m_onNetworkChosen;
    HWND m_window = nullptr;
    HFONT m_font = nullptr;
    HHOOK m_filter = nullptr;
    UINT m_dpi = USER_DEFAULT_SCREEN_DPI;
    QrPicture m_qr;
};

} // namespace zelvano
