// The text file decoder on arbitrary bytes: it gives valid UTF-8 or refuses a
// file with NUL characters, and whatever it reads as UTF-8 or Windows-1252 is
// saved back byte for byte, so loading and saving an untouched file loses
// nothing.

#include "FuzzCheck.h"

#include "text/Bytes.h"
#include "text/Error.h"
#include "text/TextFile.h"

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace {

bool HasUtf16Mark(std::string_view bytes) {
    return bytes.starts_with("\xFF\xFE") || bytes.starts_with("\xFE\xFF");
}

void CheckLines(const std::string& text) {
    const std::vector<std::string> lines = SplitLines(text);
    std::size_t characters = 0;
    for (const auto& line : lines) {
        for (std::size_t i = 0; i < line.size(); ++i)
            FUZZ_CHECK(LineBreakAt(line, i) == 0);
        characters += line.size();
    }
    // Every byte is in a line or in a line break (CR LF, CR, LF, U+2028,
    // U+2029, U+FDD0, U+FDD1).
    std::size_t breaks = 0;
    for (std::size_t i = 0; i < text.size();) {
        const std::size_t length = LineBreakAt(text, i);
        breaks += length;
        i += length == 0 ? 1 : length;
    }
    FUZZ_CHECK(characters + breaks == text.size());
    // Joining and splitting again changes nothing.
    const std::string joined = JoinLinesCrLf(lines);
    FUZZ_CHECK(SplitLines(joined) == lines || (lines.size() > 0 && lines.back().empty()));
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view bytes = fuzz::AsText(data, size);
    const bool utf16 = HasUtf16Mark(bytes);
    const bool hasNul = bytes.find('\0') != std::string_view::npos;

    DecodedText decoded;
    try {
        decoded = DecodeText(bytes);
    } catch (const ScrivoluxError& error) {
        // Only NUL characters are refused: in the bytes, or decoded from UTF-16.
        FUZZ_CHECK(hasNul);
        FUZZ_CHECK(std::string_view(error.what()) ==
                   "The file holds NUL characters and is not a text file");
        return 0;
    }
    FUZZ_CHECK(utf16 || !hasNul);
    FUZZ_CHECK(IsValidUtf8(decoded.text));
    FUZZ_CHECK(decoded.text.find('\0') == std::string::npos);

    if (utf16) {
        FUZZ_CHECK(decoded.encoding ==
                   (bytes[0] == '\xFF' ? TextEncoding::Utf16 : TextEncoding::Utf16BigEndian));
    } else if (IsValidUtf8(bytes)) {
        const bool mark = bytes.starts_with("\xEF\xBB\xBF");
        FUZZ_CHECK(decoded.encoding == (mark ? TextEncoding::Utf8WithBom : TextEncoding::Utf8));
        FUZZ_CHECK(decoded.text == bytes.substr(mark ? 3 : 0));
    } else {
        FUZZ_CHECK(decoded.encoding == TextEncoding::Windows1252);
    }

    const EncodedText saved = EncodeText(decoded.text, decoded.encoding);
    if (utf16) {
        // Saved in its own byte order; only damaged pairs may differ.
        FUZZ_CHECK(saved.encoding == decoded.encoding);
    } else {
        FUZZ_CHECK(saved.encoding == decoded.encoding);
        FUZZ_CHECK(saved.bytes == bytes);
    }
    // The saved text reads back as the same text.
    const DecodedText again = DecodeText(saved.bytes);
    FUZZ_CHECK(again.text == decoded.text);

    CheckLines(decoded.text);
    return 0;
}
