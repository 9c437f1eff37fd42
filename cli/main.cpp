#include "cli/CliApp.h"
#include "cli/CliOptions.h"

#include <QCoreApplication>

#include <iostream>
#include <unistd.h>

int main(int argc, char* argv[]) {
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("scrivolux-cli"));
    QCoreApplication::setApplicationVersion(QStringLiteral(SCRIVOLUX_VERSION));

    const ParsedCommandLine parsed = ParseCommandLine(
        QCoreApplication::arguments(), {isatty(STDIN_FILENO) == 1, isatty(STDERR_FILENO) == 1});
    switch (parsed.action) {
    case ParsedCommandLine::Action::ShowHelp:
        std::cout << parsed.text;
        return kExitOk;
    case ParsedCommandLine::Action::ShowVersion:
        std::cout << parsed.text << '\n';
        return kExitOk;
    case ParsedCommandLine::Action::UsageError:
        std::cerr << "scrivolux-cli: " << parsed.text << '\n'
                  << "Try 'scrivolux-cli --help' for more information.\n";
        return kExitUsage;
    case ParsedCommandLine::Action::Run:
        break;
    }

    std::ios::sync_with_stdio(false);
    CliStreams streams{std::cin,
                       std::cout,
                       std::cerr,
                       STDIN_FILENO,
                       isatty(STDIN_FILENO) == 1,
                       QCoreApplication::applicationDirPath().toStdString()};
    return RunCli(parsed.options, streams);
}
