#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

namespace zelvano {

enum class SampleFormat { UnsignedInt8, SignedInt16, SignedInt24, SignedInt32, Float32 };

// Sound samples as a WAV file holds them: little-endian, channels interleaved, whole frames only.
struct PcmSound
{
    SampleFormat format = SampleFormat::SignedInt16;
    std::uint16_t channels = 0;
    std::uint32_t sampleRate = 0;
    std::string samples;
    std::uint64_t samplesOffset = 0; // where the samples begin in the file

    std::size_t bytesPerFrame() const;
    double durationMs() const;
};

inline constexpr std::uint16_t maxWavChannels = 8;
inline constexpr std::uint32_t minWavSampleRate = 8000;
inline constexpr std::uint32_t maxWavSampleRate = 192000;

// A bell is cut off by the next one 400 ms later and only the last of a series plays to its end,
// so a few seconds of sound are all that is ever heard. Reading no more than this keeps a huge
// file from costing time or memory: about 12 s of CD-quality stereo, 24 s of mono.
inline constexpr std::size_t maxWavSampleBytes = std::size_t { 2 } * 1024 * 1024;

// Reads up to size bytes at offset; fewer at the end of the file, nothing on a read error.
using ReadAt = std::function<std::optional<std::size_t>(
    std::uint64_t offset, char* buffer, std::size_t size)>;

// Decodes a RIFF WAVE file of PCM (8, 16, 24 or 32 bits) or 32-bit float samples, plain or in
// the extensible format, 1 to 8 channels at 8 to 192 kHz. Chunks before "data" are stepped over
// with their padding byte. Nothing for anything else, for a file without a single frame, for a
// data chunk longer than the file holds (a file still being copied), or for one whose bytes
// cannot be read. At most maxSampleBytes of samples are read.
std::optional<PcmSound> decodeWav(
    const ReadAt& readAt, std::uint64_t fileSize, std::size_t maxSampleBytes = maxWavSampleBytes);
std::optional<PcmSound> decodeWav(
    std::string_view bytes, std::size_t maxSampleBytes = maxWavSampleBytes);

} // namespace zelvano
