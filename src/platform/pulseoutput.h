#pragma once

#include <chrono>
#include <memory>
#include <optional>

struct pa_context;
struct pa_mainloop;
struct pa_operation;
struct pa_stream;

namespace zelvano {

struct PcmSound;

// Plays one sound at a time through the sound server's native protocol, driven by a PulseAudio
// main loop that the calling thread runs with waitForEvents(). Nothing here blocks: connecting,
// opening a stream and draining it are all asynchronous, and each of them has a deadline, so a
// server that dies, hangs or comes back later never holds the thread. Without a connection,
// one is made when the next sound is asked for.
class PulseOutput final
{
public:
    explicit PulseOutput(pa_mainloop* loop);
    ~PulseOutput();
    PulseOutput(const PulseOutput&) = delete;
    PulseOutput& operator=(const PulseOutput&) = delete;

    // Starts connecting unless connected or connecting already; returns at once.
    void connect();
    // Cuts off the sound playing and starts sound. When the server refuses it before it starts,
    // fallback (when given) plays in its place. Before the connection is ready the request waits
    // for it; a later request replaces a waiting one.
    void play(std::shared_ptr<const PcmSound> sound, std::shared_ptr<const PcmSound> fallback);
    // Waits for the server or a wake-up of the loop, no longer than the nearest deadline, and
    // handles what came. Without anything under way it waits for a wake-up alone.
    void waitForEvents();

private:
    using Clock = std::chrono::steady_clock;
    struct Request
    {
        std::shared_ptr<const PcmSound> sound;
        std::shared_ptr<const PcmSound> fallback;
    };

    static void onContextState(pa_context* context, void* self);
    static void onStreamState(pa_stream* stream, void* self);
    static void onStreamWritable(pa_stream* stream, std::size_t bytes, void* self);
    static void onStreamDrained(pa_stream* stream, int success, void* self);

    void start(const Request& request);
    // Opens a stream for sound; false, with no stream, when the server cannot take it.
    bool openStream(const PcmSound& sound);
    void writeSamples();
    void handleEvents();
    void dropContext();
    void endStream();
    std::optional<Clock::time_point> nearestDeadline() const;

    pa_mainloop* m_loop;
    pa_context* m_context = nullptr;
    bool m_contextReady = false;
    Clock::time_point m_connectDeadline;
    std::optional<Request> m_waiting; // for the connection

    pa_stream* m_stream = nullptr;
    Request m_playing;
    bool m_started = false;
    bool m_allWritten = false;
    pa_operation* m_drain = nullptr; // once every sample is written
    Clock::time_point m_streamDeadline;

    // Set by the callbacks, handled once the loop has dispatched them: nothing is freed while
    // the library is still inside one of its own callbacks.
    bool m_contextBecameReady = false;
    bool m_contextFailed = false;
    bool m_streamBecameReady = false;
    bool m_streamFailed = false;
    bool m_streamDrained = false;
};

} // namespace zelvano
