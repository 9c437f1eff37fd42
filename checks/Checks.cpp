#include "checks/Checks.h"

#include "analysis/CarefulRules.h"
#include "analysis/GradeFormulas.h"
#include "checks/CheckLists.h"

#include <algorithm>
#include <charconv>
#include <stdexcept>
#include <unordered_map>

double SentenceGrade(std::int32_t words, std::int32_t syllables) {
    if (words <= 0)
        return 0.0;
    return FleschKincaidGrade(words, static_cast<double>(syllables) / words);
}

std::optional<CheckRule> SentenceDifficulty(double grade, double target) {
    if (grade - target >= kVeryHardAboveTarget)
        return CheckRule::VeryHardSentence;
    if (grade > target)
        return CheckRule::HardSentence;
    return std::nullopt;
}

namespace {

// What the pass needs of one distinct word, found once per word of the text.
struct WordFacts {
    std::uint32_t number = CheckLists::kNoWord;
    std::uint32_t sameAs = 0; // the first row of the same word
    std::int32_t syllables = 0;
    bool formOfBe = false;
    bool participle = false;
    bool mayStandBetween = false;
    bool mayStartFinding = false; // a phrase, or a complex word with an alternative
};

bool EndsWith(std::string_view word, std::string_view end) {
    return word.size() >= end.size() && word.substr(word.size() - end.size()) == end;
}

WordFacts FactsOf(const CheckLists& lists, std::string_view word) {
    WordFacts facts;
    facts.number = lists.WordNumber(word);
    const std::uint8_t flags = facts.number == CheckLists::kNoWord ? 0 : lists.Flags(facts.number);
    facts.formOfBe = (flags & CheckLists::FormOfBe) != 0;
    facts.participle =
        (flags & CheckLists::Participle) != 0 ||
        ((flags & CheckLists::NotParticiple) == 0 && word.size() >= 4 && EndsWith(word, "ed"));
    facts.mayStandBetween =
        (flags & CheckLists::MayStandBetween) != 0 || (word.size() >= 4 && EndsWith(word, "ly"));
    return facts;
}

// A grade with one decimal and the target as short as it goes, the same in
// every locale, written to buffers that outlive the views.
std::string_view OneDecimal(double value, char (&buffer)[32]) {
    const auto result =
        std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::fixed, 1);
    return {buffer, static_cast<std::size_t>(result.ptr - buffer)};
}

std::string_view Shortest(double value, char (&buffer)[32]) {
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, value);
    return {buffer, static_cast<std::size_t>(result.ptr - buffer)};
}

bool IsSpace(char c) {
    return static_cast<unsigned char>(c) <= 32;
}

// The characters that may close a sentence, with the end marks first.
constexpr std::string_view kClosers[] = {".", "!", "?",      "\u2026", "\"",    "'",
                                         ")", "]", "\u201d", "\u2019", "\u00bb"};
constexpr std::size_t kEndMarks = 4;

// The closer that ends at `end`, as its index in kClosers; nullopt for none.
std::optional<std::size_t> CloserBefore(std::string_view passage, std::size_t end) {
    for (std::size_t i = 0; i < std::size(kClosers); ++i) {
        const std::string_view closer = kClosers[i];
        if (end >= closer.size() && passage.substr(end - closer.size(), closer.size()) == closer)
            return i;
    }
    return std::nullopt;
}

// The end of a sentence's text with its end mark and closing quotes or
// brackets ("stops.", "really?!", "said.\""), which the sentence span may
// leave out in part; nullopt when the sentence has no ".", "!", "?" or
// ellipsis of its own (a heading, a table cell, a paragraph left open).
std::optional<std::size_t> EndWithMark(std::string_view passage, std::size_t start,
                                       std::size_t end) {
    std::size_t runEnd = end;
    while (runEnd < passage.size() && !IsSpace(passage[runEnd]))
        ++runEnd;
    // The run of closers that ends the sentence's text, read backwards.
    for (std::size_t at = runEnd; at > start;) {
        const auto closer = CloserBefore(passage, at);
        if (!closer)
            break;
        if (*closer < kEndMarks)
            return runEnd;
        at -= kClosers[*closer].size();
    }
    return std::nullopt;
}

// Whether the piece of text before a sentence is a list marker or a bullet.
bool FollowsListMarker(std::string_view passage, std::size_t start) {
    std::size_t end = start;
    while (end > 0 && IsSpace(passage[end - 1]))
        --end;
    std::size_t begin = end;
    while (begin > 0 && !IsSpace(passage[begin - 1]))
        --begin;
    const std::string_view chunk = passage.substr(begin, end - begin);
    static constexpr std::string_view kBullets[] = {
        "-", "*", "+", "\u2022", "\u2013", "\u2014", "\u25e6", "\u25aa", "\u2023"};
    return IsListMarker(chunk) ||
           std::find(std::begin(kBullets), std::end(kBullets), chunk) != std::end(kBullets);
}

// The words quoted, then the rest of the message, built in one allocation
// (a text may have a finding every few words).
std::string QuotedThen(std::string_view quoted, std::string_view rest, std::string_view more = {},
                       std::string_view end = {}) {
    std::string message;
    message.reserve(quoted.size() + rest.size() + more.size() + end.size() + 2);
    message += '"';
    message.append(quoted).append("\"").append(rest).append(more).append(end);
    return message;
}

class CheckPass {
public:
    CheckPass(std::string_view passage, const PassageDetails& details, double target)
        : passage_(passage), details_(details), lists_(CheckLists::Get()), target_(target) {
        facts_.reserve(details.words.size());
        std::unordered_map<std::string_view, std::uint32_t> firstRows;
        for (const WordRow& row : details.words) {
            const auto index = static_cast<std::uint32_t>(facts_.size());
            facts_.push_back(FactsOf(lists_, row.word));
            WordFacts& facts = facts_.back();
            facts.syllables = row.syllables;
            facts.mayStartFinding =
                facts.number != CheckLists::kNoWord &&
                (lists_.StartsPhrases(facts.number) ||
                 (row.syllables >= 3 && !lists_.SimplerWord(facts.number).empty()));
            facts.sameAs = firstRows.try_emplace(row.word, index).first->second;
        }
        findings_.reserve(details.occurrences.size() / 32);
    }

    std::vector<Finding> Run() {
        for (std::size_t s = 0; s < details_.sentences.size(); ++s) {
            const SentenceDetails& sentence = details_.sentences[s];
            const std::size_t begin = std::min(sentence.firstWord, details_.occurrences.size());
            const std::size_t end =
                std::min(begin + static_cast<std::size_t>(std::max(sentence.words, 0)),
                         details_.occurrences.size());
            // The sentence's own finding goes before those inside it, but its
            // syllables are summed on the same walk over its words.
            const std::size_t firstFinding = findings_.size();
            std::int32_t syllables = 0;
            for (std::size_t i = begin; i < end; ++i) {
                syllables += Facts(i).syllables;
                CheckWord(s, i, end);
            }
            coveredUntil_ = 0;
            if (begin < end)
                GradeSentence(s, static_cast<std::int32_t>(end - begin), syllables, firstFinding);
        }
        return std::move(findings_);
    }

private:
    const WordFacts& Facts(std::size_t occurrence) const {
        return facts_[details_.occurrences[occurrence].row];
    }
    const TextSpan& Span(std::size_t occurrence) const {
        return details_.occurrences[occurrence].span;
    }

    // The words from first to last, as they stand in the passage.
    std::string_view Words(std::size_t first, std::size_t last) const {
        const std::size_t offset = Span(first).offset;
        return passage_.substr(offset, Span(last).offset + Span(last).length - offset);
    }

    void Add(CheckRule rule, std::size_t sentence, std::string_view words, std::string message,
             std::string_view suggestion = {}) {
        const auto offset = static_cast<std::size_t>(words.data() - passage_.data());
        findings_.push_back(
            {rule, sentence, offset, words.size(), std::move(message), std::string(suggestion)});
    }

    void GradeSentence(std::size_t s, std::int32_t words, std::int32_t syllables, std::size_t at) {
        const double grade = SentenceGrade(words, syllables);
        const auto difficulty = SentenceDifficulty(grade, target_);
        if (!difficulty)
            return;
        const TextSpan& span = details_.sentences[s].span;
        const auto markedEnd = EndWithMark(passage_, span.offset, span.offset + span.length);
        if (!markedEnd || FollowsListMarker(passage_, span.offset))
            return;
        const std::string_view above = *difficulty == CheckRule::VeryHardSentence
                                           ? ", 4 or more above the target of "
                                           : ", above the target of ";
        char gradeBuffer[32];
        char targetBuffer[32];
        const std::string_view gradeText = OneDecimal(grade, gradeBuffer);
        const std::string_view targetText = Shortest(target_, targetBuffer);
        constexpr std::string_view kReads = "This sentence reads at grade ";
        std::string message;
        message.reserve(kReads.size() + gradeText.size() + above.size() + targetText.size() + 1);
        message.append(kReads).append(gradeText).append(above).append(targetText).append(".");
        findings_.insert(
            findings_.begin() + static_cast<std::ptrdiff_t>(at),
            {*difficulty, s, span.offset, *markedEnd - span.offset, std::move(message), {}});
    }

    void CheckWord(std::size_t s, std::size_t i, std::size_t end) {
        const WordFacts& facts = Facts(i);
        if (i + 1 < end)
            CheckRepeated(s, i);
        if (facts.formOfBe)
            CheckPassive(s, i, end);
        if (i >= coveredUntil_ && facts.mayStartFinding)
            CheckPhrases(s, i, end, facts.number);
    }

    void CheckRepeated(std::size_t s, std::size_t i) {
        const WordOccurrence& a = details_.occurrences[i];
        const WordOccurrence& b = details_.occurrences[i + 1];
        if (a.row != b.row && facts_[a.row].sameAs != facts_[b.row].sameAs)
            return;
        const std::string& word = details_.words[a.row].word;
        // "had had" and "that that" are good English.
        if (word == "had" || word == "that")
            return;
        for (std::size_t at = a.span.offset + a.span.length; at < b.span.offset; ++at) {
            if (!IsSpace(passage_[at]))
                return;
        }
        const std::string_view first = Words(i, i);
        Add(CheckRule::RepeatedWord, s, Words(i, i + 1), QuotedThen(first, " is repeated."), first);
    }

    void CheckPassive(std::size_t s, std::size_t i, std::size_t end) {
        std::size_t last = i + 1;
        if (last < end && !Facts(last).participle && Facts(last).mayStandBetween)
            ++last;
        if (last >= end || !Facts(last).participle)
            return;
        const std::string_view words = Words(i, last);
        Add(CheckRule::Passive, s, words, QuotedThen(words, " is in the passive voice."));
    }

    void CheckPhrases(std::size_t s, std::size_t i, std::size_t end, std::uint32_t number) {
        const std::uint32_t second = i + 1 < end ? Facts(i + 1).number : CheckLists::kNoWord;
        if (second != CheckLists::kNoWord) {
            for (const std::uint32_t p : lists_.PhrasesFrom(number, second)) {
                const CheckLists::Phrase& phrase = lists_.PhraseAt(p);
                if (phrase.words.size() > end - i)
                    continue;
                std::size_t k = 2;
                while (k < phrase.words.size() && Facts(i + k).number == phrase.words[k])
                    ++k;
                if (k == phrase.words.size()) {
                    AddPhrase(s, i, phrase);
                    return;
                }
            }
        }
        if (const std::uint32_t p = lists_.WordPhrase(number); p != CheckLists::kNoPhrase) {
            AddPhrase(s, i, lists_.PhraseAt(p));
            return;
        }
        const std::string_view simpler = lists_.SimplerWord(number);
        if (!simpler.empty() && Facts(i).syllables >= 3) {
            const std::string_view word = Words(i, i);
            Add(CheckRule::ComplexWord, s, word,
                QuotedThen(word, " has a simpler alternative: ", simpler, "."), simpler);
        }
    }

    void AddPhrase(std::size_t s, std::size_t i, const CheckLists::Phrase& phrase) {
        coveredUntil_ = i + phrase.words.size();
        const std::string_view words = Words(i, coveredUntil_ - 1);
        Add(phrase.rule, s, words, MessageFor(phrase, words), phrase.suggestion);
    }

    static std::string MessageFor(const CheckLists::Phrase& phrase, std::string_view words) {
        switch (phrase.rule) {
        case CheckRule::Wordy:
            return QuotedThen(words, phrase.suggestion.empty() ? " is wordy; say it in fewer words."
                                                               : " is wordy.");
        case CheckRule::Adverb:
            return QuotedThen(words, " is an adverb that weakens the sentence.");
        case CheckRule::Weasel:
            return QuotedThen(words, " is a weasel word.");
        case CheckRule::Hedge:
            return QuotedThen(words, " hedges what the sentence says.");
        case CheckRule::Filler:
            return QuotedThen(words, " adds nothing.");
        default:
            return QuotedThen(words, " is a cliche.");
        }
    }

    std::string_view passage_;
    const PassageDetails& details_;
    const CheckLists& lists_;
    double target_;
    std::vector<WordFacts> facts_; // per row of details_.words
    std::vector<Finding> findings_;
    std::size_t coveredUntil_ = 0; // the words up to here belong to a phrase found
};

} // namespace

std::optional<std::size_t> SentenceEndWithMark(std::string_view passage, const TextSpan& span) {
    if (span.offset + span.length > passage.size())
        return std::nullopt;
    return EndWithMark(passage, span.offset, span.offset + span.length);
}

bool IsListItem(std::string_view passage, const TextSpan& span) {
    return span.offset <= passage.size() && FollowsListMarker(passage, span.offset);
}

std::string_view SimplerWordFor(std::string_view lowerWord) {
    const CheckLists& lists = CheckLists::Get();
    const std::uint32_t number = lists.WordNumber(lowerWord);
    return number == CheckLists::kNoWord ? std::string_view() : lists.SimplerWord(number);
}

std::vector<Finding> RunChecks(std::string_view passage, const PassageDetails& details,
                               std::optional<double> targetGrade) {
    const auto beyond = [&](const TextSpan& span) {
        return span.offset > passage.size() || span.length > passage.size() - span.offset;
    };
    if ((!details.occurrences.empty() && beyond(details.occurrences.back().span)) ||
        (!details.sentences.empty() && beyond(details.sentences.back().span)))
        throw std::invalid_argument("the details do not belong to this passage");
    return CheckPass(passage, details, targetGrade.value_or(kDefaultTargetGrade)).Run();
}

TextPlaces::TextPlaces(std::string_view passage, std::vector<std::size_t> lineStarts)
    : passage_(passage), lineStarts_(std::move(lineStarts)) {
    if (lineStarts_.empty())
        lineStarts_.push_back(0);
}

TextPlace TextPlaces::At(std::size_t offset) {
    offset = std::min(offset, passage_.size());
    const auto after = std::upper_bound(lineStarts_.begin(), lineStarts_.end(), offset);
    const auto line =
        static_cast<std::int32_t>(std::max<std::ptrdiff_t>(after - lineStarts_.begin(), 1));
    const std::size_t lineStart = lineStarts_[static_cast<std::size_t>(line - 1)];
    std::size_t from = lineStart;
    std::int32_t column = 1;
    if (line == cachedLine_ && cachedOffset_ >= lineStart && cachedOffset_ <= offset) {
        from = cachedOffset_;
        column = cachedColumn_;
    }
    for (std::size_t at = from; at < offset; ++at) {
        // Continuation bytes (10xxxxxx) belong to the code point before them.
        if ((static_cast<unsigned char>(passage_[at]) & 0xC0) != 0x80)
            ++column;
    }
    cachedOffset_ = offset;
    cachedLine_ = line;
    cachedColumn_ = column;
    return {line, column};
}
