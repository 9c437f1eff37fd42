#include "text/TextFile.h"

#include "text/FileName.h"

#include "text/Bytes.h"
#include "text/Error.h"

#include <QFile>
#include <QString>
#include <QStringDecoder>
#include <QStringEncoder>

#include <algorithm>
#include <array>
#include <cerrno>
#include <cstdint>
#include <cstring>
#include <utility>

#include <sys/stat.h>

namespace {

// Unicode code points of the Windows-1252 bytes 0x80 to 0x9F.
constexpr std::array<char16_t, 32> kCp1252High = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

void AppendUtf8(std::string& out, char32_t cp) {
    if (cp < 0x80) {
        out += static_cast<char>(cp);
    } else if (cp < 0x800) {
        out += static_cast<char>(0xC0 | (cp >> 6));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else if (cp < 0x10000) {
        out += static_cast<char>(0xE0 | (cp >> 12));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (cp >> 18));
        out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    }
}

// The Windows-1252 byte for a code point, or -1 when it has none.
int Cp1252Byte(char32_t cp) {
    if (cp < 0x80 || (cp >= 0xA0 && cp <= 0xFF))
        return static_cast<int>(cp);
    for (std::size_t i = 0; i < kCp1252High.size(); ++i) {
        if (kCp1252High[i] == cp)
            return static_cast<int>(0x80 + i);
    }
    return -1;
}

[[noreturn]] void ThrowNul() {
    throw ScrivoluxError("The file holds NUL characters and is not a text file");
}

} // namespace

std::string Windows1252ToUtf8(std::string_view bytes) {
    std::string out;
    out.reserve(bytes.size() + bytes.size() / 8);
    for (char ch : bytes) {
        const auto c = static_cast<unsigned char>(ch);
        if (c < 0x80)
            out += ch;
        else if (c < 0xA0)
            AppendUtf8(out, kCp1252High[c - 0x80]);
        else
            AppendUtf8(out, c);
    }
    return out;
}

namespace {

// DecodeText; when owned holds the bytes, the usual text (UTF-8 without a
// mark) is moved out of it rather than copied.
DecodedText Decode(std::string_view bytes, std::string* owned) {
    DecodedText decoded;
    if (bytes.size() >= 2 && ((bytes[0] == '\xFF' && bytes[1] == '\xFE') ||
                              (bytes[0] == '\xFE' && bytes[1] == '\xFF'))) {
        // The decoder takes the byte order from the mark and drops it.
        QStringDecoder decoder(QStringConverter::Utf16, QStringConverter::Flag::Default);
        const QString text =
            decoder.decode(QByteArrayView(bytes.data(), static_cast<qsizetype>(bytes.size())));
        if (text.contains(QChar(u'\0')))
            ThrowNul();
        decoded.text = text.toStdString();
        decoded.encoding = bytes[0] == '\xFF' ? TextEncoding::Utf16 : TextEncoding::Utf16BigEndian;
        return decoded;
    }
    if (std::memchr(bytes.data(), '\0', bytes.size()) != nullptr)
        ThrowNul();
    if (IsValidUtf8(bytes)) {
        if (bytes.substr(0, 3) == "\xEF\xBB\xBF") {
            decoded.text = std::string(bytes.substr(3));
            decoded.encoding = TextEncoding::Utf8WithBom;
        } else {
            decoded.text = owned ? std::move(*owned) : std::string(bytes);
            decoded.encoding = TextEncoding::Utf8;
        }
        return decoded;
    }
    decoded.text = Windows1252ToUtf8(bytes);
    decoded.encoding = TextEncoding::Windows1252;
    return decoded;
}

} // namespace

DecodedText DecodeText(std::string_view bytes) {
    return Decode(bytes, nullptr);
}

namespace {

// The bytes a text takes once its CR LF pairs are single line breaks.
std::size_t HeldSize(std::string_view text) {
    std::size_t pairs = 0;
    for (std::size_t at = text.find("\r\n"); at != std::string_view::npos;
         at = text.find("\r\n", at + 2))
        ++pairs;
    return text.size() - pairs;
}

bool HasUtf16Mark(std::string_view bytes) {
    return bytes.starts_with("\xFF\xFE") || bytes.starts_with("\xFE\xFF");
}

// DecodeBoundedText; owned as for Decode.
DecodedText DecodeBounded(std::string_view bytes, std::string* owned) {
    // Measured before decoding where the bytes tell, so that a file of zeros
    // is refused for its size rather than for its first NUL.
    if (bytes.size() > kMaxTextFileBytes && !HasUtf16Mark(bytes) &&
        HeldSize(bytes) > kMaxTextFileBytes)
        throw TextTooLarge();
    DecodedText decoded = Decode(bytes, owned);
    if (decoded.text.size() > kMaxTextFileBytes && HeldSize(decoded.text) > kMaxTextFileBytes)
        throw TextTooLarge();
    return decoded;
}

} // namespace

DecodedText DecodeBoundedText(std::string_view bytes) {
    return DecodeBounded(bytes, nullptr);
}

DecodedText DecodeBoundedText(std::string&& bytes) {
    return DecodeBounded(bytes, &bytes);
}

void RequireRegularFile(const std::string& path) {
    // By the name's bytes: not every file name is UTF-8.
    struct stat info {};
    if (::stat(path.c_str(), &info) != 0)
        throw FileError("Cannot open file " + path, path, std::strerror(errno));
    if (S_ISREG(info.st_mode))
        return;
    throw FileError("Cannot open file " + path, path,
                    S_ISDIR(info.st_mode) ? "Is a directory" : "not a regular file");
}

std::string ReadFileBytes(const std::string& path) {
    const auto cannotOpen = [&path](const QString& reason) {
        return FileError("Cannot open file " + path, path, reason.toStdString());
    };
    QFile file;
    QString reason;
    if (!OpenFileByName(file, path, QIODevice::ReadOnly, &reason))
        throw cannotOpen(reason);
    if (static_cast<std::size_t>(file.size()) > kMaxTextFileBytesOnDisk)
        throw TextTooLarge();
    // Read to the end rather than trusting the size: pipes and /proc files have none.
    std::string bytes;
    // One byte more: the analysis adds a space after the last line in place.
    bytes.reserve(static_cast<std::size_t>(file.size()) + 1);
    char buffer[1 << 16];
    for (;;) {
        const qint64 n = file.read(buffer, sizeof buffer);
        if (n < 0)
            throw cannotOpen(file.errorString());
        if (n == 0)
            break;
        bytes.append(buffer, static_cast<std::size_t>(n));
        if (bytes.size() > kMaxTextFileBytesOnDisk)
            throw TextTooLarge();
    }
    return bytes;
}

bool IsReadOnlyOnce(const std::string& path) {
    struct stat info {};
    return ::stat(path.c_str(), &info) == 0 && !S_ISREG(info.st_mode) && !S_ISDIR(info.st_mode);
}

DecodedText ReadTextFile(const std::string& path) {
    std::string bytes = ReadFileBytes(path);
    return DecodeBounded(bytes, &bytes);
}

std::vector<std::string> SplitLines(std::string_view text) {
    std::vector<std::string> lines;
    std::size_t start = 0;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (const std::size_t length = LineBreakAt(text, i)) {
            lines.emplace_back(text.substr(start, i - start));
            i += length - 1;
            start = i + 1;
        }
    }
    if (start < text.size())
        lines.emplace_back(text.substr(start));
    return lines;
}

std::string JoinLinesCrLf(const std::vector<std::string>& lines) {
    std::string text;
    for (std::size_t i = 0; i < lines.size(); ++i) {
        if (i > 0)
            text += "\r\n";
        text += lines[i];
    }
    return text;
}

std::string ConvertLineBreaks(std::string_view text, std::string_view lineBreak) {
    std::string result;
    if (text.empty())
        return result;
    result.reserve(text.size() + text.size() / 32);
    // The lines are copied whole; the next break of each kind is found with
    // memchr and kept until the copy passes it.
    const char* at = text.data();
    const char* const end = at + text.size();
    const auto next = [end](const char* from, char c) {
        const void* found = std::memchr(from, c, static_cast<std::size_t>(end - from));
        return found ? static_cast<const char*>(found) : end;
    };
    const char* cr = next(at, '\r');
    const char* lf = next(at, '\n');
    while (at < end) {
        if (cr < at)
            cr = next(at, '\r');
        if (lf < at)
            lf = next(at, '\n');
        const char* lineEnd = std::min(cr, lf);
        result.append(at, lineEnd);
        if (lineEnd == end)
            break;
        result += lineBreak;
        at = lineEnd + (lineEnd == cr && lineEnd + 1 < end && lineEnd[1] == '\n' ? 2 : 1);
    }
    return result;
}

EncodedText EncodeText(std::string_view utf8, TextEncoding preferred) {
    if (preferred == TextEncoding::Windows1252) {
        const QString text = QString::fromUtf8(utf8.data(), static_cast<qsizetype>(utf8.size()));
        std::string bytes;
        bytes.reserve(utf8.size());
        bool representable = true;
        for (const char32_t cp : text.toUcs4()) {
            const int b = Cp1252Byte(cp);
            if (b < 0) {
                representable = false;
                break;
            }
            bytes += static_cast<char>(b);
        }
        if (representable)
            return {std::move(bytes), TextEncoding::Windows1252};
    }
    if (preferred == TextEncoding::Utf16 || preferred == TextEncoding::Utf16BigEndian) {
        const bool little = preferred == TextEncoding::Utf16;
        QStringEncoder encoder(little ? QStringConverter::Utf16LE : QStringConverter::Utf16BE);
        // A U+FEFF that starts the text is a character here, not a mark to drop.
        QStringDecoder fromUtf8(QStringConverter::Utf8, QStringConverter::Flag::ConvertInitialBom);
        const QByteArray bytes = encoder.encode(
            QString(fromUtf8(QByteArrayView(utf8.data(), static_cast<qsizetype>(utf8.size())))));
        if (static_cast<std::size_t>(bytes.size()) + 2 <= kMaxTextFileBytesOnDisk)
            return {std::string(little ? "\xFF\xFE" : "\xFE\xFF") + bytes.toStdString(), preferred};
    }
    // A text that itself starts with U+FEFF (kept from a UTF-16 file, say) would
    // lose it on the next load, which takes those bytes for a byte-order mark.
    if (preferred == TextEncoding::Utf8WithBom || utf8.starts_with("\xEF\xBB\xBF"))
        return {"\xEF\xBB\xBF" + std::string(utf8), TextEncoding::Utf8WithBom};
    return {std::string(utf8), TextEncoding::Utf8};
}
