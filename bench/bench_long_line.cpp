// Times loading one long paragraph into the desktop program's text area on Qt's
// offscreen platform, and the processor time the idle window then takes:
//   - a line of letters without a space (one word), of 1, 2 and 5 MB;
//   - a paragraph of prose with spaces but no line break, of 2 MB.
// For each: the time from File > Load Text File to the text shown, the longest
// time the window went without answering events while the text was shown and
// scrolled to its end, and the processor time of three idle seconds with the
// caret in the text.
// Usage: bench_long_line [MB...]   (default 1 2 5; the prose is always 2 MB)

#include "forms/Application.h"
#include "forms/Desktop.h"
#include "forms/FrmMain.h"

#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QPlainTextEdit>
#include <QScrollBar>
#include <QTemporaryDir>
#include <QTimer>

#include <sys/resource.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

double CpuSeconds() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return static_cast<double>(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
           static_cast<double>(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

// Runs the event loop for ms milliseconds; returns the longest gap between the
// ticks of a 5 ms timer meanwhile.
double RunEvents(int ms) {
    QElapsedTimer clock;
    clock.start();
    qint64 last = 0;
    qint64 longest = 0;
    QTimer tick;
    QObject::connect(&tick, &QTimer::timeout, [&] {
        longest = std::max(longest, clock.elapsed() - last);
        last = clock.elapsed();
    });
    tick.start(5);
    QEventLoop loop;
    QTimer::singleShot(ms, &loop, &QEventLoop::quit);
    loop.exec();
    return static_cast<double>(std::max(longest, clock.elapsed() - last));
}

void Measure(const char* what, const QString& path) {
    QElapsedTimer clock;
    clock.start();
    MainForm->LoadTextFile(path);
    QCoreApplication::processEvents();
    const qint64 loadMs = clock.elapsed();

    // Scrolling to the end lays out what is shown there.
    clock.restart();
    MainForm->InputMemo->moveCursor(QTextCursor::End);
    MainForm->InputMemo->verticalScrollBar()->setValue(
        MainForm->InputMemo->verticalScrollBar()->maximum());
    const double gap = std::max<double>(RunEvents(500), static_cast<double>(clock.elapsed()) - 500);

    MainForm->InputMemo->setFocus();
    const double cpuBefore = CpuSeconds();
    QEventLoop idle;
    QTimer::singleShot(3000, &idle, &QEventLoop::quit);
    idle.exec();
    const double idleCpu = (CpuSeconds() - cpuBefore) / 3.0 * 100.0;
    std::printf("%-34s load %7lld ms, longest without answering after it %7.0f ms, idle CPU "
                "%5.1f %%\n",
                what, static_cast<long long>(loadMs), gap, idleCpu);
    std::fflush(stdout);
}

} // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    std::vector<int> sizes;
    for (int i = 1; i < argc; ++i)
        sizes.push_back(std::atoi(argv[i]));
    if (sizes.empty())
        sizes = {1, 2, 5};

    TApplication application(argc, argv);
    StartupWindows windows;
    MainForm->show();
    MainForm->activateWindow();
    QTemporaryDir dir;

    const auto write = [&](const QString& name, const std::string& text) {
        QFile file(dir.filePath(name));
        if (!file.open(QIODevice::WriteOnly))
            std::abort();
        file.write(text.data(), static_cast<qint64>(text.size()));
        return file.fileName();
    };
    for (const int mb : sizes) {
        std::string letters(static_cast<std::size_t>(mb) * 1024 * 1024, 'a');
        for (std::size_t i = 0; i < letters.size(); ++i)
            letters[i] = static_cast<char>('a' + i * 7 % 26);
        Measure(qPrintable(QStringLiteral("%1 MB of letters, no space").arg(mb)),
                write(QStringLiteral("letters.txt"), letters));
    }
    std::string prose;
    while (prose.size() < 2 * 1024 * 1024)
        prose += "The quick brown fox jumps over the lazy dog and runs away. ";
    Measure("2 MB of prose in one paragraph", write(QStringLiteral("prose.txt"), prose));
    return 0;
}
