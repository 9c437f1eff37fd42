#include "text/Bytes.h"

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstring>

bool IsAscii(std::string_view bytes) {
    return std::all_of(bytes.begin(), bytes.end(),
                       [](char c) { return static_cast<unsigned char>(c) < 0x80; });
}

void LowerAsciiInPlace(std::string& text) {
    for (char& c : text)
        c = AsciiLower(c);
}

bool IsValidUtf8(std::string_view bytes) {
    const auto* p = reinterpret_cast<const unsigned char*>(bytes.data());
    const auto* end = p + bytes.size();
    while (p < end) {
        // Runs of ASCII, the bulk of English text, are checked eight bytes at a time.
        std::uint64_t block;
        if (end - p >= 8 && (std::memcpy(&block, p, 8), (block & 0x8080808080808080ull) == 0)) {
            p += 8;
            continue;
        }
        const unsigned char c = *p;
        if (c < 0x80) {
            ++p;
            continue;
        }
        int extra;
        char32_t min;
        char32_t cp;
        if ((c & 0xE0) == 0xC0) {
            extra = 1;
            min = 0x80;
            cp = c & 0x1F;
        } else if ((c & 0xF0) == 0xE0) {
            extra = 2;
            min = 0x800;
            cp = c & 0x0F;
        } else if ((c & 0xF8) == 0xF0) {
            extra = 3;
            min = 0x10000;
            cp = c & 0x07;
        } else {
            return false;
        }
        if (end - p <= extra)
            return false;
        for (int i = 1; i <= extra; ++i) {
            if ((p[i] & 0xC0) != 0x80)
                return false;
            cp = (cp << 6) | (p[i] & 0x3F);
        }
        if (cp < min || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF))
            return false;
        p += extra + 1;
    }
    return true;
}

namespace {

// The length of the valid UTF-8 sequence at the start of text, or 0 when its
// first byte starts none.
std::size_t Utf8SequenceLength(std::string_view text) {
    const auto c = static_cast<unsigned char>(text[0]);
    const std::size_t length = c < 0x80             ? 1
                               : (c & 0xE0) == 0xC0 ? 2
                               : (c & 0xF0) == 0xE0 ? 3
                               : (c & 0xF8) == 0xF0 ? 4
                                                    : 0;
    if (length == 0 || length > text.size())
        return 0;
    return IsValidUtf8(text.substr(0, length)) ? length : 0;
}

void AppendCode(std::string& shown, unsigned codePoint) {
    char code[16];
    std::snprintf(code, sizeof code, "<U+%04X>", codePoint);
    shown += code;
}

} // namespace

std::string ShowControlCharacters(std::string_view text) {
    std::string shown;
    shown.reserve(text.size());
    while (!text.empty()) {
        // Printable ASCII, most of any text, is copied a run at a time.
        std::size_t plain = 0;
        while (plain < text.size() && ((text[plain] >= 0x20 && text[plain] < 0x7F) ||
                                       text[plain] == '\t' || text[plain] == '\n'))
            ++plain;
        if (plain > 0) {
            shown.append(text.substr(0, plain));
            text.remove_prefix(plain);
            continue;
        }
        const auto c = static_cast<unsigned char>(text[0]);
        const std::size_t length = Utf8SequenceLength(text);
        if ((c < 0x20 && c != '\t' && c != '\n') || c == 0x7F) {
            AppendCode(shown, c);
        } else if (length == 2 && c == 0xC2 && static_cast<unsigned char>(text[1]) < 0xA0) {
            AppendCode(shown, static_cast<unsigned char>(text[1]));
        } else if (length == 0 && c >= 0x80 && c < 0xA0) {
            AppendCode(shown, c);
        } else {
            shown.append(text.substr(0, std::max<std::size_t>(length, 1)));
        }
        text.remove_prefix(std::max<std::size_t>(length, 1));
    }
    return shown;
}
