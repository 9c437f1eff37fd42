#pragma once

#include <QWidget>

#include <array>
#include <cstdint>

class CurrentAnalysis;
class QLabel;
class QPushButton;

// The "Analysis Report" window: the twelve figures of the last analysis beside
// their captions, with a copy to the clipboard. A top-level window without a
// parent, so that it has its own taskbar entry; closing it only hides it.
class TReportForm : public QWidget {
    Q_OBJECT
public:
    explicit TReportForm(QWidget* parent = nullptr);

    // Fills all twelve value labels, then shows the window and brings it to the
    // front. The order of the counts is syllables, words, sentences, difficult words.
    void ShowStatistics(std::int32_t syllables, std::int32_t words, std::int32_t sentences,
                        std::int32_t difficultWords);

    // Fills the twelve value labels without showing the window (counts
    // corrected in the details window).
    void SetStatistics(std::int32_t syllables, std::int32_t words, std::int32_t sentences,
                       std::int32_t difficultWords);

    // Shows each analysis of the owner as it comes and as its counts change,
    // without showing the window.
    void Follow(CurrentAnalysis* analysis);

    void CloseBTClick();
    void ClipCopyBTClick();
    void DetailsBTClick();

    // Value labels and captions, in the order of the window's definition.
    QLabel* SyllLB = nullptr;
    QLabel* WordsLB = nullptr;
    QLabel* SentLB = nullptr;
    QLabel* SentPHLB = nullptr;
    QLabel* SyllPHLB = nullptr;
    QLabel* SyllPWordLB = nullptr;
    QLabel* SyllPSentLB = nullptr;
    QLabel* SyllST = nullptr;
    QLabel* WordsST = nullptr;
    QLabel* SentST = nullptr;
    QLabel* SyllPWordST = nullptr;
    QLabel* SyllPSentST = nullptr;
    QLabel* WordPSentST = nullptr;
    QLabel* WordPSentLB = nullptr;
    QLabel* SyllPHST = nullptr;
    QLabel* SentPHST = nullptr;
    QLabel* TitleST = nullptr;
    QPushButton* CloseBT = nullptr;
    QPushButton* ClipCopyBT = nullptr;
    QLabel* DiffWordsST = nullptr;
    QLabel* DiffWordsLB = nullptr;
    QLabel* GunningFogST = nullptr;
    QLabel* FleschEaseST = nullptr;
    QLabel* KincaidGradeST = nullptr;
    QLabel* GunningFogLB = nullptr;
    QLabel* FleschEaseLB = nullptr;
    QLabel* KincaidGradeLB = nullptr;
    // Beside the designed controls: opens the analysis details.
    QPushButton* DetailsBT = nullptr;

signals:
    // The "Details..." button was pressed.
    void detailsRequested();

private:
    void createControls();
    // The value labels in report row order.
    std::array<QLabel*, 12> valueLabels() const;
};

extern TReportForm* ReportForm;
