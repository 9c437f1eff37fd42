#include "report/ReadabilityIndices.h"

#include "analysis/GradeFormulas.h"
#include "report/ReportFigures.h"

#include <algorithm>
#include <charconv>
#include <cmath>

namespace {

// The six grades of the consensus; empty without words or sentences.
std::optional<std::array<double, 6>> ConsensusGrades(const AnalysisCounts& counts,
                                                     const ExtraIndexValues& values) {
    if (counts.words <= 0 || counts.sentences <= 0)
        return std::nullopt;
    const double words = counts.words;
    const double sentences = counts.sentences;
    const double perSentence = words / sentences;
    const double kincaid = FleschKincaidGrade(perSentence, counts.syllables / words);
    const double fog = 0.4 * (perSentence + 100.0 * counts.difficultWords / words);
    const auto at = [&values](ExtraIndex index) {
        return *values[static_cast<std::size_t>(index)];
    };
    return std::array<double, 6>{kincaid,
                                 fog,
                                 at(ExtraIndex::Smog),
                                 at(ExtraIndex::ColemanLiau),
                                 at(ExtraIndex::AutomatedReadability),
                                 at(ExtraIndex::LinsearWrite)};
}

} // namespace

ExtraIndexValues ComputeExtraIndices(const AnalysisCounts& counts, const IndexCounts& more) {
    ExtraIndexValues values;
    const double words = counts.words;
    const double sentences = counts.sentences;
    const double letters = static_cast<double>(more.letters);
    const auto set = [&values](ExtraIndex index, double value) {
        values[static_cast<std::size_t>(index)] = value;
    };
    // SMOG needs no word count, but a text without words has no grade.
    if (counts.words > 0 && counts.sentences > 0)
        set(ExtraIndex::Smog, 1.0430 * std::sqrt(more.polysyllables * 30.0 / sentences) + 3.1291);
    if (counts.words > 0) {
        const double l = letters / words * 100;
        const double s = sentences / words * 100;
        set(ExtraIndex::ColemanLiau, 0.0588 * l - 0.296 * s - 15.8);
        set(ExtraIndex::Forcast, 20 - (more.monosyllables * 150.0 / words) / 10);
    }
    if (counts.words > 0 && counts.sentences > 0) {
        set(ExtraIndex::AutomatedReadability,
            4.71 * letters / words + 0.5 * words / sentences - 21.43);
        set(ExtraIndex::Lix, words / sentences + 100 * more.longWords / words);

        const double perSentence = words / sentences;
        const double daleChall = 100.0 * more.daleChallUnfamiliar / words;
        set(ExtraIndex::DaleChall,
            0.1579 * daleChall + 0.0496 * perSentence + (daleChall > 5 ? 3.6365 : 0.0));
        const double spache = 100.0 * more.spacheUnfamiliarUnique / words;
        set(ExtraIndex::Spache, 0.121 * perSentence + 0.082 * spache + 0.659);
        set(ExtraIndex::McAlpineEflaw, (words + more.miniWords) / sentences);
        const double hard = counts.difficultWords;
        const double r = ((words - hard) + 3 * hard) / sentences;
        set(ExtraIndex::LinsearWrite, r > 20 ? r / 2 : (r - 2) / 2);

        if (auto grades = ConsensusGrades(counts, values)) {
            std::sort(grades->begin(), grades->end());
            set(ExtraIndex::Consensus, ((*grades)[2] + (*grades)[3]) / 2);
        }
    }
    return values;
}

std::optional<GradeRange> ConsensusRange(const AnalysisCounts& counts, const IndexCounts& more) {
    const auto grades = ConsensusGrades(counts, ComputeExtraIndices(counts, more));
    if (!grades)
        return std::nullopt;
    const auto [low, high] = std::minmax_element(grades->begin(), grades->end());
    return GradeRange{*low, *high};
}

namespace {

struct DaleChallBand {
    double below; // scores under this
    std::string_view grades;
    int topGrade;
};

constexpr std::array<DaleChallBand, 7> kDaleChallBands = {{
    {5.0, "4 and below", 4},
    {6.0, "5-6", 6},
    {7.0, "7-8", 8},
    {8.0, "9-10", 10},
    {9.0, "11-12", 12},
    {10.0, "13-15", 15},
    {INFINITY, "16 and above", 16},
}};

const DaleChallBand& BandOf(double score) {
    for (const DaleChallBand& band : kDaleChallBands) {
        if (score < band.below)
            return band;
    }
    return kDaleChallBands.back();
}

} // namespace

std::string_view DaleChallGradeBand(double score) {
    return BandOf(score).grades;
}

int DaleChallTopGrade(double score) {
    return BandOf(score).topGrade;
}

std::optional<FryReading> FryReadingOf(const AnalysisCounts& counts) {
    const ReportValues values = ComputeReportValues(counts);
    const auto& s = values[static_cast<std::size_t>(FigureRow::SyllPH)];
    const auto& y = values[static_cast<std::size_t>(FigureRow::SentPH)];
    if (!s || !y || counts.sentences == 0)
        return std::nullopt;
    return ReadFryGraph(*s, *y);
}

namespace {

std::string ZoneName(int zone) {
    return zone > kFryLastGradeZone ? std::string("college") : "grade " + std::to_string(zone);
}

} // namespace

std::string FryGradeText(const std::optional<FryReading>& reading) {
    if (!reading)
        return {};
    switch (reading->region) {
    case FryRegion::Zone: {
        std::string text = ZoneName(reading->zone);
        if (reading->nearBoundary && reading->otherZone && ZoneName(*reading->otherZone) != text)
            text += ", near " + ZoneName(*reading->otherZone);
        return text;
    }
    case FryRegion::LongWords:
        return "long words area (no valid reading)";
    case FryRegion::LongSentences:
        return "long sentences area (no valid reading)";
    case FryRegion::OffGraph:
        break;
    }
    return "off the graph";
}

std::string IndexText(const std::optional<double>& value) {
    if (!value)
        return std::string(kNoFigure);
    // Not printf: the program runs under the user's locale, and this text has a
    // full stop whatever it says.
    char buffer[64];
    const double rounded = std::round(*value * 100) / 100;
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, rounded == 0 ? 0.0 : rounded,
                                      std::chars_format::fixed, 2);
    return std::string(buffer, result.ptr);
}
