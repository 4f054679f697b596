#include "win32/app/win32platformservices.h"

#include <windows.h>

#include "core/texts.h"
#include "platform/diskfile.h"
#include "platform/soundplayer.h"
#include "platform/widestring_win32.h"

namespace zelvano {

Win32PlatformServices::Win32PlatformServices(SoundPlayer& player)
    : m_player(player)
{ }

void Win32PlatformServices::playSound(const std::string& name) { m_player.play(name); }

// The output opens a few seconds before each bell and rests between bells: held open the whole
// talk, it would mix silence every moment of it.
void Win32PlatformServices::keepSoundReady(bool ready) { m_player.holdOutput(ready); }

void Win32PlatformServices::sleepMs(int milliseconds) { Sleep(static_cast<DWORD>(milliseconds)); }

// The request belongs to the calling thread, the window's, and ends with it: a program that ends,
// however it ends, leaves nothing behind.
void Win32PlatformServices::keepScreenAwake(bool awake)
{
    const EXECUTION_STATE state = awake
        ? ES_CONTINUOUS | ES_DISPLAY_REQUIRED | ES_SYSTEM_REQUIRED
        : ES_CONTINUOUS;
    if (!SetThreadExecutionState(state))
        trace(texts::screenAwakeUnavailable);
}

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

bool Win32PlatformServices::replaceFile(const std::string& name, std::string_view bytes)
{
    return replaceDiskFile(name, bytes);
}

} // namespace zelvano
