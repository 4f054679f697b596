#include "platform/pulseoutput.h"

#include <algorithm>
#include <utility>

#include "files/wavfile.h"
#include "platform/pulselibrary.h"

namespace zelvano {

namespace {

    using namespace std::chrono_literals;

    // A local server answers within milliseconds; one that takes longer is not going to help a
    // bell that is due now.
    constexpr auto connectTimeout = 1000ms;
    constexpr auto streamOpenTimeout = 500ms;
    // Past the end of the sound, for the server to play out what it holds.
    constexpr auto drainAllowance = 2000ms;
    // The latency asked of the server: short, so a sound starts soon after it is asked for.
    constexpr pa_usec_t targetLatencyUs = 40'000;

    pa_sample_format_t sampleFormat(SampleFormat format)
    {
        switch (format) {
        case SampleFormat::UnsignedInt8:
            return PA_SAMPLE_U8;
        case SampleFormat::SignedInt16:
            return PA_SAMPLE_S16LE;
        case SampleFormat::SignedInt24:
            return PA_SAMPLE_S24LE;
        case SampleFormat::SignedInt32:
            return PA_SAMPLE_S32LE;
        case SampleFormat::Float32:
            return PA_SAMPLE_FLOAT32LE;
        }
        return PA_SAMPLE_INVALID;
    }

} // namespace

PulseOutput::PulseOutput(pa_mainloop* loop)
    : m_loop(loop)
{ }

PulseOutput::~PulseOutput() { dropContext(); }

void PulseOutput::connect()
{
    if (m_context)
        return;
    m_context = pulse().context_new(pulse().mainloop_get_api(m_loop), "Zelvano");
    if (!m_context)
        return;
    pulse().context_set_state_callback(m_context, &PulseOutput::onContextState, this);
    // A timer has no business starting a sound server of its own.
    if (pulse().context_connect(m_context, nullptr, PA_CONTEXT_NOAUTOSPAWN, nullptr) < 0) {
        dropContext();
        return;
    }
    m_connectDeadline = Clock::now() + connectTimeout;
}

void PulseOutput::play(
    std::shared_ptr<const PcmSound> sound, std::shared_ptr<const PcmSound> fallback)
{
    const Request request { std::move(sound), std::move(fallback) };
    connect();
    if (!m_context)
        return;
    if (m_contextReady)
        start(request);
    else
        m_waiting = request;
}

void PulseOutput::waitForEvents()
{
    int timeoutUs = -1;
    if (const std::optional<Clock::time_point> deadline = nearestDeadline()) {
        const auto left
            = std::chrono::duration_cast<std::chrono::microseconds>(*deadline - Clock::now());
        timeoutUs = static_cast<int>(std::max<std::chrono::microseconds::rep>(0, left.count()));
    }
    if (pulse().mainloop_prepare(m_loop, timeoutUs) >= 0 && pulse().mainloop_poll(m_loop) >= 0)
        pulse().mainloop_dispatch(m_loop);
    handleEvents();
}

void PulseOutput::onContextState(pa_context* context, void* self)
{
    auto* output = static_cast<PulseOutput*>(self);
    switch (pulse().context_get_state(context)) {
    case PA_CONTEXT_READY:
        output->m_contextBecameReady = true;
        break;
    case PA_CONTEXT_FAILED:
    case PA_CONTEXT_TERMINATED:
        output->m_contextFailed = true;
        break;
    default:
        break;
    }
}

void PulseOutput::onStreamState(pa_stream* stream, void* self)
{
    auto* output = static_cast<PulseOutput*>(self);
    switch (pulse().stream_get_state(stream)) {
    case PA_STREAM_READY:
        output->m_streamBecameReady = true;
        break;
    case PA_STREAM_FAILED:
    case PA_STREAM_TERMINATED:
        output->m_streamFailed = true;
        break;
    default:
        break;
    }
}

void PulseOutput::onStreamWritable(pa_stream*, std::size_t, void* self)
{
    static_cast<PulseOutput*>(self)->writeSamples();
}

void PulseOutput::onStreamDrained(pa_stream*, int, void* self)
{
    static_cast<PulseOutput*>(self)->m_streamDrained = true;
}

void PulseOutput::start(const Request& request)
{
    endStream();
    if (openStream(*request.sound))
        m_playing = request;
    else if (request.fallback && openStream(*request.fallback))
        m_playing = { request.fallback, nullptr };
}

bool PulseOutput::openStream(const PcmSound& sound)
{
    pa_sample_spec spec {};
    spec.format = sampleFormat(sound.format);
    spec.rate = sound.sampleRate;
    spec.channels = static_cast<std::uint8_t>(sound.channels);
    pa_channel_map channels {};
    if (!pulse().sample_spec_valid(&spec)
        || !pulse().channel_map_init_extend(&channels, spec.channels, PA_CHANNEL_MAP_WAVEEX))
        return false;
    m_stream = pulse().stream_new(m_context, "bell", &spec, &channels);
    if (!m_stream)
        return false;
    pulse().stream_set_state_callback(m_stream, &PulseOutput::onStreamState, this);
    pulse().stream_set_write_callback(m_stream, &PulseOutput::onStreamWritable, this);

    pa_buffer_attr buffer {};
    buffer.maxlength = static_cast<std::uint32_t>(-1);
    buffer.tlength = static_cast<std::uint32_t>(pulse().usec_to_bytes(targetLatencyUs, &spec));
    // A sound shorter than the target would otherwise wait for bytes that never come.
    buffer.prebuf
        = static_cast<std::uint32_t>(std::min<std::size_t>(buffer.tlength, sound.samples.size()));
    buffer.minreq = static_cast<std::uint32_t>(-1);
    buffer.fragsize = static_cast<std::uint32_t>(-1);
    if (pulse().stream_connect_playback(
            m_stream, nullptr, &buffer, PA_STREAM_ADJUST_LATENCY, nullptr, nullptr)
        < 0) {
        endStream();
        return false;
    }
    m_streamDeadline = Clock::now() + streamOpenTimeout;
    return true;
}

void PulseOutput::writeSamples()
{
    if (!m_stream || m_allWritten)
        return;
    // All of it at once, whatever the server asked for: the server holds up to 4 MiB per stream,
    // more than any sound read, so a ring never runs dry while this thread is slow to wake.
    const std::string& samples = m_playing.sound->samples;
    if (pulse().stream_write(m_stream, samples.data(), samples.size(), nullptr, 0, PA_SEEK_RELATIVE)
        < 0) {
        m_streamFailed = true;
        return;
    }
    m_allWritten = true;
    m_drain = pulse().stream_drain(m_stream, &PulseOutput::onStreamDrained, this);
}

void PulseOutput::handleEvents()
{
    const bool contextBecameReady = std::exchange(m_contextBecameReady, false);
    if (std::exchange(m_contextFailed, false)) {
        dropContext();
        return;
    }
    if (contextBecameReady) {
        m_contextReady = true;
        if (m_waiting) {
            start(*m_waiting);
            m_waiting.reset();
        }
    }
    if (m_context && !m_contextReady && Clock::now() >= m_connectDeadline) {
        dropContext();
        return;
    }
    if (!m_stream)
        return;
    const bool failed = std::exchange(m_streamFailed, false);
    const bool drained = std::exchange(m_streamDrained, false);
    if (std::exchange(m_streamBecameReady, false) && !failed) {
        m_started = true;
        m_streamDeadline = Clock::now()
            + std::chrono::duration_cast<Clock::duration>(
                std::chrono::duration<double, std::milli>(m_playing.sound->durationMs()))
            + drainAllowance;
    }
    const bool expired = Clock::now() >= m_streamDeadline;
    if ((failed || expired) && !m_started && m_playing.fallback)
        start({ m_playing.fallback, nullptr });
    else if (failed || expired || drained)
        endStream();
}

void PulseOutput::dropContext()
{
    endStream();
    m_waiting.reset();
    m_contextReady = false;
    m_contextBecameReady = false;
    m_contextFailed = false;
    if (!m_context)
        return;
    pulse().context_set_state_callback(m_context, nullptr, nullptr);
    pulse().context_disconnect(m_context);
    pulse().context_unref(m_context);
    m_context = nullptr;
}

void PulseOutput::endStream()
{
    m_streamBecameReady = false;
    m_streamFailed = false;
    m_streamDrained = false;
    m_started = false;
    m_allWritten = false;
    m_playing = {};
    if (m_drain) {
        // Its callback must not reach the next stream.
        pulse().operation_cancel(m_drain);
        pulse().operation_unref(m_drain);
        m_drain = nullptr;
    }
    if (!m_stream)
        return;
    pulse().stream_set_state_callback(m_stream, nullptr, nullptr);
    pulse().stream_set_write_callback(m_stream, nullptr, nullptr);
    pulse().stream_disconnect(m_stream);
    pulse().stream_unref(m_stream);
    m_stream = nullptr;
}

std::optional<PulseOutput::Clock::time_point> PulseOutput::nearestDeadline() const
{
    std::optional<Clock::time_point> nearest;
    if (m_context && !m_contextReady)
        nearest = m_connectDeadline;
    if (m_stream && (!nearest || m_streamDeadline < *nearest))
        nearest = m_streamDeadline;
    return nearest;
}

} // namespace zelvano
