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
void AppendJsonString(std::string& out, std::string_view utf8) {
    out += '"';
    std::size_t run = 0; // the start of the bytes not yet copied
    for (std::size_t i = 0; i < utf8.size(); ++i) {
        const char c = utf8[i];
        const auto u = static_cast<unsigned char>(c);
        if (u >= 0x20 && c != '"' && c != '\\')
            continue;
        out.append(utf8.data() + run, i - run);
        run = i + 1;
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
    out.append(utf8.data() + run, utf8.size() - run);
    out += '"';
}

// The shortest decimal that reads back as the value, in the shorter of the
// plain and the exponent form (the plain one when they are as long). That is
// to_chars' own choice, but for a plain form longer than the shortest digits:
// to_chars writes 12345678901234567168 where Qt writes 12345678901234567000.
void AppendJsonReal(std::string& out, double value) {
    char buffer[40];
    if (std::abs(value) < 1e16) {
        const auto written = std::to_chars(buffer, buffer + sizeof buffer, value);
        out.append(buffer, written.ptr);
        return;
    }
    const auto written =
        std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::scientific);
    std::string_view text(buffer, static_cast<std::size_t>(written.ptr - buffer));
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
    // From 1e16 up every double is whole: the point never falls inside the digits.
    const std::size_t plainLength = static_cast<std::size_t>(exponent) + 1;
    if (text.size() < plainLength) {
        out += text;
        return;
    }
    out += digits;
    out.append(plainLength - digits.size(), '0');
}

void AppendJsonInteger(std::string& out, std::int64_t value) {
    char buffer[24];
    const auto written = std::to_chars(buffer, buffer + sizeof buffer, value);
    out.append(buffer, written.ptr);
}

// Text that is not UTF-8 (a file name) becomes what Qt makes of it.
void PutString(ObjectSink& sink, std::string_view text) {
    if (IsValidUtf8(text))
        sink.String(text);
    else
        sink.String(Q(text).toStdString());
}

// A whole number that fits a 64-bit integer is written as one.
void PutNumber(ObjectSink& sink, double value) {
    if (!std::isfinite(value))
        sink.Null();
    else if (value == std::trunc(value) && std::abs(value) < 9.2e18)
        sink.Integer(static_cast<std::int64_t>(value));
    else
        sink.Real(value);
}

void PutNumber(ObjectSink& sink, const std::optional<double>& value) {
    if (value)
        PutNumber(sink, *value);
    else
        sink.Null();
}

// Compact JSON text, appended to a string.
class JsonTextSink final : public ObjectSink {
public:
    explicit JsonTextSink(std::string& out) : out_(out) {}
    void BeginObject() override {
        Separate();
        out_ += '{';
        comma_ = false;
    }
    void EndObject() override {
        out_ += '}';
        comma_ = true;
    }
    void BeginArray() override {
        Separate();
        out_ += '[';
        comma_ = false;
    }
    void EndArray() override {
        out_ += ']';
        comma_ = true;
    }
    void Key(std::string_view key) override {
        out_.append(",\"" + (comma_ ? 0 : 1), comma_ ? 2 : 1);
        out_.append(key.data(), key.size());
        out_.append("\":", 2);
        comma_ = false;
    }
    void String(std::string_view utf8) override {
        Separate();
        AppendJsonString(out_, utf8);
    }
    void Integer(std::int64_t value) override {
        Separate();
        AppendJsonInteger(out_, value);
    }
    void Real(double value) override {
        Separate();
        AppendJsonReal(out_, value);
    }
    void Bool(bool value) override {
        Separate();
        out_ += value ? "true" : "false";
    }
    void Null() override {
        Separate();
        out_ += "null";
    }

private:
    // A comma before each value or key but the first of its object or array.
    void Separate() {
        if (comma_)
            out_ += ',';
        comma_ = true;
    }

    std::string& out_;
    bool comma_ = false;
};

std::string JsonString(std::string_view text) {
    std::string out;
    JsonTextSink sink(out);
    PutString(sink, text);
    return out;
}

// An object's members, added in any order, written in the order of their keys
// (for the SARIF log, whose objects are few).
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

// The members below are put in the order of their keys by hand, as a reader
// of the object finds them; the tables' keys are sorted once.

void PutZone(ObjectSink& sink, const std::optional<int>& zone) {
    if (zone)
        sink.Integer(*zone);
    else
        sink.Null();
}

void PutFry(ObjectSink& sink, const std::optional<FryReading>& fry, const ReportValues& values) {
    if (!fry) {
        sink.Null();
        return;
    }
    const bool inZone = fry->region == FryRegion::Zone;
    sink.BeginObject();
    sink.Key("college");
    sink.Bool(inZone && fry->zone > kFryLastGradeZone);
    sink.Key("nearBoundary");
    sink.Bool(fry->nearBoundary);
    sink.Key("otherZone");
    PutZone(sink, fry->otherZone);
    sink.Key("reading");
    PutString(sink, FryGradeText(fry));
    sink.Key("region");
    PutString(sink, FryRegionName(fry->region));
    sink.Key("sentencesPer100Words");
    PutNumber(sink, *values[static_cast<std::size_t>(FigureRow::SentPH)]);
    sink.Key("syllablesPer100Words");
    PutNumber(sink, *values[static_cast<std::size_t>(FigureRow::SyllPH)]);
    sink.Key("zone");
    PutZone(sink, inZone ? std::optional<int>(fry->zone) : std::nullopt);
    sink.EndObject();
}

void PutSentences(ObjectSink& sink, const std::vector<TextReport::Sentence>& sentences,
                  std::string_view place) {
    sink.BeginArray();
    for (const TextReport::Sentence& sentence : sentences) {
        sink.BeginObject();
        sink.Key("column");
        sink.Integer(sentence.column);
        sink.Key("difficultWords");
        sink.Integer(sentence.difficultWords);
        if (sentence.grade) {
            sink.Key("grade");
            PutNumber(sink, *sentence.grade);
        }
        sink.Key("line");
        sink.Integer(sentence.line);
        sink.Key("place");
        PutString(sink, place);
        sink.Key("text");
        PutString(sink, sentence.text);
        sink.Key("words");
        sink.Integer(sentence.words);
        sink.EndObject();
    }
    sink.EndArray();
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

// A member of a table's object: its key and where its value comes from (a
// row, an index or a column of the tables above).
struct TableMember {
    std::string_view key;
    std::size_t source = 0;
    bool indexCount = false; // counts: a column of kIndexCountColumns, else a figure row
};

template <std::size_t N>
std::array<TableMember, N> SortedByKey(std::array<TableMember, N> members) {
    std::sort(members.begin(), members.end(),
              [](const TableMember& a, const TableMember& b) { return a.key < b.key; });
    return members;
}

// The twelve figures' keys, for "figures" and "reportTexts".
const std::array<TableMember, kFigureRows>& FigureMembers() {
    static const auto members = [] {
        std::array<TableMember, kFigureRows> unsorted;
        for (std::size_t row = 0; row < kFigureRows; ++row)
            unsorted[row] = {kFigureKeys[row], row};
        return SortedByKey(unsorted);
    }();
    return members;
}

// "counts": the four counts of the report and, with the further indices, the
// counts behind them.
const std::array<TableMember, kCountRows.size() + kIndexCountColumns.size()>& CountMembers() {
    static const auto members = [] {
        std::array<TableMember, kCountRows.size() + kIndexCountColumns.size()> unsorted;
        std::size_t i = 0;
        for (const FigureRow row : kCountRows) {
            const auto r = static_cast<std::size_t>(row);
            unsorted[i++] = {kFigureKeys[r], r};
        }
        for (std::size_t c = 0; c < kIndexCountColumns.size(); ++c)
            unsorted[i++] = {kIndexCountColumns[c].key, c, true};
        return SortedByKey(unsorted);
    }();
    return members;
}

// "indices": each further index, and Dale-Chall under its old key too.
const std::array<TableMember, kExtraIndices + 1>& IndexMembers() {
    static const auto members = [] {
        std::array<TableMember, kExtraIndices + 1> unsorted;
        for (std::size_t i = 0; i < kExtraIndices; ++i)
            unsorted[i] = {kExtraIndexInfo[i].key, i};
        unsorted[kExtraIndices] = {kOldDaleChallKey,
                                   static_cast<std::size_t>(ExtraIndex::DaleChall)};
        return SortedByKey(unsorted);
    }();
    return members;
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

std::string_view DaleChallGrades(const TextReport& report) {
    const auto& score = IndexValue(report, ExtraIndex::DaleChall);
    return score ? DaleChallGradeBand(*score) : std::string_view();
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

// The name and, when it is not UTF-8 and JSON could only hold it with
// replacement characters, its bytes.
void PutName(ObjectSink& sink, std::string_view name) {
    sink.Key("name");
    PutString(sink, name);
    if (IsValidUtf8(name))
        return;
    sink.Key("nameBytes");
    sink.String(
        QByteArray(name.data(), static_cast<qsizetype>(name.size())).toBase64().toStdString());
}

void PutCounts(ObjectSink& sink, const TextReport& report) {
    sink.BeginObject();
    for (const TableMember& member : CountMembers()) {
        if (member.indexCount && !report.hasIndices)
            continue;
        sink.Key(member.key);
        if (member.indexCount)
            sink.Integer(kIndexCountColumns[member.source].value(report.indexCounts));
        else
            PutNumber(sink, *report.values[member.source]);
    }
    sink.EndObject();
}

void PutChecks(ObjectSink& sink, const TextReport& report) {
    sink.BeginArray();
    for (const TextReport::Finding& finding : *report.checks) {
        sink.BeginObject();
        sink.Key("column");
        sink.Integer(finding.column);
        sink.Key("length");
        sink.Integer(finding.characters);
        sink.Key("line");
        sink.Integer(finding.line);
        sink.Key("message");
        PutString(sink, finding.message);
        sink.Key("place");
        PutString(sink, report.place);
        sink.Key("rule");
        PutString(sink, CheckRuleId(finding.rule));
        sink.Key("suggestion");
        if (finding.suggestion.empty())
            sink.Null();
        else
            PutString(sink, finding.suggestion);
        sink.EndObject();
    }
    sink.EndArray();
}

void PutIndices(ObjectSink& sink, const TextReport& report) {
    sink.BeginObject();
    for (const TableMember& member : IndexMembers()) {
        sink.Key(member.key);
        PutNumber(sink, report.indices[member.source]);
    }
    sink.EndObject();
}

void PutWords(ObjectSink& sink, const std::vector<WordRow>& words) {
    sink.BeginArray();
    for (const WordRow& row : words) {
        sink.BeginObject();
        sink.Key("occurrences");
        sink.Integer(row.occurrences);
        sink.Key("source");
        PutString(sink, WordSourceName(row.source));
        sink.Key("syllables");
        sink.Integer(row.syllables);
        sink.Key("word");
        PutString(sink, row.word);
        sink.EndObject();
    }
    sink.EndArray();
}

void PutUnknownWords(ObjectSink& sink, const std::vector<UnknownWord>& words) {
    sink.BeginArray();
    for (const UnknownWord& word : words) {
        sink.BeginObject();
        sink.Key("occurrences");
        sink.Integer(word.occurrences);
        sink.Key("syllables");
        sink.Integer(word.syllables);
        sink.Key("word");
        PutString(sink, word.word);
        sink.EndObject();
    }
    sink.EndArray();
}

} // namespace

double ShortestSingle(double value) {
    char buffer[32];
    const auto written = std::to_chars(buffer, buffer + sizeof buffer, static_cast<float>(value));
    double shortest = 0;
    std::from_chars(buffer, written.ptr, shortest);
    return shortest;
}

void DescribeResult(const TextReport& report, ObjectSink& sink) {
    sink.BeginObject();
    if (report.checks) {
        sink.Key("checks");
        PutChecks(sink, report);
    }
    if (report.hasIndices) {
        sink.Key("consensusRange");
        if (report.consensusRange) {
            sink.BeginObject();
            sink.Key("high");
            PutNumber(sink, report.consensusRange->high);
            sink.Key("low");
            PutNumber(sink, report.consensusRange->low);
            sink.EndObject();
        } else {
            sink.Null();
        }
    }
    sink.Key("counts");
    PutCounts(sink, report);
    if (report.hasIndices) {
        sink.Key("daleChallGrades");
        const std::string_view grades = DaleChallGrades(report);
        if (grades.empty())
            sink.Null();
        else
            PutString(sink, grades);
    }
    sink.Key("figures");
    sink.BeginObject();
    for (const TableMember& member : FigureMembers()) {
        sink.Key(member.key);
        PutNumber(sink, FigureValue(report, member.source));
    }
    sink.EndObject();
    sink.Key("fry");
    PutFry(sink, report.fry, report.values);
    if (report.hasIndices) {
        sink.Key("indices");
        PutIndices(sink, report);
    }
    if (report.longestSentences) {
        sink.Key("longestSentences");
        PutSentences(sink, *report.longestSentences, report.place);
    }
    sink.Key("looksLikeProse");
    sink.Bool(LooksLikeProse(report.counts));
    if (report.mostDifficultSentences) {
        sink.Key("mostDifficultSentences");
        PutSentences(sink, *report.mostDifficultSentences, report.place);
    }
    PutName(sink, report.name);
    sink.Key("reportTexts");
    sink.BeginObject();
    for (const TableMember& member : FigureMembers()) {
        sink.Key(member.key);
        PutString(sink, report.figures.texts[member.source]);
    }
    sink.EndObject();
    sink.Key("rules");
    PutString(sink, report.rules);
    if (report.sentencesToShortenFirst) {
        sink.Key("sentencesToShortenFirst");
        PutSentences(sink, *report.sentencesToShortenFirst, report.place);
    }
    sink.Key("unknownWords");
    PutUnknownWords(sink, report.unknownWords);
    if (!report.warnings.empty()) {
        sink.Key("warnings");
        sink.BeginArray();
        for (const std::string& warning : report.warnings)
            PutString(sink, warning);
        sink.EndArray();
    }
    if (report.words) {
        sink.Key("words");
        PutWords(sink, *report.words);
    }
    sink.EndObject();
}

void DescribeFailure(std::string_view name, std::string_view error, std::string_view rules,
                     ObjectSink& sink) {
    sink.BeginObject();
    sink.Key("error");
    PutString(sink, error);
    PutName(sink, name);
    sink.Key("rules");
    PutString(sink, rules);
    sink.EndObject();
}

void AppendResultJsonLine(const TextReport& report, std::string& out) {
    JsonTextSink sink(out);
    DescribeResult(report, sink);
}

std::string ResultJsonLine(const TextReport& report) {
    std::string line;
    AppendResultJsonLine(report, line);
    return line;
}

std::string FailureJsonLine(const std::string& name, const std::string& error,
                            std::string_view rules) {
    std::string line;
    JsonTextSink sink(line);
    DescribeFailure(name, error, rules, sink);
    return line;
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
    fields.emplace_back(DaleChallGrades(report));
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
