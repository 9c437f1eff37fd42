#include "python/FrameColumns.h"

#include "checks/CheckRules.h"
#include "report/ReadabilityIndices.h"
#include "report/ResultJson.h"
#include "report/Verdict.h"

#include <cmath>
#include <functional>
#include <stdexcept>

namespace py = pybind11;

namespace {

// A number as the report's JSON holds it: none when it is not finite.
py::object Number(const std::optional<double>& value) {
    if (!value || !std::isfinite(*value))
        return py::none();
    // A whole figure reads back from JSON as an int; the frame keeps it a float
    // in a column of floats, equal all the same.
    return py::float_(*value);
}

py::object Whole(std::int64_t value) {
    return py::int_(value);
}

py::object Figure(const TextReport& report, FigureRow row) {
    const auto i = static_cast<std::size_t>(row);
    const std::optional<double>& value = report.values[i];
    if (value && IsSinglePrecisionRow(i))
        return Number(ShortestSingle(*value));
    return Number(value);
}

py::object Count(const TextReport& report, FigureRow row) {
    const std::optional<double>& value = report.values[static_cast<std::size_t>(row)];
    return value ? Whole(static_cast<std::int64_t>(*value)) : py::none();
}

py::object Index(const TextReport& report, ExtraIndex index) {
    return report.hasIndices ? Number(report.indices[static_cast<std::size_t>(index)]) : py::none();
}

template <typename Count>
py::object IndexCount(const TextReport& report, Count IndexCounts::*count) {
    return report.hasIndices ? Whole(static_cast<std::int64_t>(report.indexCounts.*count))
                             : py::none();
}

py::object Zone(const std::optional<int>& zone) {
    return zone ? py::object(py::int_(*zone)) : py::none();
}

py::object Fry(const TextReport& report, const std::function<py::object(const FryReading&)>& read) {
    return report.fry ? read(*report.fry) : py::none();
}

struct FrameColumn {
    std::string_view name;
    std::function<py::object(const TextReport&)> value;
};

// The columns in the frame's order: how the text was read, the counts, the
// report's figures, the further indices, then the Fry graph's reading.
const std::vector<FrameColumn>& Columns() {
    static const std::vector<FrameColumn> columns = [] {
        using R = const TextReport&;
        std::vector<FrameColumn> c = {
            {"rules_used", [](R r) { return py::str(r.rules); }},
            {"looks_like_prose", [](R r) { return py::bool_(LooksLikeProse(r.counts)); }},
            {"words", [](R r) { return Count(r, FigureRow::Words); }},
            {"sentences", [](R r) { return Count(r, FigureRow::Sent); }},
            {"syllables", [](R r) { return Count(r, FigureRow::Syll); }},
            {"difficult_words", [](R r) { return Count(r, FigureRow::DiffWords); }},
            {"letters", [](R r) { return IndexCount(r, &IndexCounts::letters); }},
            {"long_words", [](R r) { return IndexCount(r, &IndexCounts::longWords); }},
            {"polysyllables", [](R r) { return IndexCount(r, &IndexCounts::polysyllables); }},
            {"monosyllables", [](R r) { return IndexCount(r, &IndexCounts::monosyllables); }},
            {"mini_words", [](R r) { return IndexCount(r, &IndexCounts::miniWords); }},
            {"dale_chall_unfamiliar_words",
             [](R r) { return IndexCount(r, &IndexCounts::daleChallUnfamiliar); }},
            {"spache_unfamiliar_words",
             [](R r) { return IndexCount(r, &IndexCounts::spacheUnfamiliar); }},
            {"syllables_per_word", [](R r) { return Figure(r, FigureRow::SyllPWord); }},
            {"syllables_per_sentence", [](R r) { return Figure(r, FigureRow::SyllPSent); }},
            {"words_per_sentence", [](R r) { return Figure(r, FigureRow::WordPSent); }},
            {"syllables_per_100_words", [](R r) { return Figure(r, FigureRow::SyllPH); }},
            {"sentences_per_100_words", [](R r) { return Figure(r, FigureRow::SentPH); }},
            {"flesch_reading_ease", [](R r) { return Figure(r, FigureRow::FleschEase); }},
            {"flesch_kincaid_grade", [](R r) { return Figure(r, FigureRow::KincaidGrade); }},
            {"gunning_fog", [](R r) { return Figure(r, FigureRow::GunningFog); }},
            {"smog_grade", [](R r) { return Index(r, ExtraIndex::Smog); }},
            {"coleman_liau_index", [](R r) { return Index(r, ExtraIndex::ColemanLiau); }},
            {"automated_readability_index",
             [](R r) { return Index(r, ExtraIndex::AutomatedReadability); }},
            {"lix", [](R r) { return Index(r, ExtraIndex::Lix); }},
            {"forcast", [](R r) { return Index(r, ExtraIndex::Forcast); }},
            {"new_dale_chall", [](R r) { return Index(r, ExtraIndex::DaleChall); }},
            {"spache", [](R r) { return Index(r, ExtraIndex::Spache); }},
            {"mcalpine_eflaw", [](R r) { return Index(r, ExtraIndex::McAlpineEflaw); }},
            {"linsear_write", [](R r) { return Index(r, ExtraIndex::LinsearWrite); }},
            {"consensus_grade", [](R r) { return Index(r, ExtraIndex::Consensus); }},
            {"consensus_low",
             [](R r) {
                 return r.consensusRange ? py::object(py::float_(r.consensusRange->low))
                                         : py::none();
             }},
            {"consensus_high",
             [](R r) {
                 return r.consensusRange ? py::object(py::float_(r.consensusRange->high))
                                         : py::none();
             }},
            {"dale_chall_grades",
             [](R r) {
                 const auto& score = r.indices[static_cast<std::size_t>(ExtraIndex::DaleChall)];
                 return r.hasIndices && score ? py::object(py::str(DaleChallGradeBand(*score)))
                                              : py::none();
             }},
            {"fry_reading",
             [](R r) {
                 return Fry(r, [&](const FryReading&) { return py::str(FryGradeText(r.fry)); });
             }},
            {"fry_region",
             [](R r) {
                 return Fry(r,
                            [](const FryReading& f) { return py::str(FryRegionName(f.region)); });
             }},
            {"fry_zone",
             [](R r) {
                 return Fry(r, [](const FryReading& f) {
                     return Zone(f.region == FryRegion::Zone ? std::optional<int>(f.zone)
                                                             : std::nullopt);
                 });
             }},
            {"fry_college",
             [](R r) {
                 return Fry(r, [](const FryReading& f) {
                     return py::bool_(f.region == FryRegion::Zone && f.zone > kFryLastGradeZone);
                 });
             }},
            {"fry_near_boundary",
             [](R r) {
                 return Fry(r, [](const FryReading& f) { return py::bool_(f.nearBoundary); });
             }},
            {"fry_other_zone",
             [](R r) { return Fry(r, [](const FryReading& f) { return Zone(f.otherZone); }); }},
            {"unknown_words",
             [](R r) { return Whole(static_cast<std::int64_t>(r.unknownWords.size())); }},
        };
        return c;
    }();
    return columns;
}

// "hard-sentence" -> "checks_hard_sentence".
std::string CheckColumnName(std::string_view id) {
    std::string name = "checks_";
    for (const char c : id)
        name += c == '-' ? '_' : c;
    return name;
}

} // namespace

std::vector<std::string> FrameColumnNames(bool withChecks) {
    std::vector<std::string> names;
    for (const FrameColumn& column : Columns())
        names.emplace_back(column.name);
    if (withChecks) {
        names.emplace_back("checks");
        for (const CheckRuleInfo& rule : CheckRules())
            names.push_back(CheckColumnName(rule.id));
    }
    names.emplace_back("error");
    return names;
}

py::dict FrameColumns(const std::vector<std::string>& names,
                      const std::vector<std::optional<TextReport>>& reports,
                      const std::vector<std::string>& errors) {
    py::dict frame;
    for (const std::string& name : names) {
        py::list values(reports.size());
        std::function<py::object(const TextReport&)> value;
        if (name == "error") {
            for (std::size_t i = 0; i < reports.size(); ++i)
                values[i] = reports[i] ? py::object(py::none()) : py::object(py::str(errors[i]));
            frame[py::str(name)] = values;
            continue;
        }
        for (const FrameColumn& column : Columns()) {
            if (column.name == name)
                value = column.value;
        }
        if (!value && name == "checks") {
            value = [](const TextReport& r) {
                return r.checks ? py::object(py::int_(r.checks->size())) : py::none();
            };
        }
        for (const CheckRuleInfo& rule : CheckRules()) {
            if (!value && name == CheckColumnName(rule.id)) {
                value = [rule = rule.rule](const TextReport& r) {
                    if (!r.checks)
                        return py::object(py::none());
                    std::size_t count = 0;
                    for (const TextReport::Finding& finding : *r.checks)
                        count += finding.rule == rule ? 1 : 0;
                    return py::object(py::int_(count));
                };
            }
        }
        if (!value)
            throw std::logic_error("no frame column " + name);
        for (std::size_t i = 0; i < reports.size(); ++i)
            values[i] = reports[i] ? value(*reports[i]) : py::none();
        frame[py::str(name)] = values;
    }
    return frame;
}
