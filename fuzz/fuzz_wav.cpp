// The WAV decoder on any bytes. What it accepts the sound server can play: a valid sample format,
// rate and channel map; whole frames taken unchanged from the file, within the read limit; and a
// smaller limit gives the first frames of the same sound.
#include <cstdint>
#include <cstring>
#include <pulse/channelmap.h>
#include <pulse/sample.h>
#include <string_view>

#include "files/wavfile.h"
#include "fuzzcheck.h"

namespace {

pa_sample_format_t serverFormat(zelvano::SampleFormat format)
{
    switch (format) {
    case zelvano::SampleFormat::UnsignedInt8:
        return PA_SAMPLE_U8;
    case zelvano::SampleFormat::SignedInt16:
        return PA_SAMPLE_S16LE;
    case zelvano::SampleFormat::SignedInt24:
        return PA_SAMPLE_S24LE;
    case zelvano::SampleFormat::SignedInt32:
        return PA_SAMPLE_S32LE;
    case zelvano::SampleFormat::Float32:
        return PA_SAMPLE_FLOAT32LE;
    }
    return PA_SAMPLE_INVALID;
}

constexpr std::size_t smallLimit = 64;

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    const std::optional<zelvano::PcmSound> sound = zelvano::decodeWav(bytes);
    if (!sound)
        return 0;
    FUZZ_CHECK(bytes.substr(0, 4) == "RIFF" && bytes.substr(8, 4) == "WAVE");

    pa_sample_spec spec {};
    spec.format = serverFormat(sound->format);
    spec.rate = sound->sampleRate;
    spec.channels = static_cast<std::uint8_t>(sound->channels);
    FUZZ_CHECK(sound->channels >= 1 && sound->channels <= zelvano::maxWavChannels);
    FUZZ_CHECK(pa_sample_spec_valid(&spec));
    pa_channel_map map {};
    FUZZ_CHECK(pa_channel_map_init_extend(&map, spec.channels, PA_CHANNEL_MAP_WAVEEX) != nullptr);
    FUZZ_CHECK(pa_frame_size(&spec) == sound->bytesPerFrame());

    const std::string& samples = sound->samples;
    FUZZ_CHECK(!samples.empty() && samples.size() % sound->bytesPerFrame() == 0);
    FUZZ_CHECK(samples.size() <= zelvano::maxWavSampleBytes);
    FUZZ_CHECK(sound->samplesOffset + samples.size() <= size);
    FUZZ_CHECK(std::memcmp(data + sound->samplesOffset, samples.data(), samples.size()) == 0);

    const std::optional<zelvano::PcmSound> limited = zelvano::decodeWav(bytes, smallLimit);
    FUZZ_CHECK(limited.has_value() == (sound->bytesPerFrame() <= smallLimit));
    if (limited)
        FUZZ_CHECK(samples.compare(0, limited->samples.size(), limited->samples) == 0
            && limited->samples.size()
                == std::min(
                    samples.size(), smallLimit / sound->bytesPerFrame() * sound->bytesPerFrame()));
    return 0;
}
