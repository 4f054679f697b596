#include "files/cp932.h"

#include <array>
#include <cstdint>

namespace zelvano {

namespace {

    struct DoubleByte
    {
        char32_t codePoint;
        unsigned char lead;
        unsigned char trail;
    };

    // The non-ASCII characters of the report header and the lap lines.
    constexpr std::array<DoubleByte, 8> doubleBytes { {
        { U'\u3000', 0x81, 0x40 }, // ideographic space
        { U'月', 0x8C, 0x8E },
        { U'積', 0x90, 0xCF },
        { U'日', 0x93, 0xFA },
        { U'年', 0x94, 0x4E },
        { U'発', 0x94, 0xAD },
        { U'表', 0x95, 0x5C }, // trail byte is the code of a backslash
        { U'累', 0x97, 0xDD },
    } };

    // Decodes one UTF-8 sequence at pos, advancing pos; nothing for a malformed or overlong one.
    std::optional<char32_t> decodeUtf8(std::string_view text, std::size_t& pos)
    {
        const auto lead = static_cast<unsigned char>(text[pos]);
        std::size_t length = 0;
        char32_t value = 0;
        if (lead < 0x80) {
            length = 1;
            value = lead;
        } else if ((lead & 0xE0) == 0xC0) {
            length = 2;
            value = lead & 0x1F;
        } else if ((lead & 0xF0) == 0xE0) {
            length = 3;
            value = lead & 0x0F;
        } else if ((lead & 0xF8) == 0xF0) {
            length = 4;
            value = lead & 0x07;
        } else {
            return std::nullopt;
        }
        if (text.size() - pos < length)
            return std::nullopt;
        for (std::size_t i = 1; i < length; ++i) {
            const auto next = static_cast<unsigned char>(text[pos + i]);
            if ((next & 0xC0) != 0x80)
                return std::nullopt;
            value = (value << 6) | (next & 0x3F);
        }
        constexpr std::array<char32_t, 5> smallestOfLength { 0, 0, 0x80, 0x800, 0x10000 };
        if (value < smallestOfLength[length] || value > 0x10FFFF
            || (value >= 0xD800 && value <= 0xDFFF))
            return std::nullopt;
        pos += length;
        return value;
    }

} // namespace

std::optional<std::string> encodeCp932(std::string_view utf8)
{
    std::string bytes;
    bytes.reserve(utf8.size());
    std::size_t pos = 0;
    while (pos < utf8.size()) {
        const std::optional<char32_t> codePoint = decodeUtf8(utf8, pos);
        if (!codePoint)
            return std::nullopt;
        if (*codePoint < 0x80) {
            bytes.push_back(static_cast<char>(*codePoint));
            continue;
        }
        const DoubleByte* match = nullptr;
        for (const DoubleByte& entry : doubleBytes) {
            if (entry.codePoint == *codePoint)
                match = &entry;
        }
        if (!match)
            return std::nullopt;
        bytes.push_back(static_cast<char>(match->lead));
        bytes.push_back(static_cast<char>(match->trail));
    }
    return bytes;
}

} // namespace zelvano
