#include "analysis/CarefulRules.h"

#include "analysis/Abbreviations.h"

#include <QChar>

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstring>
#include <future>

namespace {

enum class Kind : std::uint8_t {
    Space,      // separates pieces of text: the ASCII blanks and the wider spaces
    Letter,     // letters of any script
    Combining,  // combining marks and variation selectors: part of a word, no letter
    Digit,      // digits of any script
    Apostrophe, // ' and ’: inside a word part of it, at its ends a quote
    Stop,       // .
    Mark,       // ! and ?
    Ellipsis,   // …
    Opening,    // ( [ { “ ‘ « ‹ ¿ ¡
    Closing,    // ) ] } ” » ›
    Quote,      // " * _ ` ~: wrap words on either side
    Bullet,     // • ◦ ▪ ‣ ⁃ and the like
    Other,
};

constexpr std::array<Kind, 128> MakeAsciiKinds() {
    std::array<Kind, 128> kinds{};
    for (std::size_t c = 0; c < kinds.size(); ++c) {
        kinds[c] = c <= 32                  ? Kind::Space
                   : (c >= 'a' && c <= 'z') ? Kind::Letter
                   : (c >= 'A' && c <= 'Z') ? Kind::Letter
                   : (c >= '0' && c <= '9') ? Kind::Digit
                                            : Kind::Other;
    }
    kinds['\''] = Kind::Apostrophe;
    kinds['.'] = Kind::Stop;
    kinds['!'] = Kind::Mark;
    kinds['?'] = Kind::Mark;
    for (char c : std::string_view("([{"))
        kinds[static_cast<unsigned char>(c)] = Kind::Opening;
    for (char c : std::string_view(")]}"))
        kinds[static_cast<unsigned char>(c)] = Kind::Closing;
    for (char c : std::string_view("\"*_`~"))
        kinds[static_cast<unsigned char>(c)] = Kind::Quote;
    return kinds;
}

constexpr auto kAsciiKinds = MakeAsciiKinds();

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

struct Char {
    char32_t code = 0;
    std::uint32_t length = 1;
    Kind kind = Kind::Other;
};

// The character at byte `at`; a byte that starts no valid UTF-8 character is a
// character of its own that is nothing in particular.
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

// The start of the character that ends before byte `at` (> 0).
std::size_t PreviousStart(std::string_view text, std::size_t at) {
    std::size_t start = at - 1;
    while (start > 0 && at - start < 4 && (static_cast<unsigned char>(text[start]) & 0xC0) == 0x80)
        --start;
    return Decode(text, start).length == at - start ? start : at - 1;
}

constexpr std::array<bool, 256> MakeAsciiLetters() {
    std::array<bool, 256> letters{};
    for (std::size_t c = 0; c < 128; ++c)
        letters[c] = kAsciiKinds[c] == Kind::Letter;
    return letters;
}

constexpr auto kAsciiLetter = MakeAsciiLetters();

bool IsBlankByte(char c) {
    return static_cast<unsigned char>(c) <= 32;
}

bool IsTrailKind(Kind kind) {
    return kind == Kind::Stop || kind == Kind::Mark || kind == Kind::Ellipsis ||
           kind == Kind::Closing || kind == Kind::Quote || kind == Kind::Apostrophe;
}

bool IsLeadKind(Kind kind) {
    return kind == Kind::Opening || kind == Kind::Quote || kind == Kind::Apostrophe ||
           kind == Kind::Bullet;
}

bool IsBulletAt(std::string_view text, std::size_t at) {
    const Char c = Decode(text, at);
    return c.kind == Kind::Bullet;
}

bool IsLowerRoman(std::string_view s) {
    return !s.empty() && s.size() <= 4 && s.find_first_not_of("ivx") == std::string_view::npos;
}

// The word text: word runs copied, everything else left blank. Every ".", "!",
// "?", "…" and bullet is noted, in order, for the sentence rules.
class WordFiller {
public:
    WordFiller(std::string_view passage, char* word, std::vector<std::size_t>& events)
        : passage_(passage), word_(word), events_(events) {}

    void Run() {
        const std::size_t n = passage_.size();
        std::size_t i = 0;
        while (i < n) {
            const auto b = static_cast<unsigned char>(passage_[i]);
            if (b == ' ') { // the most common byte after a letter, already blank
                EndRun(i);
                EndChunk(i);
                ++i;
                continue;
            }
            const Char c = b < 0x80 ? Char{b, 1, kAsciiKinds[b]} : Decode(passage_, i);
            if (c.kind == Kind::Space) {
                EndRun(i);
                EndChunk(i);
                Blank(i, c.length);
                i += c.length;
                continue;
            }
            if (chunkStart_ == kNone) {
                chunkStart_ = i;
                address_ = (b == 'w' || b == 'W') &&
                           (passage_.substr(i, 4) == "www." || passage_.substr(i, 4) == "WWW.");
            }
            switch (c.kind) {
            case Kind::Letter:
                hasLetter_ = true;
                if (runStart_ == kNone)
                    runStart_ = i;
                // Most of a text is runs of ASCII letters: step over them at once.
                for (i += c.length; i < n && kAsciiLetter[static_cast<unsigned char>(passage_[i])];)
                    ++i;
                continue;
            case Kind::Combining:
            case Kind::Apostrophe:
                if (runStart_ == kNone)
                    runStart_ = i;
                break;
            case Kind::Digit:
                hasDigit_ = true;
                if (runStart_ == kNone)
                    runStart_ = i;
                break;
            case Kind::Stop:
            case Kind::Mark:
            case Kind::Ellipsis:
            case Kind::Bullet:
                events_.push_back(i);
                EndRun(i);
                Blank(i, c.length);
                break;
            default:
                if (c.code == '@' || (c.code == ':' && passage_.substr(i + 1, 2) == "//"))
                    address_ = true;
                EndRun(i);
                Blank(i, c.length);
                break;
            }
            i += c.length;
        }
        EndRun(n);
        EndChunk(n);
    }

private:
    static constexpr std::size_t kNone = static_cast<std::size_t>(-1);

    void Blank(std::size_t at, std::size_t length) {
        if (length == 1)
            word_[at] = ' ';
        else
            std::memset(word_ + at, ' ', length);
    }

    // The length of the apostrophe that a run starts (or ends) with, or 0.
    static std::size_t ApostropheLength(std::string_view s) {
        if (s.starts_with('\''))
            return 1;
        if (s.starts_with("\xE2\x80\x99"))
            return 3;
        return s.starts_with("\xCA\xBC") ? 2 : 0;
    }

    static std::size_t TrailingApostropheLength(std::string_view s) {
        if (s.ends_with('\''))
            return 1;
        if (s.ends_with("\xE2\x80\x99"))
            return 3;
        return s.ends_with("\xCA\xBC") ? 2 : 0;
    }

    // The word text holds the passage's bytes: a run that is no word is
    // blanked, and so are the quotes at a word's ends.
    void EndRun(std::size_t end) {
        if (runStart_ == kNone)
            return;
        const std::size_t start = runStart_;
        runStart_ = kNone;
        // Most runs are words of ASCII letters with nothing to blank.
        if (hasLetter_ && !hasDigit_ && kAsciiLetter[static_cast<unsigned char>(passage_[start])] &&
            kAsciiLetter[static_cast<unsigned char>(passage_[end - 1])]) {
            hasLetter_ = false;
            return;
        }
        EndOtherRun(start, end);
    }

    void EndOtherRun(std::size_t start, std::size_t end) {
        if (!hasLetter_ || hasDigit_) {
            hasLetter_ = false;
            hasDigit_ = false;
            std::memset(word_ + start, ' ', end - start);
            return;
        }
        hasLetter_ = false;
        const auto first = static_cast<unsigned char>(passage_[start]);
        const auto last = static_cast<unsigned char>(passage_[end - 1]);
        if (first != '\'' && first < 0x80 && last != '\'' && last < 0x80)
            return;
        std::string_view run = passage_.substr(start, end - start);
        while (std::size_t length = ApostropheLength(run)) {
            std::memset(word_ + (run.data() - passage_.data()), ' ', length);
            run.remove_prefix(length);
        }
        while (std::size_t length = TrailingApostropheLength(run)) {
            run.remove_suffix(length);
            std::memset(word_ + (run.data() - passage_.data()) + run.size(), ' ', length);
        }
    }

    void EndChunk(std::size_t end) {
        if (chunkStart_ != kNone && address_)
            std::memset(word_ + chunkStart_, ' ', end - chunkStart_);
        chunkStart_ = kNone;
        address_ = false;
    }

    std::string_view passage_;
    char* word_;
    std::vector<std::size_t>& events_;
    std::size_t runStart_ = kNone;
    bool hasLetter_ = false;
    bool hasDigit_ = false;
    std::size_t chunkStart_ = kNone;
    bool address_ = false;
};

// How the text after a possible sentence end begins.
struct Continuation {
    enum Start { End, Upper, Lower, Digit, List } start = End;
    std::string_view word; // its first run of letters
};

// What the text of a line is, for the blocks.
enum class LineKind { Blank, Text, ListItem, Heading, TableRow, Rule };

struct Line {
    std::size_t start = 0; // in the passage
    std::size_t end = 0;   // the space after the line
};

class SentenceMarker {
public:
    SentenceMarker(std::string_view passage, char* sentence, char* word,
                   const std::vector<std::size_t>& events)
        : passage_(passage), sentence_(sentence), word_(word), events_(events) {}

    void Run(const std::vector<Line>& lines) {
        bool open = false;
        bool list = false;
        std::size_t blockStart = 0;
        std::size_t blockEnd = 0;
        const auto close = [&] {
            if (open)
                Block(blockStart, blockEnd, list);
            open = false;
        };
        for (const Line& line : lines) {
            std::size_t markerEnd = line.start;
            switch (Classify(line, markerEnd)) {
            case LineKind::Blank:
                close();
                break;
            case LineKind::Text:
                if (!open) {
                    open = true;
                    list = false;
                    blockStart = line.start;
                }
                blockEnd = line.end;
                break;
            case LineKind::ListItem:
                close();
                Blank(line.start, markerEnd);
                open = true;
                list = true;
                blockStart = markerEnd;
                blockEnd = line.end;
                break;
            case LineKind::Heading:
            case LineKind::Rule:
                close();
                Blank(line.start, markerEnd);
                Block(markerEnd, line.end, false);
                break;
            case LineKind::TableRow:
                close();
                Cells(line);
                break;
            }
        }
        close();
    }

private:
    std::string_view Chunk(std::size_t start, std::size_t limit) const {
        std::size_t end = start;
        while (end < limit && !IsBlankByte(passage_[end]))
            ++end;
        return passage_.substr(start, end - start);
    }

    std::size_t SkipBlanks(std::size_t at, std::size_t limit) const {
        while (at < limit && IsBlankByte(passage_[at]))
            ++at;
        return at;
    }

    // Blanks a range in both texts: markers belong to no word and no sentence.
    void Blank(std::size_t start, std::size_t end) {
        std::memset(sentence_ + start, ' ', end - start);
        std::memset(word_ + start, ' ', end - start);
    }

    bool IsLineListMarker(std::string_view chunk, std::size_t after, std::size_t limit) const {
        if (!IsListMarker(chunk))
            return false;
        // "a." opens a list item only before a capital, unlike "p. 55".
        if (chunk.size() >= 2 && chunk[0] >= 'a' && chunk[0] <= 'z' && chunk[1] == '.' &&
            !IsLowerRoman(chunk.substr(0, chunk.size() - 1)))
            return Next(after, limit, false).start == Continuation::Upper;
        return SkipBlanks(after, limit) < limit;
    }

    // "---", "===", "* * *": a rule or the underline of a heading.
    static bool IsRule(std::string_view rest) {
        const char mark = rest[0];
        if (mark != '=' && mark != '-' && mark != '*' && mark != '_')
            return false;
        int count = 0;
        for (const char c : rest) {
            if (c == mark)
                ++count;
            else if (!IsBlankByte(c))
                return false;
        }
        return count >= 3;
    }

    LineKind Classify(const Line& line, std::size_t& markerEnd) const {
        const std::size_t start = SkipBlanks(line.start, line.end);
        markerEnd = start;
        if (start == line.end)
            return LineKind::Blank;
        const std::string_view chunk = Chunk(start, line.end);
        const std::string_view rest = passage_.substr(start, line.end - start);
        if (chunk.find_first_not_of('#') == std::string_view::npos && chunk.size() <= 6) {
            markerEnd = start + chunk.size();
            return LineKind::Heading;
        }
        if (chunk.front() == '|')
            return LineKind::TableRow;
        if (IsRule(rest)) {
            markerEnd = line.end;
            return LineKind::Rule;
        }
        const Char first = Decode(passage_, start);
        const bool dash = chunk == "-" || chunk == "*" || chunk == "+" || chunk == "\xE2\x80\x93" ||
                          chunk == "\xE2\x80\x94";
        if (first.kind == Kind::Bullet || dash) {
            std::size_t end = start + first.length;
            if (end < start + chunk.size()) {
                // A bullet glued to its item ("•Item") or to a number ("⁃9.").
                if (dash)
                    return LineKind::Text;
                if (IsListMarker(chunk.substr(first.length)))
                    end = start + chunk.size();
            } else {
                const std::size_t next = SkipBlanks(end, line.end);
                if (next == end && end < line.end)
                    return LineKind::Text;
                const std::string_view marker = Chunk(next, line.end);
                if (IsListMarker(marker))
                    end = next + marker.size();
            }
            markerEnd = end;
            return LineKind::ListItem;
        }
        if (IsLineListMarker(chunk, start + chunk.size(), line.end)) {
            markerEnd = start + chunk.size();
            return LineKind::ListItem;
        }
        return LineKind::Text;
    }

    void Cells(const Line& line) {
        std::size_t cellStart = line.start;
        for (std::size_t at = line.start; at < line.end; ++at) {
            if (passage_[at] == '|') {
                Block(cellStart, at, false);
                cellStart = at + 1;
            }
        }
        Block(cellStart, line.end, false);
    }

    // Ends the sentence at `at`: a full stop there when it holds a word, else
    // nothing of it is left to count.
    void Close(std::size_t at) {
        const bool word =
            std::any_of(word_ + segmentStart_, word_ + at, [](char c) { return c != ' '; });
        if (word)
            sentence_[at] = '.';
        else
            std::memset(sentence_ + segmentStart_, ' ', at + 1 - segmentStart_);
        segmentStart_ = at + 1;
    }

    // A sentence break before a list marker or bullet at `at`.
    void BreakBefore(std::size_t at) {
        if (at > segmentStart_)
            Close(at - 1);
    }

    void Block(std::size_t start, std::size_t end, bool list) {
        segmentStart_ = start;
        list_ = list;
        limit_ = end;
        std::size_t done = start;
        if (list) {
            for (std::size_t at = SkipBlanks(start, end); at < end; at = SkipBlanks(done, end))
                done = std::max(ListChunk(at), at + 1);
        } else {
            for (; next_ < events_.size() && events_[next_] < end; ++next_) {
                const std::size_t at = events_[next_];
                if (at < done || at < start)
                    continue;
                std::size_t chunkStart = at;
                while (chunkStart > start && !IsBlankByte(passage_[chunkStart - 1]))
                    --chunkStart;
                done = IsBulletAt(passage_, chunkStart) ? BulletChunk(chunkStart)
                                                        : EndingChunk(chunkStart);
            }
        }
        while (next_ < events_.size() && events_[next_] < end)
            ++next_;
        Close(end);
    }

    std::size_t BulletChunk(std::size_t at) {
        BreakBefore(at);
        const std::string_view chunk = Chunk(at, limit_);
        std::size_t end = at + chunk.size();
        const std::size_t bullet = Decode(passage_, at).length;
        if (chunk.size() == bullet) {
            const std::size_t next = SkipBlanks(end, limit_);
            const std::string_view marker = Chunk(next, limit_);
            if (IsListMarker(marker))
                end = next + marker.size();
        } else if (!IsListMarker(chunk.substr(bullet))) {
            Blank(at, at + bullet);
            return EndingChunk(at + bullet);
        }
        Blank(at, end);
        segmentStart_ = end;
        return end;
    }

    std::size_t ListChunk(std::size_t at) {
        if (IsBulletAt(passage_, at))
            return BulletChunk(at);
        const std::string_view chunk = Chunk(at, limit_);
        if (IsListMarker(chunk) &&
            Next(at + chunk.size(), limit_, false).start == Continuation::Upper) {
            BreakBefore(at);
            Blank(at, at + chunk.size());
            segmentStart_ = at + chunk.size();
            return at + chunk.size();
        }
        const bool ending = std::any_of(chunk.begin(), chunk.end(), [](char c) {
            return c == '.' || c == '!' || c == '?' || c == '\xE2';
        });
        return ending ? EndingChunk(at) : at + chunk.size();
    }

    // The number of full stops and of "!"/"?" in a trail.
    struct Marks {
        int dots = 0;
        int bangs = 0;
        void Add(Kind kind) {
            dots += kind == Kind::Stop ? 1 : kind == Kind::Ellipsis ? 3 : 0;
            bangs += kind == Kind::Mark ? 1 : 0;
        }
    };

    // A piece of text made of full stops and quotes alone, as in ". . ." .
    bool IsDots(std::string_view chunk, Marks& marks) const {
        Marks found;
        for (std::size_t i = 0; i < chunk.size();) {
            const Char c = Decode(chunk, i);
            if (c.kind != Kind::Stop && c.kind != Kind::Ellipsis && c.kind != Kind::Mark &&
                c.kind != Kind::Closing && c.kind != Kind::Quote && c.kind != Kind::Apostrophe)
                return false;
            found.Add(c.kind);
            i += c.length;
        }
        if (found.dots + found.bangs == 0)
            return false;
        marks.dots += found.dots;
        marks.bangs += found.bangs;
        return true;
    }

    // A piece of text that holds a possible sentence end: decides whether it is
    // one. Returns where the text after it begins.
    std::size_t EndingChunk(std::size_t at) {
        const std::string_view chunk = Chunk(at, limit_);
        std::size_t trail = chunk.size();
        Marks marks;
        while (trail > 0) {
            const std::size_t previous = PreviousStart(chunk, trail);
            const Kind kind = Decode(chunk, previous).kind;
            if (!IsTrailKind(kind))
                break;
            marks.Add(kind);
            trail = previous;
        }
        std::size_t end = at + chunk.size();
        if (marks.dots + marks.bangs == 0)
            return end;
        std::size_t coreStart = 0;
        while (coreStart < trail) {
            const Char c = Decode(chunk, coreStart);
            if (!IsLeadKind(c.kind))
                break;
            coreStart += c.length;
        }
        const std::string_view core = chunk.substr(coreStart, trail - coreStart);
        // "U.S." and "p.m." are words with their full stops, as the word list
        // has them, not two words of one letter.
        if (chunk[trail] == '.' && IsInitialism(core))
            std::memcpy(word_ + at + coreStart, passage_.data() + at + coreStart, core.size() + 1);
        // "[...]" stands for words left out, never for an end.
        if (core.empty() && chunk.find('[') != std::string_view::npos)
            return end;
        // A spaced ellipsis, ". . . .", is one ending with the word before it.
        for (std::size_t next = SkipBlanks(end, limit_); next < limit_;
             next = SkipBlanks(end, limit_)) {
            const std::string_view more = Chunk(next, limit_);
            if (!IsDots(more, marks))
                break;
            end = next + more.size();
        }
        if (!EndsSentence(core, marks, Next(end, limit_, list_)))
            return end;
        std::memset(sentence_ + at + trail, ' ', end - (at + trail));
        Close(end - 1);
        return end;
    }

    // How the text from `at` on begins: its first piece that holds a letter or
    // digit, or a list marker or bullet, which always opens a sentence.
    Continuation Next(std::size_t at, std::size_t limit, bool list) const {
        for (at = SkipBlanks(at, limit); at < limit; at = SkipBlanks(at, limit)) {
            const std::string_view chunk = Chunk(at, limit);
            if (IsBulletAt(passage_, at) || (list && IsListMarker(chunk)))
                return {Continuation::List, {}};
            for (std::size_t i = 0; i < chunk.size();) {
                const Char c = Decode(chunk, i);
                if (c.kind == Kind::Digit)
                    return {Continuation::Digit, {}};
                if (c.kind == Kind::Letter) {
                    std::size_t end = i;
                    while (end < chunk.size()) {
                        const Char letter = Decode(chunk, end);
                        if (letter.kind != Kind::Letter)
                            break;
                        end += letter.length;
                    }
                    const bool lower = QChar::isLower(c.code);
                    return {lower ? Continuation::Lower : Continuation::Upper,
                            chunk.substr(i, end - i)};
                }
                i += c.length;
            }
            at += chunk.size();
        }
        return {};
    }

    static bool IsNumber(std::string_view core) {
        bool digit = false;
        for (const char c : core) {
            if ((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'))
                return false;
            digit = digit || (c >= '0' && c <= '9');
        }
        return digit;
    }

    // "U.S", "E.U", "Ph.D": letters in groups of one or two between stops.
    static bool IsInitialism(std::string_view core) {
        if (core.find('.') == std::string_view::npos)
            return false;
        std::size_t group = 0;
        for (const char c : core) {
            if (c == '.') {
                if (group == 0)
                    return false;
                group = 0;
            } else if (((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z')) && group < 2) {
                ++group;
            } else {
                return false;
            }
        }
        return group > 0;
    }

    static bool IsSingleLetter(std::string_view core) {
        if (core.empty())
            return false;
        const Char c = Decode(core, 0);
        return c.kind == Kind::Letter && c.length == core.size();
    }

    static bool EndsSentence(std::string_view core, const Marks& marks, const Continuation& next) {
        if (next.start == Continuation::End || next.start == Continuation::List)
            return true;
        if (next.start == Continuation::Lower)
            return false;
        const bool upper = next.start == Continuation::Upper;
        if (marks.bangs > 0 || marks.dots >= 4)
            return true;
        if (core.empty() || marks.dots >= 2)
            // An ellipsis: "I" is a capital in mid-sentence too.
            return upper && next.word != "I";
        if (IsNumber(core))
            return upper;
        const bool opener = upper && IsSentenceOpener(next.word);
        switch (KindOfAbbreviation(core)) {
        case Abbreviation::Title:
        case Abbreviation::Inner:
            return false;
        case Abbreviation::BeforeNumber:
        case Abbreviation::Ending:
            return opener;
        case Abbreviation::None:
            break;
        }
        if (IsInitialism(core) || IsSingleLetter(core))
            return opener;
        return true;
    }

    std::string_view passage_;
    char* sentence_;
    char* word_;
    const std::vector<std::size_t>& events_;
    std::size_t next_ = 0; // the next event to look at
    std::size_t segmentStart_ = 0;
    std::size_t limit_ = 0;
    bool list_ = false;
};

} // namespace

bool IsListMarker(std::string_view chunk) {
    if (chunk.size() >= 3 && chunk.front() == '(' && chunk.back() == ')')
        chunk = chunk.substr(1, chunk.size() - 1);
    else if (chunk.ends_with(".)"))
        chunk.remove_suffix(1);
    if (chunk.size() < 2 || (chunk.back() != '.' && chunk.back() != ')'))
        return false;
    const std::string_view label = chunk.substr(0, chunk.size() - 1);
    const bool digits =
        label.size() <= 3 && label.find_first_not_of("0123456789") == std::string_view::npos;
    const bool letter = label.size() == 1 && label[0] >= 'a' && label[0] <= 'z';
    return digits || letter || IsLowerRoman(label);
}

namespace {

// Below this a second thread costs more than it saves.
constexpr std::size_t kTwoThreadsFrom = 256 * 1024;

// The sentence text holds no ".", "!" or "?" but those placed at the ends.
void BlankMarks(char* sentence, const std::vector<std::size_t>& events) {
    for (const std::size_t at : events) {
        char& c = sentence[at];
        if (c == '.' || c == '!' || c == '?')
            c = ' ';
    }
}

} // namespace

WorkingTexts CarefulWorkingTexts(const std::vector<std::string_view>& lines) {
    WorkingTexts texts;
    texts.rules = CountingRules::Careful;
    std::size_t size = 0;
    for (const std::string_view line : lines)
        size += line.size() + 1;
    std::string& passage = texts.passage;
    passage.reserve(size);
    std::vector<Line> spans;
    spans.reserve(lines.size());
    for (const std::string_view line : lines) {
        spans.push_back({passage.size(), passage.size() + line.size()});
        passage += line;
        passage += ' ';
    }
    texts.wordText = passage;
    texts.sentenceText = passage;
    // The words of a large text are found on two threads, the halves cut at a
    // line's end, where no word or piece of text runs on.
    const std::size_t cut = size >= kTwoThreadsFrom ? spans[spans.size() / 2].start : size;
    std::vector<std::size_t> events;
    auto tail = std::async(cut < size ? std::launch::async : std::launch::deferred, [&] {
        std::vector<std::size_t> tailEvents;
        WordFiller(std::string_view(passage).substr(cut), texts.wordText.data() + cut, tailEvents)
            .Run();
        BlankMarks(texts.sentenceText.data() + cut, tailEvents);
        return tailEvents;
    });
    WordFiller(std::string_view(passage).substr(0, cut), texts.wordText.data(), events).Run();
    BlankMarks(texts.sentenceText.data(), events);
    const std::vector<std::size_t> tailEvents = tail.get();
    events.reserve(events.size() + tailEvents.size());
    for (const std::size_t at : tailEvents)
        events.push_back(cut + at);
    SentenceMarker(passage, texts.sentenceText.data(), texts.wordText.data(), events).Run(spans);
    return texts;
}
