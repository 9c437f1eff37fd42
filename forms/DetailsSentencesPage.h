#pragma once

#include "forms/CurrentAnalysis.h"

#include <QWidget>

#include <cstddef>
#include <vector>

class QComboBox;
class QLabel;
class QTableWidget;

// The details' hardest sentences: the longest, or those with the most
// difficult words, with their wording. Follows the analysis.
class DetailsSentencesPage : public QWidget {
    Q_OBJECT
public:
    DetailsSentencesPage(CurrentAnalysis* analysis, QWidget* parent = nullptr);

    void SentenceOrderCBChange(int index);
    void SentencesViewActivate(int row);

    QLabel* SentenceOrderST = nullptr;
    QComboBox* SentenceOrderCB = nullptr;
    QTableWidget* SentencesView = nullptr;

    // The orders of SentenceOrderCB.
    static constexpr int kLongest = 0;
    static constexpr int kMostDifficult = 1;
    static constexpr int kToShortenFirst = 2;

    // The sentences listed, at least this many of each kind.
    static constexpr std::size_t kListedSentences = 50;

signals:
    // The user asked for the sentence (its index in the details) in the text.
    void sentenceRequested(std::size_t sentence);

private:
    void showSentences();

    CurrentAnalysis* analysis_;
    std::vector<std::size_t> listedSentences_;
};
