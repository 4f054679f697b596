#pragma once

#include <pulse/context.h>
#include <pulse/mainloop.h>
#include <pulse/operation.h>
#include <pulse/stream.h>

namespace zelvano {

// The functions of the sound server's client library the program calls, by their names less the
// library's "pa_" prefix.
#define ZELVANO_PULSE_FUNCTIONS(F)                                                                 \
    F(mainloop_new)                                                                                \
    F(mainloop_free)                                                                               \
    F(mainloop_get_api)                                                                            \
    F(mainloop_prepare)                                                                            \
    F(mainloop_poll)                                                                               \
    F(mainloop_dispatch)                                                                           \
    F(context_new)                                                                                 \
    F(context_set_state_callback)                                                                  \
    F(context_connect)                                                                             \
    F(context_get_state)                                                                           \
    F(context_disconnect)                                                                          \
    F(context_unref)                                                                               \
    F(sample_spec_valid)                                                                           \
    F(channel_map_init_extend)                                                                     \
    F(usec_to_bytes)                                                                               \
    F(stream_new)                                                                                  \
    F(stream_set_state_callback)                                                                   \
    F(stream_set_write_callback)                                                                   \
    F(stream_connect_playback)                                                                     \
    F(stream_get_state)                                                                            \
    F(stream_write)                                                                                \
    F(stream_drain)                                                                                \
    F(stream_disconnect)                                                                           \
    F(stream_unref)                                                                                \
    F(operation_cancel)                                                                            \
    F(operation_unref)

// The sound server's client library, loaded when the sound first starts rather than with the
// program: it brings a dozen libraries of sound codecs with it, which a window that has not rung
// yet has no use for.
struct PulseLibrary
{
#define ZELVANO_PULSE_MEMBER(name) decltype(&::pa_##name) name;
    ZELVANO_PULSE_FUNCTIONS(ZELVANO_PULSE_MEMBER)
#undef ZELVANO_PULSE_MEMBER
};

// The library, loaded on the first call from any thread; nothing when it cannot be loaded or
// lacks a function, which the first call says on standard error.
const PulseLibrary* pulseLibrary();

// The library once pulseLibrary() has found it: for the code that runs only after that.
inline const PulseLibrary& pulse() { return *pulseLibrary(); }

} // namespace zelvano
