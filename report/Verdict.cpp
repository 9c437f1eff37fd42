#include "report/Verdict.h"

#include "analysis/GradeFormulas.h"
#include "checks/Checks.h"
#include "report/ReportFigures.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <utility>

namespace {

struct EaseBand {
    double from;
    std::string_view words;
};

constexpr std::array<EaseBand, 6> kEaseBands = {{
    {90, "very easy"},
    {80, "easy"},
    {70, "fairly easy"},
    {60, "standard"},
    {50, "fairly difficult"},
    {30, "difficult"},
}};

// One decimal at most, a trailing zero dropped, in the user's notation.
std::string Short(double value, std::string_view decimalSeparator) {
    return FormatFigure(std::round(value * 10) / 10, decimalSeparator);
}

double Kincaid(double syllables, double words, double sentences) {
    return FleschKincaidGrade(words / sentences, syllables / words);
}

} // namespace

std::string_view FleschEaseBand(double readingEase) {
    for (const EaseBand& band : kEaseBands) {
        if (readingEase >= band.from)
            return band.words;
    }
    return "very confusing";
}

bool LooksLikeProse(const AnalysisCounts& counts) {
    if (counts.words <= 0)
        return false;
    const std::int64_t sentences = std::max<std::int32_t>(counts.sentences, 1);
    return counts.words <= sentences * kMostWordsPerProseSentence;
}

int WholeGrade(double consensus) {
    return std::clamp(static_cast<int>(std::lround(consensus)), 1, 13);
}

int GradesAbove(double consensus, int targetGrade) {
    return std::max(static_cast<int>(std::lround(consensus)), 1) - targetGrade;
}

std::string GradeWords(double consensus) {
    const int grade = WholeGrade(consensus);
    return grade > 12 ? std::string("college") : "grade " + std::to_string(grade);
}

std::optional<GradeCauses> CausesAbove(const AnalysisCounts& counts, int targetGrade) {
    if (counts.words <= 0 || counts.sentences <= 0)
        return std::nullopt;
    const double wordsPerSentence = static_cast<double>(counts.words) / counts.sentences;
    const double syllablesPerWord = static_cast<double>(counts.syllables) / counts.words;
    const double plainWords = FleschKincaidGrade(wordsPerSentence, kPlainSyllablesPerWord);
    return GradeCauses{plainWords - targetGrade,
                       FleschKincaidGrade(wordsPerSentence, syllablesPerWord) - plainWords};
}

Verdict MakeVerdict(const AnalysisCounts& counts, const IndexCounts& more,
                    std::optional<int> targetGrade, std::string_view decimalSeparator) {
    Verdict verdict;
    if (counts.words <= 0) {
        verdict.headline = "No words to grade.";
        return verdict;
    }
    if (!LooksLikeProse(counts)) {
        verdict.headline = "This does not look like prose: " + std::to_string(counts.words) +
                           " words in " + std::to_string(counts.sentences) +
                           (counts.sentences == 1 ? " sentence" : " sentences") +
                           ". A grade would mean nothing here: is it a list, a table or code?";
        return verdict;
    }
    verdict.prose = true;
    const ExtraIndexValues indices = ComputeExtraIndices(counts, more);
    const auto& consensus = indices[static_cast<std::size_t>(ExtraIndex::Consensus)];
    const auto range = ConsensusRange(counts, more);
    const ReportValues values = ComputeReportValues(counts);
    const auto& ease = values[static_cast<std::size_t>(FigureRow::FleschEase)];
    if (!consensus || !range || !ease) {
        verdict.headline = "No sentences to grade.";
        return verdict;
    }
    const std::string grade = GradeWords(*consensus);
    std::string text =
        "About " + grade + " (six formulas give " + Short(range->low, decimalSeparator) + " to " +
        Short(range->high, decimalSeparator) + "), " + std::string(FleschEaseBand(*ease)) +
        " (Flesch Reading Ease " + Short(*ease, decimalSeparator) + ")";
    const std::string fry = FryGradeText(FryReadingOf(counts));
    if (!fry.empty())
        text += "; Fry's graph: " + fry;
    text += '.';
    if (targetGrade) {
        const int over = GradesAbove(*consensus, *targetGrade);
        if (over > 0) {
            verdict.gradesTooHard = over;
            verdict.causes = CausesAbove(counts, *targetGrade);
            const bool words = verdict.causes && verdict.causes->words > verdict.causes->sentences;
            text += ' ' + std::to_string(over) + (over == 1 ? " grade" : " grades") +
                    " too hard for grade " + std::to_string(*targetGrade) +
                    (words ? ": the long words lift it most; replace the words listed first "
                             "below."
                           : ": shorten the sentences listed first under Sentences.");
            if (verdict.causes) {
                const auto part = [&](double grades) {
                    return Short(std::max(grades, 0.0), decimalSeparator);
                };
                text += " By Flesch-Kincaid, the sentences' length adds " +
                        part(verdict.causes->sentences) + " and the words' length " +
                        part(verdict.causes->words) + " grades above grade " +
                        std::to_string(*targetGrade) + '.';
            }
        } else {
            text += " Suits grade " + std::to_string(*targetGrade) + '.';
        }
    }
    verdict.headline = std::move(text);
    return verdict;
}

std::vector<std::size_t> SentencesToShortenFirst(const PassageDetails& details, std::size_t limit,
                                                 std::string_view passage) {
    const auto& sentences = details.sentences;
    const double words = details.counts.words;
    const double syllables = details.counts.syllables;
    const double count = static_cast<double>(sentences.size());
    if (sentences.size() == 1 && sentences.front().words > 0 && limit > 0)
        return {0};
    if (sentences.size() < 2 || words <= 0)
        return {};
    const double average = words / count;
    const double grade = Kincaid(syllables, words, count);
    std::vector<std::pair<double, std::size_t>> falls;
    for (std::size_t i = 0; i < sentences.size(); ++i) {
        const SentenceDetails& sentence = sentences[i];
        const double cut = sentence.words - average;
        if (cut <= 0)
            continue;
        if (!passage.empty() &&
            (!SentenceEndWithMark(passage, sentence.span) || IsListItem(passage, sentence.span)))
            continue;
        const auto own = static_cast<double>(sentence.syllables);
        // Cut to the average length, its words as long as they were.
        const double fall =
            grade - Kincaid(syllables - own * cut / sentence.words, words - cut, count);
        if (fall > 0)
            falls.emplace_back(fall, i);
    }
    const auto first = [](const auto& a, const auto& b) {
        return a.first != b.first ? a.first > b.first : a.second < b.second;
    };
    limit = std::min(limit, falls.size());
    std::partial_sort(falls.begin(), falls.begin() + static_cast<std::ptrdiff_t>(limit),
                      falls.end(), first);
    std::vector<std::size_t> order;
    for (std::size_t i = 0; i < limit; ++i)
        order.push_back(falls[i].second);
    return order;
}

std::vector<std::size_t> WordsToReplaceFirst(const PassageDetails& details, std::size_t limit) {
    std::vector<std::size_t> rows;
    for (std::size_t i = 0; i < details.words.size(); ++i) {
        const WordRow& row = details.words[i];
        if (row.letters > 0 && (row.syllables >= 3 || !row.daleChallFamiliar))
            rows.push_back(i);
    }
    const auto first = [&details](std::size_t a, std::size_t b) {
        const std::int32_t ca = details.words[a].occurrences;
        const std::int32_t cb = details.words[b].occurrences;
        return ca != cb ? ca > cb : a < b;
    };
    limit = std::min(limit, rows.size());
    std::partial_sort(rows.begin(), rows.begin() + static_cast<std::ptrdiff_t>(limit), rows.end(),
                      first);
    rows.resize(limit);
    return rows;
}

std::string WordsToReplaceText(const PassageDetails& details, std::size_t limit) {
    const std::vector<std::size_t> rows = WordsToReplaceFirst(details, limit);
    if (rows.empty())
        return {};
    std::string text = "Words to replace first: ";
    for (std::size_t i = 0; i < rows.size(); ++i) {
        const std::string& word = details.words[rows[i]].word;
        text += (i > 0 ? ", " : "") + word;
        const std::string_view simpler = SimplerWordFor(word);
        if (!simpler.empty())
            text.append(" (").append(simpler).append(")");
    }
    return text + '.';
}
