#pragma once

#include <QByteArray>
#include <QtGlobal>
#include <vector>

struct pa_context;
struct pa_sink_info;
struct pa_stream;
struct pa_threaded_mainloop;

namespace zelvano {

// Records the default sink's monitor of a sound server in fragments of 2 ms and stamps the
// arrival of each on CLOCK_MONOTONIC, so that a moment of the recording can be put on the same
// clock as the program's requests. A null sink renders its streams ahead of time, up to its
// latency, and its monitor hands that over at once: a sample arrives up to the sink's latency
// before it is played, and never sooner. So the fragment that came soonest after its samples,
// moved on by the sink's latency, fixes when the recording's first sample was played.
class TimedRecorder final
{
public:
    static constexpr int sampleRate = 44100; // signed 16-bit mono

    explicit TimedRecorder(const QByteArray& serverAddress);
    ~TimedRecorder();
    TimedRecorder(const TimedRecorder&) = delete;
    TimedRecorder& operator=(const TimedRecorder&) = delete;

    // Connects and starts recording; false when the server cannot be recorded.
    bool start();
    // Stops recording; the samples since start().
    std::vector<qint16> stop();
    // CLOCK_MONOTONIC milliseconds at which the first sample was played.
    double startMs() const { return m_startMs + sinkLatencyMs(); }
    // How far ahead the sink renders, as it says at the end of the recording.
    double sinkLatencyMs() const { return static_cast<double>(m_sinkLatencyUs) / 1e3; }

private:
    static void onContextState(pa_context* context, void* self);
    static void onStreamState(pa_stream* stream, void* self);
    static void onRead(pa_stream* stream, std::size_t bytes, void* self);
    static void onSinkInfo(pa_context* context, const pa_sink_info* info, int eol, void* self);
    bool waitUntil(bool (*done)(TimedRecorder&), int timeoutMs);

    QByteArray m_server;
    pa_threaded_mainloop* m_loop = nullptr;
    pa_context* m_context = nullptr;
    pa_stream* m_stream = nullptr;
    std::vector<qint16> m_samples;
    double m_startMs = 0.0;
    bool m_contextReady = false;
    bool m_streamReady = false;
    bool m_failed = false;
    bool m_sinkInfoDone = false;
    unsigned long long m_sinkLatencyUs = 0;
};

} // namespace zelvano
