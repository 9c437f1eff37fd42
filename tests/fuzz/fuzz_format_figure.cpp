// FormatFigure on arbitrary doubles and the report figures on arbitrary counts.
// The reference rounds with integers: 18 significant digits from the C library
// (exact, ties to even), then to 15 by adding half a unit of the 15th digit.

#include "FuzzCheck.h"

#include "report/ReportFigures.h"

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <string_view>

namespace {

// The value that the text of v must read back as.
double RoundedTo15Digits(double v) {
    char buffer[64];
    std::snprintf(buffer, sizeof buffer, "%.17e", std::fabs(v)); // d.ddd...e±X
    std::uint64_t digits = 0;
    const char* p = buffer;
    for (; *p != 'e'; ++p) {
        if (*p != '.')
            digits = digits * 10 + static_cast<std::uint64_t>(*p - '0');
    }
    const int exponent = std::atoi(p + 1);
    const std::uint64_t rounded = (digits + 500) / 1000; // 15 digits, or 10^15 on a carry
    std::snprintf(buffer, sizeof buffer, "%llue%d", static_cast<unsigned long long>(rounded),
                  exponent - 14);
    return std::copysign(std::strtod(buffer, nullptr), v);
}

bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}

// Checks the shape of the text: [-]digits[SEPdigits][E[-]digits], with at most
// 15 significant digits, no trailing zeros after the separator, and an
// exponent without leading zeros. Returns the text with a "." separator.
std::string CheckShape(const std::string& text, std::string_view separator, double v) {
    FUZZ_CHECK(!text.empty() && text.size() <= 25);
    std::size_t i = 0;
    FUZZ_CHECK((text[0] == '-') == std::signbit(v));
    if (text[0] == '-')
        ++i;
    std::string plain = text.substr(0, i);
    int significant = 0;
    bool leading = true;
    const std::size_t integerStart = i;
    for (; i < text.size() && IsDigit(text[i]); ++i) {
        leading = leading && text[i] == '0';
        significant += !leading;
        plain += text[i];
    }
    FUZZ_CHECK(i > integerStart);
    // "0" only as the whole integer part of a fixed text below 1.
    FUZZ_CHECK(text[integerStart] != '0' || i == integerStart + 1);
    if (text.compare(i, separator.size(), separator) == 0) {
        i += separator.size();
        plain += '.';
        const std::size_t fractionStart = i;
        for (; i < text.size() && IsDigit(text[i]); ++i) {
            leading = leading && text[i] == '0';
            significant += !leading;
            plain += text[i];
        }
        FUZZ_CHECK(i > fractionStart && text[i - 1] != '0');
    }
    FUZZ_CHECK(significant >= 1 && significant <= 15);
    if (i < text.size()) {
        FUZZ_CHECK(text[i] == 'E');
        plain += text[i++];
        if (i < text.size() && text[i] == '-')
            plain += text[i++];
        FUZZ_CHECK(i < text.size() && text[i] != '0');
        for (; i < text.size(); ++i) {
            FUZZ_CHECK(IsDigit(text[i]));
            plain += text[i];
        }
    }
    return plain;
}

void CheckFigure(double v, std::string_view separator) {
    const std::string text = FormatFigure(v, separator);
    if (!std::isfinite(v)) {
        FUZZ_CHECK(!text.empty() && text.size() <= 25);
        return;
    }
    if (v == 0) {
        FUZZ_CHECK(text == "0");
        return;
    }
    const std::string plain = CheckShape(text, separator, v);
    const double expected = RoundedTo15Digits(v);
    FUZZ_CHECK(std::strtod(plain.c_str(), nullptr) == expected);
    // Fixed notation exactly from 0.0001 to below 1E15 after rounding.
    const bool scientific = plain.find('E') != std::string::npos;
    FUZZ_CHECK(scientific == (std::fabs(expected) < 1e-4 || std::fabs(expected) >= 1e15));
}

void CheckFigures(const AnalysisCounts& counts) {
    const ReportFigures figures = ComputeReportFigures(counts);
    const std::int32_t inputs[] = {counts.syllables, counts.words, counts.sentences,
                                   counts.difficultWords};
    const FigureRow countRows[] = {FigureRow::Syll, FigureRow::Words, FigureRow::Sent,
                                   FigureRow::DiffWords};
    for (std::size_t i = 0; i < 4; ++i)
        FUZZ_CHECK(figures[countRows[i]] == std::to_string(inputs[i]));
    for (std::size_t row = 0; row < kFigureRows; ++row) {
        const std::string& text = figures.texts[row];
        const auto r = static_cast<FigureRow>(row);
        const bool needsWords = r == FigureRow::SyllPWord || r == FigureRow::SyllPH ||
                                r == FigureRow::SentPH || r >= FigureRow::GunningFog;
        const bool needsSentences =
            r == FigureRow::SyllPSent || r == FigureRow::WordPSent || r >= FigureRow::GunningFog;
        const bool placeholder =
            (needsWords && counts.words == 0) || (needsSentences && counts.sentences == 0);
        FUZZ_CHECK((text == kNoFigure) == placeholder);
        FUZZ_CHECK(text.size() <= 25);
        if (!placeholder) {
            char* end = nullptr;
            const double value = std::strtod(text.c_str(), &end);
            FUZZ_CHECK(*end == '\0' && std::isfinite(value));
        }
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 8)
        return 0;
    double v;
    std::memcpy(&v, data, sizeof v);
    CheckFigure(v, ".");
    CheckFigure(v, ",");

    if (size >= 24) {
        std::int32_t c[4];
        std::memcpy(c, data + 8, sizeof c);
        AnalysisCounts counts;
        counts.syllables = c[0] & INT32_MAX;
        counts.words = c[1] & INT32_MAX;
        counts.sentences = c[2] & INT32_MAX;
        counts.difficultWords = c[3] & INT32_MAX;
        CheckFigures(counts);
    }
    return 0;
}
