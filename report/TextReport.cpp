#include "report/TextReport.h"

#include "analysis/AnalysisPipeline.h"
#include "analysis/GradeFormulas.h"
#include "report/Verdict.h"

#include <algorithm>
#include <array>
#include <utility>

namespace {

// Lines and columns are 0 without places: the front end places the sentence.
TextReport::Sentence SentenceOf(const PassageDetails& details, std::size_t index,
                                std::string_view passage, std::optional<TextPlaces>& places) {
    const SentenceDetails& sentence = details.sentences[index];
    TextReport::Sentence out;
    if (sentence.span.offset < passage.size())
        out.text = std::string(passage.substr(sentence.span.offset, sentence.span.length));
    out.words = sentence.words;
    out.difficultWords = sentence.difficultWords;
    if (places) {
        const TextPlace place = places->At(sentence.span.offset);
        out.line = place.line;
        out.column = place.column;
    }
    out.offset = sentence.span.offset;
    return out;
}

// The grade the sentence would have as a text of its own.
double SentenceGrade(const SentenceDetails& sentence) {
    if (sentence.words <= 0)
        return 0;
    return FleschKincaidGrade(sentence.words,
                              static_cast<double>(sentence.syllables) / sentence.words);
}

std::vector<TextReport::Finding> CheckedFindings(const WorkingTexts& texts,
                                                 const PassageDetails& details,
                                                 const std::vector<std::size_t>& lineStarts,
                                                 std::optional<double> targetGrade) {
    std::vector<TextReport::Finding> findings;
    std::optional<TextPlaces> places;
    if (!lineStarts.empty())
        places.emplace(texts.passage, lineStarts);
    for (Finding& found : RunChecks(texts.passage, details, targetGrade)) {
        const TextPlace place = places ? places->At(found.offset) : TextPlace{0, 0};
        const std::string_view span =
            std::string_view(texts.passage).substr(found.offset, found.length);
        const auto characters =
            static_cast<std::int32_t>(std::count_if(span.begin(), span.end(), [](char c) {
                // Continuation bytes (10xxxxxx) belong to the code point before them.
                return (static_cast<unsigned char>(c) & 0xC0) != 0x80;
            }));
        findings.push_back({found.rule, found.offset, found.length, characters, place.line,
                            place.column, std::move(found.message), std::move(found.suggestion)});
    }
    return findings;
}

} // namespace

void AddSentenceLists(TextReport& report, const PassageDetails& details, std::string_view passage,
                      const std::vector<std::size_t>& lineStarts, const ReportExtras& extras) {
    if (extras.sentences <= 0)
        return;
    const auto limit = static_cast<std::size_t>(extras.sentences);
    std::optional<TextPlaces> places;
    if (!lineStarts.empty())
        places.emplace(passage, lineStarts);
    report.longestSentences.emplace();
    for (const std::size_t i : LongestSentences(details, limit))
        report.longestSentences->push_back(SentenceOf(details, i, passage, places));
    report.mostDifficultSentences.emplace();
    for (const std::size_t i : MostDifficultSentences(details, limit))
        report.mostDifficultSentences->push_back(SentenceOf(details, i, passage, places));
    if (!extras.shortenFirst)
        return;
    report.sentencesToShortenFirst.emplace();
    for (const std::size_t i : SentencesToShortenFirst(details, limit)) {
        TextReport::Sentence sentence = SentenceOf(details, i, passage, places);
        sentence.grade = SentenceGrade(details.sentences[i]);
        report.sentencesToShortenFirst->push_back(std::move(sentence));
    }
}

TextReport MakeTextReport(std::string name, const WorkingTexts& texts, std::string_view passage,
                          const std::vector<std::size_t>& lineStarts, const AnalysisCounts& counts,
                          const TDictionary& dictionary, const UnknownWordLog& log,
                          std::vector<UnknownWord> unknownWords, const ReportExtras& extras,
                          const IndexCounts* countedIndex, const WorkingTexts* checkedTexts) {
    TextReport report;
    report.name = std::move(name);
    report.rules = extras.rules;
    report.counts = counts;
    report.figures = ComputeReportFigures(counts, ".");
    report.values = ComputeReportValues(counts);
    report.unknownWords = std::move(unknownWords);
    const auto& s = report.values[static_cast<std::size_t>(FigureRow::SyllPH)];
    const auto& y = report.values[static_cast<std::size_t>(FigureRow::SentPH)];
    if (s && y)
        report.fry = ReadFryGraph(*s, *y);

    // The checks read the careful rules' words and sentences: the counted
    // texts' own details under those rules, else details of their own.
    const bool checkOwnTexts = extras.checks && texts.rules == CountingRules::Careful;
    if (extras.checks && !checkOwnTexts && checkedTexts)
        report.checks =
            CheckedFindings(*checkedTexts, BuildPassageDetails(*checkedTexts, dictionary, log),
                            lineStarts, extras.targetGrade);
    else if (extras.checks && !checkOwnTexts)
        report.checks.emplace();
    if (extras.words || extras.sentences > 0 || checkOwnTexts) {
        const PassageDetails details = BuildPassageDetails(texts, dictionary, log);
        if (checkOwnTexts)
            report.checks = CheckedFindings(texts, details, lineStarts, extras.targetGrade);
        report.indexCounts = details.indexCounts;
        if (extras.words)
            report.words = details.words;
        AddSentenceLists(report, details, passage, lineStarts, extras);
    } else if (extras.indices) {
        report.indexCounts = countedIndex ? *countedIndex : CountIndexWords(texts, dictionary, log);
    }
    report.hasIndices = extras.indices || extras.words || extras.sentences > 0;
    if (report.hasIndices) {
        report.indices = ComputeExtraIndices(counts, report.indexCounts);
        report.consensusRange = ConsensusRange(counts, report.indexCounts);
    }
    return report;
}

void PlaceInFile(TextReport& report, std::string_view kind,
                 const std::function<FilePosition(std::size_t offset)>& at,
                 const std::function<bool(std::size_t offset, std::string_view rule)>& silenced) {
    report.place = std::string(kind);
    for (auto* list : {&report.longestSentences, &report.mostDifficultSentences,
                       &report.sentencesToShortenFirst}) {
        if (!*list)
            continue;
        for (TextReport::Sentence& sentence : **list) {
            const FilePosition place = at(sentence.offset);
            sentence.line = place.line;
            sentence.column = place.column;
        }
    }
    if (!report.checks)
        return;
    if (silenced)
        std::erase_if(*report.checks, [&](const TextReport::Finding& finding) {
            return silenced(finding.offset, CheckRuleId(finding.rule));
        });
    for (TextReport::Finding& finding : *report.checks) {
        const FilePosition place = at(finding.offset);
        finding.line = place.line;
        finding.column = place.column;
    }
}

std::optional<GradeIndex> GradeIndexNamed(std::string_view name) {
    return ChoiceNamed(kGradeIndices, name);
}

std::string_view GradeIndexName(GradeIndex index) {
    return ChoiceName(kGradeIndices, index);
}

std::optional<double> GradeOf(const TextReport& report, GradeIndex index) {
    const auto extra = [&report](ExtraIndex which) {
        return report.hasIndices ? report.indices[static_cast<std::size_t>(which)]
                                 : std::optional<double>();
    };
    switch (index) {
    case GradeIndex::Consensus:
        return extra(ExtraIndex::Consensus);
    case GradeIndex::FleschKincaid:
        return report.values[static_cast<std::size_t>(FigureRow::KincaidGrade)];
    case GradeIndex::GunningFog:
        return report.values[static_cast<std::size_t>(FigureRow::GunningFog)];
    case GradeIndex::Smog:
        return extra(ExtraIndex::Smog);
    case GradeIndex::ColemanLiau:
        return extra(ExtraIndex::ColemanLiau);
    case GradeIndex::AutomatedReadability:
        return extra(ExtraIndex::AutomatedReadability);
    case GradeIndex::LinsearWrite:
        return extra(ExtraIndex::LinsearWrite);
    case GradeIndex::DaleChall:
        break;
    }
    const auto score = extra(ExtraIndex::DaleChall);
    return score ? std::optional<double>(DaleChallTopGrade(*score)) : std::nullopt;
}

std::string ReportText(const TextReport& report) {
    std::string text = ReportClipboardText(report.figures.texts);
    if (report.words) {
        text += "\nWords (syllables, occurrences, source):\n";
        for (const WordRow& row : *report.words)
            text += row.word + '\t' + std::to_string(row.syllables) + '\t' +
                    std::to_string(row.occurrences) + '\t' +
                    std::string(WordSourceName(row.source)) + '\n';
    }
    // FILE:LINE first, as compilers and linters write it, so an editor can jump there.
    const auto sentences = [&](const char* title, const std::vector<TextReport::Sentence>& list) {
        text += title;
        for (const TextReport::Sentence& s : list)
            text += report.name + ':' + std::to_string(s.line) + ": " + std::to_string(s.words) +
                    " words, " + std::to_string(s.difficultWords) + " difficult: " + s.text + '\n';
    };
    if (report.longestSentences)
        sentences("\nLongest sentences:\n", *report.longestSentences);
    if (report.mostDifficultSentences)
        sentences("\nSentences with the most difficult words:\n", *report.mostDifficultSentences);
    return text;
}

CountingRules RulesFor(RulesChoice choice, bool document) {
    switch (choice) {
    case RulesChoice::Classic:
        return CountingRules::Classic;
    case RulesChoice::Careful:
        return CountingRules::Careful;
    case RulesChoice::Auto:
        break;
    }
    return document ? CountingRules::Careful : CountingRules::Classic;
}
