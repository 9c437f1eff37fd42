#pragma once

#include "analysis/PassageDetails.h"

#include <QMetaObject>
#include <QPointer>
#include <QWidget>

#include <memory>

class QCheckBox;
class QComboBox;
class QLabel;
class QModelIndex;
class QPlainTextEdit;
class QPushButton;
class QTabWidget;
class QTableView;
class QTableWidget;
class TDictionary;
class TextHighlight;
class WordsFilterModel;
class WordsModel;

// The "Analysis Details" window: where the difficulty of the last analysed
// passage lies. Further readability indices with their meaning, every distinct
// word with its syllables and where the count came from (a count can be
// corrected there, which counts the figures again), and the hardest sentences.
// Clicking a word or a sentence selects it in the main window's text area, and
// the text area can highlight the difficult words and long sentences. A
// top-level window of its own; closing it only hides it.
class TDetailsForm : public QWidget {
    Q_OBJECT
public:
    explicit TDetailsForm(QWidget* parent = nullptr);
    ~TDetailsForm() override;

    // The details of a new analysis of the text in textArea, whose words are
    // counted with dictionary (a corrected count can be added to its user file).
    void SetAnalysis(std::shared_ptr<PassageDetails> details, QPlainTextEdit* textArea,
                     TDictionary* dictionary);
    const PassageDetails* Details() const { return details_.get(); }

    // Says which rules produced the figures, and for a text loaded from a
    // document under the classic rules, what those rules do to its headings.
    void SetRulesNote(CountingRules rules, bool fromDocument);

    // Shows the window and brings it to the front.
    void ShowDetails();

    // Highlights the difficult words and the long sentences in the text area,
    // while the text is as it was analysed.
    void SetHighlight(bool on);
    bool Highlighted() const;

    // Selects in the text area the next occurrence of the word in the row of
    // the details (after the text area's selection, from the top again at the
    // end), or the sentence.
    void SelectNextOccurrence(std::size_t row);
    void SelectSentence(std::size_t sentence);

    // Gives a word a new count, counts the figures again and, when asked,
    // adds the word to the user dictionary.
    void ChangeWordCount(std::size_t row, std::int32_t syllables);

    void CloseBTClick();
    void FilterCBChange(int index);
    void SentenceOrderCBChange(int index);
    void HighlightCheckClick(bool checked);
    void WordsViewActivate(const QModelIndex& index);
    void SentencesViewActivate(int row);

    QLabel* EmptyST = nullptr;
    QLabel* StaleST = nullptr;
    QLabel* RulesST = nullptr;
    QTabWidget* Tabs = nullptr;
    QTableWidget* IndicesView = nullptr;
    QLabel* CountsST = nullptr;
    QLabel* FilterST = nullptr;
    QComboBox* FilterCB = nullptr;
    QTableView* WordsView = nullptr;
    QCheckBox* AddToFileCheck = nullptr;
    QLabel* SentenceOrderST = nullptr;
    QComboBox* SentenceOrderCB = nullptr;
    QTableWidget* SentencesView = nullptr;
    QCheckBox* HighlightCheck = nullptr;
    QPushButton* CloseBT = nullptr;

    // The sentences listed, at least this many of each kind.
    static constexpr std::size_t kListedSentences = 50;

protected:
    void keyPressEvent(QKeyEvent* event) override;

private:
    void createControls();
    QWidget* createIndicesPage();
    QWidget* createWordsPage();
    QWidget* createSentencesPage();
    void showFigures();
    void showSentences();
    void showState();
    void textChanged();
    void addToUserDictionary(const WordRow& row);
    void select(std::size_t position, std::size_t size);

    std::shared_ptr<PassageDetails> details_;
    QPointer<QPlainTextEdit> textArea_;
    QMetaObject::Connection textConnection_;
    TDictionary* dictionary_ = nullptr;
    QString text_; // the text as analysed, for the sentences' wording
    bool stale_ = false;
    WordsModel* wordsModel_ = nullptr;
    WordsFilterModel* wordsFilter_ = nullptr;
    QPointer<TextHighlight> highlight_;
    std::vector<std::size_t> listedSentences_;
};

extern TDetailsForm* DetailsForm;
