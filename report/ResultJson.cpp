#include "report/ResultJson.h"

#include "checks/CheckRules.h"
#include "report/Verdict.h"

#include "text/Bytes.h"
#include "text/TextFile.h"

#include <QByteArray>
#include <QString>

#include <algorithm>
#include <array>
#include <charconv>
#include <cmath>
#include <optional>
#include <vector>

namespace {

QString Q(std::string_view text) {
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

// The one JSON writer, for reports and failures alike: compact JSON text
// exactly as QJsonDocument writes it (a test holds the two together), built
// without Qt's JSON classes, which cost many times more on a batch of small
// texts: an object's members in the order of their keys, numbers in their
// shortest form, the same escapes in strings. IndentedJson lays the same text
// out as --format=json shows it.
std::string JsonString(std::string_view text) {
    // Text that is not UTF-8 (a file name) becomes what Qt makes of it.
    std::string valid;
    if (!IsValidUtf8(text)) {
        valid = Q(text).toStdString();
        text = valid;
    }
    std::string out = "\"";
    out.reserve(text.size() + 2);
    for (const char c : text) {
        const auto u = static_cast<unsigned char>(c);
        if (u >= 0x20 && c != '"' && c != '\\') {
            out += c;
            continue;
        }
        out += '\\';
        switch (c) {
        case '"':
            out += '"';
            break;
        case '\\':
            out += '\\';
            break;
        case '\b':
            out += 'b';
            break;
        case '\f':
            out += 'f';
            break;
        case '\n':
            out += 'n';
            break;
        case '\r':
            out += 'r';
            break;
        case '\t':
            out += 't';
            break;
        default: {
            constexpr char kHex[] = "0123456789abcdef";
            out += "u00";
            out += kHex[u >> 4];
            out += kHex[u & 0xF];
        }
        }
    }
    return out + '"';
}

// The shortest decimal that reads back as the value, in the shorter of the
// plain and the exponent form (the plain one when they are as long).
std::string JsonNumber(double value) {
    if (!std::isfinite(value))
        return "null";
    // A whole number that fits a 64-bit integer is written as one.
    if (value == std::trunc(value) && std::abs(value) < 9.2e18)
        return std::to_string(static_cast<std::int64_t>(value));
    char buffer[40];
    const auto written =
        std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::scientific);
    std::string_view text(buffer, static_cast<std::size_t>(written.ptr - buffer));
    std::string out;
    if (text.front() == '-') {
        out += '-';
        text.remove_prefix(1);
    }
    const std::size_t e = text.find('e');
    std::string digits(text.substr(0, e));
    if (digits.size() > 1)
        digits.erase(1, 1); // the point after the first digit
    int exponent = 0;
    std::from_chars(text.data() + e + 1 + (text[e + 1] == '+' ? 1 : 0), text.data() + text.size(),
                    exponent);
    const int n = static_cast<int>(digits.size());
    const int point = exponent + 1; // digits before the decimal point
    std::string exponential(1, digits[0]);
    if (n > 1)
        exponential += '.' + digits.substr(1);
    exponential += exponent < 0 ? "e-" : "e+";
    const int magnitude = std::abs(exponent);
    exponential += (magnitude < 10 ? "0" : "") + std::to_string(magnitude);
    std::string plain;
    if (point <= 0)
        plain = "0." + std::string(static_cast<std::size_t>(-point), '0') + digits;
    else if (point >= n)
        plain = digits + std::string(static_cast<std::size_t>(point - n), '0');
    else
        plain = digits.substr(0, static_cast<std::size_t>(point)) + '.' +
                digits.substr(static_cast<std::size_t>(point));
    return out + (exponential.size() < plain.size() ? exponential : plain);
}

std::string JsonNumber(const std::optional<double>& value) {
    return value ? JsonNumber(*value) : "null";
}

std::string JsonBool(bool value) {
    return value ? "true" : "false";
}

// An object's members, added in any order, written in the order of their keys.
class JsonObject {
public:
    JsonObject& Add(std::string_view key, std::string value) {
        members_.emplace_back(key, std::move(value));
        return *this;
    }
    std::string Text() {
        std::sort(members_.begin(), members_.end(),
                  [](const auto& a, const auto& b) { return a.first < b.first; });
        std::string text = "{";
        for (const auto& [key, value] : members_) {
            if (text.size() > 1)
                text += ',';
            text += '"';
            text += key;
            text += "\":";
            text += value;
        }
        return text + '}';
    }

private:
    std::vector<std::pair<std::string_view, std::string>> members_;
};

template <typename Item, typename Write>
std::string JsonArray(const std::vector<Item>& items, Write write) {
    std::string text = "[";
    for (const Item& item : items) {
        if (text.size() > 1)
            text += ',';
        text += write(item);
    }
    return text + ']';
}

std::string FryJson(const std::optional<FryReading>& fry, const ReportValues& values) {
    if (!fry)
        return "null";
    const auto zoneOrNull = [](const std::optional<int>& zone) {
        return zone ? std::to_string(*zone) : std::string("null");
    };
    return JsonObject()
        .Add("syllablesPer100Words",
             JsonNumber(*values[static_cast<std::size_t>(FigureRow::SyllPH)]))
        .Add("sentencesPer100Words",
             JsonNumber(*values[static_cast<std::size_t>(FigureRow::SentPH)]))
        .Add("region", JsonString(FryRegionName(fry->region)))
        .Add("zone", zoneOrNull(fry->region == FryRegion::Zone ? std::optional<int>(fry->zone)
                                                               : std::nullopt))
        .Add("college", JsonBool(fry->region == FryRegion::Zone && fry->zone > kFryLastGradeZone))
        .Add("nearBoundary", JsonBool(fry->nearBoundary))
        .Add("reading", JsonString(FryGradeText(fry)))
        .Add("otherZone", zoneOrNull(fry->otherZone))
        .Text();
}

std::string SentencesJson(const std::vector<TextReport::Sentence>& sentences,
                          std::string_view place) {
    return JsonArray(sentences, [place](const TextReport::Sentence& sentence) {
        JsonObject object;
        object.Add("text", JsonString(sentence.text))
            .Add("line", std::to_string(sentence.line))
            .Add("column", std::to_string(sentence.column))
            .Add("words", std::to_string(sentence.words))
            .Add("difficultWords", std::to_string(sentence.difficultWords));
        if (sentence.grade)
            object.Add("grade", JsonNumber(*sentence.grade));
        object.Add("place", JsonString(place));
        return object.Text();
    });
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
    const auto& score = IndexValue(report, ExtraIndex::DaleChall);
    return score ? std::string(DaleChallGradeBand(*score)) : std::string();
}

std::string CsvNumber(const std::optional<double>& value) {
    return value ? FormatFigure(*value, ".") : std::string();
}

// The first column (the name) and the last (the error) hold text from outside;
// every other one is ours.
std::string CsvRow(const std::vector<std::string>& fields) {
    std::string row;
    for (std::size_t i = 0; i < fields.size(); ++i) {
        if (i > 0)
            row += ',';
        row += i == 0 || i + 1 == fields.size() ? CsvTextField(fields[i]) : CsvField(fields[i]);
    }
    return row + "\r\n";
}

// The name's bytes, when they are not UTF-8 and JSON could only hold them
// with replacement characters.
std::optional<std::string> NameBytes(std::string_view name) {
    if (IsValidUtf8(name))
        return std::nullopt;
    return QByteArray(name.data(), static_cast<qsizetype>(name.size())).toBase64().toStdString();
}

} // namespace

double ShortestSingle(double value) {
    char buffer[32];
    const auto written = std::to_chars(buffer, buffer + sizeof buffer, static_cast<float>(value));
    double shortest = 0;
    std::from_chars(buffer, written.ptr, shortest);
    return shortest;
}

std::string ResultJsonLine(const TextReport& report) {
    JsonObject counts;
    for (const FigureRow row : kCountRows) {
        const auto i = static_cast<std::size_t>(row);
        counts.Add(kFigureKeys[i], JsonNumber(*report.values[i]));
    }
    JsonObject figures;
    JsonObject texts;
    for (std::size_t row = 0; row < kFigureRows; ++row) {
        figures.Add(kFigureKeys[row], JsonNumber(FigureValue(report, row)));
        texts.Add(kFigureKeys[row], JsonString(report.figures.texts[row]));
    }

    JsonObject object;
    object.Add("name", JsonString(report.name));
    if (const std::optional<std::string> bytes = NameBytes(report.name))
        object.Add("nameBytes", JsonString(*bytes));
    object.Add("rules", JsonString(report.rules));
    if (!report.warnings.empty())
        object.Add("warnings", JsonArray(report.warnings, [](const std::string& warning) {
                       return JsonString(warning);
                   }));
    object.Add("looksLikeProse", JsonBool(LooksLikeProse(report.counts)));
    object.Add("figures", figures.Text());
    object.Add("reportTexts", texts.Text());
    object.Add("unknownWords", JsonArray(report.unknownWords, [](const UnknownWord& word) {
                   return JsonObject()
                       .Add("word", JsonString(word.word))
                       .Add("occurrences", std::to_string(word.occurrences))
                       .Add("syllables", std::to_string(word.syllables))
                       .Text();
               }));
    object.Add("fry", FryJson(report.fry, report.values));
    if (report.hasIndices) {
        for (const IndexCountColumn& column : kIndexCountColumns)
            counts.Add(column.key,
                       JsonNumber(static_cast<double>(column.value(report.indexCounts))));
        JsonObject indices;
        for (std::size_t i = 0; i < kExtraIndices; ++i) {
            indices.Add(kExtraIndexInfo[i].key, JsonNumber(report.indices[i]));
            if (i == static_cast<std::size_t>(ExtraIndex::DaleChall))
                indices.Add(kOldDaleChallKey, JsonNumber(report.indices[i]));
        }
        object.Add("indices", indices.Text());
        const std::string grades = DaleChallGrades(report);
        object.Add("daleChallGrades", grades.empty() ? "null" : JsonString(grades));
        object.Add("consensusRange", report.consensusRange
                                         ? JsonObject()
                                               .Add("low", JsonNumber(report.consensusRange->low))
                                               .Add("high", JsonNumber(report.consensusRange->high))
                                               .Text()
                                         : "null");
    }
    object.Add("counts", counts.Text());
    if (report.words)
        object.Add("words", JsonArray(*report.words, [](const WordRow& row) {
                       return JsonObject()
                           .Add("word", JsonString(row.word))
                           .Add("syllables", std::to_string(row.syllables))
                           .Add("occurrences", std::to_string(row.occurrences))
                           .Add("source", JsonString(WordSourceName(row.source)))
                           .Text();
                   }));
    if (report.longestSentences)
        object.Add("longestSentences", SentencesJson(*report.longestSentences, report.place));
    if (report.mostDifficultSentences)
        object.Add("mostDifficultSentences",
                   SentencesJson(*report.mostDifficultSentences, report.place));
    if (report.checks)
        object.Add(
            "checks", JsonArray(*report.checks, [&report](const TextReport::Finding& finding) {
                return JsonObject()
                    .Add("rule", JsonString(CheckRuleId(finding.rule)))
                    .Add("line", std::to_string(finding.line))
                    .Add("column", std::to_string(finding.column))
                    .Add("place", JsonString(report.place))
                    .Add("length", std::to_string(finding.characters))
                    .Add("message", JsonString(finding.message))
                    .Add("suggestion",
                         finding.suggestion.empty() ? "null" : JsonString(finding.suggestion))
                    .Text();
            }));
    if (report.sentencesToShortenFirst)
        object.Add("sentencesToShortenFirst",
                   SentencesJson(*report.sentencesToShortenFirst, report.place));
    return object.Text();
}

std::string FailureJsonLine(const std::string& name, const std::string& error,
                            std::string_view rules) {
    JsonObject object;
    object.Add("name", JsonString(name));
    if (const std::optional<std::string> bytes = NameBytes(name))
        object.Add("nameBytes", JsonString(*bytes));
    object.Add("rules", JsonString(rules));
    object.Add("error", JsonString(error));
    return object.Text();
}

std::string IndentedJson(std::string_view compact) {
    std::string out;
    out.reserve(compact.size() * 2);
    std::size_t depth = 0;
    const auto newLine = [&out](std::size_t level) {
        out += '\n';
        out.append(4 * level, ' ');
    };
    bool inString = false;
    for (std::size_t i = 0; i < compact.size(); ++i) {
        const char c = compact[i];
        if (inString) {
            out += c;
            if (c == '\\' && i + 1 < compact.size())
                out += compact[++i]; // an escaped quote does not end the string
            else if (c == '"')
                inString = false;
            continue;
        }
        switch (c) {
        case '"':
            inString = true;
            out += c;
            break;
        case '{':
        case '[':
            out += c;
            ++depth;
            // An empty object or array still opens a line of its own: "[\n]".
            if (i + 1 < compact.size() && (compact[i + 1] == '}' || compact[i + 1] == ']'))
                out += '\n';
            else
                newLine(depth);
            break;
        case '}':
        case ']':
            --depth;
            if (compact[i - 1] == '{' || compact[i - 1] == '[')
                out.append(4 * depth, ' ');
            else
                newLine(depth);
            out += c;
            break;
        case ',':
            out += c;
            newLine(depth);
            break;
        case ':':
            out += ": ";
            break;
        default:
            out += c;
        }
    }
    return out + '\n';
}

std::string IndentedJsonArray(const std::vector<std::string>& compactValues) {
    std::string array = "[";
    for (const std::string& value : compactValues) {
        if (array.size() > 1)
            array += ',';
        array += value;
    }
    return IndentedJson(array + ']');
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

std::string CsvTextField(std::string_view text) {
    // "-" is standard input's name and no formula.
    if (text.empty() || text == "-" ||
        std::string_view("=+-@\t\r").find(text.front()) == std::string_view::npos)
        return CsvField(text);
    std::string quoted = "\"'";
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

namespace {

// A file name as a relative URI reference: unreserved bytes and "/" as they
// are, every other byte percent-encoded.
std::string UriOf(std::string_view name) {
    static constexpr char kHex[] = "0123456789ABCDEF";
    std::string uri;
    for (const char c : name) {
        const auto u = static_cast<unsigned char>(c);
        if ((u >= 'a' && u <= 'z') || (u >= 'A' && u <= 'Z') || (u >= '0' && u <= '9') ||
            c == '-' || c == '.' || c == '_' || c == '~' || c == '/') {
            uri += c;
        } else {
            uri += '%';
            uri += kHex[u >> 4];
            uri += kHex[u & 15];
        }
    }
    return uri;
}

std::string SarifRule(std::string_view id, std::string_view description) {
    return JsonObject()
        .Add("id", JsonString(id))
        .Add("shortDescription", JsonObject().Add("text", JsonString(description)).Text())
        .Text();
}

std::string SarifResultJson(const SarifResult& result) {
    JsonObject physical;
    physical.Add("artifactLocation",
                 JsonObject().Add("uri", JsonString(UriOf(result.file))).Text());
    JsonObject object;
    if (result.place == "line") {
        physical.Add("region", JsonObject()
                                   .Add("startLine", std::to_string(std::max(result.line, 1)))
                                   .Add("startColumn", std::to_string(std::max(result.column, 1)))
                                   .Text());
    } else {
        object.Add("properties", JsonObject()
                                     .Add("place", JsonString(result.place))
                                     .Add("number", std::to_string(result.line))
                                     .Text());
    }
    const bool grade = result.ruleId == kGradeRuleId;
    return object.Add("ruleId", JsonString(result.ruleId))
        .Add("level", JsonString(grade ? "error" : "warning"))
        .Add("message", JsonObject().Add("text", JsonString(result.message)).Text())
        .Add("locations", "[" + JsonObject().Add("physicalLocation", physical.Text()).Text() + "]")
        .Text();
}

} // namespace

std::string SarifLog(std::string_view version, const std::vector<SarifResult>& results) {
    std::vector<std::string> rules = {
        SarifRule(kGradeRuleId, "a text whose grade is above the limit set for it")};
    for (const CheckRuleInfo& rule : CheckRules())
        rules.push_back(SarifRule(rule.id, rule.description));
    const std::string driver =
        JsonObject()
            .Add("name", JsonString("scrivolux-cli"))
            .Add("version", JsonString(version))
            .Add("rules", JsonArray(rules, [](const std::string& rule) { return rule; }))
            .Text();
    const std::string run = JsonObject()
                                .Add("tool", JsonObject().Add("driver", driver).Text())
                                .Add("columnKind", JsonString("unicodeCodePoints"))
                                .Add("results", JsonArray(results, SarifResultJson))
                                .Text();
    return JsonObject()
        .Add("$schema", JsonString("https://json.schemastore.org/sarif-2.1.0.json"))
        .Add("version", JsonString("2.1.0"))
        .Add("runs", "[" + run + "]")
        .Text();
}
