#include "platform/pulselibrary.h"

#include <cstdio>
#include <dlfcn.h>
#include <optional>

#include "core/texts.h"

namespace zelvano {

namespace {

    std::optional<PulseLibrary> load()
    {
        // Never closed: the sound thread may outlive the player at the program's end.
        void* const library = dlopen("libpulse.so.0", RTLD_NOW | RTLD_LOCAL);
        PulseLibrary functions {};
        bool complete = library != nullptr;
#define ZELVANO_PULSE_LOOKUP(name)                                                                 \
    if (complete) {                                                                                \
        functions.name = reinterpret_cast<decltype(functions.name)>(dlsym(library, "pa_" #name)); \
        complete = functions.name != nullptr;                                                      \
    }
        ZELVANO_PULSE_FUNCTIONS(ZELVANO_PULSE_LOOKUP)
#undef ZELVANO_PULSE_LOOKUP
        if (!complete) {
            const char* why = dlerror();
            std::fprintf(stderr, "%s (%s)\n", texts::noSoundLibraryMessage, why ? why : "");
            return std::nullopt;
        }
        return functions;
    }

} // namespace

const PulseLibrary* pulseLibrary()
{
    static const std::optional<PulseLibrary> library = load();
    return library ? &*library : nullptr;
}

} // namespace zelvano
