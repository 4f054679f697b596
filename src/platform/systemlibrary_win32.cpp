#include "platform/systemlibrary_win32.h"

#include <string>

namespace zelvano {

void restrictLibrarySearch()
{
    const HMODULE kernel = GetModuleHandleW(L"kernel32.dll");
    const auto setDefaultDllDirectories
        = kernel ? libraryFunction<BOOL WINAPI(DWORD)>(kernel, "SetDefaultDllDirectories") : nullptr;
    if (!setDefaultDllDirectories || !setDefaultDllDirectories(LOAD_LIBRARY_SEARCH_SYSTEM32))
        SetDllDirectoryW(L"");
}

HMODULE loadSystemLibrary(const wchar_t* name)
{
    if (const HMODULE library = LoadLibraryExW(name, nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32))
        return library;
    // Without the search flags (Windows 7 before its update) the full path does the same.
    std::wstring folder(MAX_PATH, L'\0');
    const UINT length = GetSystemDirectoryW(folder.data(), static_cast<UINT>(folder.size()));
    if (length == 0 || length >= folder.size())
        return nullptr;
    folder.resize(length);
    return LoadLibraryExW((folder + L"\\" + name).c_str(), nullptr, LOAD_WITH_ALTERED_SEARCH_PATH);
}

} // namespace zelvano
