#include "sound/pcmconvert.h"

#include <algorithm>
#include <cmath>
#include <cstring>

namespace zelvano {

namespace {

    // One sample at byte offset as a value from -1 to 1.
    double sampleAt(const PcmSound& sound, std::size_t offset)
    {
        const auto byte = [&sound, offset](std::size_t i) {
            return static_cast<std::uint32_t>(
                static_cast<unsigned char>(sound.samples[offset + i]));
        };
        switch (sound.format) {
        case SampleFormat::UnsignedInt8:
            return (static_cast<double>(byte(0)) - 128.0) / 128.0;
        case SampleFormat::SignedInt16:
            return static_cast<std::int16_t>(byte(0) | byte(1) << 8) / 32768.0;
        case SampleFormat::SignedInt24:
            // Shifted into the top of 32 bits, so the sign comes along.
            return static_cast<std::int32_t>(byte(0) << 8 | byte(1) << 16 | byte(2) << 24)
                / 2147483648.0;
        case SampleFormat::SignedInt32:
            return static_cast<std::int32_t>(byte(0) | byte(1) << 8 | byte(2) << 16 | byte(3) << 24)
                / 2147483648.0;
        case SampleFormat::Float32: {
            const std::uint32_t bits = byte(0) | byte(1) << 8 | byte(2) << 16 | byte(3) << 24;
            float value = 0;
            std::memcpy(&value, &bits, sizeof value);
            return std::isfinite(value) ? static_cast<double>(value) : 0.0;
        }
        }
        return 0.0;
    }

    std::int16_t toInt16(double value)
    {
        return static_cast<std::int16_t>(std::lround(std::clamp(value, -1.0, 1.0) * 32767.0));
    }

} // namespace

std::vector<std::int16_t> toStereo16(const PcmSound& sound, std::uint32_t rate)
{
    const std::size_t frameBytes = sound.bytesPerFrame();
    if (frameBytes == 0 || sound.sampleRate == 0 || rate == 0)
        return {};
    const std::size_t frames = sound.samples.size() / frameBytes;
    const std::size_t sampleBytes = frameBytes / sound.channels;
    const std::size_t rightChannel = sound.channels > 1 ? 1 : 0;
    const auto outFrames
        = static_cast<std::size_t>(static_cast<std::uint64_t>(frames) * rate / sound.sampleRate);
    const double step = static_cast<double>(sound.sampleRate) / rate;
    std::vector<std::int16_t> out;
    out.reserve(outFrames * 2);
    for (std::size_t i = 0; i < outFrames; ++i) {
        const double position = static_cast<double>(i) * step;
        const auto before = std::min(static_cast<std::size_t>(position), frames - 1);
        const std::size_t after = std::min(before + 1, frames - 1);
        const double weight = position - static_cast<double>(before);
        for (const std::size_t channel : { std::size_t { 0 }, rightChannel }) {
            const double a = sampleAt(sound, before * frameBytes + channel * sampleBytes);
            const double b = sampleAt(sound, after * frameBytes + channel * sampleBytes);
            out.push_back(toInt16(a + (b - a) * weight));
        }
    }
    return out;
}

} // namespace zelvano
