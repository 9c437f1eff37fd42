#pragma once

// The Flesch-Kincaid grade's coefficients, for every place that computes it:
// 0.39 words per sentence + 11.8 syllables per word - 15.59.
inline constexpr double kKincaidPerSentence = 0.39;
inline constexpr double kKincaidPerWord = 11.8;
inline constexpr double kKincaidBase = 15.59;

// The Flesch-Kincaid grade of words per sentence and syllables per word.
constexpr double FleschKincaidGrade(double wordsPerSentence, double syllablesPerWord) {
    return kKincaidPerSentence * wordsPerSentence + kKincaidPerWord * syllablesPerWord -
           kKincaidBase;
}
