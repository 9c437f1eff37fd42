#include "report/TextAnalysis.h"

#include "analysis/SyllableEstimate.h"
#include "dictionary/Dictionary.h"

#include <algorithm>
#include <functional>
#include <optional>
#include <string_view>
#include <unordered_map>
#include <utility>

std::uint64_t UnknownWordTally::HashOf(std::string_view key) {
    return std::hash<std::string_view>{}(key) | 1;
}

std::size_t UnknownWordTally::PlaceOf(std::string_view key, std::uint64_t hash) const {
    const std::size_t mask = places_.size() - 1;
    std::size_t at = hash & mask;
    for (; places_[at].hash != 0; at = (at + 1) & mask) {
        if (places_[at].hash == hash && words_[places_[at].row].word == key)
            break;
    }
    return at;
}

std::size_t UnknownWordTally::Find(std::string_view key) const {
    if (places_.empty())
        return kNew;
    const Place& place = places_[PlaceOf(key, HashOf(key))];
    return place.hash == 0 ? kNew : place.row;
}

void UnknownWordTally::Add(std::string key, std::int32_t syllables) {
    std::size_t row = Find(key);
    if (row == kNew)
        row = AddNew(key, syllables);
    ++words_[row].occurrences;
}

std::size_t UnknownWordTally::AddNew(std::string_view key, std::int32_t syllables) {
    if ((words_.size() + 1) * 2 > places_.size()) {
        places_.assign(std::max<std::size_t>(16, places_.size() * 2), Place{});
        for (std::size_t row = 0; row < words_.size(); ++row) {
            const std::uint64_t hash = HashOf(words_[row].word);
            places_[PlaceOf(words_[row].word, hash)] = {hash, row};
        }
    }
    const std::uint64_t hash = HashOf(key);
    places_[PlaceOf(key, hash)] = {hash, words_.size()};
    words_.push_back({std::string(key), 0, syllables});
    return words_.size() - 1;
}

std::vector<UnknownWord> UnknownWordTally::Take() {
    places_ = {};
    return std::exchange(words_, {});
}

void MergeTally(std::vector<UnknownWord>& tally, const std::vector<UnknownWord>& later) {
    if (later.empty()) // a text counted whole: nothing to look up the earlier words for
        return;
    std::unordered_map<std::string, std::size_t> index;
    for (std::size_t i = 0; i < tally.size(); ++i)
        index.emplace(tally[i].word, i);
    for (const UnknownWord& word : later) {
        const auto [slot, inserted] = index.try_emplace(word.word, tally.size());
        if (inserted)
            tally.push_back(word);
        else
            tally[slot->second].occurrences += word.occurrences;
    }
}

namespace {

// Counts each word the dictionary lacks, tallies it and logs its answer (when
// given a log); a word met again in the text keeps its first count, so the
// estimate or the question comes once per word. It is called at every
// occurrence, so one look-up finds both the word's row and its answers in the
// log, and the word is lower-cased into a buffer kept from one occurrence to
// the next. It must be the tally's only writer until the count ends.
class TallyingHandler {
public:
    TallyingHandler(UnknownWordTally& tally, UnknownWordLog* log,
                    const TextAnalysisOptions& options, WordSource source)
        : tally_(&tally), log_(log), options_(&options), source_(source) {}

    std::int32_t operator()(const std::string& word, TDictionary& dictionary) {
        LowerCaseInto(word, key_);
        std::size_t row = tally_->Find(key_);
        std::int32_t count = 0;
        if (row != UnknownWordTally::kNew &&
            !(options_->askAgainAfterZero && tally_->Row(row).syllables == 0))
            count = tally_->Row(row).syllables;
        else if (options_->unknown == UnknownWordCount::Estimate)
            count = EstimateSyllables(word, dictionary);
        else if (options_->unknown == UnknownWordCount::Ask && options_->ask)
            count = std::max(options_->ask(word), std::int32_t{0});
        if (row == UnknownWordTally::kNew) {
            row = tally_->AddNew(key_, count);
            if (log_) {
                answers_.resize(row + 1);
                answers_[row] = &log_->AnswersOf(key_);
            }
        }
        ++tally_->Row(row).occurrences;
        // A 0 where the answers are typed was no answer.
        if (log_)
            answers_[row]->push_back(
                {count, source_ == WordSource::Typed && count == 0 ? WordSource::Ignored : source_});
        return count;
    }

private:
    UnknownWordTally* tally_;
    UnknownWordLog* log_;
    const TextAnalysisOptions* options_;
    WordSource source_;
    std::string key_;
    std::vector<std::vector<UnknownWordLog::Answer>*> answers_; // by the tally's rows
};

WordSource SourceOfCounts(UnknownWordCount unknown) {
    switch (unknown) {
    case UnknownWordCount::Estimate:
        return WordSource::Estimated;
    case UnknownWordCount::Ask:
        return WordSource::Typed;
    case UnknownWordCount::Zero:
        break;
    }
    return WordSource::Ignored;
}

} // namespace

PreparedText PrepareForReport(std::string&& text, CountingRules rules, bool quoteSentences,
                              bool checked, bool ownPlaces) {
    PreparedText prepared;
    if ((quoteSentences || checked) && !ownPlaces)
        prepared.lineStarts = LineStartsOfText(text);
    if (checked && rules != CountingRules::Careful)
        prepared.checkedTexts = PrepareText(std::string(text), CountingRules::Careful);
    if (rules == CountingRules::Careful) {
        prepared.texts = PrepareText(std::move(text), rules);
        if (quoteSentences)
            prepared.passage = prepared.texts.passage;
    } else if (quoteSentences) {
        prepared.passage = PassageOfText(text);
        // The text's own room becomes the word text: the passage is the one
        // new copy of it besides the sentence text, as without quotes.
        text.resize(prepared.passage.size());
        prepared.texts.sentenceText.resize(prepared.passage.size());
        FillWorkingTexts(prepared.passage, prepared.texts.sentenceText.data(), text.data());
        prepared.texts.wordText = std::move(text);
    } else {
        prepared.texts = PrepareText(std::move(text));
    }
    return prepared;
}

TextReport AnalyseText(std::string name, std::string text, TDictionary& dictionary,
                       const TextAnalysisOptions& options) {
    return AnalysePreparedText(std::move(name),
                               PrepareForReport(std::move(text), options.rules,
                                                options.extras.sentences > 0,
                                                options.extras.checks),
                               dictionary, options);
}

TextReport AnalysePreparedText(std::string name, const PreparedText& prepared,
                               TDictionary& dictionary, const TextAnalysisOptions& options) {
    const WorkingTexts& texts = prepared.texts;
    const WordSource source = SourceOfCounts(options.unknown);
    AnalysisCounts counts;
    std::vector<UnknownWord> unknownWords;
    // The index counts come from the counting pass unless the details are
    // built anyway. Sentences listed only where sentencesIf asks for them
    // come from details built after the report.
    ReportExtras wanted = options.extras;
    wanted.rules = std::string(CountingRulesName(options.rules));
    const bool sentencesLater = options.sentencesIf && wanted.sentences > 0;
    if (sentencesLater)
        wanted.sentences = 0;
    // Questions come in the order of the text, and progress from one pass at a
    // time: neither splits the text.
    const bool inOrder =
        options.unknown == UnknownWordCount::Ask || options.progress || options.afterPass;
    std::optional<IndexCounts> indexCounts;
    if (!inOrder && wanted.indices && !wanted.words && wanted.sentences <= 0 && !wanted.checks)
        indexCounts.emplace();
    // A text whose sentences may be listed later has them tallied by the
    // syllable pass, so that they need no second count.
    std::optional<SentenceTally> sentenceTally;
    if (!inOrder && sentencesLater && !options.details)
        sentenceTally = SentencesToTally(texts);
    // The answers are logged for the details alone: a report without them
    // needs the tally only.
    const bool detailsLater = !indexCounts || options.details || (sentencesLater && !sentenceTally);
    UnknownWordTally headTally;
    UnknownWordLog log;
    const UnknownWordHandler head =
        TallyingHandler(headTally, detailsLater ? &log : nullptr, options, source);
    if (inOrder) {
        NoProgress noProgress;
        counts = CountTexts(texts, dictionary, head,
                            options.progress ? *options.progress : noProgress, options.afterPass);
        unknownWords = headTally.Take();
    } else {
        UnknownWordTally tailTally;
        UnknownWordLog tailLog;
        counts = CountTextsInParallel(texts, dictionary, head,
                                      TallyingHandler(tailTally, detailsLater ? &tailLog : nullptr,
                                                      options, source),
                                      options.parallelFrom, indexCounts ? &*indexCounts : nullptr,
                                      sentenceTally ? &*sentenceTally : nullptr);
        // The head's words come first in the text.
        log.Append(tailLog);
        unknownWords = headTally.Take();
        MergeTally(unknownWords, tailTally.Take());
    }
    if (options.details) {
        *options.details = BuildPassageDetails(texts, dictionary, log);
        indexCounts = options.details->indexCounts;
    }
    TextReport report = MakeTextReport(
        std::move(name), texts, prepared.passage, prepared.lineStarts, counts, dictionary, log,
        std::move(unknownWords), wanted, indexCounts ? &*indexCounts : nullptr,
        prepared.checkedTexts ? &*prepared.checkedTexts : nullptr);
    if (sentencesLater && options.sentencesIf(report)) {
        // The careful rules' texts hold their passage; the classic rules' is
        // made from the text when it was not kept.
        std::string madeLater;
        const std::string& passage = !prepared.passage.empty() || !prepared.textLater
                                         ? prepared.passage
                                     : texts.rules == CountingRules::Careful
                                         ? texts.passage
                                         : (madeLater = PassageOfText(prepared.textLater()));
        AddSentenceLists(report,
                         sentenceTally ? DetailsOfTally(texts, *sentenceTally, counts)
                                       : BuildPassageDetails(texts, dictionary, log),
                         passage, prepared.lineStarts, options.extras);
    }
    return report;
}
