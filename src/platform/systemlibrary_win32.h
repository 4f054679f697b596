#pragma once

#include <windows.h>

namespace zelvano {

// Windows looks for a library that is not one of its KnownDLLs in the program's folder first, so
// a library of that name left beside the program would run in its place. The program therefore
// links only KnownDLLs and loads any other library from the system folder by these.

// Has every library loaded from here on looked for in the system folder only. The program's
// first call: Windows 7 without the update that brought SetDefaultDllDirectories drops at least
// the working folder from the search instead.
void restrictLibrarySearch();

// Loads a library from the system folder only; nullptr when it cannot be loaded.
HMODULE loadSystemLibrary(const wchar_t* name);

// A function of a loaded library as the type it is declared with.
template <typename Function> Function* libraryFunction(HMODULE library, const char* name)
{
    // By way of the generic function type, which converts to any other without complaint.
    return reinterpret_cast<Function*>(
        reinterpret_cast<void (*)()>(GetProcAddress(library, name)));
}

} // namespace zelvano
