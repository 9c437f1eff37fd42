#include "analysis/CarefulWords.h"

#include "analysis/CarefulCharacters.h"
#include "analysis/SyllableEstimate.h"

#include <bit>
#include <cstdint>
#include <cstring>
#include <utility>

using namespace careful;

namespace {

constexpr std::string_view kSoftHyphen = "\xC2\xAD";

// The word text: word runs copied, everything else left blank. Every ".", "!",
// "?", "…" and bullet is noted, in order, for the sentence rules.
class WordFiller {
public:
    WordFiller(std::string_view passage, char* word, std::vector<std::size_t>& events)
        : passage_(passage), word_(word), events_(events) {}

    void Run() {
        const std::size_t n = passage_.size();
        std::size_t i = 0;
        std::size_t byteByByteUntil = 0; // where the last eight found something else
        while (i < n) {
            const auto b = static_cast<unsigned char>(passage_[i]);
            if (i >= byteByByteUntil && i + 8 <= n) {
                const std::size_t other = EightLettersOrSpaces(i);
                if (other == 8) {
                    i += 8;
                    continue;
                }
                byteByByteUntil = i + other + 1;
            }
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
            case Kind::SoftHyphen:
                // Invisible: the word goes on without it.
                softHyphen_ = true;
                if (runStart_ == kNone)
                    runStart_ = i;
                break;
            case Kind::Digit:
                hasDigit_ = true;
                if (runStart_ == kNone)
                    runStart_ = i;
                break;
            case Kind::Stop:
                events_.push_back(i);
                if (Joins(i))
                    break; // "sys.path", "3.5": one word
                EndRun(i);
                Blank(i, c.length);
                break;
            case Kind::Mark:
            case Kind::Ellipsis:
            case Kind::Bullet:
                events_.push_back(i);
                EndRun(i);
                Blank(i, c.length);
                break;
            default:
                if ((c.code == '-' || c.code == '_' || (c.code == ',' && hasDigit_)) && Joins(i))
                    break; // "well-known", "LC_CTYPE", "1,000": one word
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

    // Eight bytes of ASCII letters and spaces, the bulk of prose, in one step,
    // returning 8; for any other eight, nothing is done and the offset of the
    // first byte that is neither is returned.
    std::size_t EightLettersOrSpaces(std::size_t at) {
        constexpr std::uint64_t kOnes = 0x0101010101010101ULL;
        constexpr std::uint64_t kHigh = kOnes * 0x80;
        constexpr std::uint64_t kLow7 = kOnes * 0x7F;
        std::uint64_t bytes;
        std::memcpy(&bytes, passage_.data() + at, 8);
        static_assert(std::endian::native == std::endian::little);
        if ((bytes & kHigh) != 0)
            return static_cast<std::size_t>(std::countr_zero(bytes & kHigh) / 8);
        const std::uint64_t x = bytes ^ (kOnes * ' ');
        const std::uint64_t spaces = ~(((x & kLow7) + kLow7) | x) & kHigh;
        const std::uint64_t folded = bytes | kOnes * 0x20;
        const std::uint64_t letters =
            (folded + kOnes * (0x80 - 'a')) & ~(folded + kOnes * (0x80 - 'z' - 1)) & kHigh;
        if ((spaces | letters) != kHigh)
            return static_cast<std::size_t>(std::countr_zero(~(spaces | letters) & kHigh) / 8);
        if (spaces == 0) {
            StartRun(at);
            return 8;
        }
        const auto first = static_cast<std::size_t>(std::countr_zero(spaces) / 8);
        const auto last = static_cast<std::size_t>(7 - std::countl_zero(spaces) / 8);
        if (first > 0)
            StartRun(at);
        EndRun(at + first);
        EndChunk(at + first);
        // Between the first and the last space lie whole words of letters alone.
        if (last < 7)
            StartRun(at + last + 1);
        return 8;
    }

    // Letters at `at` go on with the run there is, or start one (and a piece
    // of text, unless a quote or bracket began it).
    void StartRun(std::size_t at) {
        hasLetter_ = true;
        if (runStart_ != kNone)
            return;
        runStart_ = at;
        if (chunkStart_ == kNone) {
            chunkStart_ = at;
            const std::string_view four = passage_.substr(at, 4);
            address_ = four == "www." || four == "WWW.";
        }
    }

    void Blank(std::size_t at, std::size_t length) {
        if (length == 1)
            word_[at] = ' ';
        else
            std::memset(word_ + at, ' ', length);
    }

    // The length of the apostrophe (' ’ ʼ) that a run starts (or ends) with, or 0.
    static std::size_t ApostropheLength(std::string_view s, bool atEnd) {
        for (const std::string_view apostrophe : {"'", "\xE2\x80\x99", "\xCA\xBC"}) {
            if (atEnd ? s.ends_with(apostrophe) : s.starts_with(apostrophe))
                return apostrophe.size();
        }
        return 0;
    }

    // The word text holds the passage's bytes: a run that is no word is
    // blanked, and so are the quotes at a word's ends.
    void EndRun(std::size_t end) {
        if (runStart_ == kNone)
            return;
        const std::size_t start = runStart_;
        runStart_ = kNone;
        // Most runs are words of ASCII letters with nothing to blank.
        if (hasLetter_ && !hasDigit_ && !softHyphen_ &&
            kAsciiLetter[static_cast<unsigned char>(passage_[start])] &&
            kAsciiLetter[static_cast<unsigned char>(passage_[end - 1])]) {
            hasLetter_ = false;
            return;
        }
        EndOtherRun(start, end);
    }

    // A full stop, hyphen or underscore between two letters or digits, or a
    // comma between two digits, joins them into one word.
    bool Joins(std::size_t at) const {
        if (runStart_ == kNone || at + 1 >= passage_.size())
            return false;
        const Kind before = Decode(passage_, PreviousStart(passage_, at)).kind;
        const Kind after = Decode(passage_, at + 1).kind;
        if (passage_[at] == ',')
            return before == Kind::Digit && after == Kind::Digit;
        return (before == Kind::Letter || before == Kind::Digit || before == Kind::Combining) &&
               (after == Kind::Letter || after == Kind::Digit);
    }

    // A run with a digit is a word when it is a figure said as words ("1918",
    // "3.5", "15th", "1990s"), with the currency sign before it ("$10"); a
    // number before ")" numbers a list ("2)"), and "MP3", "4.5.1" or a date
    // are no words.
    bool KeepFigure(std::size_t start, std::size_t end) {
        if (end < passage_.size() && passage_[end] == ')' && end - start <= 3)
            return false;
        if (!SpokenFigureSyllables(passage_.substr(start, end - start)))
            return false;
        for (const std::string_view sign : {"$", "\xE2\x82\xAC", "\xC2\xA3"}) {
            if (start >= sign.size() && passage_.substr(start - sign.size(), sign.size()) == sign) {
                std::memcpy(word_ + start - sign.size(), sign.data(), sign.size());
                break;
            }
        }
        return true;
    }

    void EndOtherRun(std::size_t start, std::size_t end) {
        const bool softHyphen = std::exchange(softHyphen_, false);
        if (hasDigit_ && !softHyphen && KeepFigure(start, end)) {
            hasLetter_ = false;
            hasDigit_ = false;
            return;
        }
        if (!hasLetter_ || hasDigit_) {
            hasLetter_ = false;
            hasDigit_ = false;
            std::memset(word_ + start, ' ', end - start);
            return;
        }
        hasLetter_ = false;
        const auto first = static_cast<unsigned char>(passage_[start]);
        const auto last = static_cast<unsigned char>(passage_[end - 1]);
        if (first == '\'' || first >= 0x80 || last == '\'' || last >= 0x80) {
            std::string_view run = passage_.substr(start, end - start);
            while (std::size_t length = ApostropheLength(run, false)) {
                std::memset(word_ + (run.data() - passage_.data()), ' ', length);
                run.remove_prefix(length);
            }
            while (std::size_t length = ApostropheLength(run, true)) {
                run.remove_suffix(length);
                std::memset(word_ + (run.data() - passage_.data()) + run.size(), ' ', length);
            }
        }
        if (softHyphen)
            DropSoftHyphens(start, end);
    }

    // The word's bytes close up where its soft hyphens stood, and the blanks
    // they leave follow it: "infor\u00ADmation" is read as one word.
    void DropSoftHyphens(std::size_t start, std::size_t end) {
        std::size_t to = start;
        for (std::size_t from = start; from < end;) {
            if (passage_.substr(from, 2) == kSoftHyphen) {
                from += 2;
                continue;
            }
            word_[to++] = word_[from++];
        }
        std::memset(word_ + to, ' ', end - to);
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
    bool softHyphen_ = false;
    std::size_t chunkStart_ = kNone;
    bool address_ = false;
};

} // namespace

void FillCarefulWords(std::string_view passage, char* word, std::vector<std::size_t>& events) {
    WordFiller(passage, word, events).Run();
}
