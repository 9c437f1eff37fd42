#include "cli/CliOptions.h"

#include "text/FileName.h"

#include <QCommandLineParser>
#include <QCoreApplication>

#include <algorithm>

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
        "file could be read."));
    const QCommandLineOption json(QStringLiteral("json"),
                                  QStringLiteral("Write one JSON document instead of the report "
                                                 "text (an array for several files)."));
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
                       "files, zero otherwise."),
        QStringLiteral("ask|zero|estimate"));
    const QCommandLineOption formatIn(
        QStringLiteral("format-in"),
        QStringLiteral("Read every input as this format instead of telling it from the file's "
                       "content and extension (standard input is otherwise text)."),
        QStringLiteral("txt|docx|odt|html|md|pdf"));
    parser.addOptions({json, dictionary, custom, unknown, formatIn});
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
    options.json = parser.isSet(json);
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
                              : UnknownMode::Zero;
    }
    if (std::count(options.inputs.begin(), options.inputs.end(), "-") > 1)
        return UsageError(QStringLiteral("Standard input (\"-\") can be read only once."));
    return parsed;
}
