#pragma once

#include "forms/CurrentAnalysis.h"

#include <QWidget>

#include <cstddef>
#include <cstdint>

class QCheckBox;
class QComboBox;
class QLabel;
class QModelIndex;
class QTableView;
struct WordRow;
class WordsFilterModel;
class WordsModel;

// The details' list of distinct words: syllables, occurrences and where each
// count came from, filtered and sortable. A count that did not come from the
// word list can be corrected (F2 or a double click anywhere on the row); a row
// that cannot be says why.
class DetailsWordsPage : public QWidget {
    Q_OBJECT
public:
    DetailsWordsPage(CurrentAnalysis* analysis, QWidget* parent = nullptr);

    // Gives a word a new count, which every view of the analysis follows, and
    // when asked adds the word to the user dictionary.
    void ChangeWordCount(std::size_t row, std::int32_t syllables);
    // Starts editing the count of the current row's word, or says why not.
    void EditCurrentCount();
    // The row of the details that a row of the view shows.
    std::size_t DetailsRow(const QModelIndex& index) const;

    void FilterCBChange(int index);
    void WordsViewActivate(const QModelIndex& index);

    QLabel* FilterST = nullptr;
    QComboBox* FilterCB = nullptr;
    QTableView* WordsView = nullptr;
    QCheckBox* AddToFileCheck = nullptr;

signals:
    // The user asked for the word's next occurrence in the text.
    void occurrenceRequested(std::size_t row);
    // A line for the window's status line.
    void statusMessage(const QString& text);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    void analysisChanged(CurrentAnalysis::Change change, std::size_t row);
    void addToUserDictionary(const WordRow& row);
    void fitColumns();

    CurrentAnalysis* analysis_;
    WordsModel* wordsModel_ = nullptr;
    WordsFilterModel* wordsFilter_ = nullptr;
};
