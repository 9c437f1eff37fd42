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
#include <map>
#include <memory>
#include <string>
#include <unordered_set>
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
    double top = 0;
    double bottom = 0;
    double fontSize = 0;   // the size most of its characters are set in
    bool ownBlock = false; // a blank line before it in the text
    bool apart = false;    // set apart on its printed line by a wide gap
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
    PrintedLine line;
    std::map<double, std::size_t> sizes; // font size -> characters, on this line
    const auto endLine = [&] {
        if (!line.text.empty()) {
            line.page = number;
            line.fontSize = std::max_element(sizes.begin(), sizes.end(), [](auto& a, auto& b) {
                                return a.second < b.second;
                            })->first;
            lines.push_back(std::move(line));
        }
        line = PrintedLine();
        sizes.clear();
    };
    const std::vector<poppler::text_box> boxes =
        page.text_list(poppler::page::text_list_include_font);
    for (std::size_t i = 0; i < boxes.size(); ++i) {
        const std::string word = Utf8(boxes[i].text());
        const poppler::rectf box = boxes[i].bbox();
        if (line.text.empty()) {
            line.top = box.top();
            line.bottom = box.bottom();
        }
        line.top = std::min(line.top, box.top());
        line.bottom = std::max(line.bottom, box.bottom());
        sizes[std::round(boxes[i].get_font_size() * 2) / 2] += word.size();
        line.text += word;
        size += word.size() + 1;
        if (size > maxBytes)
            ThrowTooLong();
        if (i + 1 == boxes.size() || !OnSameLine(box, boxes[i + 1].bbox())) {
            endLine();
            continue;
        }
        // Space the width of a few letters parts a page number from a running
        // head, or a number from its heading ("1.1Social" otherwise).
        const double gap = boxes[i + 1].bbox().left() - box.right();
        const double em = std::max(boxes[i].get_font_size(), 1.0);
        if (gap > 2 * em) {
            endLine();
            line.apart = true;
            if (!lines.empty() && lines.back().page == number)
                lines.back().apart = true;
        } else if (boxes[i].has_space_after() || gap > 0.2 * em) {
            line.text += ' ';
        }
    }
    endLine();
}

double Median(std::vector<double> values) {
    if (values.empty())
        return 0;
    const auto middle = values.begin() + static_cast<std::ptrdiff_t>(values.size() / 2);
    std::nth_element(values.begin(), middle, values.end());
    return *middle;
}

// Marks the lines of one page that start a block of their own: a line set
// larger than the page's body text (a heading), the line after it, and a
// line after a gap wider than the page's usual space between lines (a new
// paragraph, or a heading standing alone).
void MarkBlocks(std::vector<PrintedLine>::iterator first, std::vector<PrintedLine>::iterator last) {
    std::map<double, std::size_t> sizes;
    std::vector<double> gaps;
    for (auto line = first; line != last; ++line) {
        sizes[line->fontSize] += line->text.size();
        if (line != first && line->top >= (line - 1)->bottom)
            gaps.push_back(line->top - (line - 1)->bottom);
    }
    if (sizes.empty())
        return;
    const double body = std::max_element(sizes.begin(), sizes.end(), [](auto& a, auto& b) {
                            return a.second < b.second;
                        })->first;
    const double usualGap = Median(gaps);
    bool afterHeading = false;
    for (auto line = first; line != last; ++line) {
        const bool heading = line->fontSize > body * 1.15;
        const double gap = line == first ? 0 : line->top - (line - 1)->bottom;
        const double height = line->bottom - line->top;
        const bool wideGap = line != first && gap > usualGap + std::max(0.4 * height, 1.0);
        const bool apart = line->apart || (line != first && (line - 1)->apart);
        line->ownBlock = heading != afterHeading || wideGap || apart;
        afterHeading = heading;
    }
}

std::string_view Trimmed(std::string_view text) {
    while (!text.empty() && (text.front() == ' ' || text.front() == '\t'))
        text.remove_prefix(1);
    while (!text.empty() && (text.back() == ' ' || text.back() == '\t'))
        text.remove_suffix(1);
    return text;
}

bool IsLetterByte(unsigned char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || c >= 0x80;
}

bool IsLetterBefore(std::string_view text, std::size_t end) {
    return end > 0 && IsLetterByte(static_cast<unsigned char>(text[end - 1]));
}

std::string AsciiLower(std::string_view text) {
    std::string lower(text);
    for (char& c : lower) {
        if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c - 'A' + 'a');
    }
    return lower;
}

// The hyphenated words printed whole on a line ("well-known"), lower-cased:
// the same word divided at its hyphen by a line end keeps it.
std::unordered_set<std::string> Compounds(const std::vector<PrintedLine>& lines) {
    std::unordered_set<std::string> compounds;
    for (const PrintedLine& line : lines) {
        const std::string_view text = line.text;
        for (std::size_t dash = text.find('-'); dash != std::string_view::npos;
             dash = text.find('-', dash + 1)) {
            if (!IsLetterBefore(text, dash) || dash + 1 >= text.size() ||
                !IsLetterByte(static_cast<unsigned char>(text[dash + 1])))
                continue;
            std::size_t start = dash;
            while (start > 0 && text[start - 1] != ' ')
                --start;
            std::size_t end = dash + 1;
            while (end < text.size() && IsLetterByte(static_cast<unsigned char>(text[end])))
                ++end;
            compounds.insert(AsciiLower(text.substr(start, end - start)));
        }
    }
    return compounds;
}

bool IsUpperStart(std::string_view text) {
    return !text.empty() && text.front() >= 'A' && text.front() <= 'Z';
}

// How a line that ends in a dash goes on to the next.
enum class LineEnd { Apart, Joined, Divided };

// "exam-" at the end of one line and "ple" or "PLE" at the start of the next:
// a word the typesetter divided, the dash (or soft hyphen) dropped. A real
// compound ("well-" and "known" where the text prints "well-known" whole) is
// joined with its hyphen. A dash between a small letter and a capital
// ("non-" before "English"), before a digit or a space keeps the lines apart.
// dash receives the dash's length.
LineEnd EndOf(std::string_view line, std::string_view next,
              const std::unordered_set<std::string>& compounds, std::size_t& dash) {
    dash = 0;
    if (next.empty() || !IsLetterByte(static_cast<unsigned char>(next.front())))
        return LineEnd::Apart;
    if (line.ends_with("\xC2\xAD") && IsLetterBefore(line, line.size() - 2)) {
        dash = 2;
        return LineEnd::Divided;
    }
    if (line.size() < 2 || line.back() != '-' || !IsLetterBefore(line, line.size() - 1))
        return LineEnd::Apart;
    dash = 1;
    std::size_t start = line.size() - 1;
    while (start > 0 && line[start - 1] != ' ')
        --start;
    std::size_t end = 0;
    while (end < next.size() && IsLetterByte(static_cast<unsigned char>(next[end])))
        ++end;
    const std::string_view before = line.substr(start, line.size() - start);
    const unsigned char last = static_cast<unsigned char>(line[line.size() - 2]);
    const bool lowerThenCapital = last >= 'a' && last <= 'z' && IsUpperStart(next);
    if (lowerThenCapital)
        return LineEnd::Apart;
    if (compounds.contains(AsciiLower(before) + AsciiLower(next.substr(0, end))))
        return LineEnd::Joined;
    return LineEnd::Divided;
}

// Words (runs with a letter) in a text, for the warning about a PDF of
// pictures.
std::size_t WordsIn(std::string_view text) {
    std::size_t words = 0;
    bool inWord = false;
    bool letter = false;
    for (const char c : text) {
        if (c == ' ' || c == '\n' || c == '\t') {
            words += inWord && letter;
            inWord = letter = false;
        } else {
            inWord = true;
            letter = letter || IsLetterByte(static_cast<unsigned char>(c));
        }
    }
    return words + (inWord && letter);
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

    for (auto first = lines.begin(); first != lines.end();) {
        const auto last = std::find_if(first, lines.end(),
                                       [&](const PrintedLine& l) { return l.page != first->page; });
        MarkBlocks(first, last);
        first = last;
    }
    const std::unordered_set<std::string> compounds = Compounds(lines);

    DocumentText text;
    for (std::size_t i = 0; i < lines.size(); ++i) {
        std::string line(Trimmed(lines[i].text));
        const int page = lines[i].page;
        const bool ownBlock = lines[i].ownBlock;
        while (i + 1 < lines.size() && !lines[i + 1].ownBlock) {
            std::size_t dash = 0;
            const std::string_view next = Trimmed(lines[i + 1].text);
            const LineEnd end = EndOf(line, next, compounds, dash);
            if (end == LineEnd::Apart)
                break;
            if (end == LineEnd::Divided)
                line.resize(line.size() - dash);
            line += next;
            ++i;
        }
        if (line.empty())
            continue;
        if (!text.text.empty())
            text.text += ownBlock ? "\n\n" : "\n";
        if (text.places.empty() || text.places.back().place.number != page)
            text.places.push_back({text.text.size(), {PlaceKind::Page, page, 0}});
        text.text += line;
    }
    if (std::all_of(text.text.begin(), text.text.end(),
                    [](char c) { return c == ' ' || c == '\n' || c == '\t'; }))
        throw ScrivoluxError("The PDF holds no text; it may be a scanned image");
    if (pages > 0 && WordsIn(text.text) < 20 * static_cast<std::size_t>(pages))
        text.warnings.emplace_back(kLittleTextWarning);
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
