#include "cli/CliOptions.h"

#include "text/FileName.h"

#include <QCommandLineParser>
#include <QCoreApplication>

#include <algorithm>
#include <cmath>

namespace {

std::optional<UnknownMode> UnknownModeNamed(const QString& name) {
    if (name == QLatin1String("ask"))
        return UnknownMode::Ask;
    if (name == QLatin1String("zero"))
        return UnknownMode::Zero;
    if (name == QLatin1String("estimate"))
        return UnknownMode::Estimate;
    return std::nullopt;
}

ParsedCommandLine UsageError(const QString& message) {
    ParsedCommandLine parsed;
    parsed.action = ParsedCommandLine::Action::UsageError;
    parsed.text = message.toStdString();
    return parsed;
}

} // namespace

ParsedCommandLine ParseCommandLine(const QStringList& arguments, TerminalState terminal) {
    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral(
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
        "file could be read, 4 when a file is above --max-grade."));
    const QCommandLineOption json(QStringLiteral("json"),
                                  QStringLiteral("Write one JSON document instead of the report "
                                                 "text (an array for several files); the same "
                                                 "as --format=json."));
    const QCommandLineOption format(
        QStringLiteral("format"),
        QStringLiteral("Write the reports as text (the twelve report lines), json (one "
                       "document), jsonl (one JSON object per line per file) or csv (a header "
                       "row and one row per file, for spreadsheets)."),
        QStringLiteral("text|json|jsonl|csv"));
    const QCommandLineOption words(
        QStringLiteral("words"),
        QStringLiteral("Also list every distinct word with its syllables, occurrences and where "
                       "its count came from (not with csv)."));
    const QCommandLineOption sentences(
        QStringLiteral("sentences"),
        QStringLiteral("Also list the <n> longest sentences and the <n> with the most difficult "
                       "words, each with the line it starts on (not with csv)."),
        QStringLiteral("n"));
    const QCommandLineOption dictionary(
        QStringLiteral("dictionary"),
        QStringLiteral("Read the word list from <file> instead of cuvplus.dat beside the program."),
        QStringLiteral("file"));
    const QCommandLineOption custom(
        QStringLiteral("custom"),
        QStringLiteral("Use <file> as the user dictionary (read, and added to by --unknown=ask)."),
        QStringLiteral("file"));
    const QCommandLineOption unknown(
        QStringLiteral("unknown"),
        QStringLiteral("What to do with a word that the dictionary lacks: ask on the terminal, "
                       "count it as zero syllables, or estimate its syllables. Default: ask when "
                       "standard input and standard error are terminals and the text comes from "
                       "files, estimate otherwise."),
        QStringLiteral("ask|zero|estimate"));
    const QCommandLineOption formatIn(
        QStringLiteral("format-in"),
        QStringLiteral("Read every input as this format instead of telling it from the file's "
                       "content and extension (standard input is otherwise text)."),
        QStringLiteral("txt|docx|odt|html|md|pdf"));
    const QCommandLineOption rules(
        QStringLiteral("rules"),
        QStringLiteral("Count words and sentences by the classic rules (every full stop ends a "
                       "sentence, words split at spaces; the default) or the careful ones "
                       "(abbreviations, numbers and addresses end no sentence, headings and list "
                       "items end one, quotes and dashes are no part of words)."),
        QStringLiteral("classic|careful"));
    const QCommandLineOption maxGrade(
        QStringLiteral("max-grade"),
        QStringLiteral("Exit with status 4 when a file's grade (see --grade-index) is above <n>, "
                       "naming each such file and its grade on standard error."),
        QStringLiteral("n"));
    const QCommandLineOption gradeIndex(
        QStringLiteral("grade-index"),
        QStringLiteral("The grade that --max-grade holds the files to: consensus (the median of "
                       "six grades, the default), fk (Flesch-Kincaid), fog (Gunning-Fog), smog, "
                       "cl (Coleman-Liau), ari, linsear (Linsear Write) or dalechall (the highest "
                       "grade of the New Dale-Chall score's band)."),
        QStringLiteral("index"));
    parser.addOptions({json, format, words, sentences, dictionary, custom, unknown, formatIn, rules,
                       maxGrade, gradeIndex});
    const QCommandLineOption help = parser.addHelpOption();
    const QCommandLineOption version = parser.addVersionOption();
    parser.addPositionalArgument(
        QStringLiteral("FILE"), QStringLiteral("Text files to analyse (\"-\" for standard input)."),
        QStringLiteral("[FILE...]"));

    if (!parser.parse(arguments))
        return UsageError(parser.errorText());
    ParsedCommandLine parsed;
    if (parser.isSet(help)) {
        parsed.action = ParsedCommandLine::Action::ShowHelp;
        parsed.text = parser.helpText().toStdString();
        return parsed;
    }
    if (parser.isSet(version)) {
        parsed.action = ParsedCommandLine::Action::ShowVersion;
        parsed.text = (QCoreApplication::applicationName() + QLatin1Char(' ') +
                       QCoreApplication::applicationVersion())
                          .toStdString();
        return parsed;
    }

    CliOptions& options = parsed.options;
    if (parser.isSet(json))
        options.format = OutputFormat::Json;
    if (parser.isSet(format)) {
        const QString name = parser.values(format).constLast();
        if (parser.isSet(json) && name != QLatin1String("json"))
            return UsageError(
                QStringLiteral("--json and --format=%1 contradict each other.").arg(name));
        if (name == QLatin1String("text"))
            options.format = OutputFormat::Text;
        else if (name == QLatin1String("json"))
            options.format = OutputFormat::Json;
        else if (name == QLatin1String("jsonl"))
            options.format = OutputFormat::JsonLines;
        else if (name == QLatin1String("csv"))
            options.format = OutputFormat::Csv;
        else
            return UsageError(QStringLiteral("Invalid value for --format: '%1' (use text, json, "
                                             "jsonl or csv).")
                                  .arg(name));
    }
    options.words = parser.isSet(words);
    if (parser.isSet(sentences)) {
        const QString value = parser.values(sentences).constLast();
        bool ok = false;
        const int n = value.toInt(&ok);
        if (!ok || n < 0)
            return UsageError(
                QStringLiteral("Invalid value for --sentences: '%1' (use a number of 0 or more).")
                    .arg(value));
        options.sentences = n;
    }
    if (options.format == OutputFormat::Csv && (options.words || options.sentences > 0))
        return UsageError(QStringLiteral("--words and --sentences need the text or a JSON "
                                         "format: a CSV file has one row per file."));
    // A repeated option takes its last value, as most tools do.
    if (parser.isSet(dictionary))
        options.dictionaryPath = FileNameBytes(parser.values(dictionary).constLast());
    if (parser.isSet(custom))
        options.customPath = FileNameBytes(parser.values(custom).constLast());
    if (parser.isSet(formatIn)) {
        const QString name = parser.values(formatIn).constLast();
        options.formatIn = FormatFromName(name.toLower().toStdString());
        if (!options.formatIn)
            return UsageError(QStringLiteral("Invalid value for --format-in: '%1' (use txt, docx, "
                                             "odt, html, md or pdf).")
                                  .arg(name));
    }
    if (parser.isSet(maxGrade)) {
        const QString value = parser.values(maxGrade).constLast();
        bool ok = false;
        const double grade = value.toDouble(&ok);
        if (!ok || !std::isfinite(grade))
            return UsageError(
                QStringLiteral("Invalid value for --max-grade: '%1' (use a number).").arg(value));
        options.maxGrade = grade;
    }
    if (parser.isSet(gradeIndex)) {
        const QString name = parser.values(gradeIndex).constLast();
        const auto index = GradeIndexNamed(name.toStdString());
        if (!index)
            return UsageError(QStringLiteral("Invalid value for --grade-index: '%1' (use "
                                             "consensus, fk, fog, smog, cl, ari, linsear or "
                                             "dalechall).")
                                  .arg(name));
        options.gradeIndex = *index;
    }
    if (parser.isSet(rules)) {
        const QString name = parser.values(rules).constLast();
        if (name == QLatin1String("careful"))
            options.rules = CountingRules::Careful;
        else if (name != QLatin1String("classic"))
            return UsageError(
                QStringLiteral("Invalid value for --rules: '%1' (use classic or careful).")
                    .arg(name));
    }
    for (const QString& file : parser.positionalArguments())
        options.inputs.push_back(FileNameBytes(file));
    if (options.inputs.empty())
        options.inputs.push_back("-");

    const bool readsStdin =
        std::find(options.inputs.begin(), options.inputs.end(), "-") != options.inputs.end();
    if (parser.isSet(unknown)) {
        const QString name = parser.values(unknown).constLast();
        const auto mode = UnknownModeNamed(name);
        if (!mode)
            return UsageError(QStringLiteral("Invalid value for --unknown: '%1' (use ask, zero or "
                                             "estimate).")
                                  .arg(name));
        options.unknown = *mode;
    } else {
        options.unknown = terminal.stdinIsTerminal && terminal.stderrIsTerminal && !readsStdin
                              ? UnknownMode::Ask
                              : UnknownMode::Estimate;
    }
    if (std::count(options.inputs.begin(), options.inputs.end(), "-") > 1)
        return UsageError(QStringLiteral("Standard input (\"-\") can be read only once."));
    return parsed;
}
