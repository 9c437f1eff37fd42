#pragma once

#include "analysis/TextPreparation.h"
#include "forms/CurrentAnalysis.h"
#include "text/TextFile.h"

#include <QColor>
#include <QFont>
#include <QMainWindow>

#include <memory>
#include <optional>
#include <string>
#include <unordered_set>
#include <vector>

class QAction;
class QLabel;
class QTimer;
class QMenu;
class QMenuBar;
class QPlainTextEdit;
class TDictionary;

// The main window: a plain text editor with a menu bar. It owns the syllable
// dictionary of the run and opens every other window; closing it ends the program.
class TMainForm : public QMainWindow {
    Q_OBJECT
public:
    explicit TMainForm(QWidget* parent = nullptr);
    ~TMainForm() override;

    // Counts the text area's passage under a progress window and shows the report,
    // or says "Dictionary Error" and does nothing else when no word list was read.
    void RunAnalysis();

    // The editor font, remembered between runs by the settings store.
    void LoadFontSettings();
    void SaveFontSettings();

    // The text area's font colour. An invalid colour stands for the system's text
    // colour, which follows the desktop theme rather than being a fixed value.
    QColor EditorColor() const { return editorColor_; }
    void SetEditorColor(const QColor& color);
    QFont EditorFont() const;
    void SetEditorFont(const QFont& font);

    // Replaces the text area's content with a text file (UTF-8, UTF-16 with a
    // byte-order mark, or Windows-1252), line breaks of any kind taken as breaks.
    // Throws and leaves the text area as it was when the file cannot be used.
    void LoadTextFile(const QString& path);
    // Writes the text area's content, line breaks as CR LF, in the encoding the
    // text was loaded in when every character fits it, else in UTF-8. The old
    // file is replaced only once the new content is completely written.
    void SaveTextFile(const QString& path);
    // The text area's logical lines (paragraphs, however they wrap on screen);
    // an empty line after a final line break is not a line.
    std::vector<std::string> MemoLines() const;

    // Loads the file named on the command line as Load Text File does; a file
    // that cannot be used is reported and the text area keeps its text.
    void LoadStartupFile(const QString& path);

    // Whether the text area was edited since the start, the last load or the
    // last save; the Details window shows it.
    bool Modified() const;

    TDictionary* Dictionary() const { return dictionary_.get(); }
    // The current analysis, which the report, the graph and the details follow.
    CurrentAnalysis* Analysis() const { return analysis_; }
    TextEncoding Encoding() const { return encoding_; }
    bool Running() const { return running_; }

    void FormCreate();
    void FormClose(QCloseEvent* event);
    void mnuTxtLoadClick();
    void mnuTxtSaveClick();
    void mnuExitClick();
    void mnuChangeFontClick();
    void mnuEstimateUnknownClick();
    void mnuCarefulCountingClick();
    void mnuClassicForDocumentsClick();
    void mnuLiveStatisticsClick();
    void mnuStartAnalysisClick();
    void mnuShowDetailsClick();
    void mnuShowGraphClick();
    void mnuMarkPassageClick();
    void mnuHowToUseClick();
    void mnuAboutClick();

    QPlainTextEdit* InputMemo = nullptr;
    QMenuBar* MainMenu = nullptr;
    QMenu* mnuFile = nullptr;
    QAction* mnuTxtLoad = nullptr;
    QAction* mnuTxtSave = nullptr;
    QAction* mnuExit = nullptr;
    QMenu* mnuOptions = nullptr;
    QAction* mnuChangeFont = nullptr;
    QAction* mnuEstimateUnknown = nullptr; // checkable; off unless remembered on
    QAction* mnuCarefulCounting = nullptr; // checkable; off unless remembered on
    // Checkable, off unless remembered on: a loaded document is then counted
    // by the classic rules too (Careful Counting on still counts it carefully).
    QAction* mnuClassicForDocuments = nullptr;
    QAction* mnuLiveStatistics = nullptr; // checkable; off unless remembered on
    // The status bar of the live statistics; nullptr while they are off.
    QLabel* LiveStatisticsST = nullptr;
    QMenu* mnuAnalysis = nullptr;
    QAction* mnuStartAnalysis = nullptr;
    QAction* mnuShowDetails = nullptr;
    QMenu* mnuGraph = nullptr;
    QAction* mnuShowGraph = nullptr;
    QAction* mnuMarkPassage = nullptr; // checkable; off unless remembered on
    QMenu* mnuHelp = nullptr;
    QAction* mnuHowToUse = nullptr;
    QAction* mnuAbout = nullptr;

signals:
    void modifiedChanged(bool modified);

protected:
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    void createMenus();
    void fitOuterSizeOnceFramed(int attempt);
    void createControls();
    QAction* addItem(QMenu* menu, const char* caption, void (TMainForm::*handler)());
    // Asks before edited text is thrown away; false when the user cancelled or
    // the save they chose did not happen (its error shown).
    bool mayDiscardText();
    // The save dialog and the save; false when the dialog was cancelled.
    bool saveWithDialog();
    // The text area's content exactly, paragraphs separated by line feeds.
    std::string memoText() const;
    // Whether any of the lines is a line of the last loaded document, so that
    // what the classic rules do to its headings still concerns the text.
    bool HoldsDocumentLine(const std::vector<std::string>& lines) const;
    // Shows the text; a very long line is shown in pieces that memoText joins.
    void setMemoText(const QString& text);
    // Runs the writing checks of this run's text when the details ask for them.
    CurrentAnalysis::CheckSource checkSource(CountingRules rules, std::string text,
                                             std::vector<std::size_t> cuts, bool estimated);
    // Adds or removes the status bar of the live statistics.
    void showLiveStatistics(bool on);
    // The rules a text is counted by: from a loaded document or typed.
    CountingRules countingRules(bool fromDocument) const;
    // Counts the text as it stands, every unknown word estimated, for the
    // status bar.
    void updateLiveStatistics();

    std::unique_ptr<TDictionary> dictionary_;
    // The text as last loaded or saved, while the text area is unedited since.
    std::optional<std::string> unchangedText_;
    CurrentAnalysis* analysis_ = nullptr;
    TextEncoding encoding_ = TextEncoding::Utf8;
    QString documentPath_; // the document the text was loaded from, if not a text file
    std::unordered_set<std::size_t> documentLines_; // hashes of its lines that hold text
    QString documentWarning_;       // the reader's warnings about the document, for the details
    QString savedPath_;             // where the text was saved since it was loaded, if anywhere
    bool savedAsTextNoted_ = false; // the user was told what saving a document's text drops
    QColor editorColor_;
    bool running_ = false;
    // Whether the text area shows a long line in pieces that memoText joins.
    bool shownInPieces_ = false;
    bool shownBefore_ = false;
    QTimer* liveStatisticsTimer_ = nullptr; // runs from the last keystroke
};

extern TMainForm* MainForm;
