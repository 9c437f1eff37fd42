#include "cli/CliApp.h"
#include "cli/CliOptions.h"
#include "text/FileName.h"

#include <QCoreApplication>
#include <QStringList>

#include <cerrno>
#include <fcntl.h>
#include <iostream>
#include <new>
#include <unistd.h>

namespace {

// A standard stream that the caller closed is held on /dev/null, opened for
// reading only, so that no file opened later takes its number (and receives the
// report or is read as the text) and writing the report fails as it should.
// Returns whether standard input was open.
bool ReserveStandardStreams() {
    bool stdinOpen = true;
    for (int fd = STDIN_FILENO; fd <= STDERR_FILENO; ++fd) {
        if (fcntl(fd, F_GETFD) == -1 && errno == EBADF) {
            if (fd == STDIN_FILENO)
                stdinOpen = false;
            const int null = open("/dev/null", O_RDONLY);
            if (null != fd && null >= 0)
                close(null);
        }
    }
    return stdinOpen;
}

// The help or the version reached standard output only if it is flushed there
// whole: a full disk or a closed stream must not pass for success.
int FlushedOutputStatus() {
    std::cout.flush();
    if (std::cout)
        return kExitOk;
    std::cerr << "scrivolux-cli: the text could not be written to standard output\n";
    return kExitUnreadableInput;
}

// The toolkit's own warnings (a missing XDG_RUNTIME_DIR, a font it cannot find)
// say nothing about the report, and a script reads standard error as a sign of
// trouble: only what stops the program passes.
void QuietToolkitMessages(QtMsgType type, const QMessageLogContext&, const QString& message) {
    if (type == QtCriticalMsg || type == QtFatalMsg)
        std::cerr << "scrivolux-cli: " << message.toStdString() << std::endl;
}

} // namespace

int main(int argc, char* argv[]) {
    qInstallMessageHandler(QuietToolkitMessages);
    const bool stdinOpen = ReserveStandardStreams();
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("scrivolux-cli"));
    QCoreApplication::setApplicationVersion(QStringLiteral(SCRIVOLUX_VERSION));

    // The arguments as given: Qt's own list loses the bytes of a file name that
    // is not UTF-8.
    QStringList arguments;
    for (int i = 0; i < argc; ++i)
        arguments.append(FileNameText(argv[i]));
    const ParsedCommandLine parsed =
        ParseCommandLine(arguments, {isatty(STDIN_FILENO) == 1, isatty(STDERR_FILENO) == 1});
    switch (parsed.action) {
    case ParsedCommandLine::Action::ShowHelp:
        std::cout << parsed.text;
        return FlushedOutputStatus();
    case ParsedCommandLine::Action::ShowVersion:
        std::cout << parsed.text << '\n';
        return FlushedOutputStatus();
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
                       stdinOpen ? STDIN_FILENO : -1,
                       isatty(STDIN_FILENO) == 1,
                       QCoreApplication::applicationDirPath().toStdString()};
    try {
        return RunCli(parsed.options, streams);
    } catch (const std::bad_alloc&) {
        // An input that runs out of memory is reported in its place; what runs
        // out outside any input (JSON's one document) still ends with a message.
        std::cerr << "scrivolux-cli: not enough memory\n";
        return kExitUnreadableInput;
    }
}
