#include "analysis/CarefulSentences.h"

#include "analysis/Abbreviations.h"
#include "analysis/CarefulCharacters.h"
#include "analysis/CarefulRules.h"

#include <QChar>

#include <algorithm>
#include <array>
#include <cstring>

using namespace careful;

namespace {

bool IsLowerRoman(std::string_view s) {
    return !s.empty() && s.size() <= 4 && s.find_first_not_of("ivx") == std::string_view::npos;
}

// How the text after a possible sentence end begins.
struct Continuation {
    enum Start { End, Upper, Lower, Digit, List } start = End;
    std::string_view word; // its first run of letters
};

// What the text of a line is, for the blocks.
enum class LineKind { Blank, Text, ListItem, Section, Heading, TableRow, Rule };

class SentenceMarker {
public:
    SentenceMarker(std::string_view passage, char* sentence, char* word,
                   const std::vector<std::size_t>& events)
        : passage_(passage), sentence_(sentence), word_(word), events_(events) {}

    void Run(std::span<const CarefulLine> lines) {
        lineEnds_.reserve(lines.size());
        for (const CarefulLine& line : lines)
            lineEnds_.push_back(line.end);
        bool open = false;
        bool list = false;
        std::size_t blockStart = 0;
        std::size_t blockEnd = 0;
        const auto close = [&] {
            if (open)
                Block(blockStart, blockEnd, list);
            open = false;
        };
        for (const CarefulLine& line : lines) {
            std::size_t markerEnd = line.start;
            switch (Classify(line, markerEnd)) {
            case LineKind::Blank:
                close();
                Blank(line.start, line.end); // its wider spaces are no sentence
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
            case LineKind::Section: // "A.3. Calling for a vote"
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
    // The length of the space at `at`: a blank byte or one of the wider spaces
    // (U+00A0, U+2009, U+3000...) that part words; 0 for anything else.
    std::size_t SpaceAt(std::size_t at) const {
        const auto b = static_cast<unsigned char>(passage_[at]);
        if (b < 0x80)
            return IsBlankByte(passage_[at]) ? 1 : 0;
        const Char c = Decode(passage_, at);
        return c.kind == Kind::Space ? c.length : 0;
    }

    bool IsSpaceBefore(std::size_t at) const {
        const auto b = static_cast<unsigned char>(passage_[at - 1]);
        if (b < 0x80)
            return IsBlankByte(passage_[at - 1]);
        return Decode(passage_, PreviousStart(passage_, at)).kind == Kind::Space;
    }

    std::string_view Chunk(std::size_t start, std::size_t limit) const {
        std::size_t end = start;
        while (end < limit && SpaceAt(end) == 0)
            ++end;
        return passage_.substr(start, end - start);
    }

    std::size_t SkipBlanks(std::size_t at, std::size_t limit) const {
        while (at < limit) {
            const std::size_t space = SpaceAt(at);
            if (space == 0)
                break;
            at += space;
        }
        return std::min(at, limit);
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
    bool IsRule(std::size_t start, std::size_t end) const {
        const char mark = passage_[start];
        if (mark != '=' && mark != '-' && mark != '*' && mark != '_')
            return false;
        int count = 0;
        for (std::size_t at = start; at < end; at = SkipBlanks(at, end)) {
            if (passage_[at] != mark)
                return false;
            ++count;
            ++at;
        }
        return count >= 3;
    }

    LineKind Classify(const CarefulLine& line, std::size_t& markerEnd) const {
        const std::size_t start = SkipBlanks(line.start, line.end);
        markerEnd = start;
        if (start == line.end)
            return LineKind::Blank;
        const std::string_view chunk = Chunk(start, line.end);
        if (chunk.find_first_not_of('#') == std::string_view::npos && chunk.size() <= 6) {
            markerEnd = start + chunk.size();
            return LineKind::Heading;
        }
        if (chunk.front() == '|')
            return LineKind::TableRow;
        if (IsRule(start, line.end)) {
            markerEnd = line.end;
            return LineKind::Rule;
        }
        if (chunk == "*") {
            // "*  text  *": a boxed paragraph, whose empty lines part it.
            std::size_t last = line.end;
            while (last > start && IsBlankByte(passage_[last - 1]))
                --last;
            if (last > start + 1 && passage_[last - 1] == '*' && IsBlankByte(passage_[last - 2]))
                return SkipBlanks(start + 1, line.end) >= last - 1 ? LineKind::Blank
                                                                   : LineKind::Text;
        }
        if (IsSectionNumber(chunk) &&
            Next(start + chunk.size(), line.end, false).start == Continuation::Upper) {
            markerEnd = start + chunk.size();
            return LineKind::Section;
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

    // "A.3.", "12.2.4": a number of two or more parts, the first a capital
    // letter or a number, before a heading.
    static bool IsSectionNumber(std::string_view chunk) {
        if (chunk.ends_with('.'))
            chunk.remove_suffix(1);
        int parts = 0;
        std::size_t start = 0;
        while (start <= chunk.size()) {
            std::size_t end = chunk.find('.', start);
            if (end == std::string_view::npos)
                end = chunk.size();
            const std::string_view part = chunk.substr(start, end - start);
            const bool number = !part.empty() && part.size() <= 3 &&
                                part.find_first_not_of("0123456789") == std::string_view::npos;
            const bool letter = parts == 0 && part.size() == 1 && part[0] >= 'A' && part[0] <= 'Z';
            if (!number && !letter)
                return false;
            ++parts;
            start = end + 1;
        }
        return parts >= 2;
    }

    void Cells(const CarefulLine& line) {
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
                while (chunkStart > start && !IsSpaceBefore(chunkStart))
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
            // "...; 2) For the rest": an enumeration inside the sentence.
            std::size_t before = at;
            while (before > segmentStart_ && IsBlankByte(passage_[before - 1]))
                --before;
            const bool inner = before > segmentStart_ &&
                               (passage_[before - 1] == ';' || passage_[before - 1] == ',');
            if (!inner)
                BreakBefore(at);
            Blank(at, at + chunk.size());
            if (!inner)
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
        const Continuation next = Next(end, limit_, list_);
        const bool ends =
            next.start == Continuation::Lower
                ? marks.dots == 1 && marks.bangs == 0 && IsLineFinal(end) && !IsAbbreviation(core)
                : EndsSentence(core, marks, next);
        if (!ends)
            return end;
        std::memset(sentence_ + at + trail, ' ', end - (at + trail));
        Close(end - 1);
        return end;
    }

    // How the text from `at` (the end of a piece) on begins: its first piece
    // that holds a letter or digit, or a list marker or bullet, which always
    // opens a sentence. In a stretch without letters (". ; . ;", Morse code)
    // every possible end asks, and the answer lies at the stretch's end: the
    // last answer is kept, and serves every question asked from the pieces it
    // passed over, so that marking a text stays linear in its length.
    Continuation Next(std::size_t at, std::size_t limit, bool list) const {
        at = SkipBlanks(at, limit);
        Answer& kept = answers_[list ? 1 : 0];
        if (kept.limit == limit && kept.from <= at && at <= kept.found)
            return kept.next;
        kept = {at, limit, limit, {}};
        for (; at < limit; at = SkipBlanks(at, limit)) {
            kept.found = at;
            kept.next = NextAt(at, limit, list);
            if (kept.next.start != Continuation::End)
                return kept.next;
            at += Chunk(at, limit).size();
        }
        kept.found = limit;
        return kept.next;
    }

    // How the piece at `at` begins a sentence; End when it cannot.
    Continuation NextAt(std::size_t at, std::size_t limit, bool list) const {
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
        return {};
    }

    // Whether the text from `end` to the next piece crosses a line end.
    bool IsLineFinal(std::size_t end) const {
        const auto lineEnd = std::lower_bound(lineEnds_.begin(), lineEnds_.end(), end);
        return lineEnd != lineEnds_.end() && *lineEnd < limit_ &&
               SkipBlanks(end, limit_) > *lineEnd;
    }

    // A word the rules know to be shortened ("etc", "e.g", "U.S", "E"): a full
    // stop after it may stand inside a sentence.
    static bool IsAbbreviation(std::string_view core) {
        return core.empty() || KindOfAbbreviation(core) != Abbreviation::None ||
               IsInitialism(core) || IsSingleLetter(core);
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

    // The last answer of Next: the pieces from `from` to `found` (the piece
    // that gave it, or the limit) all lead to it.
    struct Answer {
        std::size_t from = 0;
        std::size_t found = 0;
        std::size_t limit = static_cast<std::size_t>(-1);
        Continuation next;
    };

    std::string_view passage_;
    std::vector<std::size_t> lineEnds_; // the space after each line, in order
    char* sentence_;
    char* word_;
    const std::vector<std::size_t>& events_;
    std::size_t next_ = 0; // the next event to look at
    std::size_t segmentStart_ = 0;
    std::size_t limit_ = 0;
    bool list_ = false;
    mutable std::array<Answer, 2> answers_; // without and with list markers
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

void MarkCarefulSentences(std::string_view passage, char* sentence, char* word,
                          const std::vector<std::size_t>& events,
                          std::span<const CarefulLine> lines) {
    SentenceMarker(passage, sentence, word, events).Run(lines);
}
