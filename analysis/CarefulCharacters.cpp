#include "analysis/CarefulCharacters.h"

#include <QChar>

namespace careful {

Kind KindOf(char32_t c) {
    if (c < 128)
        return kAsciiKinds[c];
    switch (c) {
    case 0x00A0:
    case 0x1680:
    case 0x2028:
    case 0x2029:
    case 0x202F:
    case 0x205F:
    case 0x3000:
    case 0x200B:
    case 0xFEFF:
        return Kind::Space;
    case 0x00AD:
        return Kind::SoftHyphen;
    case 0x2019:
    case 0x02BC:
        return Kind::Apostrophe;
    case 0x2026:
        return Kind::Ellipsis;
    case 0x203C:
    case 0x2047:
    case 0x2048:
    case 0x2049:
    case 0xFF01:
    case 0xFF1F:
        return Kind::Mark;
    case 0x2018:
    case 0x201A:
    case 0x201B:
    case 0x201C:
    case 0x201E:
    case 0x201F:
    case 0x00AB:
    case 0x2039:
    case 0x00BF:
    case 0x00A1:
        return Kind::Opening;
    case 0x201D:
    case 0x00BB:
    case 0x203A:
        return Kind::Closing;
    case 0x2022:
    case 0x2023:
    case 0x2043:
    case 0x2219:
    case 0x25AA:
    case 0x25AB:
    case 0x25A0:
    case 0x25A1:
    case 0x25B8:
    case 0x25BA:
    case 0x25CF:
    case 0x25E6:
    case 0x2B1D:
    case 0x27A2:
    case 0x2794:
    case 0x2713:
    case 0x2714:
        return Kind::Bullet;
    default:
        break;
    }
    if (c >= 0x2000 && c <= 0x200A)
        return Kind::Space;
    if (QChar::isLetter(c))
        return Kind::Letter;
    if (QChar::isMark(c))
        return Kind::Combining;
    if (QChar::isDigit(c))
        return Kind::Digit;
    return Kind::Other;
}

Char Decode(std::string_view text, std::size_t at) {
    const auto b = static_cast<unsigned char>(text[at]);
    if (b < 0x80)
        return {b, 1, kAsciiKinds[b]};
    const std::uint32_t length = b >= 0xF0 ? 4 : b >= 0xE0 ? 3 : b >= 0xC2 ? 2 : 0;
    if (length == 0 || b > 0xF4 || at + length > text.size())
        return {0xFFFD, 1, Kind::Other};
    char32_t code = b & (0xFF >> (length + 1));
    for (std::uint32_t i = 1; i < length; ++i) {
        const auto next = static_cast<unsigned char>(text[at + i]);
        if ((next & 0xC0) != 0x80)
            return {0xFFFD, 1, Kind::Other};
        code = (code << 6) | (next & 0x3F);
    }
    constexpr char32_t kSmallest[] = {0, 0, 0x80, 0x800, 0x10000};
    if (code < kSmallest[length] || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF))
        return {0xFFFD, 1, Kind::Other};
    return {code, length, KindOf(code)};
}

std::size_t PreviousStart(std::string_view text, std::size_t at) {
    std::size_t start = at - 1;
    while (start > 0 && at - start < 4 && (static_cast<unsigned char>(text[start]) & 0xC0) == 0x80)
        --start;
    return Decode(text, start).length == at - start ? start : at - 1;
}

} // namespace careful
