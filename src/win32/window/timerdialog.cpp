#include "win32/window/timerdialog.h"

#include <commdlg.h>
#include <knownfolders.h>
#include <shlobj.h>

#include "clock/bellringer.h"
#include "clock/laplog.h"
#include "clock/presentationtimer.h"
#include "clock/settingsediting.h"
#include "core/texts.h"
#include "files/report.h"
#include "files/settingsfile.h"
#include "platform/widestring_win32.h"
#include "win32/app/aboutbox.h"
#include "win32/desktop/screendpi.h"
#include "win32/slides/powerpointnews.h"
#include "win32/window/closingcommand.h"
#include "win32/window/dialogtemplate.h"

namespace zelvano {

namespace {

    // The items the window adds to its system menu; the system keeps the low four bits of its
    // commands.
    constexpr UINT aboutCommand = 0x0010;
    constexpr UINT stayOnTopCommand = 0x0020;
    constexpr UINT bellColoursCommand = 0x0030;
    constexpr UINT speakerViewCommand = 0x0040;
    constexpr UINT remainingLargeCommand = 0x0050;
    constexpr UINT lapsFromSlideTurnsCommand = 0x0060;
    constexpr UINT shareCommand = 0x0070;
    // A chosen report path may be long; the chooser needs room for it.
    constexpr DWORD pathRoom = 32768;

    std::wstring windowText(HWND window)
    {
        std::wstring text(static_cast<std::size_t>(GetWindowTextLengthW(window)) + 1, L'\0');
        text.resize(static_cast<std::size_t>(
            GetWindowTextW(window, text.data(), static_cast<int>(text.size()))));
        return text;
    }

    std::wstring documentsFolder()
    {
        PWSTR folder = nullptr;
        std::wstring path;
        if (SUCCEEDED(SHGetKnownFolderPath(FOLDERID_Documents, 0, nullptr, &folder)))
            path = folder;
        CoTaskMemFree(folder);
        return path;
    }

    // The application icon at the size the system uses for it at this DPI, from the image of the
    // icon file nearest that size.
    HICON loadIcon(HINSTANCE instance, UINT dpi, int widthMetric, int heightMetric)
    {
        return static_cast<HICON>(LoadImageW(instance, MAKEINTRESOURCEW(iconResourceId), IMAGE_ICON,
            systemMetricForDpi(widthMetric, dpi), systemMetricForDpi(heightMetric, dpi), 0));
    }

} // namespace

TimerDialog::TimerDialog(PlatformServices& platform, HINSTANCE instance)
    : m_context { m_state, m_settings, *this, platform }
    , m_instance(instance)
    , m_speakerView(instance, m_annotations, m_lectern, m_settings)
    , m_slides(m_context)
    , m_sharing(instance, m_lectern, m_settings)
{ }

// The display font goes after its window, which is gone once run() returns.
TimerDialog::~TimerDialog()
{
    if (m_displayFont)
        DeleteObject(m_displayFont);
    for (const HICON icon : { m_largeIcon, m_smallIcon }) {
        if (icon)
            DestroyIcon(icon);
    }
}

void TimerDialog::run()
{
    const Win32DialogTemplate dialog(mainWindowTemplate,
        WS_POPUP | WS_VISIBLE | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME | DS_CENTER,
        WS_EX_APPWINDOW);
    DialogBoxIndirectParamW(
        m_instance, dialog.get(), nullptr, dialogProc, reinterpret_cast<LPARAM>(this));
    m_window = nullptr;
}

INT_PTR CALLBACK TimerDialog::dialogProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_INITDIALOG) {
        SetWindowLongPtrW(window, GWLP_USERDATA, lParam);
        reinterpret_cast<TimerDialog*>(lParam)->m_window = window;
    }
    auto* dialog = reinterpret_cast<TimerDialog*>(GetWindowLongPtrW(window, GWLP_USERDATA));
    return dialog ? dialog->handle(message, wParam, lParam) : FALSE;
}

INT_PTR TimerDialog::handle(UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_INITDIALOG:
        initialise();
        return TRUE; // the focus goes to the first tab stop, Close
    case WM_COMMAND: {
        const auto id = static_cast<int>(LOWORD(wParam));
        if (id == IDOK || id == IDCANCEL) {
            onClosingCommand(id);
            return TRUE;
        }
        if (HIWORD(wParam) == BN_CLICKED)
            onCommand(static_cast<ControlId>(id));
        return TRUE;
    }
    case WM_CLOSE:
        EndDialog(m_window, IDCANCEL);
        return TRUE;
    case WM_MOUSEACTIVATE:
        SetWindowLongPtrW(m_window, DWLP_MSGRESULT, m_buttons.mouseActivation(lParam));
        return TRUE;
    case WM_TIMER:
        if (wParam == PhoneSharing::timerId) {
            m_sharing.showDeviceCount();
            return TRUE;
        }
        if (m_tick && m_tick->isDue())
            onTick(m_context);
        return TRUE;
    case WM_SYSCOMMAND:
        // The display stays awake while the timer runs (keepScreenAwake), but that does not keep
        // the screen saver from starting, which the foreground window may refuse.
        if ((wParam & 0xFFF0) == SC_SCREENSAVE && m_state.running)
            return TRUE;
        if ((wParam & 0xFFF0) == aboutCommand) {
            runAboutBox(m_instance, m_window);
            return TRUE;
        }
        if ((wParam & 0xFFF0) == stayOnTopCommand) {
            toggleStayOnTop();
            return TRUE;
        }
        if ((wParam & 0xFFF0) == bellColoursCommand) {
            toggleBellColours();
            return TRUE;
        }
        if ((wParam & 0xFFF0) == speakerViewCommand) {
            toggleSpeakerView();
            return TRUE;
        }
        if ((wParam & 0xFFF0) == remainingLargeCommand) {
            toggleRemainingLarge();
            return TRUE;
        }
        if ((wParam & 0xFFF0) == lapsFromSlideTurnsCommand) {
            toggleLapsFromSlideTurns();
            return TRUE;
        }
        if ((wParam & 0xFFF0) == shareCommand) {
            m_sharing.open(m_window);
            return TRUE;
        }
        return FALSE;
    case WM_INITMENU:
        // The speaker's view may have been closed from itself since.
        checkMenuItem(speakerViewCommand, m_speakerView.isOpen());
        return FALSE;
    case WM_INPUT:
        m_slides.keyInput(wParam, lParam);
        return FALSE; // the system's own handling lets go of the input
    case powerPointMessage:
        m_slides.powerPointNews(wParam, lParam);
        return TRUE;
    case WM_CTLCOLORSTATIC:
        if (reinterpret_cast<HWND>(lParam) == control(ControlId::TimeDisplay)
            && m_lectern.choices().colourByPhase)
            return reinterpret_cast<INT_PTR>(
                m_colouring.prepare(reinterpret_cast<HDC>(wParam), m_bellPhase));
        return FALSE;
    case WM_PAINT:
        return paintIconWhenMinimised();
    case WM_QUERYDRAGICON:
        return reinterpret_cast<INT_PTR>(m_largeIcon);
    case WM_MOVE:
    case WM_SIZE:
    case WM_ENTERSIZEMOVE:
    case WM_EXITSIZEMOVE:
        m_speakerView.mainWindowMoved(message);
        return FALSE;
    case WM_DPICHANGED:
        // The display's font and the icons for the new DPI are in place before the dialog manager
        // lays the window out again, which leaves the display's font alone: it never shows the
        // dialog font rescaled, not even for a moment.
        applyDisplayFont(HIWORD(wParam));
        setIcons(HIWORD(wParam));
        return FALSE; // the dialog manager rescales the window, the other controls and their font
    case WM_DESTROY:
        if (m_tick)
            m_tick->kill();
        m_speakerView.close();
        m_sharing.stop();
        m_slides.detach();
        // The display is among the named controls, and its description goes with its name.
        for (const auto& entry : screenReaderNames)
            m_annotations.clear(control(entry.id));
        return FALSE;
    default:
        return FALSE;
    }
}

void TimerDialog::initialise()
{
    if (const HMENU menu = GetSystemMenu(m_window, FALSE)) {
        AppendMenuW(menu, MF_SEPARATOR, 0, nullptr);
        AppendMenuW(menu, MF_STRING, stayOnTopCommand, widen(texts::stayOnTopMenuItem).c_str());
        AppendMenuW(menu, MF_STRING, bellColoursCommand, widen(texts::bellColoursMenuItem).c_str());
        AppendMenuW(menu, MF_STRING, speakerViewCommand, widen(texts::speakerViewMenuItem).c_str());
        AppendMenuW(
            menu, MF_STRING, remainingLargeCommand, widen(texts::remainingLargeMenuItem).c_str());
        AppendMenuW(menu, MF_STRING, lapsFromSlideTurnsCommand,
            widen(texts::lapsFromSlideTurnsMenuItem).c_str());
        AppendMenuW(menu, MF_STRING, shareCommand, widen(texts::shareMenuItem).c_str());
        AppendMenuW(menu, MF_STRING, aboutCommand, widen(texts::aboutMenuItem).c_str());
    }
    const UINT dpi = windowDpi(m_window);
    setIcons(dpi);
    m_tick.emplace(m_window);
    for (const auto& [id, name] : screenReaderNames)
        m_annotations.setName(control(id), name);
    // The bell fields take text of any length: a cut would change what the text reads as.
    for (int field = 1; field <= static_cast<int>(bellFieldIds.size()); ++field)
        SendMessageW(bellField(field), EM_SETLIMITTEXT, 0, 0);
    m_state = TimerState {};
    m_buttons.attach(m_window, m_state);
    m_slides.attach(m_window);
    loadSettings(m_context.platform, m_settings);
    applyChoices();
    showSettings(m_context);
    keepOwnFontOnDpiChange(control(ControlId::TimeDisplay));
    applyDisplayFont(dpi);
    showTime();
}

// Enter or Escape from a clicker meant for the slides must not end the talk; the Close button and
// the close box always end the program.
void TimerDialog::onClosingCommand(int command)
{
    switch (closingCommandAction(command, m_state, m_speakerView.isOpen())) {
    case ClosingKeyAction::CloseWindow:
        EndDialog(m_window, command);
        break;
    case ClosingKeyAction::CloseSpeakerView:
        toggleSpeakerView();
        break;
    case ClosingKeyAction::Ignore:
        break;
    }
}

void TimerDialog::onCommand(ControlId id)
{
    switch (id) {
    case ControlId::Start:
        onStart(m_context);
        break;
    case ControlId::Stop:
        onStop(m_context);
        break;
    case ControlId::Slide:
        onSlide(m_context);
        break;
    case ControlId::SettingsToggle:
        onSettingsToggle(m_context);
        showTime(); // bells set anew tell the time shown anew
        break;
    case ControlId::Test:
        onTest(m_context);
        break;
    case ControlId::Save:
        onSave(m_context);
        break;
    default:
        break;
    }
    m_slides.follow(); // keys are watched only while the timer runs
}

// The toggles as the speaker left them last time; the speaker's view stays closed until asked.
void TimerDialog::applyChoices()
{
    m_choices = loadChoices(m_context.platform);
    const WindowChoices& stored = m_choices.choices;
    if (stored.stayOnTop)
        toggleStayOnTop();
    if (stored.bellColours)
        toggleBellColours();
    if (stored.remainingLarge)
        toggleRemainingLarge();
    if (stored.lapsFromSlideTurns)
        toggleLapsFromSlideTurns();
}

// Kept at once, so that a crash loses no choice; a choice the file holds already is not written.
void TimerDialog::remember(bool WindowChoices::*choice, bool on)
{
    if (m_choices.choices.*choice == on)
        return;
    m_choices.choices.*choice = on;
    // A failure is traced; the choice holds until the program ends.
    static_cast<void>(saveChoices(m_context.platform, m_choices));
}

// Keeps the window above every other one, or lets it go back among them.
void TimerDialog::toggleStayOnTop()
{
    const bool onTop = (GetWindowLongPtrW(m_window, GWL_EXSTYLE) & WS_EX_TOPMOST) == 0;
    SetWindowPos(m_window, onTop ? HWND_TOPMOST : HWND_NOTOPMOST, 0, 0, 0, 0,
        SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    checkMenuItem(stayOnTopCommand, onTop);
    remember(&WindowChoices::stayOnTop, onTop);
}

// The digits of both displays in the colour of the bell phase, or back to their usual colour.
void TimerDialog::toggleBellColours()
{
    m_lectern.setColourByPhase(!m_lectern.choices().colourByPhase);
    InvalidateRect(control(ControlId::TimeDisplay), nullptr, TRUE);
    m_speakerView.refresh();
    checkMenuItem(bellColoursCommand, m_lectern.choices().colourByPhase);
    remember(&WindowChoices::bellColours, m_lectern.choices().colourByPhase);
}

// Opened with what the display shows now, without taking the focus from this window.
void TimerDialog::toggleSpeakerView()
{
    if (m_speakerView.isOpen())
        m_speakerView.close();
    else
        m_speakerView.open(m_window);
    checkMenuItem(speakerViewCommand, m_speakerView.isOpen());
}

// Kept whether the view is open or not.
void TimerDialog::toggleRemainingLarge()
{
    m_lectern.setRemainingLarge(!m_lectern.choices().remainingLarge);
    m_speakerView.refresh();
    m_sharing.publish();
    checkMenuItem(remainingLargeCommand, m_lectern.choices().remainingLarge);
    remember(&WindowChoices::remainingLarge, m_lectern.choices().remainingLarge);
}

// Page turns of the slide show record laps while the timer runs.
void TimerDialog::toggleLapsFromSlideTurns()
{
    m_slides.setOn(!m_slides.isOn());
    checkMenuItem(lapsFromSlideTurnsCommand, m_slides.isOn());
    remember(&WindowChoices::lapsFromSlideTurns, m_slides.isOn());
}

void TimerDialog::checkMenuItem(UINT command, bool checked)
{
    CheckMenuItem(GetSystemMenu(m_window, FALSE), command,
        static_cast<UINT>(MF_BYCOMMAND | (checked ? MF_CHECKED : MF_UNCHECKED)));
}

// The window has no minimise box, but the system can still minimise it; its client area then
// shows the icon.
bool TimerDialog::paintIconWhenMinimised()
{
    if (!IsIconic(m_window))
        return false;
    PAINTSTRUCT paint {};
    const HDC context = BeginPaint(m_window, &paint);
    SendMessageW(m_window, WM_ICONERASEBKGND, reinterpret_cast<WPARAM>(context), 0);
    RECT client {};
    GetClientRect(m_window, &client);
    const UINT dpi = windowDpi(m_window);
    const int x = (client.right - client.left - systemMetricForDpi(SM_CXICON, dpi) + 1) / 2;
    const int y = (client.bottom - client.top - systemMetricForDpi(SM_CYICON, dpi) + 1) / 2;
    DrawIcon(context, x, y, m_largeIcon);
    EndPaint(m_window, &paint);
    return true;
}

// The title bar's and the task bar's icons, at their sizes for the DPI; the ones they replace go.
void TimerDialog::setIcons(UINT dpi)
{
    const HICON largeIcon = loadIcon(m_instance, dpi, SM_CXICON, SM_CYICON);
    const HICON smallIcon = loadIcon(m_instance, dpi, SM_CXSMICON, SM_CYSMICON);
    SendMessageW(m_window, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(largeIcon));
    SendMessageW(m_window, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(smallIcon));
    for (const HICON icon : { m_largeIcon, m_smallIcon }) {
        if (icon)
            DestroyIcon(icon);
    }
    m_largeIcon = largeIcon;
    m_smallIcon = smallIcon;
}

// A 50 px cell at 96 DPI, in proportion on any other screen; the system's default face for
// Japanese, at normal weight. The display is painted again once the window is idle, by which time
// a DPI change has laid it out at its new size.
void TimerDialog::applyDisplayFont(UINT dpi)
{
    const int height = MulDiv(displayCellHeightPx, static_cast<int>(dpi), USER_DEFAULT_SCREEN_DPI);
    const HFONT font = CreateFontW(height, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE,
        SHIFTJIS_CHARSET, OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY,
        DEFAULT_PITCH | FF_DONTCARE, nullptr);
    const HWND display = control(ControlId::TimeDisplay);
    SendMessageW(display, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
    InvalidateRect(display, nullptr, TRUE);
    if (m_displayFont)
        DeleteObject(m_displayFont);
    m_displayFont = font;
}

HWND TimerDialog::control(ControlId id) const { return GetDlgItem(m_window, static_cast<int>(id)); }

HWND TimerDialog::bellField(int field) const
{
    return control(bellFieldIds.at(static_cast<std::size_t>(field - 1)));
}

void TimerDialog::setDisplayTime(std::int32_t seconds)
{
    m_lectern.setSeconds(seconds);
    showTime();
}

// The phase is told in words too, since not everyone sees the colour.
void TimerDialog::showTime()
{
    const DisplayedTime shown = displayedTime(m_lectern.seconds(), m_settings);
    const HWND display = control(ControlId::TimeDisplay);
    if (shown.bellPhase != m_bellPhase) {
        m_bellPhase = shown.bellPhase;
        m_annotations.setDescription(
            display, texts::bellPhaseDescriptions.at(static_cast<std::size_t>(shown.bellPhase)));
        if (m_lectern.choices().colourByPhase)
            InvalidateRect(display, nullptr, TRUE);
    }
    SetWindowTextW(display, widen(shown.text).c_str());
    UpdateWindow(display);
    m_speakerView.refresh();
    m_sharing.publish();
}

void TimerDialog::showErrorBox(const std::string& text, const std::string& caption)
{
    MessageBoxW(m_window, widen(text).c_str(), widen(caption).c_str(), MB_OK | MB_ICONHAND);
}

void TimerDialog::clearLapLines()
{
    SendMessageW(control(ControlId::SlideList), LB_RESETCONTENT, 0, 0);
}

// Placed by lapLineBefore, the same order on every machine, rather than by the list's own sorting,
// which follows the user's locale.
void TimerDialog::addLapLine(const std::string& line)
{
    const int position
        = lapLinePosition(line, lapLineCount(), [this](int index) { return lapLine(index); });
    SendMessageW(control(ControlId::SlideList), LB_INSERTSTRING, static_cast<WPARAM>(position),
        reinterpret_cast<LPARAM>(widen(line).c_str()));
}

int TimerDialog::lapLineCount() const
{
    return static_cast<int>(SendMessageW(control(ControlId::SlideList), LB_GETCOUNT, 0, 0));
}

std::string TimerDialog::lapLine(int index) const
{
    const HWND list = control(ControlId::SlideList);
    const LRESULT length = SendMessageW(list, LB_GETTEXTLEN, static_cast<WPARAM>(index), 0);
    if (length == LB_ERR)
        return {};
    std::wstring text(static_cast<std::size_t>(length) + 1, L'\0');
    text.resize(static_cast<std::size_t>(SendMessageW(
        list, LB_GETTEXT, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(text.data()))));
    return narrow(text);
}

std::string TimerDialog::bellFieldText(int field) const
{
    return narrow(windowText(bellField(field)));
}

void TimerDialog::setBellFieldText(int field, const std::string& text)
{
    SetWindowTextW(bellField(field), widen(text).c_str());
}

void TimerDialog::setBellFieldsEnabled(bool enabled)
{
    for (int field = 1; field <= static_cast<int>(bellFieldIds.size()); ++field)
        EnableWindow(bellField(field), enabled);
}

void TimerDialog::setSettingsToggleText(const std::string& text)
{
    SetWindowTextW(control(ControlId::SettingsToggle), widen(text).c_str());
}

void TimerDialog::armTick() { m_tick->arm(); }

void TimerDialog::killTick() { m_tick->kill(); }

// The system's chooser, resizable, in Documents the first time and then in the last report's
// folder. The working directory stays where it is, and an existing file is replaced without a
// question, as a second save of the same talk expects.
std::optional<std::string> TimerDialog::chooseSaveFile(
    const std::string& initialName, const std::string& defaultSuffix)
{
    std::wstring file = widen(initialName);
    file.resize(pathRoom, L'\0');
    const std::wstring suffix = widen(defaultSuffix);
    const std::wstring folder = m_saveFolder.empty() ? documentsFolder() : m_saveFolder;
    OPENFILENAMEW chooser {};
    chooser.lStructSize = sizeof chooser;
    chooser.hwndOwner = m_window;
    chooser.lpstrFile = file.data();
    chooser.nMaxFile = pathRoom;
    chooser.lpstrInitialDir = folder.empty() ? nullptr : folder.c_str();
    chooser.lpstrDefExt = suffix.c_str();
    chooser.Flags
        = OFN_EXPLORER | OFN_ENABLESIZING | OFN_NOCHANGEDIR | OFN_HIDEREADONLY | OFN_PATHMUSTEXIST;
    if (!GetSaveFileNameW(&chooser))
        return std::nullopt;
    return narrow(file.c_str());
}

void TimerDialog::reportSaved(const std::string& path)
{
    const std::wstring file = widen(path);
    m_saveFolder = file.substr(0, file.find_last_of(L"\\/"));
}

} // namespace zelvano
