#include "dictionary/IntegerConversion.h"

#include "text/Error.h"

#include <string>

namespace {

[[noreturn]] void ThrowNotInteger(std::string_view text) {
    throw ConvertError("'" + std::string(text) + "' is not a valid integer value");
}

int HexDigitValue(char c) {
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

} // namespace

std::int32_t StrToInt(std::string_view text) {
    std::size_t i = 0;
    while (i < text.size() && text[i] == ' ')
        ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) {
        negative = text[i] == '-';
        ++i;
    }

    std::size_t hexStart = 0;
    if (i < text.size() && (text[i] == '$' || text[i] == 'x' || text[i] == 'X'))
        hexStart = i + 1;
    else if (text.substr(i, 2) == "0x")
        hexStart = i + 2;

    if (hexStart != 0) {
        // The digits give the 32 bits as they stand, so $FFFFFFFF is -1; leading
        // zeros are harmless, a ninth significant digit is not.
        if (hexStart == text.size())
            ThrowNotInteger(text);
        std::uint64_t bits = 0;
        for (std::size_t k = hexStart; k < text.size(); ++k) {
            const int digit = HexDigitValue(text[k]);
            if (digit < 0)
                ThrowNotInteger(text);
            bits = bits * 16 + static_cast<unsigned>(digit);
            if (bits > 0xFFFFFFFFu)
                ThrowNotInteger(text);
        }
        const auto value = static_cast<std::uint32_t>(bits);
        return static_cast<std::int32_t>(negative ? 0u - value : value);
    }

    if (i == text.size())
        ThrowNotInteger(text);
    const std::uint64_t limit = negative ? 2147483648u : 2147483647u;
    std::uint64_t magnitude = 0;
    for (std::size_t k = i; k < text.size(); ++k) {
        const char c = text[k];
        if (c < '0' || c > '9')
            ThrowNotInteger(text);
        magnitude = magnitude * 10 + static_cast<unsigned>(c - '0');
        if (magnitude > limit)
            ThrowNotInteger(text);
    }
    return static_cast<std::int32_t>(negative ? -static_cast<std::int64_t>(magnitude)
                                              : static_cast<std::int64_t>(magnitude));
}
