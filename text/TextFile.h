#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

// How a text file was written, so that it can be saved the same way.
enum class TextEncoding {
    Utf8,
    Utf8WithBom,
    Utf16,          // little-endian, with its byte-order mark
    Utf16BigEndian, // with its byte-order mark
    Windows1252,
};

struct DecodedText {
    std::string text; // UTF-8, line breaks as the file had them
    TextEncoding encoding = TextEncoding::Utf8;
};

// The most text the program holds, in bytes of UTF-8 with a line break as one
// byte; a file holding more is refused.
inline constexpr std::size_t kMaxTextFileBytes = 64u * 1024u * 1024u;

// The largest file read at all: what the program holds, saved with CR LF line
// breaks, takes at most twice the bytes, and every file it writes must load.
inline constexpr std::size_t kMaxTextFileBytesOnDisk = 2 * kMaxTextFileBytes;

// Decodes the bytes of a text file: UTF-16 when they start with a byte-order
// mark, UTF-8 when they are valid UTF-8, Windows-1252 otherwise. Throws a
// ScrivoluxError for a file that holds a NUL character, instead of cutting it.
DecodedText DecodeText(std::string_view bytes);

// DecodeText for a text that must fit what the program holds: throws "Text
// exceeds memo capacity" when the decoded text, a CR LF counted as one line
// break, is over kMaxTextFileBytes.
DecodedText DecodeBoundedText(std::string_view bytes);
// The same for bytes that are no longer needed: the usual text moves out of them.
DecodedText DecodeBoundedText(std::string&& bytes);

// Reads and decodes a whole file. Throws a FileError "Cannot open file %s" (with
// the system's reason) when it cannot be read, and "Text exceeds memo capacity" when it is over
// kMaxTextFileBytes.
DecodedText ReadTextFile(const std::string& path);

// All the bytes of a file, read to its end through one handle: a pipe or a
// FIFO gives what it holds only once. Throws as ReadTextFile does, "Text exceeds
// memo capacity" past kMaxTextFileBytesOnDisk.
std::string ReadFileBytes(const std::string& path);

// True when path names something that can be read only once or may never end
// (a pipe, a FIFO, a socket, a device): it must be read through one handle, and
// nothing may peek at it first. False for a regular file, a folder or a name
// that does not exist.
bool IsReadOnlyOnce(const std::string& path);

// Throws the FileError "Cannot open file %s" unless path names a regular file
// (or a link to one): a FIFO or a device could block the reader until another
// program writes to it.
void RequireRegularFile(const std::string& path);

// The length of the line break that starts at byte `at` of a UTF-8 text, or 0.
// CR LF, a lone CR and a lone LF break lines, and so do the Unicode line and
// paragraph separators U+2028 and U+2029 and the noncharacters U+FDD0 and
// U+FDD1, which the text area can only hold as the ends of its paragraphs: the
// desktop program and the command line then count a text alike.
inline std::size_t LineBreakAt(std::string_view text, std::size_t at) {
    const char c = text[at];
    if (c == '\n')
        return 1;
    if (c == '\r')
        return at + 1 < text.size() && text[at + 1] == '\n' ? 2 : 1;
    if ((c != '\xE2' && c != '\xEF') || at + 2 >= text.size())
        return 0;
    const std::string_view three = text.substr(at, 3);
    return three == "\xE2\x80\xA8" || three == "\xE2\x80\xA9" || three == "\xEF\xB7\x90" ||
                   three == "\xEF\xB7\x91"
               ? 3
               : 0;
}

// The lines of a text, each ended by a line break (LineBreakAt). An empty last
// line (after a final line break) is not a line, so "" gives no lines.
std::vector<std::string> SplitLines(std::string_view text);

// The lines joined by CR LF, with no line break after the last.
std::string JoinLinesCrLf(const std::vector<std::string>& lines);

// The text with every line break (CR LF, a lone CR, a lone LF) written as
// lineBreak; a final line break stays one. "" gives "".
std::string ConvertLineBreaks(std::string_view text, std::string_view lineBreak);

struct EncodedText {
    std::string bytes;
    TextEncoding encoding;
};

// Encodes UTF-8 text as the file it came from was written (UTF-16 in its byte
// order with its byte-order mark), falling back to UTF-8 when a character
// cannot be written in Windows-1252 (nothing is lost) or when UTF-16 would make
// a file over kMaxTextFileBytesOnDisk, which could not be loaded again.
EncodedText EncodeText(std::string_view utf8, TextEncoding preferred);

// Windows-1252 bytes converted to UTF-8 (the five unassigned bytes map to the
// C1 controls of the same value, so no byte is lost).
std::string Windows1252ToUtf8(std::string_view bytes);
