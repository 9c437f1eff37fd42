#include "documents/PdfText.h"

#include "documents/DocumentReader.h"
#include "text/Error.h"

#include <poppler-document.h>
#include <poppler-global.h>
#include <poppler-page.h>

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <memory>
#include <vector>

#include <sys/stat.h>

namespace {

// Poppler reports every flaw of a damaged file on standard error; the reader
// reports the one that matters itself.
void SilencePoppler() {
    static const bool silenced = [] {
        poppler::set_debug_error_function([](const std::string&, void*) {}, nullptr);
        return true;
    }();
    (void)silenced;
}

struct PrintedLine {
    std::string text;
    int page = 0;
};

std::string Utf8(const poppler::ustring& text) {
    const poppler::byte_array bytes = text.to_utf8();
    return std::string(bytes.begin(), bytes.end());
}

// Whether the box stands on the line the previous one ends: the two overlap in
// height by at least half. Either may be left of the other (right-to-left text).
bool OnSameLine(const poppler::rectf& previous, const poppler::rectf& box) {
    const double overlap =
        std::min(previous.bottom(), box.bottom()) - std::max(previous.top(), box.top());
    return overlap >= 0.5 * std::min(previous.height(), box.height());
}

[[noreturn]] void ThrowTooLong() {
    throw TextTooLarge();
}

// The page's printed lines, stopped once the text so far passes maxBytes.
void AppendPageLines(const poppler::page& page, int number, std::size_t& size, std::size_t maxBytes,
                     std::vector<PrintedLine>& lines) {
    std::string line;
    const auto endLine = [&] {
        if (!line.empty())
            lines.push_back({std::move(line), number});
        line.clear();
    };
    const std::vector<poppler::text_box> boxes = page.text_list();
    for (std::size_t i = 0; i < boxes.size(); ++i) {
        const std::string word = Utf8(boxes[i].text());
        line += word;
        size += word.size() + 1;
        if (size > maxBytes)
            ThrowTooLong();
        if (i + 1 == boxes.size() || !OnSameLine(boxes[i].bbox(), boxes[i + 1].bbox()))
            endLine();
        else if (boxes[i].has_space_after())
            line += ' ';
    }
    endLine();
}

std::string_view Trimmed(std::string_view text) {
    while (!text.empty() && (text.front() == ' ' || text.front() == '\t'))
        text.remove_prefix(1);
    while (!text.empty() && (text.back() == ' ' || text.back() == '\t'))
        text.remove_suffix(1);
    return text;
}

bool IsLowerStart(std::string_view text) {
    if (text.empty())
        return false;
    const unsigned char c = static_cast<unsigned char>(text.front());
    if (c < 0x80)
        return c >= 'a' && c <= 'z';
    // Latin-1 and Latin Extended lower-case letters, as far as a line start needs.
    if (text.size() >= 2 && c == 0xC3)
        return static_cast<unsigned char>(text[1]) >= 0x9F;
    return false;
}

bool IsLetterBefore(std::string_view text, std::size_t end) {
    if (end == 0)
        return false;
    const unsigned char c = static_cast<unsigned char>(text[end - 1]);
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || c >= 0x80;
}

// "exam-" at the end of one line and "ple" at the start of the next: a word the
// typesetter divided. A dash before a capital or a digit is kept. Returns the
// length of the dash, or 0.
std::size_t DividingDash(std::string_view line, std::string_view next) {
    if (!IsLowerStart(next))
        return 0;
    if (line.ends_with("\xC2\xAD") && IsLetterBefore(line, line.size() - 2))
        return 2;
    if (line.size() >= 2 && line.back() == '-' && IsLetterBefore(line, line.size() - 1))
        return 1;
    return 0;
}

DocumentText TextOf(poppler::document* loaded, std::size_t maxBytes, const LoadProgress& progress) {
    const std::unique_ptr<poppler::document> document(loaded);
    if (!document)
        throw ScrivoluxError("The PDF is damaged and cannot be read");
    if (document->is_locked())
        throw ScrivoluxError("The document is password-protected");

    std::vector<PrintedLine> lines;
    std::size_t size = 0;
    const int pages = document->pages();
    for (int i = 0; i < pages; ++i) {
        if (const std::unique_ptr<poppler::page> page(document->create_page(i)); page)
            AppendPageLines(*page, i + 1, size, maxBytes, lines);
        if (progress && !progress(i + 1, pages))
            throw LoadCancelled("Loading was cancelled");
    }

    DocumentText text;
    for (std::size_t i = 0; i < lines.size(); ++i) {
        std::string line(Trimmed(lines[i].text));
        const int page = lines[i].page;
        while (i + 1 < lines.size()) {
            const std::size_t dash = DividingDash(line, Trimmed(lines[i + 1].text));
            if (dash == 0)
                break;
            line.resize(line.size() - dash);
            line += Trimmed(lines[++i].text);
        }
        if (line.empty())
            continue;
        if (!text.text.empty())
            text.text += '\n';
        if (text.places.empty() || text.places.back().place.number != page)
            text.places.push_back({text.text.size(), {PlaceKind::Page, page, 0}});
        text.text += line;
    }
    if (std::all_of(text.text.begin(), text.text.end(),
                    [](char c) { return c == ' ' || c == '\n' || c == '\t'; }))
        throw ScrivoluxError("The PDF holds no text; it may be a scanned image");
    return text;
}

} // namespace

DocumentText PdfText(const std::string& path, std::size_t maxBytes, const LoadProgress& progress) {
    SilencePoppler();
    struct stat info {};
    if (::stat(path.c_str(), &info) == 0 && !S_ISREG(info.st_mode) && !S_ISDIR(info.st_mode))
        throw FileError("Cannot open file " + path, path, "not a regular file");
    if (FILE* file = std::fopen(path.c_str(), "rb"))
        std::fclose(file);
    else
        throw FileError("Cannot open file " + path, path, std::strerror(errno));
    return TextOf(poppler::document::load_from_file(path), maxBytes, progress);
}

DocumentText PdfTextOfBytes(std::string_view bytes, std::size_t maxBytes,
                            const LoadProgress& progress) {
    SilencePoppler();
    return TextOf(
        poppler::document::load_from_raw_data(bytes.data(), static_cast<int>(bytes.size())),
        maxBytes, progress);
}
