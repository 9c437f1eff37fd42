#pragma once

// What the benchmarks of the desktop program share: a desktop that answers at
// once and only counts its pauses, the median of timings, and the plain words
// of a word list to make prose from.
#include "forms/Desktop.h"

#include <QByteArray>
#include <QFile>
#include <QString>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <string>
#include <vector>

namespace bench {

using Clock = std::chrono::steady_clock;

inline double Median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    const std::size_t n = values.size();
    return n % 2 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
}

inline double MsSince(Clock::time_point start) {
    return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

// The words of a word list of 1 to maxLength lower-case ASCII letters, in the
// list's order; none when the list cannot be read.
inline std::vector<std::string> PlainWords(const QString& wordListPath, int maxLength) {
    std::vector<std::string> words;
    QFile file(wordListPath);
    if (!file.open(QIODevice::ReadOnly))
        return words;
    while (!file.atEnd()) {
        const QByteArray line = file.readLine();
        const QByteArray word = line.left(line.indexOf('|'));
        if (word.size() >= 1 && word.size() <= maxLength &&
            std::all_of(word.begin(), word.end(), [](char c) { return c >= 'a' && c <= 'z'; }))
            words.push_back(word.toStdString());
    }
    return words;
}

// The real desktop, but the pauses are only counted and no dialog is shown.
class NoPauseDesktop : public Desktop {
public:
    explicit NoPauseDesktop(Desktop& real) : real_(real) {}
    void ShowMessage(QWidget*, const QString& t) override {
        std::fprintf(stderr, "message: %s\n", qPrintable(t));
    }
    bool AskYesNo(QWidget*, const QString&) override { return false; }
    SaveChoice AskSaveChanges(QWidget*, const QString&) override { return SaveChoice::DontSave; }
    void ShowError(QWidget*, const QString& t) override {
        std::fprintf(stderr, "error: %s\n", qPrintable(t));
    }
    QString GetOpenFileName(QWidget*, const QString&, const QString&) override { return {}; }
    QString GetSaveFileName(QWidget*, const QString&, const QString&, const QString&) override {
        return {};
    }
    bool ChooseFont(QWidget*, QFont&, QColor&) override { return false; }
    void Pause(int milliseconds) override { paused += milliseconds; }
    QString ExecutablePath() override { return real_.ExecutablePath(); }
    void OpenUrl(const QString&) override {}

    int paused = 0;

private:
    Desktop& real_;
};

} // namespace bench
