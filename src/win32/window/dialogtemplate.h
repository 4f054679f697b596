#pragma once

#include <windows.h>
#include <string>
#include <vector>

#include "core/windowlayout.h"

namespace zelvano {

// The icon resource every window shows.
inline constexpr WORD iconResourceId = 128;

// A dialog template in memory (DLGTEMPLATEEX) built from a shared window description, so that
// Windows itself lays the controls out in dialog units of the dialog font. Keep the object alive
// while the dialog is created from it.
class Win32DialogTemplate final
{
public:
    // style is the dialog's window style; the font, the controls and their styles come from the
    // description.
    Win32DialogTemplate(const DialogTemplate& dialog, DWORD style, DWORD extendedStyle);

    const DLGTEMPLATE* get() const { return reinterpret_cast<const DLGTEMPLATE*>(m_words.data()); }

private:
    void addControl(const ControlTemplate& control);
    void addText(const std::wstring& text);
    void addDword(DWORD value);
    void alignToDword();

    // new[] aligns far beyond the DWORD the template needs.
    std::vector<WORD> m_words;
};

// The dialog font's face: the one the description names, or where this system lacks it, a
// Japanese interface face that it has.
std::wstring dialogFontFaceOnThisSystem();

} // namespace zelvano
