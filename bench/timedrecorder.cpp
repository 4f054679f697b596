#include "timedrecorder.h"

#include <cstring>
#include <ctime>
#include <limits>
#include <pulse/context.h>
#include <pulse/introspect.h>
#include <pulse/stream.h>
#include <pulse/thread-mainloop.h>

namespace zelvano {

namespace {

    constexpr pa_usec_t fragmentUs = 2000;

    double monotonicMs()
    {
        timespec now {};
        clock_gettime(CLOCK_MONOTONIC, &now);
        return static_cast<double>(now.tv_sec) * 1e3 + static_cast<double>(now.tv_nsec) / 1e6;
    }

    // Holds the loop's lock for a scope.
    class LoopLock final
    {
    public:
        explicit LoopLock(pa_threaded_mainloop* loop)
            : m_loop(loop)
        {
            pa_threaded_mainloop_lock(m_loop);
        }
        ~LoopLock() { pa_threaded_mainloop_unlock(m_loop); }
        LoopLock(const LoopLock&) = delete;
        LoopLock& operator=(const LoopLock&) = delete;

    private:
        pa_threaded_mainloop* m_loop;
    };

} // namespace

TimedRecorder::TimedRecorder(const QByteArray& serverAddress)
    : m_server(serverAddress)
    , m_loop(pa_threaded_mainloop_new())
    , m_startMs(std::numeric_limits<double>::infinity())
{ }

TimedRecorder::~TimedRecorder()
{
    stop();
    if (m_loop) {
        pa_threaded_mainloop_stop(m_loop);
        if (m_context) {
            pa_context_disconnect(m_context);
            pa_context_unref(m_context);
        }
        pa_threaded_mainloop_free(m_loop);
    }
}

bool TimedRecorder::start()
{
    if (!m_loop || pa_threaded_mainloop_start(m_loop) < 0)
        return false;
    {
        const LoopLock lock(m_loop);
        m_context = pa_context_new(pa_threaded_mainloop_get_api(m_loop), "bench recorder");
        if (!m_context)
            return false;
        pa_context_set_state_callback(m_context, &TimedRecorder::onContextState, this);
        if (pa_context_connect(m_context, m_server.constData(), PA_CONTEXT_NOAUTOSPAWN, nullptr) < 0)
            return false;
    }
    if (!waitUntil([](TimedRecorder& r) { return r.m_contextReady; }, 5000))
        return false;
    {
        const LoopLock lock(m_loop);
        pa_sample_spec spec {};
        spec.format = PA_SAMPLE_S16LE;
        spec.rate = sampleRate;
        spec.channels = 1;
        m_stream = pa_stream_new(m_context, "recording", &spec, nullptr);
        if (!m_stream)
            return false;
        pa_stream_set_state_callback(m_stream, &TimedRecorder::onStreamState, this);
        pa_stream_set_read_callback(m_stream, &TimedRecorder::onRead, this);
        pa_buffer_attr buffer {};
        buffer.maxlength = std::numeric_limits<std::uint32_t>::max();
        buffer.fragsize = static_cast<std::uint32_t>(pa_usec_to_bytes(fragmentUs, &spec));
        if (pa_stream_connect_record(m_stream, "@DEFAULT_MONITOR@", &buffer, PA_STREAM_ADJUST_LATENCY)
            < 0)
            return false;
    }
    return waitUntil([](TimedRecorder& r) { return r.m_streamReady && !r.m_samples.empty(); }, 5000);
}

std::vector<qint16> TimedRecorder::stop()
{
    if (!m_loop || !m_stream)
        return {};
    {
        const LoopLock lock(m_loop);
        if (pa_operation* operation = pa_context_get_sink_info_by_name(
                m_context, "@DEFAULT_SINK@", &TimedRecorder::onSinkInfo, this))
            pa_operation_unref(operation);
        else
            m_sinkInfoDone = true;
    }
    waitUntil([](TimedRecorder& r) { return r.m_sinkInfoDone; }, 5000);
    const LoopLock lock(m_loop);
    pa_stream_set_read_callback(m_stream, nullptr, nullptr);
    pa_stream_set_state_callback(m_stream, nullptr, nullptr);
    pa_stream_disconnect(m_stream);
    pa_stream_unref(m_stream);
    m_stream = nullptr;
    return m_samples;
}

bool TimedRecorder::waitUntil(bool (*done)(TimedRecorder&), int timeoutMs)
{
    const double deadline = monotonicMs() + timeoutMs;
    for (;;) {
        {
            const LoopLock lock(m_loop);
            if (m_failed)
                return false;
            if (done(*this))
                return true;
        }
        if (monotonicMs() > deadline)
            return false;
        struct timespec pause { 0, 1'000'000 };
        nanosleep(&pause, nullptr);
    }
}

void TimedRecorder::onContextState(pa_context* context, void* self)
{
    auto* recorder = static_cast<TimedRecorder*>(self);
    const pa_context_state_t state = pa_context_get_state(context);
    recorder->m_contextReady = state == PA_CONTEXT_READY;
    recorder->m_failed |= state == PA_CONTEXT_FAILED || state == PA_CONTEXT_TERMINATED;
}

void TimedRecorder::onStreamState(pa_stream* stream, void* self)
{
    auto* recorder = static_cast<TimedRecorder*>(self);
    const pa_stream_state_t state = pa_stream_get_state(stream);
    recorder->m_streamReady = state == PA_STREAM_READY;
    recorder->m_failed |= state == PA_STREAM_FAILED || state == PA_STREAM_TERMINATED;
}

void TimedRecorder::onSinkInfo(pa_context*, const pa_sink_info* info, int eol, void* self)
{
    auto* recorder = static_cast<TimedRecorder*>(self);
    if (info)
        recorder->m_sinkLatencyUs = info->configured_latency;
    if (eol)
        recorder->m_sinkInfoDone = true;
}

void TimedRecorder::onRead(pa_stream* stream, std::size_t, void* self)
{
    auto* recorder = static_cast<TimedRecorder*>(self);
    const double arrivedMs = monotonicMs();
    const void* data = nullptr;
    std::size_t bytes = 0;
    while (pa_stream_readable_size(stream) > 0) {
        if (pa_stream_peek(stream, &data, &bytes) < 0)
            return;
        if (bytes == 0)
            break;
        const std::size_t count = bytes / sizeof(qint16);
        const std::size_t first = recorder->m_samples.size();
        recorder->m_samples.resize(first + count);
        if (data)
            std::memcpy(recorder->m_samples.data() + first, data, count * sizeof(qint16));
        pa_stream_drop(stream);
    }
    // The samples so far ended no later than now.
    const double startMs = arrivedMs
        - static_cast<double>(recorder->m_samples.size()) * 1000.0 / sampleRate;
    if (startMs < recorder->m_startMs)
        recorder->m_startMs = startMs;
}

} // namespace zelvano
