// What the Start menu shortcut starts. The program keeps config.ini, ring.wav and its reports in
// the folder it is started in; this starts it, from beside this file, in the user's folder for
// them, %APPDATA%\Zelvano, made again when it has gone: a shortcut whose working folder is gone
// does not start its program at all. Should that folder not be usable, the program starts where
// this one was started (the installation folder): better a timer whose settings stay there than
// no timer at all.
#include <windows.h>
#include <knownfolders.h>
#include <shlobj.h>
#include <cwchar>

#include "platform/systemlibrary_win32.h"

namespace {

// Long enough for any path Windows takes.
constexpr std::size_t pathRoom = 32768;
wchar_t folder[pathRoom];
wchar_t program[pathRoom];
wchar_t commandLine[pathRoom + 2];

// Whether head and tail fit into to together; to holds them when they do.
bool join(wchar_t* to, std::size_t room, const wchar_t* head, const wchar_t* tail)
{
    const std::size_t headLength = std::wcslen(head);
    const std::size_t tailLength = std::wcslen(tail);
    if (headLength + tailLength >= room)
        return false;
    std::wmemmove(to, head, headLength);
    std::wmemcpy(to + headLength, tail, tailLength + 1);
    return true;
}

// %APPDATA%\Zelvano, there and a folder; false when it cannot be.
bool enterableUserFolder()
{
    PWSTR roaming = nullptr;
    const bool found
        = SUCCEEDED(SHGetKnownFolderPath(FOLDERID_RoamingAppData, KF_FLAG_CREATE, nullptr, &roaming))
        && join(folder, pathRoom, roaming, L"\\Zelvano");
    CoTaskMemFree(roaming);
    if (!found)
        return false;
    const DWORD attributes = GetFileAttributesW(folder);
    if (attributes == INVALID_FILE_ATTRIBUTES)
        return CreateDirectoryW(folder, nullptr);
    return attributes & FILE_ATTRIBUTE_DIRECTORY;
}

// zelvano.exe beside this file, and the command line that names it.
bool findProgram()
{
    const DWORD length = GetModuleFileNameW(nullptr, program, pathRoom);
    wchar_t* const name = length && length < pathRoom ? std::wcsrchr(program, L'\\') : nullptr;
    if (!name)
        return false;
    name[1] = L'\0';
    return join(program, pathRoom, program, L"zelvano.exe")
        && join(commandLine, pathRoom + 2, L"\"", program)
        && join(commandLine, pathRoom + 2, commandLine, L"\"");
}

} // namespace

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int)
{
    // First, as in the program: this file sits in a folder the user can write to, and the system
    // libraries it calls may load others by name.
    zelvano::restrictLibrarySearch();
    const bool inUserFolder = enterableUserFolder();
    if (!findProgram())
        return 1;
    // The shortcut's window state and its name, by which the taskbar knows the program's window
    // as the shortcut's, pass on; nothing else of this process does.
    STARTUPINFOW startup {};
    GetStartupInfoW(&startup);
    startup.lpReserved = nullptr;
    startup.cbReserved2 = 0;
    startup.lpReserved2 = nullptr;
    startup.dwFlags &= ~static_cast<DWORD>(STARTF_USESTDHANDLES);
    PROCESS_INFORMATION started {};
    if (!CreateProcessW(program, commandLine, nullptr, nullptr, FALSE, 0, nullptr,
            inUserFolder ? folder : nullptr, &startup, &started))
        return 1;
    CloseHandle(started.hThread);
    CloseHandle(started.hProcess);
    return 0;
}
