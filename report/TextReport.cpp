#include "cli/FileReport.h"

#include <QJsonArray>
#include <QString>

#include <array>
#include <utility>

namespace {

QString Q(std::string_view text) {
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
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

} // namespace

namespace {

QJsonValue Number(const std::optional<double>& value) {
    return value ? QJsonValue(*value) : QJsonValue(QJsonValue::Null);
}

FileReport::Sentence SentenceOf(const PassageDetails& details, std::size_t index,
                                std::string_view passage) {
    const SentenceDetails& sentence = details.sentences[index];
    FileReport::Sentence out;
    if (sentence.span.offset < passage.size())
        out.text = std::string(passage.substr(sentence.span.offset, sentence.span.length));
    out.words = sentence.words;
    out.difficultWords = sentence.difficultWords;
    return out;
}

QJsonArray SentencesJson(const std::vector<FileReport::Sentence>& sentences) {
    QJsonArray array;
    for (const FileReport::Sentence& sentence : sentences)
        array.append(QJsonObject{{QStringLiteral("text"), Q(sentence.text)},
                                 {QStringLiteral("words"), sentence.words},
                                 {QStringLiteral("difficultWords"), sentence.difficultWords}});
    return array;
}

// The figures of the twelve that are not counts, with their keys in CSV.
constexpr std::array<std::pair<FigureRow, std::string_view>, 8> kCsvFigures = {{
    {FigureRow::SyllPWord, "syllablesPerWord"},
    {FigureRow::SyllPSent, "syllablesPerSentence"},
    {FigureRow::WordPSent, "wordsPerSentence"},
    {FigureRow::SyllPH, "syllablesPer100Words"},
    {FigureRow::SentPH, "sentencesPer100Words"},
    {FigureRow::GunningFog, "gunningFogIndex"},
    {FigureRow::FleschEase, "fleschReadingEase"},
    {FigureRow::KincaidGrade, "fleschKincaidGradeLevel"},
}};

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

FileReport MakeFileReport(std::string name, const AnalysisCounts& counts,
                          std::vector<UnknownWord> unknownWords) {
    FileReport report;
    report.name = std::move(name);
    report.counts = counts;
    report.figures = ComputeReportFigures(counts, ".");
    report.values = ComputeReportValues(counts);
    report.unknownWords = std::move(unknownWords);
    const auto& s = report.values[static_cast<std::size_t>(FigureRow::SyllPH)];
    const auto& y = report.values[static_cast<std::size_t>(FigureRow::SentPH)];
    if (s && y)
        report.fry = ReadFryGraph(*s, *y);
    return report;
}

void AddDetails(FileReport& report, const PassageDetails& details, std::string_view passage,
                bool words, int sentenceCount) {
    report.hasIndices = true;
    report.indexCounts = details.indexCounts;
    report.indices = ComputeExtraIndices(report.counts, details.indexCounts);
    if (words)
        report.words = details.words;
    if (sentenceCount > 0) {
        const auto limit = static_cast<std::size_t>(sentenceCount);
        report.longestSentences.emplace();
        for (const std::size_t i : LongestSentences(details, limit))
            report.longestSentences->push_back(SentenceOf(details, i, passage));
        report.mostDifficultSentences.emplace();
        for (const std::size_t i : MostDifficultSentences(details, limit))
            report.mostDifficultSentences->push_back(SentenceOf(details, i, passage));
    }
}

std::string ReportText(const FileReport& report) {
    std::string text = ReportClipboardText(report.figures.texts);
    if (report.words) {
        text += "\nWords (syllables, occurrences, source):\n";
        for (const WordRow& row : *report.words)
            text += row.word + '\t' + std::to_string(row.syllables) + '\t' +
                    std::to_string(row.occurrences) + '\t' +
                    std::string(WordSourceName(row.source)) + '\n';
    }
    const auto sentences = [&text](const char* title,
                                   const std::vector<FileReport::Sentence>& list) {
        text += title;
        for (const FileReport::Sentence& s : list)
            text += std::to_string(s.words) + " words, " + std::to_string(s.difficultWords) +
                    " difficult: " + s.text + '\n';
    };
    if (report.longestSentences)
        sentences("\nLongest sentences:\n", *report.longestSentences);
    if (report.mostDifficultSentences)
        sentences("\nSentences with the most difficult words:\n", *report.mostDifficultSentences);
    return text;
}

QJsonObject ReportJson(const FileReport& report) {
    QJsonObject counts;
    counts.insert(QStringLiteral("syllables"), report.counts.syllables);
    counts.insert(QStringLiteral("words"), report.counts.words);
    counts.insert(QStringLiteral("sentences"), report.counts.sentences);
    counts.insert(QStringLiteral("difficultWords"), report.counts.difficultWords);
    QJsonObject indices;
    if (report.hasIndices) {
        counts.insert(QStringLiteral("letters"), static_cast<double>(report.indexCounts.letters));
        counts.insert(QStringLiteral("longWords"), report.indexCounts.longWords);
        counts.insert(QStringLiteral("polysyllables"), report.indexCounts.polysyllables);
        counts.insert(QStringLiteral("monosyllables"), report.indexCounts.monosyllables);
        for (std::size_t i = 0; i < kExtraIndices; ++i)
            indices.insert(Q(kExtraIndexInfo[i].key), Number(report.indices[i]));
    }

    QJsonObject figures;
    QJsonObject values;
    for (std::size_t row = 0; row < kFigureRows; ++row) {
        const QString label = Q(kFigureLabelNames[row]);
        figures.insert(label, Q(report.figures.texts[row]));
        values.insert(label, report.values[row] ? QJsonValue(*report.values[row])
                                                : QJsonValue(QJsonValue::Null));
    }

    QJsonArray unknown;
    for (const UnknownWord& word : report.unknownWords) {
        unknown.append(QJsonObject{{QStringLiteral("word"), Q(word.word)},
                                   {QStringLiteral("occurrences"), word.occurrences},
                                   {QStringLiteral("syllables"), word.syllables}});
    }

    QJsonObject object;
    object.insert(QStringLiteral("name"), Q(report.name));
    object.insert(QStringLiteral("counts"), counts);
    object.insert(QStringLiteral("figures"), figures);
    object.insert(QStringLiteral("values"), values);
    object.insert(QStringLiteral("unknownWords"), unknown);
    object.insert(QStringLiteral("fry"), FryJson(report.fry, report.values));
    if (report.hasIndices)
        object.insert(QStringLiteral("indices"), indices);
    if (report.words) {
        QJsonArray words;
        for (const WordRow& row : *report.words)
            words.append(QJsonObject{{QStringLiteral("word"), Q(row.word)},
                                     {QStringLiteral("syllables"), row.syllables},
                                     {QStringLiteral("occurrences"), row.occurrences},
                                     {QStringLiteral("source"), Q(WordSourceName(row.source))}});
        object.insert(QStringLiteral("words"), words);
    }
    if (report.longestSentences) {
        object.insert(QStringLiteral("longestSentences"), SentencesJson(*report.longestSentences));
        object.insert(QStringLiteral("mostDifficultSentences"),
                      SentencesJson(*report.mostDifficultSentences));
    }
    return object;
}

QJsonObject FailureJson(const std::string& name, const std::string& error) {
    return QJsonObject{{QStringLiteral("name"), Q(name)}, {QStringLiteral("error"), Q(error)}};
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

std::string CsvHeader() {
    std::vector<std::string> fields = {"name",      "syllables",      "words",
                                       "sentences", "difficultWords", "letters",
                                       "longWords", "polysyllables",  "monosyllables"};
    for (const auto& [row, key] : kCsvFigures)
        fields.emplace_back(key);
    for (const ExtraIndexInfo& info : kExtraIndexInfo)
        fields.emplace_back(info.key);
    for (const char* key : {"fryZone", "fryReading", "error"})
        fields.emplace_back(key);
    return CsvRow(fields);
}

std::string ReportCsvRow(const FileReport& report) {
    const AnalysisCounts& c = report.counts;
    const IndexCounts& more = report.indexCounts;
    std::vector<std::string> fields = {report.name,
                                       std::to_string(c.syllables),
                                       std::to_string(c.words),
                                       std::to_string(c.sentences),
                                       std::to_string(c.difficultWords),
                                       std::to_string(more.letters),
                                       std::to_string(more.longWords),
                                       std::to_string(more.polysyllables),
                                       std::to_string(more.monosyllables)};
    for (const auto& [row, key] : kCsvFigures)
        fields.push_back(CsvNumber(report.values[static_cast<std::size_t>(row)]));
    for (const auto& value : report.indices)
        fields.push_back(CsvNumber(value));
    const bool zone = report.fry && report.fry->region == FryRegion::Zone;
    fields.push_back(zone ? std::to_string(report.fry->zone) : std::string());
    fields.push_back(FryGradeText(report.fry));
    fields.emplace_back();
    return CsvRow(fields);
}

std::string FailureCsvRow(const std::string& name, const std::string& error) {
    std::vector<std::string> fields(9 + kCsvFigures.size() + kExtraIndices + 3);
    fields.front() = name;
    fields.back() = error;
    return CsvRow(fields);
}
