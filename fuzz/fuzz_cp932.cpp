// The code page 932 encoder on any bytes. It never substitutes: whatever it accepts decodes back
// to the input through glibc's iconv, and glibc encodes the input to the same bytes. It accepts
// exactly the valid UTF-8 made of ASCII and the report's eight Japanese characters.
#include <algorithm>
#include <cstdint>
#include <string>

#include "files/cp932.h"
#include "fuzzcheck.h"
#include "support/iconvconvert.h"

namespace {

// Code points of valid UTF-8, as glibc reads it; nothing for anything else.
std::optional<std::u32string> codePoints(const std::string& utf8)
{
    const std::optional<std::string> wide = zelvano::iconvConvert("UTF-8", "UTF-32LE", utf8);
    if (!wide)
        return std::nullopt;
    std::u32string points;
    for (std::size_t i = 0; i + 4 <= wide->size(); i += 4) {
        char32_t point = 0;
        for (std::size_t b = 4; b-- > 0;)
            point = point << 8 | static_cast<unsigned char>((*wide)[i + b]);
        points.push_back(point);
    }
    return points;
}

bool inReportRepertoire(char32_t point)
{
    return point < 0x80
        || std::u32string_view(U"\u3000月積日年発表累").find(point) != std::u32string_view::npos;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string input(reinterpret_cast<const char*>(data), size);
    const std::optional<std::string> encoded = zelvano::encodeCp932(input);

    const std::optional<std::u32string> points = codePoints(input);
    const bool encodable
        = points && std::all_of(points->begin(), points->end(), inReportRepertoire);
    FUZZ_CHECK(encoded.has_value() == encodable);
    if (!encoded)
        return 0;
    FUZZ_CHECK(std::count(encoded->begin(), encoded->end(), '?')
        == std::count(input.begin(), input.end(), '?'));
    FUZZ_CHECK(zelvano::iconvConvert("CP932", "UTF-8", *encoded) == input);
    FUZZ_CHECK(zelvano::iconvConvert("UTF-8", "CP932", input) == encoded);
    return 0;
}
