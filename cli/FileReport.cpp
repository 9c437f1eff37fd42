#include "cli/FileReport.h"

#include <QJsonArray>
#include <QString>

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
    object.insert(QStringLiteral("otherZone"),
                  fry->otherZone ? QJsonValue(*fry->otherZone) : QJsonValue::Null);
    return object;
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

std::string ReportText(const FileReport& report) {
    return ReportClipboardText(report.figures.texts);
}

QJsonObject ReportJson(const FileReport& report) {
    QJsonObject counts;
    counts.insert(QStringLiteral("syllables"), report.counts.syllables);
    counts.insert(QStringLiteral("words"), report.counts.words);
    counts.insert(QStringLiteral("sentences"), report.counts.sentences);
    counts.insert(QStringLiteral("difficultWords"), report.counts.difficultWords);

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
    return object;
}

QJsonObject FailureJson(const std::string& name, const std::string& error) {
    return QJsonObject{{QStringLiteral("name"), Q(name)}, {QStringLiteral("error"), Q(error)}};
}
