#pragma once

// The one place where a text's report becomes JSON and CSV. scrivolux-cli's
// json and jsonl formats write ResultJsonLine's object (json indented),
// and any other front end that promises "the same object as the command line"
// must build it here too, so that the schema cannot drift apart.
//
// The object's keys are lowerCamelCase: name, nameBytes (only for a name that is
// not UTF-8: its exact bytes in base64, as "name" holds U+FFFD for each byte
// that does not decode), rules, looksLikeProse, counts, figures (the
// twelve report figures as numbers, null where the report shows "----"),
// reportTexts (the same twelve as the report's exact texts), indices,
// daleChallGrades, consensusRange, fry, unknownWords, and with the words and
// sentences when the report holds them. The three single-precision figures are
// written in their shortest form (-0.7238889, not -0.723888874053955).

#include "report/Choices.h"
#include "report/TextReport.h"

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

// How the reports of a run are written.
enum class OutputFormat {
    Text,      // the twelve clipboard lines per file (TextReport.h)
    Json,      // one JSON document (an array for several files)
    JsonLines, // one JSON object per line per file
    Csv,       // a header row and one row per file
    Sarif,     // one SARIF 2.1.0 log: the grade failures and the checks' findings
};

inline constexpr std::array<Choice<OutputFormat>, 5> kOutputFormats = {{
    {"text", OutputFormat::Text, "the twelve report lines"},
    {"json", OutputFormat::Json, "one document"},
    {"jsonl", OutputFormat::JsonLines, "one JSON object per line per file"},
    {"csv", OutputFormat::Csv, "a header row and one row per file, for spreadsheets"},
    {"sarif", OutputFormat::Sarif, "one SARIF 2.1.0 log of the grade failures and findings"},
}};

// The rule id of a text above its grade limit in SARIF, beside the checks' ids.
inline constexpr std::string_view kGradeRuleId = "grade";

// One result of a SARIF log: a rule broken at a place of a file.
struct SarifResult {
    std::string ruleId; // kGradeRuleId or a check's id
    std::string file;   // as named on the command line
    std::string message;
    std::string place = "line"; // "line", "paragraph" or "page"
    std::int32_t line = 1;      // the line, paragraph or page, from 1
    std::int32_t column = 1;    // from 1, in code points
};

// The SARIF 2.1.0 log of one run: one run of the tool, its rules (the grade,
// then the checks' table) and the results in order. A line place is a region
// whose columns count code points; a paragraph or a page is named in the
// result's properties. File names are relative URIs, their bytes
// percent-encoded where a URI needs it. No results give an empty list.
std::string SarifLog(std::string_view version, const std::vector<SarifResult>& results);

// Where the report's object goes, value by value: JSON text (ResultJsonLine) or
// another language's own objects (the Python module's dicts), from the one
// description of the object, DescribeResult, so that the two cannot drift apart.
// An object's members come in the order of their keys, a key before each
// value. Strings are always UTF-8; a number that is whole and fits 64 bits
// comes as an integer, one that is not finite as null.
class ObjectSink {
public:
    virtual ~ObjectSink() = default;
    virtual void BeginObject() = 0;
    virtual void EndObject() = 0;
    virtual void BeginArray() = 0;
    virtual void EndArray() = 0;
    virtual void Key(std::string_view key) = 0;
    virtual void String(std::string_view utf8) = 0;
    virtual void Integer(std::int64_t value) = 0;
    virtual void Real(double value) = 0; // finite and not whole
    virtual void Bool(bool value) = 0;
    virtual void Null() = 0;
};

// The report's object, described below, into sink.
void DescribeResult(const TextReport& report, ObjectSink& sink);
// The object of a text that could not be read (FailureJsonLine), into sink.
void DescribeFailure(std::string_view name, std::string_view error, std::string_view rules,
                     ObjectSink& sink);

// The object as one line of compact JSON, exactly as QJsonDocument writes it
// (keys in order, no spaces), at a fraction of the cost: for JSON Lines.
std::string ResultJsonLine(const TextReport& report);
// The same line appended to out, which a batch reuses from file to file.
void AppendResultJsonLine(const TextReport& report, std::string& out);

// The object that stands for a text that could not be read, on one line as
// above: name, rules, error, and nameBytes as above.
std::string FailureJsonLine(const std::string& name, const std::string& error,
                            std::string_view rules = "classic");

// One compact JSON value (as the two above write it) laid out as
// QJsonDocument's indented form writes it: four spaces a level, ": " after a
// key, each member and item on its own line, a line break at the end.
std::string IndentedJson(std::string_view compact);
// The values as one indented JSON array: "[\n]\n" when there are none.
std::string IndentedJsonArray(const std::vector<std::string>& compactValues);

// The double nearest to the shortest decimal that reads back as the float
// value: JSON writers print it as that decimal. 0 gives 0.
double ShortestSingle(double value);

// CSV for spreadsheets, with the JSON's names as columns: one header row, one
// row per file (a file that could not be read has its name, the rules and the
// error, every figure empty). Numbers follow the report's rule with a full stop.
// Fields are quoted when they hold a comma, a quote or a line break, quotes
// doubled; each row ends in CR LF. A name or an error that a spreadsheet would
// take for a formula is kept as text (CsvTextField). Names are written as their
// bytes, UTF-8 or not.
std::string CsvHeader();
std::string ResultCsvRow(const TextReport& report);
std::string FailureCsvRow(const std::string& name, const std::string& error,
                          std::string_view rules = "classic");
std::string CsvField(std::string_view text);
// A field of text from outside (a file name, an error): one that begins with
// = + - @, a tab or a carriage return is quoted behind a single quote, so that
// a spreadsheet shows it rather than runs it ("=1+1" -> "'=1+1"). "-" alone,
// standard input's name, is left as it is.
std::string CsvTextField(std::string_view text);
