#include "documents/MarkupText.h"

#include "documents/DocumentReader.h"
#include "text/Error.h"
#include "text/TextFile.h"

#include <libxml/HTMLparser.h>
#include <libxml/parser.h>
#include <md4c.h>

#include <algorithm>
#include <cstring>
#include <exception>
#include <initializer_list>
#include <optional>
#include <vector>

namespace {

bool IsOneOf(std::string_view name, std::initializer_list<std::string_view> names) {
    return std::find(names.begin(), names.end(), name) != names.end();
}

char Lower(char c) {
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

bool IsAsciiLetter(char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}

bool IsAsciiAlnum(char c) {
    return IsAsciiLetter(c) || (c >= '0' && c <= '9');
}

bool IsBlank(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\f';
}

// Elements without contents: they never nest.
bool IsVoid(std::string_view name) {
    return IsOneOf(name,
                   {"area", "base", "basefont", "br", "col", "embed", "frame", "hr", "img", "input",
                    "isindex", "keygen", "link", "meta", "param", "source", "track", "wbr"});
}

// Elements whose contents the parser takes as raw text up to their end tag.
bool IsRawText(std::string_view name) {
    return name == "script" || name == "style";
}

bool IsBlock(std::string_view name) {
    return IsOneOf(name, {"address", "article",  "aside",      "blockquote", "body",   "caption",
                          "center",  "dd",       "details",    "dir",        "div",    "dl",
                          "dt",      "fieldset", "figcaption", "figure",     "footer", "form",
                          "h1",      "h2",       "h3",         "h4",         "h5",     "h6",
                          "header",  "hr",       "html",       "legend",     "li",     "listing",
                          "main",    "menu",     "nav",        "ol",         "p",      "pre",
                          "section", "summary",  "table",      "tbody",      "td",     "tfoot",
                          "th",      "thead",    "tr",         "ul",         "xmp"});
}

// Whether starting `name` closes an open `top`, as browsers and the parser do
// for paragraphs, list items, table cells and options left open.
bool StartCloses(std::string_view name, std::string_view top) {
    if (top == "p")
        return IsBlock(name) && !IsOneOf(name, {"body", "html", "caption", "td", "th", "tr"});
    if (name == "li")
        return top == "li";
    if (name == "dt" || name == "dd")
        return top == "dt" || top == "dd";
    if (name == "td" || name == "th")
        return top == "td" || top == "th";
    if (name == "tr")
        return IsOneOf(top, {"tr", "td", "th"});
    if (IsOneOf(name, {"thead", "tbody", "tfoot"}))
        return IsOneOf(top, {"thead", "tbody", "tfoot", "tr", "td", "th"});
    if (name == "option")
        return top == "option";
    if (name == "optgroup")
        return top == "option" || top == "optgroup";
    if (name == "body")
        return top == "head";
    return false;
}

// The end of the tag that starts at `at` ('<'). A quote matters only where an
// attribute value starts, as it does to the parser.
std::size_t TagEnd(std::string_view html, std::size_t at) {
    std::size_t i = at + 1;
    while (i < html.size()) {
        const char c = html[i];
        if (c == '>')
            return i + 1;
        if (c != '=') {
            ++i;
            continue;
        }
        ++i;
        while (i < html.size() && IsBlank(html[i]))
            ++i;
        if (i < html.size() && (html[i] == '"' || html[i] == '\'')) {
            const std::size_t close = html.find(html[i], i + 1);
            if (close == std::string_view::npos)
                return html.size();
            i = close + 1;
        }
    }
    return html.size();
}

// Where the text of a raw-text element ends: before its end tag, or the page's end.
std::size_t RawTextEnd(std::string_view html, std::size_t from, std::string_view name) {
    for (std::size_t at = html.find("</", from); at != std::string_view::npos;
         at = html.find("</", at + 2)) {
        const std::string_view rest = html.substr(at + 2);
        if (rest.size() >= name.size() &&
            std::equal(name.begin(), name.end(), rest.begin(),
                       [](char a, char b) { return a == Lower(b); }) &&
            (rest.size() == name.size() || !IsAsciiAlnum(rest[name.size()])))
            return at;
    }
    return html.size();
}

void AppendLineBreaksOf(std::string& out, std::string_view tag) {
    out.append(static_cast<std::size_t>(std::count(tag.begin(), tag.end(), '\n')), '\n');
}

} // namespace

std::string BoundedNesting(std::string_view html) {
    std::string out;
    out.reserve(html.size());
    std::vector<std::string> open; // at most kMaxPageNesting
    int dropped = 0;               // elements opened past the bound and not yet closed
    std::size_t at = 0;
    while (at < html.size()) {
        const std::size_t lt = html.find('<', at);
        if (lt == std::string_view::npos) {
            out.append(html.substr(at));
            break;
        }
        out.append(html.substr(at, lt - at));
        if (html.substr(lt).starts_with("<!--")) {
            const std::size_t close = html.find("-->", lt + 4);
            at = close == std::string_view::npos ? html.size() : close + 3;
            out.append(html.substr(lt, at - lt));
            continue;
        }
        const bool closing = lt + 1 < html.size() && html[lt + 1] == '/';
        const std::size_t nameStart = lt + (closing ? 2 : 1);
        std::size_t nameEnd = nameStart;
        while (nameEnd < html.size() && IsAsciiAlnum(html[nameEnd]))
            ++nameEnd;
        if (nameEnd == nameStart || !IsAsciiLetter(html[nameStart])) {
            // Not an element's tag: "<!doctype", "<?xml" or a lone "<".
            at = !closing && nameStart < html.size() &&
                         (html[nameStart] == '!' || html[nameStart] == '?')
                     ? TagEnd(html, lt)
                     : lt + 1;
            out.append(html.substr(lt, at - lt));
            continue;
        }
        const std::size_t end = TagEnd(html, lt);
        const std::string_view tag = html.substr(lt, end - lt);
        std::string name(html.substr(nameStart, nameEnd - nameStart));
        std::transform(name.begin(), name.end(), name.begin(), Lower);
        at = end;
        if (IsVoid(name)) {
            out.append(tag);
            continue;
        }
        if (closing) {
            if (dropped > 0) {
                --dropped;
                out.append(IsBlock(name) ? "<hr>" : "");
                AppendLineBreaksOf(out, tag);
                continue;
            }
            const auto match = std::find(open.rbegin(), open.rend(), name);
            if (match == open.rend()) { // closes nothing open
                AppendLineBreaksOf(out, tag);
                continue;
            }
            while (open.back() != name) {
                out += "</" + open.back() + ">";
                open.pop_back();
            }
            open.pop_back();
            out.append(tag);
            continue;
        }
        if (tag.ends_with("/>")) { // closed where it opens
            out.append(tag);
            continue;
        }
        while (!open.empty() && StartCloses(name, open.back())) {
            out += "</" + open.back() + ">";
            open.pop_back();
        }
        if (dropped > 0 || open.size() >= static_cast<std::size_t>(kMaxPageNesting)) {
            ++dropped;
            out.append(IsBlock(name) ? "<hr>" : "");
            AppendLineBreaksOf(out, tag);
            continue;
        }
        out.append(tag);
        if (IsRawText(name)) { // its end tag comes next
            const std::size_t textEnd = RawTextEnd(html, end, name);
            out.append(html.substr(end, textEnd - end));
            at = textEnd;
        }
        open.push_back(std::move(name));
    }
    return out;
}

namespace {

// The parser's nesting never goes past the bounded page's and the elements it
// implies; deeper means the page was read differently, and it stops there.
constexpr int kMaxParserDepth = 4 * kMaxPageNesting + 16;

// A page is given to the parser in pieces of this size, progress told after each.
constexpr std::size_t kPieceBytes = 256 * 1024;

std::string_view Text(const xmlChar* text) {
    return text == nullptr ? std::string_view() : reinterpret_cast<const char*>(text);
}

std::optional<std::string_view> Attribute(const xmlChar** attributes, std::string_view name) {
    for (const xmlChar** at = attributes; at != nullptr && at[0] != nullptr; at += 2) {
        if (Text(at[0]) == name)
            return Text(at[1]);
    }
    return std::nullopt;
}

bool HasToken(std::optional<std::string_view> list, std::string_view token) {
    if (!list)
        return false;
    std::size_t at = 0;
    while (at < list->size()) {
        while (at < list->size() && IsBlank((*list)[at]))
            ++at;
        std::size_t end = at;
        while (end < list->size() && !IsBlank((*list)[end]))
            ++end;
        if (list->substr(at, end - at) == token)
            return true;
        at = end;
    }
    return false;
}

// A notes section as pandoc, GitHub and most Markdown tools write it.
bool IsNotes(std::string_view name, const xmlChar** attributes) {
    return IsOneOf(name, {"section", "aside", "div", "ol"}) &&
           (HasToken(Attribute(attributes, "class"), "footnotes") ||
            HasToken(Attribute(attributes, "role"), "doc-endnotes"));
}

// A note reference: a glued "1" would turn "cent" into "cent1".
bool IsNoteReference(std::string_view name, const xmlChar** attributes) {
    if (name != "a" && name != "sup")
        return false;
    if (HasToken(Attribute(attributes, "class"), "footnote-ref") ||
        HasToken(Attribute(attributes, "role"), "doc-noteref") ||
        Attribute(attributes, "data-footnote-ref"))
        return true;
    const std::optional<std::string_view> href = Attribute(attributes, "href");
    if (name != "a" || !href || !href->starts_with("#fn") || href->size() < 4)
        return false;
    const char next = (*href)[3];
    return (next >= '0' && next <= '9') || next == ':' || next == '-' || next == '_';
}

// Elements whose text is never prose.
bool IsNonProse(std::string_view name) {
    return IsOneOf(name, {"head", "script", "style", "nav", "noscript", "template", "pre", "title",
                          "xmp", "listing", "iframe", "object", "svg", "math"});
}

// Elements drawn in a fixed-pitch face: a block of nothing else is code.
bool IsCode(std::string_view name) {
    return IsOneOf(name, {"code", "tt", "kbd", "samp"});
}

// The line and column of a byte of the page, found by walking from the last
// one asked for: the parser asks in the page's order, so one pass in all.
class LineFinder {
public:
    LineFinder(std::string_view text, int firstLine) : text_(text), line_(firstLine) {}

    // Whether the page holds text at offset as it stands (not as an entity).
    bool Holds(std::size_t offset, std::string_view text) const {
        return offset <= text_.size() && text_.substr(offset, text.size()) == text;
    }

    SourcePlace At(std::size_t offset) {
        offset = std::min(offset, text_.size());
        while (at_ < offset) {
            if (text_[at_++] == '\n') {
                ++line_;
                lineStart_ = at_;
            }
        }
        while (at_ > offset) {
            if (text_[--at_] == '\n') {
                --line_;
                const std::size_t previous = text_.rfind('\n', at_ == 0 ? 0 : at_ - 1);
                lineStart_ = at_ == 0 || previous == std::string_view::npos ? 0 : previous + 1;
            }
        }
        return {PlaceKind::Line, line_, static_cast<int>(offset - lineStart_) + 1};
    }

private:
    std::string_view text_;
    std::size_t at_ = 0;
    std::size_t lineStart_ = 0;
    int line_;
};

// Turns the parser's events into blocks. An exception never crosses the
// parser: it is kept, the parser stopped, and thrown again once it returns.
class HtmlReader {
public:
    HtmlReader(BlockWriter& out, int firstLine) : out_(out), firstLine_(firstLine) {}

    void Read(std::string_view html, const LoadProgress& progress) {
        const std::string page = BoundedNesting(html);
        LineFinder lines(page, firstLine_);
        lines_ = &lines;
        htmlSAXHandler handler{};
        handler.startElement = [](void* self, const xmlChar* name, const xmlChar** attributes) {
            static_cast<HtmlReader*>(self)->Guard(
                [&](HtmlReader& reader) { reader.Start(Text(name), attributes); });
        };
        handler.endElement = [](void* self, const xmlChar* name) {
            static_cast<HtmlReader*>(self)->Guard(
                [&](HtmlReader& reader) { reader.End(Text(name)); });
        };
        handler.characters = [](void* self, const xmlChar* text, int size) {
            static_cast<HtmlReader*>(self)->Guard([&](HtmlReader& reader) {
                reader.Characters(
                    std::string_view(reinterpret_cast<const char*>(text), std::size_t(size)));
            });
        };
        handler.ignorableWhitespace = handler.characters;
        handler.comment = [](void* self, const xmlChar* value) {
            static_cast<HtmlReader*>(self)->Guard([&](HtmlReader& reader) {
                if (reader.skipDepth_ == 0)
                    reader.out_.Ignore(ParseIgnoreComment(Text(value)));
            });
        };
        // No handler reads a document type, an entity or anything the page names.
        htmlParserCtxtPtr context =
            htmlCreatePushParserCtxt(&handler, this, nullptr, 0, nullptr, XML_CHAR_ENCODING_UTF8);
        if (context == nullptr)
            throw std::bad_alloc();
        context_ = context;
        htmlCtxtUseOptions(context, HTML_PARSE_RECOVER | HTML_PARSE_NOERROR | HTML_PARSE_NOWARNING |
                                        HTML_PARSE_NONET | HTML_PARSE_IGNORE_ENC |
                                        HTML_PARSE_NODEFDTD);
        const std::size_t pieces =
            std::max<std::size_t>(1, (page.size() + kPieceBytes - 1) / kPieceBytes);
        try {
            for (std::size_t i = 0; i < pieces && !failure_; ++i) {
                const std::size_t at = i * kPieceBytes;
                const std::size_t size =
                    std::min(kPieceBytes, page.size() - std::min(at, page.size()));
                htmlParseChunk(context, page.data() + std::min(at, page.size()),
                               static_cast<int>(size), i + 1 == pieces ? 1 : 0);
                if (failure_)
                    break;
                if (progress && pieces > 1 &&
                    !progress(static_cast<int>(i + 1), static_cast<int>(pieces)))
                    throw LoadCancelled("Loading was cancelled");
            }
        } catch (...) {
            htmlFreeParserCtxt(context);
            throw;
        }
        htmlFreeParserCtxt(context);
        if (failure_)
            std::rethrow_exception(failure_);
        EndBlock();
        if (progress && pieces == 1 && !progress(1, 1))
            throw LoadCancelled("Loading was cancelled");
    }

private:
    template <typename Handle> void Guard(Handle handle) {
        if (failure_)
            return;
        try {
            handle(*this);
        } catch (...) {
            failure_ = std::current_exception();
            xmlStopParser(context_);
        }
    }

    void Start(std::string_view name, const xmlChar** attributes) {
        if (++depth_ > kMaxParserDepth)
            throw ScrivoluxError("The page nests too deeply to be read");
        if (skipDepth_ > 0) {
            ++skipDepth_;
            return;
        }
        if (IsBlock(name))
            EndBlock();
        if (IsNonProse(name) || IsNotes(name, attributes) || IsNoteReference(name, attributes) ||
            (IsBlock(name) && !IsOneOf(name, {"html", "body"}) && out_.TakeNextBlock())) {
            skipDepth_ = 1;
            return;
        }
        if (name == "br") {
            out_.LineBreak();
        } else if (IsCode(name)) {
            ++codeDepth_;
            out_.BeginCode();
        }
    }

    void End(std::string_view name) {
        depth_ = std::max(0, depth_ - 1);
        if (skipDepth_ > 0) {
            --skipDepth_;
            return;
        }
        if (IsBlock(name)) {
            EndBlock();
        } else if (IsCode(name) && codeDepth_ > 0) {
            --codeDepth_;
            out_.EndCode();
        }
    }

    // Each line of the run placed where it starts in the page.
    void Characters(std::string_view text) {
        if (skipDepth_ > 0)
            return;
        const long consumed = xmlByteConsumed(context_);
        std::size_t start = consumed >= static_cast<long>(text.size())
                                ? static_cast<std::size_t>(consumed) - text.size()
                                : 0;
        // An entity's character has no place of its own: it follows the text before.
        const bool placed = lines_->Holds(start, text);
        while (!text.empty()) {
            const std::size_t lineEnd = std::min(text.find('\n'), text.size() - 1) + 1;
            const std::string_view line = text.substr(0, lineEnd);
            const bool visible =
                std::any_of(line.begin(), line.end(), [](char c) { return !IsBlank(c); });
            prose_ = prose_ || (visible && codeDepth_ == 0);
            if (placed && visible)
                out_.AppendCollapsed(line, lines_->At(start));
            else
                out_.AppendCollapsed(line);
            start += lineEnd;
            text.remove_prefix(lineEnd);
        }
    }

    // A block of code alone leaves nothing.
    void EndBlock() {
        if (!prose_)
            out_.CutBlock(0);
        out_.EndBlock();
        prose_ = false;
    }

    BlockWriter& out_;
    int firstLine_;
    LineFinder* lines_ = nullptr;
    htmlParserCtxtPtr context_ = nullptr;
    std::exception_ptr failure_;
    int depth_ = 0;
    int skipDepth_ = 0; // inside an element whose text is left out
    int codeDepth_ = 0;
    bool prose_ = false; // the block holds text outside code
};

} // namespace

DocumentText HtmlText(std::string_view html, const LoadProgress& progress) {
    BlockWriter out(kMaxTextFileBytes);
    const std::string lines =
        html.find('\r') == std::string_view::npos ? std::string() : ConvertLineBreaks(html, "\n");
    HtmlReader(out, 1).Read(lines.empty() ? html : std::string_view(lines), progress);
    return out.Take();
}

namespace {

// A YAML "key: value" or "key:" line.
bool IsKeyLine(std::string_view line) {
    const std::size_t colon = line.find(':');
    if (colon == 0 || colon == std::string_view::npos)
        return false;
    if (colon + 1 < line.size() && line[colon + 1] != ' ' && line[colon + 1] != '\t')
        return false;
    return std::all_of(line.begin(), line.begin() + static_cast<std::ptrdiff_t>(colon), [](char c) {
        return IsAsciiAlnum(c) || c == '_' || c == '-' || c == '.' || c == ' ';
    });
}

std::string_view TrimRight(std::string_view line) {
    while (!line.empty() && IsBlank(line.back()))
        line.remove_suffix(1);
    return line;
}

// The length of the front matter at the start of the text, its closing line
// included, or 0: a first line "---" followed at once by a "key: value" line,
// then only simple YAML (keys, indented or listed values, comments, blank
// lines) up to a line "---" or "...". Anything else is prose under a rule.
std::size_t FrontMatterSize(std::string_view text) {
    std::size_t start = 0;
    int line = 0;
    while (start < text.size()) {
        std::size_t end = text.find('\n', start);
        const std::size_t next = end == std::string_view::npos ? text.size() : end + 1;
        if (end == std::string_view::npos)
            end = text.size();
        const std::string_view content = TrimRight(text.substr(start, end - start));
        if (line == 0) {
            if (content != "---")
                return 0;
        } else if (line == 1) {
            if (!IsKeyLine(content))
                return 0;
        } else if (content == "---" || content == "...") {
            return next;
        } else if (!content.empty() && !IsKeyLine(content) && content[0] != ' ' &&
                   content[0] != '\t' && content[0] != '#' && content[0] != '-') {
            return 0;
        }
        ++line;
        start = next;
    }
    return 0;
}

// The length of a footnote label "[^label]" at `at`, or 0.
std::size_t NoteLabelSize(std::string_view text, std::size_t at) {
    if (text.substr(at, 2) != "[^")
        return 0;
    std::size_t end = at + 2;
    while (end < text.size() && text[end] != ']' && !IsBlank(text[end]) && text[end] != '[')
        ++end;
    return end < text.size() && text[end] == ']' && end > at + 2 ? end + 1 - at : 0;
}

// The Markdown without what is not prose to any reader: the front matter,
// footnotes ("[^1]: ...", whose line stays, empty) and their references
// ("[^1]"). Remembers what it took out, so that a place in what remains can
// be found in the original.
class MarkdownSource {
public:
    explicit MarkdownSource(std::string_view original) {
        std::size_t at = 0;
        if (original.starts_with("\xEF\xBB\xBF"))
            at = 3;
        at += FrontMatterSize(original.substr(at));
        Skip(at);
        while (at < original.size()) {
            std::size_t end = original.find('\n', at);
            end = end == std::string_view::npos ? original.size() : end;
            const std::size_t label = NoteLabelSize(original, at);
            if (label > 0 && original.substr(at + label, 1) == ":") {
                Skip(end - at);
                at = end;
            } else {
                for (std::size_t i = at; i < end;) {
                    const std::size_t reference =
                        original[i] == '[' ? NoteLabelSize(original, i) : 0;
                    if (reference > 0) {
                        Skip(reference);
                        i += reference;
                    } else {
                        text_ += original[i++];
                    }
                }
                at = end;
            }
            if (at < original.size()) {
                text_ += '\n';
                ++at;
            }
        }
    }

    const std::string& Text() const { return text_; }

    // The first offset of Text() after `offset` where something was taken out
    // just before, or Text()'s size.
    std::size_t NextCut(std::size_t offset) const {
        const auto after =
            std::upper_bound(shifts_.begin(), shifts_.end(), offset,
                             [](std::size_t at, const std::pair<std::size_t, std::size_t>& shift) {
                                 return at < shift.first;
                             });
        return after == shifts_.end() ? text_.size() : after->first;
    }

    // Where the byte at `offset` of Text() stands in the original.
    std::size_t OriginalOffset(std::size_t offset) const {
        const auto after =
            std::upper_bound(shifts_.begin(), shifts_.end(), offset,
                             [](std::size_t at, const std::pair<std::size_t, std::size_t>& shift) {
                                 return at < shift.first;
                             });
        return offset + (after == shifts_.begin() ? 0 : (after - 1)->second);
    }

private:
    void Skip(std::size_t size) {
        if (size == 0)
            return;
        const std::size_t total = (shifts_.empty() ? 0 : shifts_.back().second) + size;
        if (!shifts_.empty() && shifts_.back().first == text_.size())
            shifts_.back().second = total;
        else
            shifts_.emplace_back(text_.size(), total);
    }

    std::string text_;
    std::vector<std::pair<std::size_t, std::size_t>> shifts_; // from offset on, skipped so far
};

void AppendUtf8(std::string& out, unsigned code) {
    if (code == 0 || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF))
        code = 0xFFFD;
    if (code < 0x80) {
        out += static_cast<char>(code);
    } else if (code < 0x800) {
        out += static_cast<char>(0xC0 | (code >> 6));
        out += static_cast<char>(0x80 | (code & 0x3F));
    } else if (code < 0x10000) {
        out += static_cast<char>(0xE0 | (code >> 12));
        out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (code & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (code >> 18));
        out += static_cast<char>(0x80 | ((code >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (code & 0x3F));
    }
}

// "&eacute;", "&#233;" or "&#xE9;" as UTF-8; an unknown name as it stands.
std::string DecodeEntity(std::string_view entity) {
    std::string decoded;
    if (entity.size() < 3 || entity.front() != '&' || entity.back() != ';')
        return std::string(entity);
    const std::string_view body = entity.substr(1, entity.size() - 2);
    if (body.front() == '#') {
        const bool hex = body.size() > 1 && (body[1] == 'x' || body[1] == 'X');
        unsigned long code = 0;
        for (const char c : body.substr(hex ? 2 : 1)) {
            const int digit = c >= '0' && c <= '9'          ? c - '0'
                              : hex && c >= 'a' && c <= 'f' ? c - 'a' + 10
                              : hex && c >= 'A' && c <= 'F' ? c - 'A' + 10
                                                            : -1;
            if (digit < 0)
                return std::string(entity);
            code = std::min<unsigned long>(code * (hex ? 16 : 10) + digit, 0x110000);
        }
        AppendUtf8(decoded, static_cast<unsigned>(code));
        return decoded;
    }
    const std::string name(body);
    const htmlEntityDesc* known = htmlEntityLookup(reinterpret_cast<const xmlChar*>(name.c_str()));
    if (known == nullptr)
        return std::string(entity);
    AppendUtf8(decoded, known->value);
    return decoded;
}

// The name of a raw tag ("<nav ...>", "</nav>") in lower case, and whether it
// closes.
std::pair<std::string, bool> TagName(std::string_view tag) {
    const bool closing = tag.starts_with("</");
    std::string name;
    for (std::size_t i = closing ? 2 : 1; i < tag.size() && IsAsciiAlnum(tag[i]); ++i)
        name += Lower(tag[i]);
    return {name, closing};
}

// Turns md4c's events into blocks.
class MarkdownReader {
public:
    MarkdownReader(std::string_view original, const LoadProgress& progress)
        : original_(original), source_(original), lines_(original, 1), progress_(progress),
          out_(kMaxTextFileBytes) {}

    DocumentText Read() {
        MD_PARSER parser{};
        parser.flags = MD_DIALECT_GITHUB;
        parser.enter_block = [](MD_BLOCKTYPE type, void*, void* self) {
            return static_cast<MarkdownReader*>(self)->Guard(
                [&](MarkdownReader& reader) { reader.EnterBlock(type); });
        };
        parser.leave_block = [](MD_BLOCKTYPE type, void*, void* self) {
            return static_cast<MarkdownReader*>(self)->Guard(
                [&](MarkdownReader& reader) { reader.LeaveBlock(type); });
        };
        parser.enter_span = [](MD_SPANTYPE type, void* detail, void* self) {
            return static_cast<MarkdownReader*>(self)->Guard([&](MarkdownReader& reader) {
                reader.imageDepth_ += type == MD_SPAN_IMG;
                reader.codeDepth_ += type == MD_SPAN_CODE;
                if (type == MD_SPAN_CODE)
                    reader.out_.BeginCode();
                if (type == MD_SPAN_A) {
                    const MD_ATTRIBUTE& href = static_cast<MD_SPAN_A_DETAIL*>(detail)->href;
                    reader.linkTarget_.assign(href.text, href.size);
                }
            });
        };
        parser.leave_span = [](MD_SPANTYPE type, void*, void* self) {
            return static_cast<MarkdownReader*>(self)->Guard([&](MarkdownReader& reader) {
                reader.imageDepth_ -= type == MD_SPAN_IMG;
                reader.codeDepth_ -= type == MD_SPAN_CODE;
                if (type == MD_SPAN_CODE)
                    reader.out_.EndCode();
                if (type == MD_SPAN_A)
                    reader.linkTarget_.clear();
            });
        };
        parser.text = [](MD_TEXTTYPE type, const MD_CHAR* text, MD_SIZE size, void* self) {
            return static_cast<MarkdownReader*>(self)->Guard(
                [&](MarkdownReader& reader) { reader.Text(type, std::string_view(text, size)); });
        };
        const std::string& text = source_.Text();
        const int result = md_parse(text.data(), static_cast<MD_SIZE>(text.size()), &parser, this);
        if (failure_)
            std::rethrow_exception(failure_);
        if (result != 0)
            throw ScrivoluxError("The Markdown text could not be read");
        EndBlock();
        if (progress_ && !progress_(Pieces(), Pieces()))
            throw LoadCancelled("Loading was cancelled");
        return out_.Take();
    }

private:
    template <typename Handle> int Guard(Handle handle) {
        try {
            handle(*this);
            return 0;
        } catch (...) {
            failure_ = std::current_exception();
            return 1;
        }
    }

    int Pieces() const {
        return static_cast<int>(
            std::max<std::size_t>(1, (source_.Text().size() + kPieceBytes - 1) / kPieceBytes));
    }

    void EnterBlock(MD_BLOCKTYPE type) {
        EndBlock();
        if (type != MD_BLOCK_DOC)
            out_.StartTopBlock();
        if (type == MD_BLOCK_CODE)
            inCode_ = true;
        else if (type == MD_BLOCK_HTML)
            inHtml_ = true;
    }

    void LeaveBlock(MD_BLOCKTYPE type) {
        if (type == MD_BLOCK_CODE) {
            inCode_ = false;
        } else if (type == MD_BLOCK_HTML) {
            inHtml_ = false;
            HtmlReader(out_, htmlLine_).Read(html_, {});
            html_.clear();
        }
        EndBlock();
        if (type != MD_BLOCK_DOC)
            out_.EndTopBlock();
    }

    void Text(MD_TEXTTYPE type, std::string_view text) {
        TellProgress(text);
        if (inCode_)
            return;
        if (inHtml_) {
            if (html_.empty())
                htmlLine_ = Where(text).value_or(SourcePlace{}).number;
            html_ += text;
            return;
        }
        if (imageDepth_ > 0)
            return;
        switch (type) {
        case MD_TEXT_NORMAL:
        case MD_TEXT_CODE:
        case MD_TEXT_LATEXMATH: {
            // An address written as its own link is its target, not prose.
            const bool target = !linkTarget_.empty() && text.size() > 3 &&
                                std::string_view(linkTarget_).ends_with(text);
            if (target)
                out_.BeginCode();
            AppendPlaced(text);
            if (target)
                out_.EndCode();
            if (type == MD_TEXT_NORMAL && codeDepth_ == 0 &&
                std::any_of(text.begin(), text.end(), [](char c) { return !IsBlank(c); }))
                prose_ = true;
            break;
        }
        case MD_TEXT_ENTITY:
            if (const std::optional<SourcePlace> place = Where(text))
                out_.Place(*place);
            out_.AppendCollapsed(DecodeEntity(text));
            prose_ = prose_ || codeDepth_ == 0;
            break;
        case MD_TEXT_NULLCHAR:
            out_.Append("\xEF\xBF\xBD");
            break;
        case MD_TEXT_BR:
            out_.LineBreak();
            break;
        case MD_TEXT_SOFTBR:
            out_.AppendCollapsed(" ");
            break;
        case MD_TEXT_HTML:
            InlineTag(text);
            break;
        }
    }

    // A raw tag in prose is markup and leaves no text. What lies between a
    // script, a style, a navigation or a note reference and its end tag goes
    // too, when the end tag comes in the same block; a tag never closed (a
    // name written in prose, "the <nav> element") takes nothing with it.
    void InlineTag(std::string_view tag) {
        if (tag.starts_with("<!--") && tag.ends_with("-->") && tag.size() >= 7) {
            out_.Ignore(ParseIgnoreComment(tag.substr(4, tag.size() - 7)));
            return;
        }
        const auto [name, closing] = TagName(tag);
        if (name == "br") {
            out_.LineBreak();
            return;
        }
        if (!closing) {
            const bool reference = (name == "a" || name == "sup") &&
                                   (tag.find("footnote-ref") != std::string_view::npos ||
                                    tag.find("doc-noteref") != std::string_view::npos ||
                                    tag.find("href=\"#fn") != std::string_view::npos);
            if (IsNonProse(name) || reference)
                openTags_.emplace_back(name, out_.BlockSize());
            return;
        }
        const auto open = std::find_if(openTags_.rbegin(), openTags_.rend(),
                                       [&](const auto& entry) { return entry.first == name; });
        if (open == openTags_.rend())
            return;
        out_.CutBlock(open->second);
        openTags_.erase(std::prev(open.base()), openTags_.end());
    }

    void EndBlock() {
        if (!prose_)
            out_.CutBlock(0);
        out_.EndBlock();
        prose_ = false;
        openTags_.clear();
    }

    // Text md4c points into the source with, each piece between two cuts
    // (a removed note reference) placed where it stands in the original.
    void AppendPlaced(std::string_view text) {
        if (!Where(text)) {
            out_.AppendCollapsed(text);
            return;
        }
        const std::size_t start = static_cast<std::size_t>(text.data() - source_.Text().data());
        std::size_t at = 0;
        while (at < text.size()) {
            const std::size_t end = std::min(text.size(), source_.NextCut(start + at) - start);
            const std::string_view piece = text.substr(at, end - at);
            out_.AppendCollapsed(piece, *Where(piece));
            at = end;
        }
    }

    // The place of a piece of text md4c points into the source with; none
    // for one of its own (a line break).
    std::optional<SourcePlace> Where(std::string_view text) {
        const std::string& source = source_.Text();
        if (text.data() < source.data() || text.data() >= source.data() + source.size())
            return std::nullopt;
        return lines_.At(
            source_.OriginalOffset(static_cast<std::size_t>(text.data() - source.data())));
    }

    void TellProgress(std::string_view text) {
        const std::string& source = source_.Text();
        if (!progress_ || text.data() < source.data() ||
            text.data() >= source.data() + source.size())
            return;
        const std::size_t offset = static_cast<std::size_t>(text.data() - source.data());
        while (offset >= nextProgress_ + kPieceBytes) {
            nextProgress_ += kPieceBytes;
            if (!progress_(static_cast<int>(nextProgress_ / kPieceBytes), Pieces()))
                throw LoadCancelled("Loading was cancelled");
        }
    }

    std::string_view original_;
    MarkdownSource source_;
    LineFinder lines_;
    const LoadProgress& progress_;
    BlockWriter out_;
    std::exception_ptr failure_;
    std::size_t nextProgress_ = 0;
    bool inCode_ = false;
    bool inHtml_ = false;
    std::string html_;       // the raw HTML block being read
    std::string linkTarget_; // of the link the text is in
    int htmlLine_ = 1;
    int imageDepth_ = 0;
    int codeDepth_ = 0;
    bool prose_ = false;
    std::vector<std::pair<std::string, std::size_t>> openTags_; // and where their text starts
};

} // namespace

DocumentText MarkdownText(std::string_view markdown, const LoadProgress& progress) {
    return MarkdownReader(markdown, progress).Read();
}
