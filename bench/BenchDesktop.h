#pragma once

// What the benchmarks of the desktop program share: a desktop that answers at
// once and only counts its pauses, and the median of timings.
#include "forms/Desktop.h"

#include <QString>

#include <algorithm>
#include <chrono>
#include <cstdio>
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

// The real desktop, but the pauses are only counted and no dialog is shown.
class NoPauseDesktop : public Desktop {
public:
    explicit NoPauseDesktop(Desktop& real) : real_(real) {}
    void ShowMessage(QWidget*, const QString& t) override {
        std::fprintf(stderr, "message: %s\n", qPrintable(t));
    }
    bool AskYesNo(QWidget*, const QString&) override { return false; }
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
