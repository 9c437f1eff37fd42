#pragma once

#include "analysis/PassageDetails.h"

#include <QPointer>
#include <QWidget>

#include <cstddef>
#include <cstdint>

class CurrentAnalysis;
class DetailsChecksPage;
class DetailsHeadline;
class DetailsIndicesPage;
class DetailsSentencesPage;
class DetailsWordsPage;
class PassageHighlight;
class QCheckBox;
class QComboBox;
class QLabel;
class QPushButton;
class QStatusBar;
class QTabWidget;
class QTableView;
class QTableWidget;

// The "Analysis Details" window: where the difficulty of the current analysis
// lies. Further readability indices with their meaning, every distinct word
// with its syllables and where the count came from (a count can be corrected
// there, which every view of the analysis follows), and the hardest sentences.
// Choosing a word or a sentence selects it in the main window's text area, and
// the text area can highlight the difficult words and long sentences. A
// top-level window of its own; closing it only hides it.
class TDetailsForm : public QWidget {
    Q_OBJECT
public:
    // Each showing stands beside, below or above mainWindow where the screen
    // has room; the window is still a top-level one of its own, not
    // mainWindow's child.
    explicit TDetailsForm(CurrentAnalysis* analysis, QWidget* mainWindow = nullptr);
    ~TDetailsForm() override;

    // nullptr before the first analysis.
    const PassageDetails* Details() const;

    // Says which rules produced the figures and why (carefulChosen: by Careful
    // Counting), for a text loaded from a document under the classic rules,
    // what those rules do to its headings, and what the reader warned of.
    void SetRulesNote(CountingRules rules, bool fromDocument, bool carefulChosen = false,
                      const QString& documentWarning = {});

    // Says whether the main window's text has edits that are not saved.
    void SetUnsavedMark(bool unsaved);

    // Shows the window and brings it to the front.
    void ShowDetails();

    // Highlights the difficult words and the long sentences in the text area,
    // while the text is as it was analysed.
    void SetHighlight(bool on);
    bool Highlighted() const;

    // Selects in the text area the next occurrence of the word in the row of
    // the details (after the text area's selection, from the top again at the
    // end), or the sentence, and keeps it out from under this window.
    void SelectNextOccurrence(std::size_t row);
    void SelectSentence(std::size_t sentence);

    // Gives a word a new count and, when asked, adds it to the user dictionary.
    void ChangeWordCount(std::size_t row, std::int32_t syllables);

    void CloseBTClick();
    void HighlightCheckClick(bool checked);

    QLabel* EmptyST = nullptr;
    QLabel* StaleST = nullptr;
    QLabel* RulesST = nullptr;
    QLabel* UnsavedST = nullptr;
    DetailsHeadline* Headline = nullptr;
    QTabWidget* Tabs = nullptr;
    DetailsIndicesPage* IndicesPage = nullptr;
    DetailsWordsPage* WordsPage = nullptr;
    DetailsSentencesPage* SentencesPage = nullptr;
    DetailsChecksPage* ChecksPage = nullptr;
    QCheckBox* HighlightCheck = nullptr;
    QPushButton* CloseBT = nullptr;
    QStatusBar* StatusLine = nullptr;
    // The pages' controls, reached from the window.
    QTableWidget* IndicesView = nullptr;
    QLabel* CountsST = nullptr;
    QLabel* FilterST = nullptr;
    QComboBox* FilterCB = nullptr;
    QTableView* WordsView = nullptr;
    QCheckBox* AddToFileCheck = nullptr;
    QLabel* SentenceOrderST = nullptr;
    QComboBox* SentenceOrderCB = nullptr;
    QTableWidget* SentencesView = nullptr;

protected:
    void keyPressEvent(QKeyEvent* event) override;

private:
    void createControls();
    void showState();
    void placeBesideMainWindow();
    // Gives the highlighting the checks' findings when they are to be coloured.
    void showColours();
    void select(std::size_t position, std::size_t size);
    // Scrolls the text area so that its selection is not under this window.
    void uncoverSelection();

    CurrentAnalysis* analysis_;
    QPointer<QWidget> mainWindow_;
    PassageHighlight* highlight_ = nullptr;
    // Whether the user turned Highlight on: an edit drops the marks, a run
    // brings them back.
    bool highlightWanted_ = false;
};

extern TDetailsForm* DetailsForm;
