// Reads the Windows program's windows from outside, the way an accessibility tool would, and
// prints them as UTF-8 lines for the tests under Wine. Another process's edit controls answer
// WM_GETTEXT, not GetWindowText, so every text is asked for with messages.
//
//   inspector windows              every visible top-level window: "window<TAB>title<TAB>topmost",
//                                  topmost 1 when it stays above the others
//   inspector controls TITLE       the controls of the window titled TITLE:
//                                  "control<TAB>id<TAB>class<TAB>enabled<TAB>text", and for a list
//                                  box one "line<TAB>text" per line, in order
//   inspector monitors             "monitor<TAB>left top right bottom" for each screen Windows sees
//   inspector place TITLE          "place<TAB>left top right bottom" of the window titled TITLE
//   inspector focus                "focus<TAB>title<TAB>id": the active top-level window and the
//                                  control id of what holds the keyboard focus (0: the window)
//   inspector names TITLE          what a screen reader names each control of the window titled
//                                  TITLE, asked through the accessibility runtime: first
//                                  "annotations<TAB>1" when the runtime answers with names a
//                                  program gives its controls (0 when it keeps guessing from the
//                                  labels), then "name<TAB>id<TAB>name" per control
//   inspector minimise TITLE       minimises the window titled TITLE through its system command,
//                                  as the system does, and prints "iconic<TAB>1" once it is;
//   inspector restore TITLE        restores it again ("iconic<TAB>0")
//   inspector hold PATH            opens PATH with no sharing, prints "held", and keeps it open
//                                  until stopped
//   inspector slides PATH          a stand-in slide show: opens a window titled "Slides" at the
//                                  screen's top left (a click into it activates it), takes the
//                                  keyboard focus, prints "shown", and appends the virtual-key
//                                  code of each key pressed in it to PATH, one decimal number a
//                                  line, until stopped
#include <windows.h>
#include <initguid.h> // defines IID_IAccessible here

#include <oleacc.h>
#include <algorithm>
#include <optional>
#include <string>
#include <vector>

namespace {

std::string utf8(const std::wstring& text)
{
    if (text.empty())
        return {};
    const int length = WideCharToMultiByte(
        CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0, nullptr, nullptr);
    std::string bytes(static_cast<std::size_t>(length), '\0');
    WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), bytes.data(),
        length, nullptr, nullptr);
    return bytes;
}

// Line ends inside a text would split its line; they are shown as \n.
void print(std::string line)
{
    for (std::size_t at = line.find('\n'); at != std::string::npos; at = line.find('\n', at + 2))
        line.replace(at, 1, "\\n");
    line.erase(std::remove(line.begin(), line.end(), '\r'), line.end());
    line += '\n';
    DWORD written = 0;
    WriteFile(GetStdHandle(STD_OUTPUT_HANDLE), line.data(), static_cast<DWORD>(line.size()),
        &written, nullptr);
}

std::wstring textOf(HWND window)
{
    DWORD_PTR length = 0;
    SendMessageTimeoutW(window, WM_GETTEXTLENGTH, 0, 0, SMTO_ABORTIFHUNG, 2000, &length);
    std::wstring text(length + 1, L'\0');
    DWORD_PTR copied = 0;
    SendMessageTimeoutW(window, WM_GETTEXT, text.size(), reinterpret_cast<LPARAM>(text.data()),
        SMTO_ABORTIFHUNG, 2000, &copied);
    text.resize(copied);
    return text;
}

std::wstring classOf(HWND window)
{
    wchar_t name[64] {};
    GetClassNameW(window, name, 64);
    return name;
}

BOOL CALLBACK printTopLevel(HWND window, LPARAM)
{
    if (IsWindowVisible(window)) {
        const bool topmost = GetWindowLongPtrW(window, GWL_EXSTYLE) & WS_EX_TOPMOST;
        print("window\t" + utf8(textOf(window)) + (topmost ? "\t1" : "\t0"));
    }
    return TRUE;
}

BOOL CALLBACK printControl(HWND control, LPARAM)
{
    const std::wstring kind = classOf(control);
    print("control\t" + std::to_string(GetDlgCtrlID(control)) + "\t" + utf8(kind) + "\t"
        + (IsWindowEnabled(control) ? "1" : "0") + "\t" + utf8(textOf(control)));
    if (_wcsicmp(kind.c_str(), L"ListBox") != 0)
        return TRUE;
    const auto count = static_cast<int>(SendMessageW(control, LB_GETCOUNT, 0, 0));
    for (WPARAM i = 0; i < static_cast<WPARAM>(count); ++i) {
        const auto length = static_cast<std::size_t>(SendMessageW(control, LB_GETTEXTLEN, i, 0));
        std::wstring line(length + 1, L'\0');
        line.resize(static_cast<std::size_t>(
            SendMessageW(control, LB_GETTEXT, i, reinterpret_cast<LPARAM>(line.data()))));
        print("line\t" + utf8(line));
    }
    return TRUE;
}

std::string rectText(const RECT& rect)
{
    return std::to_string(rect.left) + " " + std::to_string(rect.top) + " "
        + std::to_string(rect.right) + " " + std::to_string(rect.bottom);
}

BOOL CALLBACK printMonitor(HMONITOR, HDC, LPRECT area, LPARAM)
{
    print("monitor\t" + rectText(*area));
    return TRUE;
}

// The name the accessibility runtime gives a window's client area.
std::optional<std::wstring> accessibleName(HWND window)
{
    IAccessible* accessible = nullptr;
    if (FAILED(AccessibleObjectFromWindow(window, static_cast<DWORD>(OBJID_CLIENT),
            IID_IAccessible, reinterpret_cast<void**>(&accessible))))
        return std::nullopt;
    VARIANT self {};
    self.vt = VT_I4;
    self.lVal = CHILDID_SELF;
    BSTR name = nullptr;
    std::optional<std::wstring> found;
    if (SUCCEEDED(accessible->get_accName(self, &name)) && name)
        found = std::wstring(name, SysStringLen(name));
    SysFreeString(name);
    accessible->Release();
    return found;
}

// Whether the runtime answers with a name given by annotation, tried on a window of our own: some
// runtimes take annotations and go on guessing from the labels.
bool annotationsHonoured()
{
    const HWND probe = CreateWindowExW(0, L"STATIC", L"label", WS_POPUP, 0, 0, 10, 10, nullptr,
        nullptr, GetModuleHandleW(nullptr), nullptr);
    IAccPropServices* services = nullptr;
    bool honoured = false;
    if (probe
        && SUCCEEDED(CoCreateInstance(CLSID_AccPropServices, nullptr, CLSCTX_INPROC_SERVER,
            IID_IAccPropServices, reinterpret_cast<void**>(&services)))) {
        const auto client = static_cast<DWORD>(OBJID_CLIENT);
        services->SetHwndPropStr(probe, client, CHILDID_SELF, PROPID_ACC_NAME, L"given");
        honoured = accessibleName(probe) == L"given";
        services->ClearHwndProps(probe, client, CHILDID_SELF, &PROPID_ACC_NAME, 1);
        services->Release();
    }
    if (probe)
        DestroyWindow(probe);
    return honoured;
}

BOOL CALLBACK printName(HWND control, LPARAM)
{
    if (const std::optional<std::wstring> name = accessibleName(control))
        print("name\t" + std::to_string(GetDlgCtrlID(control)) + "\t" + utf8(*name));
    return TRUE;
}

// The stand-in slide show: a plain window that has the keyboard. Each key pressed in it goes to
// the end of the file at once, so that a test reads what it got while it runs.
int runSlides(const wchar_t* path)
{
    const HANDLE file = CreateFileW(path, FILE_APPEND_DATA, FILE_SHARE_READ, nullptr, OPEN_ALWAYS,
        FILE_ATTRIBUTE_NORMAL, nullptr);
    // A class of its own, unlike a static control's, takes the clicks that land on it.
    WNDCLASSW slides {};
    slides.lpfnWndProc = DefWindowProcW;
    slides.hInstance = GetModuleHandleW(nullptr);
    slides.hbrBackground = GetSysColorBrush(COLOR_WINDOW);
    slides.lpszClassName = L"ZelvanoStandInSlides";
    RegisterClassW(&slides);
    const HWND window = CreateWindowExW(0, slides.lpszClassName, L"Slides",
        WS_OVERLAPPEDWINDOW | WS_VISIBLE, 20, 20, 360, 240, nullptr, nullptr, slides.hInstance,
        nullptr);
    if (file == INVALID_HANDLE_VALUE || !window)
        return 1;
    SetForegroundWindow(window);
    SetFocus(window);
    print("shown");
    MSG message {};
    while (GetMessageW(&message, nullptr, 0, 0) > 0) {
        if (message.message == WM_KEYDOWN) {
            const std::string line = std::to_string(message.wParam) + "\n";
            DWORD written = 0;
            WriteFile(file, line.data(), static_cast<DWORD>(line.size()), &written, nullptr);
        }
        DispatchMessageW(&message);
    }
    return 0;
}

} // namespace

int wmain(int argc, wchar_t** argv)
{
    const std::wstring command = argc > 1 ? argv[1] : L"";
    if (command == L"windows") {
        EnumWindows(printTopLevel, 0);
        return 0;
    }
    if (command == L"controls" && argc > 2) {
        const HWND window = FindWindowW(nullptr, argv[2]);
        if (!window)
            return 1;
        EnumChildWindows(window, printControl, 0);
        return 0;
    }
    if (command == L"monitors") {
        EnumDisplayMonitors(nullptr, nullptr, printMonitor, 0);
        return 0;
    }
    if (command == L"place" && argc > 2) {
        const HWND window = FindWindowW(nullptr, argv[2]);
        RECT area {};
        if (!window || !GetWindowRect(window, &area))
            return 1;
        print("place\t" + rectText(area));
        return 0;
    }
    if (command == L"focus") {
        GUITHREADINFO input {};
        input.cbSize = sizeof input;
        if (!GetGUIThreadInfo(0, &input))
            return 1;
        const int id = input.hwndFocus && input.hwndFocus != input.hwndActive
            ? GetDlgCtrlID(input.hwndFocus)
            : 0;
        print("focus\t" + utf8(textOf(input.hwndActive)) + "\t" + std::to_string(id));
        return 0;
    }
    if (command == L"names" && argc > 2) {
        const HWND window = FindWindowW(nullptr, argv[2]);
        if (!window || FAILED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED)))
            return 1;
        print(std::string("annotations\t") + (annotationsHonoured() ? "1" : "0"));
        EnumChildWindows(window, printName, 0);
        CoUninitialize();
        return 0;
    }
    if ((command == L"minimise" || command == L"restore") && argc > 2) {
        const HWND window = FindWindowW(nullptr, argv[2]);
        if (!window)
            return 1;
        DWORD_PTR unused = 0;
        SendMessageTimeoutW(window, WM_SYSCOMMAND,
            command == L"minimise" ? SC_MINIMIZE : SC_RESTORE, 0, SMTO_ABORTIFHUNG, 5000, &unused);
        print(std::string("iconic\t") + (IsIconic(window) ? "1" : "0"));
        return 0;
    }
    if (command == L"hold" && argc > 2) {
        const HANDLE file = CreateFileW(argv[2], GENERIC_READ | GENERIC_WRITE, 0, nullptr,
            OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
        if (file == INVALID_HANDLE_VALUE)
            return 1;
        print("held");
        Sleep(INFINITE);
    }
    if (command == L"slides" && argc > 2)
        return runSlides(argv[2]);
    return 2;
}
