// The strict integer conversion against a reference written the long way:
// strip, classify, then check lengths and ranges with 64-bit arithmetic.
// Leading zeros do not count towards the eight hexadecimal digits.

#include "FuzzCheck.h"

#include "dictionary/IntegerConversion.h"
#include "text/Error.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace {

bool AllOf(std::string_view text, bool (*accept)(char)) {
    for (const char c : text) {
        if (!accept(c))
            return false;
    }
    return !text.empty();
}

bool IsDecimal(char c) {
    return c >= '0' && c <= '9';
}

bool IsHex(char c) {
    return IsDecimal(c) || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F');
}

std::string_view WithoutLeadingZeros(std::string_view digits) {
    while (digits.size() > 1 && digits.front() == '0')
        digits.remove_prefix(1);
    return digits;
}

std::optional<std::int32_t> Reference(std::string_view text) {
    text.remove_prefix(std::min(text.find_first_not_of(' '), text.size()));
    bool negative = false;
    if (!text.empty() && (text.front() == '+' || text.front() == '-')) {
        negative = text.front() == '-';
        text.remove_prefix(1);
    }

    std::optional<std::string_view> hex;
    if (text.starts_with('$') || text.starts_with('x') || text.starts_with('X'))
        hex = text.substr(1);
    else if (text.starts_with("0x"))
        hex = text.substr(2);
    if (hex) {
        if (!AllOf(*hex, IsHex) || WithoutLeadingZeros(*hex).size() > 8)
            return std::nullopt;
        const auto bits = static_cast<std::uint32_t>(std::stoull(std::string(*hex), nullptr, 16));
        return static_cast<std::int32_t>(negative ? 0u - bits : bits);
    }

    if (!AllOf(text, IsDecimal) || WithoutLeadingZeros(text).size() > 10)
        return std::nullopt;
    const long long magnitude = std::stoll(std::string(text));
    const long long value = negative ? -magnitude : magnitude;
    if (value < INT32_MIN || value > INT32_MAX)
        return std::nullopt;
    return static_cast<std::int32_t>(value);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view text = fuzz::AsText(data, size);
    const std::optional<std::int32_t> expected = Reference(text);
    try {
        const std::int32_t value = StrToInt(text);
        FUZZ_CHECK(expected.has_value() && value == *expected);
    } catch (const ConvertError& error) {
        FUZZ_CHECK(!expected.has_value());
        // what() ends at a NUL of the text, and so does the message the user sees.
        const std::string message = "'" + std::string(text) + "' is not a valid integer value";
        FUZZ_CHECK(std::string_view(error.what()) == message.c_str());
    }
    return 0;
}
