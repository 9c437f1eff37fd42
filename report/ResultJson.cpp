#include "report/ResultJson.h"

#include "report/Verdict.h"

#include <QJsonArray>
#include <QString>

#include <array>
#include <charconv>
#include <vector>

namespace {

QString Q(std::string_view text) {
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

QJsonValue Number(const std::optional<double>& value) {
    return value ? QJsonValue(*value) : QJsonValue(QJsonValue::Null);
}

QJsonValue FryJson(const std::optional<FryReading>& fry, const ReportValues& values) {
    if (!fry)
        return QJsonValue::Null;
    QJsonObject object;
    object.insert(QStringLiteral("syllablesPer100Words"),
                  *values[static_cast<std::size_t>(FigureRow::SyllPH)]);
    object.insert(QStringLiteral("sentencesPer100Words"),
                  *values[static_cast<std::size_t>(FigureRow::SentPH)]);
    object.insert(QStringLiteral("region"), Q(FryRegionName(fry->region)));
    object.insert(QStringLiteral("zone"),
                  fry->region == FryRegion::Zone ? QJsonValue(fry->zone) : QJsonValue::Null);
    object.insert(QStringLiteral("college"),
                  fry->region == FryRegion::Zone && fry->zone > kFryLastGradeZone);
    object.insert(QStringLiteral("nearBoundary"), fry->nearBoundary);
    object.insert(QStringLiteral("reading"), Q(FryGradeText(fry)));
    object.insert(QStringLiteral("otherZone"),
                  fry->otherZone ? QJsonValue(*fry->otherZone) : QJsonValue::Null);
    return object;
}

QJsonArray SentencesJson(const std::vector<TextReport::Sentence>& sentences) {
    QJsonArray array;
    for (const TextReport::Sentence& sentence : sentences)
        array.append(QJsonObject{{QStringLiteral("text"), Q(sentence.text)},
                                 {QStringLiteral("line"), sentence.line},
                                 {QStringLiteral("words"), sentence.words},
                                 {QStringLiteral("difficultWords"), sentence.difficultWords}});
    return array;
}

// The counts behind the further indices, under their keys in JSON and CSV.
struct IndexCountColumn {
    std::string_view key;
    std::int64_t (*value)(const IndexCounts&);
};
constexpr std::array<IndexCountColumn, 7> kIndexCountColumns = {{
    {"letters", [](const IndexCounts& c) { return c.letters; }},
    {"longWords", [](const IndexCounts& c) -> std::int64_t { return c.longWords; }},
    {"polysyllables", [](const IndexCounts& c) -> std::int64_t { return c.polysyllables; }},
    {"monosyllables", [](const IndexCounts& c) -> std::int64_t { return c.monosyllables; }},
    {"miniWords", [](const IndexCounts& c) -> std::int64_t { return c.miniWords; }},
    {"daleChallUnfamiliarWords",
     [](const IndexCounts& c) -> std::int64_t { return c.daleChallUnfamiliar; }},
    {"spacheUnfamiliarWords",
     [](const IndexCounts& c) -> std::int64_t { return c.spacheUnfamiliar; }},
}};

constexpr std::array<FigureRow, 4> kCountRows = {FigureRow::Syll, FigureRow::Words, FigureRow::Sent,
                                                 FigureRow::DiffWords};

bool IsCountRow(std::size_t row) {
    for (const FigureRow count : kCountRows) {
        if (static_cast<std::size_t>(count) == row)
            return true;
    }
    return false;
}

std::optional<double> FigureValue(const TextReport& report, std::size_t row) {
    const std::optional<double>& value = report.values[row];
    if (value && IsSinglePrecisionRow(row))
        return ShortestSingle(*value);
    return value;
}

const std::optional<double>& IndexValue(const TextReport& report, ExtraIndex index) {
    return report.indices[static_cast<std::size_t>(index)];
}

std::string DaleChallGrades(const TextReport& report) {
    const auto& score = IndexValue(report, ExtraIndex::NewDaleChall);
    return score ? std::string(DaleChallGradeBand(*score)) : std::string();
}

std::string CsvNumber(const std::optional<double>& value) {
    return value ? FormatFigure(*value, ".") : std::string();
}

std::string CsvRow(const std::vector<std::string>& fields) {
    std::string row;
    for (std::size_t i = 0; i < fields.size(); ++i) {
        if (i > 0)
            row += ',';
        row += CsvField(fields[i]);
    }
    return row + "\r\n";
}

} // namespace

double ShortestSingle(double value) {
    char buffer[32];
    const auto written = std::to_chars(buffer, buffer + sizeof buffer, static_cast<float>(value));
    double shortest = 0;
    std::from_chars(buffer, written.ptr, shortest);
    return shortest;
}

QJsonObject ResultJson(const TextReport& report) {
    QJsonObject counts;
    for (const FigureRow row : kCountRows) {
        const auto i = static_cast<std::size_t>(row);
        counts.insert(Q(kFigureKeys[i]), *report.values[i]);
    }
    QJsonObject figures;
    QJsonObject texts;
    for (std::size_t row = 0; row < kFigureRows; ++row) {
        figures.insert(Q(kFigureKeys[row]), Number(FigureValue(report, row)));
        texts.insert(Q(kFigureKeys[row]), Q(report.figures.texts[row]));
    }

    QJsonArray unknown;
    for (const UnknownWord& word : report.unknownWords) {
        unknown.append(QJsonObject{{QStringLiteral("word"), Q(word.word)},
                                   {QStringLiteral("occurrences"), word.occurrences},
                                   {QStringLiteral("syllables"), word.syllables}});
    }

    QJsonObject object;
    object.insert(QStringLiteral("name"), Q(report.name));
    object.insert(QStringLiteral("rules"), Q(report.rules));
    object.insert(QStringLiteral("looksLikeProse"), LooksLikeProse(report.counts));
    object.insert(QStringLiteral("figures"), figures);
    object.insert(QStringLiteral("reportTexts"), texts);
    object.insert(QStringLiteral("unknownWords"), unknown);
    object.insert(QStringLiteral("fry"), FryJson(report.fry, report.values));
    if (report.hasIndices) {
        for (const IndexCountColumn& column : kIndexCountColumns)
            counts.insert(Q(column.key), static_cast<double>(column.value(report.indexCounts)));
        QJsonObject indices;
        for (std::size_t i = 0; i < kExtraIndices; ++i)
            indices.insert(Q(kExtraIndexInfo[i].key), Number(report.indices[i]));
        object.insert(QStringLiteral("indices"), indices);
        const std::string grades = DaleChallGrades(report);
        object.insert(QStringLiteral("daleChallGrades"),
                      grades.empty() ? QJsonValue(QJsonValue::Null) : QJsonValue(Q(grades)));
        object.insert(
            QStringLiteral("consensusRange"),
            report.consensusRange
                ? QJsonValue(QJsonObject{{QStringLiteral("low"), report.consensusRange->low},
                                         {QStringLiteral("high"), report.consensusRange->high}})
                : QJsonValue(QJsonValue::Null));
    }
    object.insert(QStringLiteral("counts"), counts);
    if (report.words) {
        QJsonArray words;
        for (const WordRow& row : *report.words)
            words.append(QJsonObject{{QStringLiteral("word"), Q(row.word)},
                                     {QStringLiteral("syllables"), row.syllables},
                                     {QStringLiteral("occurrences"), row.occurrences},
                                     {QStringLiteral("source"), Q(WordSourceName(row.source))}});
        object.insert(QStringLiteral("words"), words);
    }
    if (report.longestSentences)
        object.insert(QStringLiteral("longestSentences"), SentencesJson(*report.longestSentences));
    if (report.mostDifficultSentences)
        object.insert(QStringLiteral("mostDifficultSentences"),
                      SentencesJson(*report.mostDifficultSentences));
    return object;
}

QJsonObject FailureJson(const std::string& name, const std::string& error, std::string_view rules) {
    return QJsonObject{{QStringLiteral("name"), Q(name)},
                       {QStringLiteral("rules"), Q(rules)},
                       {QStringLiteral("error"), Q(error)}};
}

std::string CsvField(std::string_view text) {
    if (text.find_first_of(",\"\r\n") == std::string_view::npos)
        return std::string(text);
    std::string quoted = "\"";
    for (const char c : text) {
        if (c == '"')
            quoted += '"';
        quoted += c;
    }
    return quoted + '"';
}

namespace {

std::vector<std::string> CsvColumns() {
    std::vector<std::string> columns = {"name", "rules"};
    for (const FigureRow row : kCountRows)
        columns.emplace_back(kFigureKeys[static_cast<std::size_t>(row)]);
    for (const IndexCountColumn& column : kIndexCountColumns)
        columns.emplace_back(column.key);
    for (std::size_t row = 0; row < kFigureRows; ++row) {
        if (!IsCountRow(row))
            columns.emplace_back(kFigureKeys[row]);
    }
    for (const ExtraIndexInfo& info : kExtraIndexInfo)
        columns.emplace_back(info.key);
    for (const char* key :
         {"daleChallGrades", "consensusLow", "consensusHigh", "fryZone", "fryReading", "error"})
        columns.emplace_back(key);
    return columns;
}

} // namespace

std::string CsvHeader() {
    return CsvRow(CsvColumns());
}

std::string ResultCsvRow(const TextReport& report) {
    std::vector<std::string> fields = {report.name, report.rules};
    for (const FigureRow row : kCountRows)
        fields.push_back(FormatFigure(*report.values[static_cast<std::size_t>(row)], "."));
    for (const IndexCountColumn& column : kIndexCountColumns)
        fields.push_back(report.hasIndices ? std::to_string(column.value(report.indexCounts))
                                           : std::string());
    for (std::size_t row = 0; row < kFigureRows; ++row) {
        if (!IsCountRow(row))
            fields.push_back(CsvNumber(report.values[row]));
    }
    for (const auto& value : report.indices)
        fields.push_back(report.hasIndices ? CsvNumber(value) : std::string());
    fields.push_back(DaleChallGrades(report));
    const auto& range = report.consensusRange;
    fields.push_back(range ? FormatFigure(range->low, ".") : std::string());
    fields.push_back(range ? FormatFigure(range->high, ".") : std::string());
    const bool zone = report.fry && report.fry->region == FryRegion::Zone;
    fields.push_back(zone ? std::to_string(report.fry->zone) : std::string());
    fields.push_back(FryGradeText(report.fry));
    fields.emplace_back();
    return CsvRow(fields);
}

std::string FailureCsvRow(const std::string& name, const std::string& error,
                          std::string_view rules) {
    std::vector<std::string> fields(CsvColumns().size());
    fields.front() = name;
    fields[1] = std::string(rules);
    fields.back() = error;
    return CsvRow(fields);
}
