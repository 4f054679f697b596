// A stand-in for the system's winmm.dll, as someone could leave it beside the program: when it is
// loaded, it leaves planted-winmm-ran.txt in its own folder. Its sound calls answer that there is
// no device, so a program that took it would not ring either.
// Lean: the full header declares the system's own sound calls, which this file defines itself.
#define WIN32_LEAN_AND_MEAN
#include <windows.h>
#include <cstdint>
#include <string>

namespace {

constexpr unsigned noDriver = 6; // MMSYSERR_NODRIVER

void leaveMarker(HMODULE self)
{
    std::wstring path(MAX_PATH, L'\0');
    path.resize(GetModuleFileNameW(self, path.data(), static_cast<DWORD>(path.size())));
    path.resize(path.find_last_of(L'\\') + 1);
    const HANDLE marker = CreateFileW((path + L"planted-winmm-ran.txt").c_str(), GENERIC_WRITE, 0,
        nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (marker != INVALID_HANDLE_VALUE)
        CloseHandle(marker);
}

} // namespace

extern "C" {

BOOL WINAPI DllMain(HINSTANCE self, DWORD reason, LPVOID)
{
    if (reason == DLL_PROCESS_ATTACH)
        leaveMarker(self);
    return TRUE;
}

// The calls the program took from winmm.dll when it was linked against it.
__declspec(dllexport) unsigned waveOutOpen(void*, unsigned, const void*, std::uintptr_t,
    std::uintptr_t, unsigned)
{
    return noDriver;
}
__declspec(dllexport) unsigned waveOutPrepareHeader(void*, void*, unsigned) { return noDriver; }
__declspec(dllexport) unsigned waveOutWrite(void*, void*, unsigned) { return noDriver; }
__declspec(dllexport) unsigned waveOutUnprepareHeader(void*, void*, unsigned) { return noDriver; }
__declspec(dllexport) unsigned waveOutReset(void*) { return noDriver; }
__declspec(dllexport) unsigned waveOutClose(void*) { return noDriver; }
}
