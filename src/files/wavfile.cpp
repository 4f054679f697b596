#include "files/wavfile.h"

#include <algorithm>
#include <array>
#include <cstring>

namespace zelvano {

namespace {

    constexpr std::uint16_t pcmTag = 0x0001;
    constexpr std::uint16_t floatTag = 0x0003;
    constexpr std::uint16_t extensibleTag = 0xFFFE;
    // A file of more chunks than this before its samples is no bell sound.
    constexpr int maxChunks = 64;
    // The part of every extensible sub-format GUID after its leading format tag.
    constexpr std::array<unsigned char, 14> guidTail { 0x00, 0x00, 0x00, 0x00, 0x10, 0x00, 0x80,
        0x00, 0x00, 0xAA, 0x00, 0x38, 0x9B, 0x71 };

    std::uint16_t read16(const char* bytes)
    {
        return static_cast<std::uint16_t>(static_cast<unsigned char>(bytes[0])
            | static_cast<unsigned>(static_cast<unsigned char>(bytes[1])) << 8);
    }

    std::uint32_t read32(const char* bytes)
    {
        return std::uint32_t { read16(bytes) } | std::uint32_t { read16(bytes + 2) } << 16;
    }

    // Exactly size bytes at offset, or false.
    bool readExactly(const ReadAt& readAt, std::uint64_t offset, char* buffer, std::size_t size)
    {
        const std::optional<std::size_t> got = readAt(offset, buffer, size);
        return got && *got == size;
    }

    std::optional<SampleFormat> sampleFormat(std::uint16_t tag, std::uint16_t bits)
    {
        if (tag == floatTag)
            return bits == 32 ? std::optional(SampleFormat::Float32) : std::nullopt;
        if (tag != pcmTag)
            return std::nullopt;
        switch (bits) {
        case 8:
            return SampleFormat::UnsignedInt8;
        case 16:
            return SampleFormat::SignedInt16;
        case 24:
            return SampleFormat::SignedInt24;
        case 32:
            return SampleFormat::SignedInt32;
        default:
            return std::nullopt;
        }
    }

    // The "fmt " chunk: its first 16 bytes, and for the extensible form its sub-format.
    std::optional<PcmSound> parseFormat(const char* chunk, std::uint32_t size)
    {
        std::uint16_t tag = read16(chunk);
        const std::uint16_t channels = read16(chunk + 2);
        const std::uint32_t rate = read32(chunk + 4);
        const std::uint16_t blockAlign = read16(chunk + 12);
        const std::uint16_t bits = read16(chunk + 14);
        if (tag == extensibleTag) {
            if (size < 40 || read16(chunk + 16) < 22
                || std::memcmp(chunk + 26, guidTail.data(), guidTail.size()) != 0)
                return std::nullopt;
            tag = read16(chunk + 24);
        }
        const std::optional<SampleFormat> format = sampleFormat(tag, bits);
        if (!format || channels < 1 || channels > maxWavChannels || rate < minWavSampleRate
            || rate > maxWavSampleRate || blockAlign != channels * (bits / 8))
            return std::nullopt;
        PcmSound sound;
        sound.format = *format;
        sound.channels = channels;
        sound.sampleRate = rate;
        return sound;
    }

    std::optional<PcmSound> readSamples(const ReadAt& readAt, std::uint64_t fileSize,
        PcmSound sound, std::uint64_t offset, std::uint32_t declaredSize,
        std::size_t maxSampleBytes)
    {
        // A file cut short, say while it was being copied, may hold only the first few
        // milliseconds of its sound: too little to be heard as a bell.
        if (fileSize - offset < declaredSize)
            return std::nullopt;
        const std::size_t frame = sound.bytesPerFrame();
        std::size_t wanted
            = static_cast<std::size_t>(std::min<std::uint64_t>(declaredSize, maxSampleBytes));
        wanted -= wanted % frame;
        if (wanted == 0)
            return std::nullopt;
        sound.samples.resize(wanted);
        // The file may also have shrunk since its size was taken.
        const std::optional<std::size_t> got = readAt(offset, sound.samples.data(), wanted);
        if (!got || *got != wanted)
            return std::nullopt;
        sound.samplesOffset = offset;
        return sound;
    }

} // namespace

std::size_t PcmSound::bytesPerFrame() const
{
    std::size_t sampleBytes = 2;
    switch (format) {
    case SampleFormat::UnsignedInt8:
        sampleBytes = 1;
        break;
    case SampleFormat::SignedInt16:
        sampleBytes = 2;
        break;
    case SampleFormat::SignedInt24:
        sampleBytes = 3;
        break;
    case SampleFormat::SignedInt32:
    case SampleFormat::Float32:
        sampleBytes = 4;
        break;
    }
    return sampleBytes * channels;
}

double PcmSound::durationMs() const
{
    const std::size_t frame = bytesPerFrame();
    if (frame == 0 || sampleRate == 0)
        return 0.0;
    return static_cast<double>(samples.size() / frame) * 1000.0 / sampleRate;
}

std::optional<PcmSound> decodeWav(
    const ReadAt& readAt, std::uint64_t fileSize, std::size_t maxSampleBytes)
{
    char riff[12];
    if (fileSize < sizeof riff || !readExactly(readAt, 0, riff, sizeof riff)
        || std::memcmp(riff, "RIFF", 4) != 0 || std::memcmp(riff + 8, "WAVE", 4) != 0)
        return std::nullopt;

    std::optional<PcmSound> format;
    std::uint64_t offset = sizeof riff;
    for (int chunk = 0; chunk < maxChunks; ++chunk) {
        char header[8];
        if (fileSize - offset < sizeof header
            || !readExactly(readAt, offset, header, sizeof header))
            return std::nullopt;
        const std::uint32_t size = read32(header + 4);
        const std::uint64_t body = offset + sizeof header;
        if (std::memcmp(header, "data", 4) == 0)
            return format ? readSamples(readAt, fileSize, *format, body, size, maxSampleBytes)
                          : std::nullopt;
        if (std::memcmp(header, "fmt ", 4) == 0) {
            char fields[40] {};
            const std::size_t wanted = std::min<std::size_t>(size, sizeof fields);
            if (size < 16 || !readExactly(readAt, body, fields, wanted))
                return std::nullopt;
            format = parseFormat(fields, size);
            if (!format)
                return std::nullopt;
        }
        // Chunks of odd size are followed by a padding byte.
        offset = body + size + (size & 1u);
        if (offset >= fileSize)
            return std::nullopt;
    }
    return std::nullopt;
}

std::optional<PcmSound> decodeWav(std::string_view bytes, std::size_t maxSampleBytes)
{
    const ReadAt readAt = [bytes](std::uint64_t offset, char* buffer,
                              std::size_t size) -> std::optional<std::size_t> {
        if (offset >= bytes.size())
            return 0;
        const std::size_t count
            = std::min<std::size_t>(size, bytes.size() - static_cast<std::size_t>(offset));
        std::memcpy(buffer, bytes.data() + offset, count);
        return count;
    };
    return decodeWav(readAt, bytes.size(), maxSampleBytes);
}

} // namespace zelvano
