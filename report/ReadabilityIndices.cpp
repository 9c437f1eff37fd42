#include "report/ReadabilityIndices.h"

#include "report/ReportFigures.h"

#include <charconv>
#include <cmath>

ExtraIndexValues ComputeExtraIndices(const AnalysisCounts& counts, const IndexCounts& more) {
    ExtraIndexValues values;
    const double words = counts.words;
    const double sentences = counts.sentences;
    const double letters = static_cast<double>(more.letters);
    const auto set = [&values](ExtraIndex index, double value) {
        values[static_cast<std::size_t>(index)] = value;
    };
    if (counts.sentences > 0)
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
    }
    return values;
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
