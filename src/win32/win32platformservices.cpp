#include "win32/win32platformservices.h"

#include <windows.h>

#include "platform/diskfile.h"
#include "platform/soundplayer.h"
#include "platform/widestring_win32.h"

namespace zelvano {

Win32PlatformServices::Win32PlatformServices(SoundPlayer& player)
    : m_player(player)
{ }

void Win32PlatformServices::playSound(const std::string& name) { m_player.play(name); }

void Win32PlatformServices::sleepMs(int milliseconds) { Sleep(static_cast<DWORD>(milliseconds)); }

LocalTime Win32PlatformServices::localTime() const
{
    SYSTEMTIME now {};
    GetLocalTime(&now);
    return { now.wYear, now.wMonth, now.wDay, now.wHour, now.wMinute, now.wSecond };
}

void Win32PlatformServices::trace(const std::string& text)
{
    OutputDebugStringW(widen(text + "\n").c_str());
}

std::unique_ptr<FileHandle> Win32PlatformServices::openFile(const std::string& name, OpenMode mode)
{
    return openDiskFile(name, mode);
}

} // namespace zelvano
