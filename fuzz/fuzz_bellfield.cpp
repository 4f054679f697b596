// The bell-field parser on any bytes, against a model of the rule written another way: white
// space and sign, then digits accumulated modulo 2^32 in 64-bit arithmetic, negated modulo 2^32.
#include <cstdint>
#include <cstring>
#include <string_view>

#include "clock/settingsediting.h"
#include "fuzzcheck.h"

namespace {

constexpr std::uint64_t modulus = std::uint64_t { 1 } << 32;

std::int32_t modelValue(std::string_view text)
{
    std::size_t at = 0;
    while (at < text.size() && text[at] != '\0' && std::strchr(" \t\n\v\f\r", text[at]))
        ++at;
    bool negative = false;
    if (at < text.size() && std::strchr("+-", text[at]) && text[at] != '\0')
        negative = text[at++] == '-';
    std::uint64_t value = 0;
    for (; at < text.size() && std::strchr("0123456789", text[at]) && text[at] != '\0'; ++at)
        value = (value * 10 + static_cast<std::uint64_t>(text[at] - '0')) % modulus;
    if (negative)
        value = (modulus - value) % modulus;
    return static_cast<std::int32_t>(value >= modulus / 2
            ? static_cast<std::int64_t>(value) - static_cast<std::int64_t>(modulus)
            : static_cast<std::int64_t>(value));
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    FUZZ_CHECK(zelvano::parseBellValue(text) == modelValue(text));
    return 0;
}
