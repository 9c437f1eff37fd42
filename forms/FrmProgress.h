#pragma once

#include "analysis/CountingPasses.h"

#include <QElapsedTimer>
#include <QWidget>

class QLabel;
class QProgressBar;

// The borderless, stay-on-top window that shows one bar per counting pass while
// an analysis runs. Each run makes its own and destroys it at the end.
class TProgressForm : public QWidget, public AnalysisProgress {
    Q_OBJECT
public:
    // The window is hidden after construction. It is centred over the main
    // window when shown; owner is not made its toolkit parent, so that disabling
    // the main window during a run does not disable it too.
    explicit TProgressForm(QWidget* owner = nullptr);

    void SetSyllableProgress(int percent) override;
    void SetWordProgress(int percent) override;
    void SetSentenceProgress(int percent) override;

    void FormShow();

    QLabel* SyllST = nullptr;
    QProgressBar* SyllPB = nullptr;
    QLabel* WordST = nullptr;
    QProgressBar* WordPB = nullptr;
    QLabel* SentST = nullptr;
    QProgressBar* SentPB = nullptr;

protected:
    void showEvent(QShowEvent* event) override;

private:
    void setProgress(QProgressBar* bar, int percent);

    QWidget* owner_ = nullptr;
    QElapsedTimer sinceEvents_;
};

// The progress window of the run under way; between runs, the one made at start-up.
extern TProgressForm* ProgressForm;
