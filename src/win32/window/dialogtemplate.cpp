#include "win32/window/dialogtemplate.h"

#include <array>

#include "platform/widestring_win32.h"

namespace zelvano {

namespace {

    // The predefined window classes, by the ordinals a template may name them with.
    constexpr WORD buttonClass = 0x0080;
    constexpr WORD editClass = 0x0081;
    constexpr WORD staticClass = 0x0082;
    constexpr WORD listBoxClass = 0x0083;

    struct ControlClass
    {
        WORD windowClass;
        DWORD style;
    };

    ControlClass controlClass(ControlKind kind)
    {
        switch (kind) {
        case ControlKind::PushButton:
            return { buttonClass, BS_PUSHBUTTON | WS_TABSTOP };
        case ControlKind::DefaultButton:
            return { buttonClass, BS_DEFPUSHBUTTON | WS_TABSTOP | WS_GROUP };
        case ControlKind::GroupBox:
            return { buttonClass, BS_GROUPBOX };
        case ControlKind::Label:
            return { staticClass, SS_LEFT | WS_GROUP };
        case ControlKind::Icon:
            return { staticClass, SS_ICON };
        case ControlKind::Edit:
            return { editClass, ES_CENTER | ES_AUTOHSCROLL | WS_BORDER | WS_TABSTOP };
        case ControlKind::TimeDisplay:
            return { editClass, ES_CENTER | ES_READONLY | WS_BORDER };
        case ControlKind::SortedList:
            // Kept in order by the program itself rather than by LBS_SORT, whose order follows
            // the user's locale.
            return { listBoxClass,
                LBS_NOTIFY | LBS_NOSEL | LBS_NOINTEGRALHEIGHT | LBS_DISABLENOSCROLL | WS_VSCROLL
                    | WS_BORDER | WS_TABSTOP };
        }
        return { staticClass, 0 };
    }

    int CALLBACK noteFaceFound(const LOGFONTW*, const TEXTMETRICW*, DWORD, LPARAM found)
    {
        *reinterpret_cast<bool*>(found) = true;
        return 0;
    }

    bool hasFace(HDC context, const std::wstring& face)
    {
        LOGFONTW wanted {};
        wanted.lfCharSet = DEFAULT_CHARSET;
        face.copy(wanted.lfFaceName, LF_FACESIZE - 1);
        bool found = false;
        EnumFontFamiliesExW(context, &wanted, noteFaceFound, reinterpret_cast<LPARAM>(&found), 0);
        return found;
    }

} // namespace

std::wstring dialogFontFaceOnThisSystem()
{
    const std::wstring named = widen(dialogFontFace);
    HDC context = GetDC(nullptr);
    std::wstring face = named;
    if (!hasFace(context, named)) {
        for (const wchar_t* fallback :
            { L"MS PGothic", L"Yu Gothic UI", L"Meiryo UI", L"MS UI Gothic" }) {
            if (hasFace(context, fallback)) {
                face = fallback;
                break;
            }
        }
    }
    ReleaseDC(nullptr, context);
    return face;
}

Win32DialogTemplate::Win32DialogTemplate(
    const DialogTemplate& dialog, DWORD style, DWORD extendedStyle)
{
    m_words = { 1, 0xFFFF }; // version 1 of the extended form
    addDword(0); // help id
    addDword(extendedStyle);
    addDword(style | DS_SETFONT);
    m_words.push_back(static_cast<WORD>(dialog.controls.size()));
    for (const int value : { 0, 0, dialog.width, dialog.height })
        m_words.push_back(static_cast<WORD>(value));
    m_words.push_back(0); // no menu
    m_words.push_back(0); // the dialog class
    addText(widen(dialog.caption));
    m_words.push_back(static_cast<WORD>(dialogFontPoints));
    m_words.push_back(FW_NORMAL);
    m_words.push_back(static_cast<WORD>(SHIFTJIS_CHARSET << 8)); // not italic, Japanese
    addText(dialogFontFaceOnThisSystem());
    for (const ControlTemplate& control : dialog.controls)
        addControl(control);
}

void Win32DialogTemplate::addControl(const ControlTemplate& control)
{
    alignToDword();
    const ControlClass kind = controlClass(control.kind);
    addDword(0); // help id
    addDword(0); // extended style
    addDword(WS_CHILD | WS_VISIBLE | kind.style);
    for (const int value :
        { control.units.x, control.units.y, control.units.width, control.units.height })
        m_words.push_back(static_cast<WORD>(value));
    addDword(static_cast<DWORD>(static_cast<int>(control.id)));
    m_words.push_back(0xFFFF);
    m_words.push_back(kind.windowClass);
    if (control.kind == ControlKind::Icon) {
        m_words.push_back(0xFFFF);
        m_words.push_back(iconResourceId);
    } else {
        addText(widen(control.text));
    }
    m_words.push_back(0); // no creation data
}

void Win32DialogTemplate::addText(const std::wstring& text)
{
    for (const wchar_t c : text)
        m_words.push_back(static_cast<WORD>(c));
    m_words.push_back(0);
}

void Win32DialogTemplate::addDword(DWORD value)
{
    m_words.push_back(static_cast<WORD>(value & 0xFFFF));
    m_words.push_back(static_cast<WORD>(value >> 16));
}

void Win32DialogTemplate::alignToDword()
{
    if (m_words.size() % 2 != 0)
        m_words.push_back(0);
}

} // namespace zelvano
