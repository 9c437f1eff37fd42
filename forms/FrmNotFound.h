#pragma once

#include <QDialog>

#include <cstdint>
#include <string>

class QLabel;
class QLineEdit;
class QPushButton;
class TDictionary;

// The modal "Word Not Found" dialog: asks the user for the syllable count of a
// word that the dictionary lacks, and adds the word in memory, or in memory and
// in the user dictionary file. The analysis makes a fresh one for every word.
class TNotFoundForm : public QDialog {
    Q_OBJECT
public:
    // owner is the window the dialog is shown for. It is deliberately not the
    // toolkit parent: the main window is disabled during an analysis, and a
    // child window would be disabled with it.
    explicit TNotFoundForm(QWidget* owner = nullptr);

    // The count the user gave (0 or more), or 0 when the dialog ended without one
    // (close box, "Ignore word  (0 syllables)").
    std::int32_t AskSyllables(const std::string& word, TDictionary& dictionary);

    // True when the last AskSyllables ended because the user asked to stop the
    // whole analysis (Escape, then Yes); its count is then 0 and nothing was added.
    bool StopRequested() const { return stopRequested_; }

    void AddMemBTClick();
    void AddFileBTClick();
    void IgnoreBTClick();
    void SyllableEditKeyDown(int& key, Qt::KeyboardModifiers shift);

    QLabel* WordLB = nullptr;
    QLabel* NotFoundST = nullptr;
    QLabel* SyllableEditLabel = nullptr;
    QLineEdit* SyllableEdit = nullptr;
    QLabel* EstimateLB = nullptr; // "Estimated: 3 syllables", below the edit
    QPushButton* AddMemBT = nullptr;
    QPushButton* IgnoreBT = nullptr;
    QPushButton* AddFileBT = nullptr;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    void createControls();
    void fitTexts();
    void acceptCount(bool addToFile);

    QWidget* owner_ = nullptr;
    std::string word_;
    TDictionary* dictionary_ = nullptr;
    std::int32_t count_ = 0;
    bool stopRequested_ = false;
};

// The dialog made at start-up; analyses use dialogs of their own.
extern TNotFoundForm* NotFoundForm;
