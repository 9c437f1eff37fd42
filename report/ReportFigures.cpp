#include "report/ReportFigures.h"

#include "analysis/GradeFormulas.h"

#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

using Extended = long double; // the 80-bit format with a 64-bit significand on x86

double Ratio(Extended value) {
    return static_cast<double>(value);
}

double Index(Extended value) {
    return static_cast<double>(static_cast<float>(value));
}

// The published constants, each the double nearest to its decimal literal.
constexpr Extended C(double literal) {
    return literal;
}

} // namespace

ReportValues ComputeReportValues(const AnalysisCounts& counts) {
    const Extended S = counts.syllables;
    const Extended W = counts.words;
    const Extended D = counts.difficultWords;
    const Extended N = counts.sentences;
    ReportValues v;
    auto set = [&v](FigureRow row, double value) { v[static_cast<std::size_t>(row)] = value; };
    set(FigureRow::Syll, counts.syllables);
    set(FigureRow::Words, counts.words);
    set(FigureRow::Sent, counts.sentences);
    set(FigureRow::DiffWords, counts.difficultWords);
    if (counts.sentences > 0) {
        set(FigureRow::SyllPSent, Ratio(S / N));
        set(FigureRow::WordPSent, Ratio(W / N));
    }
    if (counts.words > 0) {
        // The quotient stays in extended precision before it is scaled.
        set(FigureRow::SyllPWord, Ratio(S / W));
        set(FigureRow::SyllPH, Ratio(S / W * 100));
        set(FigureRow::SentPH, Ratio(N / W * 100));
    }
    if (counts.words > 0 && counts.sentences > 0) {
        set(FigureRow::GunningFog, Index((W / N + D / W * 100) * C(0.4)));
        set(FigureRow::FleschEase, Index((C(206.835) - W * C(1.015) / N) - S * C(84.6) / W));
        // The report's own order of operations, kept for its last digits.
        set(FigureRow::KincaidGrade,
            Index((W * C(kKincaidPerSentence) / N + S * C(kKincaidPerWord) / W) - C(kKincaidBase)));
    }
    return v;
}

ReportFigures ComputeReportFigures(const AnalysisCounts& counts,
                                   std::string_view decimalSeparator) {
    const ReportValues values = ComputeReportValues(counts);
    ReportFigures figures;
    for (std::size_t row = 0; row < kFigureRows; ++row) {
        const auto& value = values[row];
        figures.texts[row] =
            value ? FormatFigure(*value, decimalSeparator) : std::string(kNoFigure);
    }
    return figures;
}

std::string FormatFigure(double value, std::string_view decimalSeparator) {
    if (value == 0)
        return "0";
    if (std::isnan(value))
        return "NAN";
    if (std::isinf(value))
        return value < 0 ? "-INF" : "INF";

    // 18 significant digits, correctly rounded (ties to even): d.ddddddddddddddddde+XX
    char buffer[40];
    *std::to_chars(buffer, buffer + sizeof buffer - 1, std::fabs(value),
                   std::chars_format::scientific, 17)
         .ptr = '\0';
    char digits[19];
    int k = 0;
    for (const char* p = buffer; *p != 'e'; ++p) {
        if (*p != '.')
            digits[k++] = *p;
    }
    int e = std::atoi(std::strchr(buffer, 'e') + 1) + 1; // value = 0.d1d2... x 10^e

    // Then to 15 digits, upwards from a sixteenth digit of 5 or more.
    k = 15;
    if (digits[15] >= '5') {
        int i = 14;
        while (i >= 0 && digits[i] == '9')
            digits[i--] = '0';
        if (i >= 0) {
            ++digits[i];
        } else {
            digits[0] = '1';
            for (int j = 1; j < 15; ++j)
                digits[j] = '0';
            ++e;
        }
    }
    while (k > 1 && digits[k - 1] == '0')
        --k;

    std::string text;
    if (value < 0)
        text += '-';
    if (e >= -3 && e <= 15) {
        if (e <= 0) {
            text += '0';
            text += decimalSeparator;
            text.append(static_cast<std::size_t>(-e), '0');
            text.append(digits, static_cast<std::size_t>(k));
        } else {
            for (int i = 0; i < e; ++i)
                text += i < k ? digits[i] : '0';
            if (k > e) {
                text += decimalSeparator;
                text.append(digits + e, static_cast<std::size_t>(k - e));
            }
        }
    } else {
        text += digits[0];
        if (k > 1) {
            text += decimalSeparator;
            text.append(digits + 1, static_cast<std::size_t>(k - 1));
        }
        text += 'E';
        if (e - 1 < 0)
            text += '-';
        text += std::to_string(std::abs(e - 1));
    }
    return text;
}

std::string ReportClipboardText(const std::array<std::string, kFigureRows>& texts) {
    std::string text;
    for (std::size_t row = 0; row < kFigureRows; ++row) {
        text += kClipboardPrefixes[row];
        text += texts[row];
        text += '\n';
    }
    return text;
}
