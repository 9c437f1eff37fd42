// Times the analysis details on about 1 MB of prose, on Qt's offscreen platform:
//   details   - building the words, occurrences and sentences after the counting
//               passes, against the passes themselves (median of the runs);
//   highlight - switching the highlight on in the real main window, then the
//               longest time the program goes without answering events while
//               the text area is scrolled page by page through the whole text
//               and while keys are typed into it, with and without the highlight.
// Usage: bench_details [runs [FILE]]   (default 5; needs cuvplus.dat beside it)
// Without FILE the prose is drawn from the word list with the frequencies of
// real text (Zipf's law: the n-th word n times rarer than the first), giving
// tens of thousands of distinct words; SCRIVOLUX_BENCH_UNIFORM=1 draws every word
// alike instead, so nearly every word is new: the worst case for the details.
// With FILE, that text repeated to 1 MB.

#include "BenchDesktop.h"
#include "analysis/AnalysisPipeline.h"
#include "analysis/PassageDetails.h"
#include "dictionary/Dictionary.h"
#include "forms/Application.h"
#include "forms/FrmDetails.h"
#include "forms/FrmMain.h"
#include "forms/FrmNotFound.h"

#include <QEventLoop>
#include <QFile>
#include <QKeyEvent>
#include <QPlainTextEdit>
#include <QScrollBar>
#include <QTimer>

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

// About `bytes` of prose from the word list: sentences of 6 to 40 words, many
// of them long, five sentences to a paragraph.
std::string Prose(const QString& wordListPath, std::size_t bytes) {
    std::vector<std::string> words = bench::PlainWords(wordListPath, 9);
    if (words.empty())
        return {};
    std::mt19937 random(20261208);
    std::shuffle(words.begin(), words.end(), random);
    std::vector<double> weights(words.size());
    const bool uniform = qEnvironmentVariableIsSet("SCRIVOLUX_BENCH_UNIFORM");
    for (std::size_t i = 0; i < weights.size(); ++i)
        weights[i] = uniform ? 1.0 : 1.0 / static_cast<double>(i + 1);
    std::discrete_distribution<std::size_t> pick(weights.begin(), weights.end());
    std::uniform_int_distribution<int> length(6, 40);
    std::string text;
    int sentences = 0;
    while (text.size() < bytes) {
        const int n = length(random);
        for (int i = 0; i < n; ++i) {
            text += words[pick(random)];
            text += i + 1 < n ? (i % 7 == 6 ? ", " : " ") : ".";
        }
        text += ++sentences % 5 == 0 ? "\n" : " ";
    }
    return text;
}

// Runs the event loop while `step` is called every `interval` ms for `steps`
// times; returns the longest gap between the ticks of a 1 ms timer.
double LongestStall(int steps, int interval, const std::function<void()>& step) {
    double longest = 0;
    auto last = Clock::now();
    QTimer tick;
    QObject::connect(&tick, &QTimer::timeout, [&] {
        longest = std::max(longest, MsSince(last));
        last = Clock::now();
    });
    QEventLoop loop;
    int done = 0;
    QTimer driver;
    QObject::connect(&driver, &QTimer::timeout, [&] {
        if (done++ == steps) {
            loop.quit();
            return;
        }
        step();
    });
    tick.start(1);
    driver.start(interval);
    last = Clock::now();
    loop.exec();
    return longest;
}

void Type(QWidget* widget, Qt::Key key, const QString& text) {
    QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier, text);
    QKeyEvent release(QEvent::KeyRelease, key, Qt::NoModifier, text);
    QCoreApplication::sendEvent(widget, &press);
    QCoreApplication::sendEvent(widget, &release);
}

} // namespace

int main(int argc, char** argv) {
    const int runs = argc > 1 ? std::max(1, std::atoi(argv[1])) : 5;
    qputenv("QT_QPA_PLATFORM", "offscreen");
    TApplication application(argc, argv);
    const QString wordList =
        QCoreApplication::applicationDirPath() + QStringLiteral("/cuvplus.dat");
    std::string prose;
    if (argc > 2) {
        QFile file(QString::fromLocal8Bit(argv[2]));
        if (!file.open(QIODevice::ReadOnly))
            return 1;
        const std::string text = file.readAll().toStdString();
        while (prose.size() < 1024 * 1024)
            prose += text;
    } else {
        prose = Prose(wordList, 1024 * 1024);
    }

    // ---- The core: details against the counting passes.
    TDictionary dictionary;
    if (!dictionary.LoadDictionary(wordList.toStdString())) {
        std::fprintf(stderr, "cannot read %s\n", qPrintable(wordList));
        return 1;
    }
    const WorkingTexts texts = PrepareText(std::string(prose));
    std::vector<double> passesMs;
    std::vector<double> detailsMs;
    PassageDetails details;
    for (int i = 0; i < runs; ++i) {
        UnknownWordLog log;
        NoProgress progress;
        auto start = Clock::now();
        const AnalysisCounts counts =
            CountTexts(texts, dictionary, log.Recording({}, WordSource::Ignored), progress);
        passesMs.push_back(MsSince(start));
        start = Clock::now();
        details = BuildPassageDetails(texts, dictionary, log);
        detailsMs.push_back(MsSince(start));
        if (details.counts.syllables != counts.syllables)
            std::fprintf(stderr, "the details disagree with the passes\n");
    }
    std::printf("%zu bytes, %d words, %zu distinct, %d sentences: counting passes median %.1f ms; "
                "building the details median %.1f ms\n",
                prose.size(), details.counts.words, details.words.size(), details.counts.sentences,
                Median(passesMs), Median(detailsMs));

    if (qEnvironmentVariableIsSet("SCRIVOLUX_BENCH_CORE_ONLY"))
        return 0;

    // ---- The window: highlight, scrolling and typing.
    Desktop& real = TheDesktop();
    NoPauseDesktop desktop(real);
    SetDesktop(&desktop);
    StartupWindows windows;
    MainForm->resize(640, 400);
    MainForm->show();
    QPlainTextEdit* memo = MainForm->InputMemo;
    memo->setPlainText(QString::fromStdString(prose));
    QTimer answer; // a word the list lacks is ignored at once
    QObject::connect(&answer, &QTimer::timeout, [] {
        if (auto* dialog = qobject_cast<TNotFoundForm*>(QApplication::activeModalWidget()))
            dialog->close();
    });
    answer.start(1);
    MainForm->mnuStartAnalysis->trigger();
    QCoreApplication::processEvents();

    QScrollBar* bar = memo->verticalScrollBar();
    const int pages = 300;
    const auto scrollThrough = [&] {
        const int stride = std::max(1, bar->maximum() / pages);
        bar->setValue(0);
        return LongestStall(pages, 2, [&] { bar->setValue(bar->value() + stride); });
    };
    std::vector<double> plainScroll;
    std::vector<double> highlightedScroll;
    std::vector<double> switchOn;
    std::vector<int> marked;
    for (int i = 0; i < runs; ++i) {
        DetailsForm->SetHighlight(false);
        plainScroll.push_back(scrollThrough());
        const auto start = Clock::now();
        DetailsForm->SetHighlight(true);
        QCoreApplication::processEvents();
        switchOn.push_back(MsSince(start));
        marked.push_back(static_cast<int>(memo->extraSelections().size()));
        highlightedScroll.push_back(scrollThrough());
    }
    std::printf("highlight on: median %.1f ms (%d ranges handed to the text area at a time); "
                "scrolling %d pages through the text, longest stall: median %.1f ms plain, "
                "%.1f ms highlighted\n",
                Median(switchOn), marked.front(), pages, Median(plainScroll),
                Median(highlightedScroll));

    // Typing: the first key drops the highlight; then plain typing.
    memo->setFocus();
    bar->setValue(bar->maximum() / 2);
    QCoreApplication::processEvents();
    const double firstKey = LongestStall(1, 2, [&] { Type(memo, Qt::Key_A, QStringLiteral("a")); });
    const double laterKeys =
        LongestStall(100, 2, [&] { Type(memo, Qt::Key_A, QStringLiteral("a")); });
    std::printf("typing into the highlighted text: longest stall %.1f ms for the first key (drops "
                "the highlight), %.1f ms over the next 100 keys; highlight still on: %s\n",
                firstKey, laterKeys, DetailsForm->Highlighted() ? "yes" : "no");
    SetDesktop(nullptr);
    return 0;
}
