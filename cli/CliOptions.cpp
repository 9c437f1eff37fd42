#include "cli/CliOptions.h"

#include "text/FileName.h"

#include <QCommandLineParser>
#include <QCoreApplication>

#include <algorithm>
#include <cctype>
#include <cmath>

namespace {

const char* const kDescription =
    "Readability statistics for English text: syllables, words and sentences, their\n"
    "averages, Fry's graph, the Gunning-Fog index, Flesch Reading Ease and the\n"
    "Flesch-Kincaid grade level. Reads each FILE, or standard input when there is\n"
    "none or FILE is \"-\".\n"
    "\n"
    "When asked about a word, answer with its syllable count (continue using the\n"
    "given count), \"a\" and the count (continue and add the word to the user\n"
    "dictionary) or \"i\" (ignore the word: 0 syllables). At the end of input every\n"
    "further word is ignored.\n"
    "\n"
    "Exit status: 0 when every file was analysed, 1 for a usage error, 2 when a\n"
    "file could not be read (the others are still reported), 3 when no dictionary\n"
    "file could be read, 4 when a file is above --max-grade, 5 with --fail-on-checks\n"
    "when a check found something and nothing else failed.\n"
    "\n"
    "A FILE that names a folder with a slash at the end (docs/) stands for the files\n"
    "under it in the formats read (txt, md, markdown, html, htm, docx, odt, pdf), in\n"
    "name order, hidden folders and files left out.";

// An option of the command line; one that takes a value names it.
struct OptionDefinition {
    const char* name;
    std::string help;
    std::string valueName;
};

std::vector<OptionDefinition> OptionDefinitions() {
    return {
        {"json",
         "Write one JSON document instead of the report text (an array for several files); the "
         "same as --format=json.",
         {}},
        {"format", "Write the reports as " + ChoiceList(kOutputFormats, true) + ".",
         ChoiceNames(kOutputFormats)},
        {"words",
         "Also list every distinct word with its syllables, occurrences and where its count came "
         "from (not with csv).",
         {}},
        {"sentences",
         "Also list the <n> longest sentences and the <n> with the most difficult words, each "
         "with the line it starts on (not with csv).",
         "n"},
        {"dictionary", "Read the word list from <file> instead of cuvplus.dat beside the program.",
         "file"},
        {"custom", "Use <file> as the user dictionary (read, and added to by --unknown=ask).",
         "file"},
        {"unknown",
         "What to do with a word that the dictionary lacks: " + ChoiceList(kUnknownModes, true) +
             ". Default: ask when standard input and standard error are terminals and the text "
             "comes from files, estimate otherwise.",
         ChoiceNames(kUnknownModes)},
        {"format-in",
         "Read every input as this format instead of telling it from the file's content and "
         "extension (standard input is otherwise text): " +
             ChoiceList(kInputFormats, true) + ".",
         ChoiceNames(kInputFormats)},
        {"rules",
         "Count words and sentences by these rules: " + ChoiceList(kCountingRules, true) + ".",
         ChoiceNames(kCountingRules)},
        {"max-grade",
         "Exit with status 4 when a file's grade (see --grade-index) is above <n>, naming each "
         "such file and its grade on standard error. With the text format, each such file is "
         "listed as FILE:LINE:COL lines, its grade first and then the sentences that raise it "
         "most (--sentences, 3 by default), and a summary closes the run.",
         "n"},
        {"quiet", "With --max-grade, print only the files above the grade and the summary.", {}},
        {"checks",
         "Run the writing checks and list their findings as FILE:LINE:COL: RULE message "
         "(suggestion); JSON carries them as \"checks\".",
         {}},
        {"config",
         "Read the settings of every file from <file> instead of the nearest .scrivolux.toml or "
         "pyproject.toml ([tool.scrivolux]) from its folder upward; options given here win.",
         "file"},
        {"no-config", "Read no configuration file.", {}},
        {"fail-on-checks",
         "Exit with status 5 when a check finds something and nothing else failed.",
         {}},
        {"grade-index",
         "The grade that --max-grade holds the files to: " + ChoiceList(kGradeIndices, true) + ".",
         "index"},
    };
}

QString Q(const std::string& text) {
    return QString::fromStdString(text);
}

// The options' values once parsed, read one kind at a time. The first value
// that is wrong is the usage error; a repeated option takes its last value,
// as most tools do.
class OptionValues {
public:
    explicit OptionValues(const QCommandLineParser& parser) : parser_(parser) {}

    std::optional<QString> Last(const char* name) const {
        const QString option = QLatin1String(name);
        if (!parser_.isSet(option))
            return std::nullopt;
        return parser_.values(option).constLast();
    }

    // A name of the table; parse may take more names than the table lists.
    template <typename Value, std::size_t N, typename Parse>
    void Choose(const char* name, const std::array<Choice<Value>, N>& table, Parse parse,
                Value& into) {
        if (const auto value = Last(name)) {
            if (const std::optional<Value> chosen = parse(value->toStdString()))
                into = *chosen;
            else
                Invalid(name, *value, "use " + ChoiceList(table));
        }
    }
    template <typename Value, std::size_t N>
    void Choose(const char* name, const std::array<Choice<Value>, N>& table, Value& into) {
        Choose(
            name, table, [&table](const std::string& v) { return ChoiceNamed(table, v); }, into);
    }

    void Count(const char* name, int& into) {
        if (const auto value = Last(name)) {
            bool ok = false;
            const int n = value->toInt(&ok);
            if (ok && n >= 0)
                into = n;
            else
                Invalid(name, *value, "use a number of 0 or more");
        }
    }

    void Number(const char* name, std::optional<double>& into) {
        if (const auto value = Last(name)) {
            bool ok = false;
            const double number = value->toDouble(&ok);
            if (ok && std::isfinite(number))
                into = number;
            else
                Invalid(name, *value, "use a number");
        }
    }

    void Path(const char* name, std::optional<std::string>& into) const {
        if (const auto value = Last(name))
            into = FileNameBytes(*value);
    }

    void Fail(const QString& message) {
        if (!error_)
            error_ = message;
    }
    const std::optional<QString>& Error() const { return error_; }

private:
    void Invalid(const char* name, const QString& value, const std::string& hint) {
        Fail(QStringLiteral("Invalid value for --%1: '%2' (%3).")
                 .arg(QLatin1String(name), value, Q(hint)));
    }

    const QCommandLineParser& parser_;
    std::optional<QString> error_;
};

ParsedCommandLine Answer(ParsedCommandLine::Action action, const QString& text) {
    ParsedCommandLine parsed;
    parsed.action = action;
    parsed.text = text.toStdString();
    return parsed;
}

} // namespace

ParsedCommandLine ParseCommandLine(const QStringList& arguments, TerminalState terminal) {
    using Action = ParsedCommandLine::Action;
    QCommandLineParser parser;
    parser.setApplicationDescription(QLatin1String(kDescription));
    for (const OptionDefinition& option : OptionDefinitions())
        parser.addOption(
            QCommandLineOption(QLatin1String(option.name), Q(option.help), Q(option.valueName)));
    const QCommandLineOption help = parser.addHelpOption();
    const QCommandLineOption version = parser.addVersionOption();
    parser.addPositionalArgument(
        QStringLiteral("FILE"), QStringLiteral("Text files to analyse (\"-\" for standard input)."),
        QStringLiteral("[FILE...]"));

    if (!parser.parse(arguments))
        return Answer(Action::UsageError, parser.errorText());
    if (parser.isSet(help))
        return Answer(Action::ShowHelp, parser.helpText());
    if (parser.isSet(version))
        return Answer(Action::ShowVersion, QCoreApplication::applicationName() + QLatin1Char(' ') +
                                               QCoreApplication::applicationVersion());

    ParsedCommandLine parsed;
    CliOptions& options = parsed.options;
    OptionValues values(parser);
    const bool json = parser.isSet(QStringLiteral("json"));
    if (json)
        options.format = OutputFormat::Json;
    if (const auto format = values.Last("format");
        json && format && *format != QLatin1String("json"))
        values.Fail(QStringLiteral("--json and --format=%1 contradict each other.").arg(*format));
    values.Choose("format", kOutputFormats, options.format);
    options.words = parser.isSet(QStringLiteral("words"));
    values.Count("sentences", options.sentences);
    if (options.format == OutputFormat::Csv && (options.words || options.sentences > 0))
        values.Fail(QStringLiteral("--words and --sentences need the text or a JSON format: a "
                                   "CSV file has one row per file."));
    values.Path("dictionary", options.dictionaryPath);
    values.Path("custom", options.customPath);
    DocumentFormat formatIn = DocumentFormat::Text;
    values.Choose(
        "format-in", kInputFormats,
        [](std::string name) {
            std::transform(name.begin(), name.end(), name.begin(),
                           [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
            return FormatFromName(name);
        },
        formatIn);
    if (parser.isSet(QStringLiteral("format-in")))
        options.formatIn = formatIn;
    for (const OptionDefinition& option : OptionDefinitions()) {
        if (parser.isSet(QLatin1String(option.name)))
            options.given.insert(option.name);
    }
    if (json)
        options.given.insert("format");
    values.Path("config", options.configPath);
    options.noConfig = parser.isSet(QStringLiteral("no-config"));
    if (options.configPath && options.noConfig)
        values.Fail(QStringLiteral("--config and --no-config contradict each other."));
    values.Number("max-grade", options.maxGrade);
    options.quiet = parser.isSet(QStringLiteral("quiet"));
    options.sentencesGiven = parser.isSet(QStringLiteral("sentences"));
    options.failOnChecks = parser.isSet(QStringLiteral("fail-on-checks"));
    options.checks = parser.isSet(QStringLiteral("checks")) || options.failOnChecks;
    values.Choose("grade-index", kGradeIndices, options.gradeIndex);
    values.Choose("rules", kCountingRules, options.rules);

    for (const QString& file : parser.positionalArguments())
        options.inputs.push_back(FileNameBytes(file));
    if (options.inputs.empty())
        options.inputs.push_back("-");
    const auto readsStdin = std::count(options.inputs.begin(), options.inputs.end(), "-");
    options.unknown = terminal.stdinIsTerminal && terminal.stderrIsTerminal && readsStdin == 0
                          ? UnknownMode::Ask
                          : UnknownMode::Estimate;
    values.Choose("unknown", kUnknownModes, options.unknown);
    if (readsStdin > 1)
        values.Fail(QStringLiteral("Standard input (\"-\") can be read only once."));
    if (values.Error())
        return Answer(Action::UsageError, *values.Error());
    return parsed;
}
