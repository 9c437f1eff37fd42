// Times the desktop program on Qt's offscreen platform:
//   start-up  - from main() to the main window on screen with the full word list
//               loaded, in a fresh process each time;
//   run       - one analysis of about 1 MB of prose through the real main window,
//               without the 1.5 s of fixed pauses, and the longest time the
//               program went without answering events during it.
// Usage: bench_gui_run [runs]   (default 5; prints medians; needs cuvplus.dat beside it)

#include "BenchDesktop.h"
#include "dictionary/Dictionary.h"
#include "forms/Application.h"
#include "forms/FrmMain.h"
#include "forms/FrmNotFound.h"
#include "forms/FrmReport.h"

#include <QElapsedTimer>
#include <QFile>
#include <QLabel>
#include <QPlainTextEdit>
#include <QProcess>
#include <QTimer>
#include <QWindow>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <random>
#include <string>
#include <vector>

namespace {

using bench::Clock;
using bench::Median;
using bench::MsSince;
using bench::NoPauseDesktop;

// About `bytes` of prose: sentences of 6 to 20 short words from the word list,
// five sentences to a paragraph, one paragraph per line.
QString Prose(const QString& wordListPath, std::size_t bytes) {
    const std::vector<std::string> words = bench::PlainWords(wordListPath, 6);
    if (words.empty())
        return {};
    std::mt19937 random(20261207);
    std::uniform_int_distribution<std::size_t> pick(0, words.size() - 1);
    std::uniform_int_distribution<int> length(6, 20);
    std::string text;
    text.reserve(bytes + 256);
    int sentences = 0;
    while (text.size() < bytes) {
        const int n = length(random);
        for (int i = 0; i < n; ++i) {
            std::string word = words[pick(random)];
            if (i == 0)
                word[0] = static_cast<char>(word[0] - 'a' + 'A');
            text += word;
            text += i + 1 < n ? (i % 7 == 6 ? ", " : " ") : ".";
        }
        text += ++sentences % 5 == 0 ? "\n" : " ";
    }
    return QString::fromStdString(text);
}

int StartupChild(int argc, char** argv) {
    const auto start = Clock::now();
    TApplication application(argc, argv);
    StartupWindows windows;
    MainForm->show();
    while (!MainForm->windowHandle() || !MainForm->windowHandle()->isExposed())
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 5);
    QCoreApplication::processEvents();
    const double ms = MsSince(start);
    std::printf("%.2f %zu\n", ms, MainForm->Dictionary()->Size());
    return 0;
}

} // namespace

int main(int argc, char** argv) {
    if (argc > 1 && std::string(argv[1]) == "--startup-child")
        return StartupChild(argc, argv);
    const int runs = argc > 1 ? std::max(1, std::atoi(argv[1])) : 5;
    qputenv("QT_QPA_PLATFORM", "offscreen");

    // Start-up, each in a process of its own.
    std::vector<double> inProcess;
    std::vector<double> wholeProcess;
    std::size_t words = 0;
    for (int i = 0; i < runs; ++i) {
        QProcess child;
        const auto start = Clock::now();
        child.start(QString::fromLocal8Bit(argv[0]), {QStringLiteral("--startup-child")});
        child.waitForFinished(60000);
        wholeProcess.push_back(MsSince(start));
        const QList<QByteArray> fields = child.readAllStandardOutput().trimmed().split(' ');
        if (fields.size() != 2) {
            std::fprintf(stderr, "start-up child failed: %s\n",
                         child.readAllStandardError().constData());
            return 1;
        }
        inProcess.push_back(fields[0].toDouble());
        words = fields[1].toULong();
    }
    std::printf("start-up to shown main window (%zu words loaded): median %.1f ms in process, "
                "%.1f ms for the whole process including its exit\n",
                words, Median(inProcess), Median(wholeProcess));

    // The analysis run.
    TApplication application(argc, argv);
    Desktop& real = TheDesktop();
    NoPauseDesktop desktop(real);
    SetDesktop(&desktop);
    StartupWindows windows;
    MainForm->show();
    const QString prose =
        Prose(QCoreApplication::applicationDirPath() + QStringLiteral("/cuvplus.dat"), 1024 * 1024);
    const auto loadStart = Clock::now();
    MainForm->InputMemo->setPlainText(prose);
    QCoreApplication::processEvents();
    const double loadMs = MsSince(loadStart);

    // Any word the list lacked would open the dialog; answer it at once.
    int unknown = 0;
    QTimer answer;
    QObject::connect(&answer, &QTimer::timeout, [&] {
        if (auto* dialog = qobject_cast<TNotFoundForm*>(QApplication::activeModalWidget())) {
            ++unknown;
            dialog->close();
        }
    });
    answer.start(1);

    // How long the program goes without answering: the longest gap between the
    // ticks of a 5 ms timer while the run is under way.
    double longestGap = 0;
    auto lastTick = Clock::now();
    QTimer tick;
    QObject::connect(&tick, &QTimer::timeout, [&] {
        longestGap = std::max(longestGap, MsSince(lastTick));
        lastTick = Clock::now();
    });

    std::vector<double> runMs;
    std::vector<double> gaps;
    for (int i = 0; i < runs; ++i) {
        desktop.paused = 0;
        longestGap = 0;
        tick.start(5);
        lastTick = Clock::now();
        const auto start = Clock::now();
        MainForm->mnuStartAnalysis->trigger();
        runMs.push_back(MsSince(start));
        tick.stop();
        gaps.push_back(longestGap);
        if (desktop.paused != 1500)
            std::fprintf(stderr, "unexpected pauses: %d ms\n", desktop.paused);
    }
    std::printf("1 MB of prose (%lld characters, %s words, %s syllables): loading into the text "
                "area %.1f ms; analysis run without the 1.5 s of pauses: median %.1f ms; longest "
                "time without answering events: median %.1f ms; unknown words: %d\n",
                static_cast<long long>(prose.size()), qPrintable(ReportForm->WordsLB->text()),
                qPrintable(ReportForm->SyllLB->text()), loadMs, Median(runMs), Median(gaps),
                unknown);
    SetDesktop(nullptr);
    return 0;
}
