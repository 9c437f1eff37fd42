#include "../DocumentFiles.h"
#include "FakeDesktop.h"

#include "dictionary/Dictionary.h"
#include "forms/Application.h"
#include "forms/ErrorDisplay.h"
#include "forms/FrmAbout.h"
#include "forms/FrmDetails.h"
#include "forms/FrmFryGraph.h"
#include "forms/FrmHelpPage.h"
#include "forms/FrmMain.h"
#include "forms/FrmNotFound.h"
#include "forms/FrmProgress.h"
#include "forms/FrmReport.h"
#include "forms/ScreenPlacement.h"
#include "report/TextAnalysis.h"
#include "text/Error.h"
#include "text/FileName.h"

#include <gtest/gtest.h>

#include <QAbstractItemModel>
#include <QAction>
#include <QComboBox>
#include <QDir>
#include <QDropEvent>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QMimeData>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QScreen>
#include <QStatusBar>
#include <QTableView>
#include <QTemporaryDir>
#include <QTest>
#include <QUrl>

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

#include <unistd.h>

namespace {

// The program as it starts: the seven windows, the word list of the test data
// beside a pretend executable in a folder of its own.
class MainFormTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(dir.isValid());
        ASSERT_TRUE(
            QFile::copy(TestData(QStringLiteral("forms/cuvplus.dat")), Path("cuvplus.dat")));
        Start();
    }

    void TearDown() override {
        if (MainForm)
            MainForm->close();
        windows.reset();
        EXPECT_TRUE(VisibleWindows().empty());
    }

    void Start() {
        windows.reset();
        desktop.executablePath = Path("scrivolux");
        windows = std::make_unique<StartupWindows>();
        ASSERT_NE(MainForm, nullptr);
        MainForm->show();
        // The outer size is set once the window's frame is known.
        QTest::qWait(1);
    }

    QString Path(const char* name) const { return dir.filePath(QString::fromLatin1(name)); }

    void SetText(const QString& text) { MainForm->InputMemo->setPlainText(text); }
    QString Text() const { return MainForm->InputMemo->toPlainText(); }

    void Analyse() { MainForm->mnuStartAnalysis->trigger(); }

    QDir Dir() const { return QDir(dir.path()); }

    FakeDesktop desktop;
    DesktopGuard guard{desktop};
    QTemporaryDir dir;
    std::unique_ptr<StartupWindows> windows;
};

// ---- Start-up -------------------------------------------------------------

TEST_F(MainFormTest, StartsWithTheDesignedWindowAndTheWordListBesideTheExecutable) {
    for (QWidget* window :
         std::initializer_list<QWidget*>{MainForm, NotFoundForm, FryGraphForm, ReportForm, AboutBox,
                                         HelpPageForm, ProgressForm})
        EXPECT_NE(window, nullptr);
    EXPECT_EQ(MainForm->windowTitle(), QStringLiteral("The Scrivolux"));
    EXPECT_EQ(MainForm->frameGeometry().size(), QSize(638, 425));
    EXPECT_TRUE(
        QGuiApplication::primaryScreen()->availableGeometry().contains(MainForm->frameGeometry()));
    EXPECT_EQ(Text(), QStringLiteral("Enter text to be analyzed.\n"));
    EXPECT_EQ(MainForm->MemoLines(), std::vector<std::string>{"Enter text to be analyzed."});
    EXPECT_EQ(MainForm->InputMemo->font().family(), QStringLiteral("MS Sans Serif"));
    EXPECT_EQ(MainForm->InputMemo->font().pointSize(), 8);
    EXPECT_FALSE(MainForm->EditorColor().isValid()) << "the theme's text colour";
    EXPECT_EQ(MainForm->InputMemo->lineWrapMode(), QPlainTextEdit::WidgetWidth);
    EXPECT_EQ(MainForm->InputMemo->horizontalScrollBarPolicy(), Qt::ScrollBarAlwaysOff);

    ASSERT_TRUE(MainForm->Dictionary()->Loaded);
    EXPECT_EQ(MainForm->Dictionary()->Lookup("beautiful"), 3);
    EXPECT_EQ(MainForm->Dictionary()->CustomFilePath(), Path("custom.dat").toStdString());
    for (QWidget* window : VisibleWindows())
        EXPECT_EQ(window, MainForm) << "only the main window is shown";
}

TEST_F(MainFormTest, MenusInTheirOrderWithTheUsualShortcuts) {
    QStringList captions;
    QStringList shortcuts;
    for (QAction* menu : MainForm->MainMenu->actions()) {
        captions << menu->text();
        for (QAction* item : menu->menu()->actions()) {
            captions << QStringLiteral("  ") + item->text();
            if (!item->shortcut().isEmpty())
                shortcuts << item->text() + QStringLiteral(" ") +
                                 item->shortcut().toString(QKeySequence::PortableText);
        }
    }
    EXPECT_EQ(captions, (QStringList{"&File", "  &Load Text File...", "  &Save Text File...",
                                     "  E&xit", "&Options", "  Font...",
                                     "  &Estimate Unknown Words", "  &Careful Counting",
                                     "  &Live Statistics", "  Classic Rules for &Documents",
                                     "&Analysis", "  &Start Analysis...", "  Show &Details",
                                     "&Graph", "  &Show Fry's Graph", "  &Mark the Passage",
                                     "&Help", "  How to &use the Scrivolux...", "  &About..."}));
    EXPECT_EQ(shortcuts, (QStringList{"&Load Text File... Ctrl+O", "&Save Text File... Ctrl+S",
                                      "&Start Analysis... F5", "Show &Details Ctrl+D",
                                      "How to &use the Scrivolux... F1"}));
}

// Off, the window has no status bar at all; on, a line of figures follows the
// typing without a question, and the choice outlives the program.
TEST_F(MainFormTest, LiveStatisticsAreOptInAndAskNothing) {
    const QRect designedMemo = MainForm->InputMemo->geometry();
    EXPECT_FALSE(MainForm->mnuLiveStatistics->isChecked()) << "off until chosen";
    EXPECT_EQ(MainForm->findChild<QStatusBar*>(), nullptr);
    MainForm->mnuLiveStatistics->trigger();
    ASSERT_NE(MainForm->LiveStatisticsST, nullptr);
    ModalAnswers<TNotFoundForm> answers;
    answers.Then([](TNotFoundForm* dialog) { dialog->IgnoreBT->click(); }).RepeatLast();
    const std::string text = "Zorpification is here. The cat sat.";
    SetText(QString::fromStdString(text));
    // The grade of the whole analysis with every unknown word estimated.
    const TextReport estimated =
        AnalyseText(std::string(), text, *MainForm->Dictionary(), TextAnalysisOptions());
    const auto& grade = estimated.indices[static_cast<std::size_t>(ExtraIndex::Consensus)];
    ASSERT_TRUE(grade);
    const QString expected =
        QStringLiteral("Words: 6    Sentences: 2    Grade: ") + QLocale().toString(*grade, 'f', 1);
    EXPECT_TRUE(
        QTest::qWaitFor([&] { return MainForm->LiveStatisticsST->text() == expected; }, 3000))
        << MainForm->LiveStatisticsST->text().toStdString();
    EXPECT_EQ(answers.Answered(), 0);
    EXPECT_EQ(MainForm->Dictionary()->Lookup("zorpification"), -1) << "nothing learnt";

    Start();
    EXPECT_TRUE(MainForm->mnuLiveStatistics->isChecked());
    ASSERT_NE(MainForm->LiveStatisticsST, nullptr);
    MainForm->mnuLiveStatistics->trigger();
    EXPECT_EQ(MainForm->LiveStatisticsST, nullptr);
    EXPECT_EQ(MainForm->findChild<QStatusBar*>(), nullptr);
    Start();
    EXPECT_FALSE(MainForm->mnuLiveStatistics->isChecked());
    EXPECT_EQ(MainForm->findChild<QStatusBar*>(), nullptr);
    EXPECT_EQ(MainForm->InputMemo->geometry(), designedMemo);
}

// ---- The analysis run -----------------------------------------------------

TEST_F(MainFormTest, WithoutAWordListTheRunChangesNothing) {
    QFile::remove(Path("cuvplus.dat"));
    Start();
    ASSERT_FALSE(MainForm->Dictionary()->Loaded);
    ReportForm->ShowStatistics(1, 1, 1, 0);
    SetText(QStringLiteral("Wait... what?!"));

    Analyse();
    EXPECT_EQ(desktop.messages, QStringList{"Dictionary Error"});
    EXPECT_TRUE(desktop.pauses.empty());
    EXPECT_TRUE(MainForm->isEnabled());
    EXPECT_TRUE(ReportForm->isVisible());
    EXPECT_EQ(ReportForm->WordsLB->text(), QStringLiteral("1"));
    EXPECT_FALSE(ProgressForm->isVisible());
}

TEST_F(MainFormTest, ARunReachesTheReportThroughTheProgressWindow) {
    ReportForm->ShowStatistics(9, 9, 9, 9);
    SetText(QStringLiteral("Wait... what?!"));
    TProgressForm* const startupProgress = ProgressForm;
    bool checkedFirstPause = false;
    desktop.onPause = [&](int milliseconds) {
        if (milliseconds != 250 || checkedFirstPause)
            return;
        checkedFirstPause = true;
        // After the syllable pass: locked, report hidden, a fresh progress window
        // centred over the main window.
        EXPECT_FALSE(MainForm->isEnabled());
        EXPECT_FALSE(ReportForm->isVisible());
        ASSERT_NE(ProgressForm, startupProgress);
        EXPECT_TRUE(ProgressForm->isVisible());
        EXPECT_EQ(ProgressForm->size(), QSize(361, 191));
        const QRect main = MainForm->frameGeometry();
        EXPECT_EQ(
            ProgressForm->frameGeometry().topLeft(),
            QPoint(main.x() + (main.width() - 361) / 2, main.y() + (main.height() - 191) / 2));
        EXPECT_EQ(ProgressForm->SyllPB->value(), 100);
        EXPECT_EQ(ProgressForm->WordPB->value(), 0);
        EXPECT_EQ(ProgressForm->SentPB->value(), 0);
    };

    Analyse();
    EXPECT_TRUE(checkedFirstPause);
    EXPECT_EQ(desktop.pauses, (std::vector<int>{250, 250, 1000}));
    EXPECT_TRUE(desktop.messages.isEmpty());
    EXPECT_TRUE(desktop.errors.isEmpty());
    EXPECT_TRUE(MainForm->isEnabled());
    EXPECT_EQ(ProgressForm, startupProgress);
    EXPECT_TRUE(ReportForm->isVisible());
    EXPECT_EQ(ReportForm->SyllLB->text(), QStringLiteral("2"));
    EXPECT_EQ(ReportForm->WordsLB->text(), QStringLiteral("2"));
    EXPECT_EQ(ReportForm->SentLB->text(), QStringLiteral("5"));
    EXPECT_EQ(ReportForm->DiffWordsLB->text(), QStringLiteral("0"));
    EXPECT_EQ(VisibleWindows().size(), 2u) << "main window and report, no progress window";
}

TEST_F(MainFormTest, ClosingDuringARunWaitsForItsEnd) {
    SetText(QStringLiteral("Wait... what?!"));
    bool closed = true;
    desktop.onPause = [&](int milliseconds) {
        if (milliseconds == 250 && closed)
            closed = MainForm->close();
    };
    Analyse();
    EXPECT_FALSE(closed) << "the run holds the text and the dictionary";
    EXPECT_TRUE(MainForm->isVisible());
    EXPECT_TRUE(ReportForm->isVisible());
    EXPECT_EQ(ReportForm->WordsLB->text(), QStringLiteral("2"));
    desktop.onPause = nullptr;
    EXPECT_TRUE(MainForm->close());
}

TEST_F(MainFormTest, AnEmptyTextGivesAReportOfZeros) {
    SetText(QString());
    Analyse();
    EXPECT_EQ(desktop.pauses, (std::vector<int>{250, 250, 1000}));
    EXPECT_EQ(ReportForm->SyllLB->text(), QStringLiteral("0"));
    EXPECT_EQ(ReportForm->FleschEaseLB->text(), QStringLiteral("----"));
}

TEST_F(MainFormTest, EscapeInTheDialogCanStopTheWholeRun) {
    SetText(QStringLiteral("Zorp zorp. Quux."));
    ReportForm->ShowStatistics(9, 9, 9, 9);
    TProgressForm* const startupProgress = ProgressForm;
    desktop.yesNoAnswers = {false, true};
    ModalAnswers<TNotFoundForm> answers;
    answers.Then([](TNotFoundForm* dialog) {
        QTest::keyClick(dialog->SyllableEdit, Qt::Key_Escape);
        EXPECT_TRUE(dialog->isVisible()) << "No goes back to the dialog";
        QTest::keyClick(dialog->SyllableEdit, Qt::Key_Escape);
    });
    Analyse();
    EXPECT_EQ(answers.Answered(), 1) << "no question after the stop";
    EXPECT_EQ(desktop.questions, QStringList(2, QStringLiteral("Stop the analysis?")));
    EXPECT_TRUE(desktop.pauses.empty());
    EXPECT_TRUE(MainForm->isEnabled());
    EXPECT_EQ(ProgressForm, startupProgress);
    EXPECT_EQ(Text(), QStringLiteral("Zorp zorp. Quux."));
    EXPECT_FALSE(ReportForm->isVisible()) << "the report of the earlier text stays hidden";
    EXPECT_EQ(MainForm->Dictionary()->Lookup("zorp"), -1);
}

TEST_F(MainFormTest, EstimatingUnknownWordsAsksNothingAndIsRemembered) {
    EXPECT_FALSE(MainForm->mnuEstimateUnknown->isChecked()) << "off until chosen";
    MainForm->mnuEstimateUnknown->trigger();
    SetText(QStringLiteral("Zorpification zorpification."));
    ModalAnswers<TNotFoundForm> answers;
    answers.Then([](TNotFoundForm* dialog) { dialog->IgnoreBT->click(); });
    Analyse();
    EXPECT_EQ(answers.Answered(), 0);
    EXPECT_GT(ReportForm->SyllLB->text().toInt(), 4);
    EXPECT_EQ(MainForm->Dictionary()->Lookup("zorpification"), -1);
    EXPECT_FALSE(QFile::exists(Path("custom.dat")));

    Start();
    EXPECT_TRUE(MainForm->mnuEstimateUnknown->isChecked());
    MainForm->mnuEstimateUnknown->trigger();
    Start();
    EXPECT_FALSE(MainForm->mnuEstimateUnknown->isChecked());
}

// A lone dash is a word under the classic rules, and its estimate is 0: still
// not a question. The details say where each count came from.
TEST_F(MainFormTest, EstimatingAsksNothingForAZeroEstimateAndSaysEstimated) {
    MainForm->mnuEstimateUnknown->trigger();
    SetText(QStringLiteral("Zorp \u2014 cat."));
    ModalAnswers<TNotFoundForm> answers;
    answers.Then([](TNotFoundForm* dialog) { dialog->IgnoreBT->click(); }).RepeatLast();
    Analyse();
    MainForm->mnuEstimateUnknown->trigger();
    EXPECT_EQ(answers.Answered(), 0);
    ASSERT_TRUE(DetailsForm->Details());
    DetailsForm->FilterCB->setCurrentIndex(2); // the words the dictionary lacked
    const QAbstractItemModel* model = DetailsForm->WordsView->model();
    QStringList rows;
    for (int row = 0; row < model->rowCount(); ++row)
        rows << model->index(row, 0).data().toString() + u'/' +
                    model->index(row, 3).data().toString();
    rows.sort();
    EXPECT_EQ(rows,
              (QStringList{QStringLiteral("zorp/estimated"), QStringLiteral("\u2014/estimated")}));
}

// The careful rules reach the report, the details and their note, and the
// choice outlives the program.
TEST_F(MainFormTest, CarefulCountingIsUsedByTheRunAndRemembered) {
    EXPECT_FALSE(MainForm->mnuCarefulCounting->isChecked()) << "off until chosen";
    MainForm->mnuEstimateUnknown->trigger(); // no question about the names
    SetText(QStringLiteral("Dr. Smith met Mr. Jones at 5 p.m. today. They talked."));
    Analyse();
    EXPECT_EQ(ReportForm->SentLB->text(), QStringLiteral("6"));
    MainForm->mnuCarefulCounting->trigger();
    Analyse();
    EXPECT_EQ(ReportForm->SentLB->text(), QStringLiteral("2"));
    ASSERT_TRUE(DetailsForm->Details());
    EXPECT_EQ(DetailsForm->Details()->sentences.size(), 2u);
    EXPECT_TRUE(DetailsForm->RulesST->text().contains(QStringLiteral("careful rules")));

    Start();
    EXPECT_TRUE(MainForm->mnuCarefulCounting->isChecked());
    MainForm->mnuCarefulCounting->trigger();
    MainForm->mnuEstimateUnknown->trigger();
    Start();
    EXPECT_FALSE(MainForm->mnuCarefulCounting->isChecked());
}

// A loaded document is counted by the careful rules, typed text and .txt by
// the classic ones; Classic Rules for Documents is remembered and brings the
// classic rules back for documents, and Careful Counting wins over it.
TEST_F(MainFormTest, DocumentsAreCountedCarefullyUnlessClassicIsChosen) {
    EXPECT_FALSE(MainForm->mnuClassicForDocuments->isChecked()) << "off until chosen";
    for (const char* name : {"notes.md", "notes.txt"}) {
        QFile file(Path(name));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write("# Garden notes\n\nThe roses grew. It was green\n");
    }
    MainForm->mnuEstimateUnknown->trigger(); // no question about the words
    const auto sentencesOf = [&](const char* name) {
        desktop.openNames = {Path(name)};
        MainForm->mnuTxtLoad->trigger();
        Analyse();
        return ReportForm->SentLB->text();
    };
    EXPECT_EQ(sentencesOf("notes.md"), QStringLiteral("3"));
    EXPECT_TRUE(DetailsForm->RulesST->text().contains(QStringLiteral("as a loaded document is")));
    EXPECT_EQ(sentencesOf("notes.txt"), QStringLiteral("2"));
    EXPECT_TRUE(DetailsForm->RulesST->text().contains(QStringLiteral("as typed text")));

    MainForm->mnuClassicForDocuments->trigger();
    EXPECT_EQ(sentencesOf("notes.md"), QStringLiteral("2"));
    EXPECT_TRUE(DetailsForm->RulesST->text().contains(QStringLiteral("the document's headings")));
    MainForm->mnuCarefulCounting->trigger();
    EXPECT_EQ(sentencesOf("notes.md"), QStringLiteral("3"));
    EXPECT_EQ(sentencesOf("notes.txt"), QStringLiteral("3"));
    MainForm->mnuCarefulCounting->trigger();

    Start();
    EXPECT_TRUE(MainForm->mnuClassicForDocuments->isChecked());
    MainForm->mnuClassicForDocuments->trigger();
    MainForm->mnuEstimateUnknown->trigger();
    Start();
    EXPECT_FALSE(MainForm->mnuClassicForDocuments->isChecked());
}

// The details say what the reader warned of, for the document it warned of.
TEST_F(MainFormTest, TheDetailsShowTheWarningOfAPdfOfPictures) {
    {
        QFile file(Path("scan.pdf"));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(documents::ManyPagePdf(4, "Readable cats sleep."));
    }
    MainForm->mnuEstimateUnknown->trigger(); // no question about the words
    desktop.openNames = {Path("scan.pdf")};
    MainForm->mnuTxtLoad->trigger();
    Analyse();
    const QString warning = QStringLiteral("this PDF has little text (its pages may be pictures)");
    EXPECT_TRUE(DetailsForm->RulesST->text().contains(warning))
        << DetailsForm->RulesST->text().toStdString();
    MainForm->InputMemo->selectAll();
    QTest::keyClicks(MainForm->InputMemo, QStringLiteral("Typed over it. All of it."));
    Analyse();
    EXPECT_FALSE(DetailsForm->RulesST->text().contains(warning));
    MainForm->mnuEstimateUnknown->trigger();
}

// The note on a document's headings concerns the text that was counted: a
// document's text edited still has them, a text typed over it has not.
TEST_F(MainFormTest, TheDocumentNoteFollowsTheCountedText) {
    ASSERT_TRUE(
        QFile::copy(TestData(QStringLiteral("documents/passage.docx")), Path("essay.docx")));
    MainForm->mnuEstimateUnknown->trigger(); // no question about the words
    const auto noted = [] {
        return DetailsForm->RulesST->text().contains(QStringLiteral("the document's headings"));
    };
    desktop.openNames = {Path("essay.docx")};
    MainForm->mnuTxtLoad->trigger();
    Analyse();
    EXPECT_TRUE(noted()) << "as loaded";
    QTest::keyClicks(MainForm->InputMemo, QStringLiteral("Edited "));
    Analyse();
    EXPECT_TRUE(noted()) << "edited";
    MainForm->InputMemo->selectAll();
    QTest::keyClicks(MainForm->InputMemo, QStringLiteral("Typed over it. All of it."));
    Analyse();
    EXPECT_FALSE(noted()) << "replaced";
    MainForm->mnuEstimateUnknown->trigger();
}

// A word left without a count is asked about again at each occurrence; each
// counts 0, and the details say so for all of them.
TEST_F(MainFormTest, AnIgnoredWordIsAskedAgainAtEachOccurrence) {
    SetText(QStringLiteral("Zorp cat. Zorp zorp."));
    ModalAnswers<TNotFoundForm> answers;
    answers.Then([](TNotFoundForm* dialog) { dialog->IgnoreBT->click(); }).RepeatLast();
    Analyse();
    EXPECT_EQ(answers.Answered(), 3);
    EXPECT_EQ(ReportForm->WordsLB->text(), QStringLiteral("4"));
    EXPECT_EQ(ReportForm->SyllLB->text(), QStringLiteral("1"));
    ASSERT_TRUE(DetailsForm->Details());
    const auto& words = DetailsForm->Details()->words;
    const auto zorp = std::find_if(words.begin(), words.end(),
                                   [](const WordRow& row) { return row.word == "zorp"; });
    ASSERT_NE(zorp, words.end());
    EXPECT_EQ(zorp->occurrences, 3);
    EXPECT_EQ(zorp->source, WordSource::Ignored);
    Analyse();
    EXPECT_EQ(answers.Answered(), 6) << "asked again in the next run";
}

TEST_F(MainFormTest, AnUnknownWordIsAskedOnceAndCountedEveryTime) {
    QString text;
    for (int i = 0; i < 500; ++i)
        text += QStringLiteral("Zorp ");
    SetText(text + QStringLiteral("cat."));
    ModalAnswers<TNotFoundForm> answers;
    answers.Then([](TNotFoundForm* dialog) {
        EXPECT_FALSE(MainForm->isEnabled()) << "the dialog must not unlock the main window";
        EXPECT_TRUE(dialog->isEnabled());
        EXPECT_EQ(dialog->WordLB->text(), QStringLiteral("Zorp"));
        QTest::keyClicks(dialog->SyllableEdit, QStringLiteral("3"));
        QTest::keyClick(dialog->SyllableEdit, Qt::Key_Return);
    });
    Analyse();
    EXPECT_EQ(answers.Answered(), 1);
    EXPECT_EQ(ReportForm->SyllLB->text(), QStringLiteral("1501"));
    EXPECT_EQ(ReportForm->WordsLB->text(), QStringLiteral("501"));
    EXPECT_EQ(ReportForm->DiffWordsLB->text(), QStringLiteral("500"));
    EXPECT_FALSE(QFile::exists(Path("custom.dat"))) << "Enter keeps the word in memory only";

    // Known from now on, in later runs too.
    Analyse();
    EXPECT_EQ(answers.Answered(), 1);
}

TEST_F(MainFormTest, AddingToTheUserFileReachesTheNextStart) {
    SetText(QStringLiteral("Zebra"));
    ModalAnswers<TNotFoundForm> answers;
    answers.Then([](TNotFoundForm* dialog) {
        QTest::keyClicks(dialog->SyllableEdit, QStringLiteral("2"));
        QTest::mouseClick(dialog->AddFileBT, Qt::LeftButton);
    });
    Analyse();
    EXPECT_EQ(ReadBytes(Path("custom.dat")), QByteArray("Zebra|2\r\n"));
    Start();
    EXPECT_EQ(MainForm->Dictionary()->Lookup("zebra"), 2);
}

TEST_F(MainFormTest, AFailedRunUnlocksTheMainWindowAndShowsTheError) {
    SetText(QStringLiteral("Wait... what?!"));
    TProgressForm* const startupProgress = ProgressForm;
    desktop.onPause = [](int) { throw ScrivoluxError("The pause failed"); };
    Analyse();
    EXPECT_EQ(desktop.errors, QStringList{"The pause failed."});
    EXPECT_TRUE(MainForm->isEnabled());
    EXPECT_FALSE(MainForm->Running());
    EXPECT_EQ(ProgressForm, startupProgress);
    EXPECT_EQ(VisibleWindows(), std::vector<QWidget*>{MainForm});

    desktop.onPause = nullptr;
    Analyse();
    EXPECT_EQ(ReportForm->SentLB->text(), QStringLiteral("5")) << "the next run works";
}

// ---- Loading and saving ---------------------------------------------------

TEST_F(MainFormTest, LineBreaksOfAnyKindLoadAsLinesAndSaveAsCrLf) {
    struct Row {
        const char* name;
        QByteArray file;
        QString shown;
        QByteArray saved;
    };
    const Row rows[] = {
        {"LF", "one\ntwo\n", "one\ntwo\n", "one\r\ntwo\r\n"},
        {"CR", "one\rtwo\r", "one\ntwo\n", "one\r\ntwo\r\n"},
        {"CR LF", "one\r\ntwo\r\n", "one\ntwo\n", "one\r\ntwo\r\n"},
        {"no final break", "one\r\ntwo", "one\ntwo", "one\r\ntwo"},
        {"LF CR is two breaks", "one\n\rtwo", "one\n\ntwo", "one\r\n\r\ntwo"},
        {"empty lines kept", "\n\nx\n\n", "\n\nx\n\n", "\r\n\r\nx\r\n\r\n"},
        {"empty file", "", "", ""},
        {"only a break", "\r\n", "\n", "\r\n"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        ASSERT_TRUE(WriteBytes(Path("in.txt"), row.file));
        desktop.openNames = {Path("in.txt")};
        desktop.saveNames = {Path("out.txt")};
        MainForm->mnuTxtLoad->trigger();
        EXPECT_EQ(Text(), row.shown);
        MainForm->mnuTxtSave->trigger();
        EXPECT_EQ(ReadBytes(Path("out.txt")), row.saved);
    }
    EXPECT_TRUE(desktop.errors.isEmpty()) << desktop.errors.join('|').toStdString();
    // Text files come first and stay the default; documents and any file follow.
    EXPECT_EQ(desktop.filters.first(),
              QStringLiteral("Text Files (*.txt);;Documents (*.docx *.odt *.html *.htm *.md "
                             "*.markdown *.pdf);;All Files (*) / txt"));
    EXPECT_EQ(desktop.filters[1], QStringLiteral("Text Files (*.txt) / txt"));
}

TEST_F(MainFormTest, AVeryLongLineIsShownInPiecesButReadAndSavedWhole) {
    // Laid out as one block, a word of megabytes froze the window for minutes.
    QByteArray word(100'000, 'x');
    for (qsizetype i = 0; i < word.size(); ++i)
        word[i] = static_cast<char>('a' + i % 26);
    const QByteArray prose = QByteArray("Some words. ").repeated(2'000);
    const QByteArray file = word + " ends it.\r\n" + prose + "\r\nshort\r\n";
    ASSERT_TRUE(WriteBytes(Path("long.txt"), file));

    MainForm->LoadTextFile(Path("long.txt"));
    EXPECT_GT(MainForm->InputMemo->blockCount(), 10) << "long lines not cut for the screen";
    const std::vector<std::string> lines = MainForm->MemoLines();
    ASSERT_EQ(lines.size(), 3u);
    EXPECT_EQ(lines[0], (word + " ends it.").toStdString());
    EXPECT_EQ(lines[1], prose.toStdString());
    // Edited, the text is saved from the text area, the pieces joined.
    MainForm->InputMemo->moveCursor(QTextCursor::End);
    MainForm->InputMemo->insertPlainText(QStringLiteral("!"));
    MainForm->SaveTextFile(Path("out.txt"));
    EXPECT_EQ(ReadBytes(Path("out.txt")), file + "!");
}

TEST_F(MainFormTest, SavingAtOnceWritesTheFirstLineAndSavingAgainReplaces) {
    desktop.saveNames = {Path("first.txt"), Path("first.txt")};
    MainForm->mnuTxtSave->trigger();
    EXPECT_EQ(ReadBytes(Path("first.txt")), QByteArray("Enter text to be analyzed.\r\n"));
    SetText(QStringLiteral("Shorter"));
    MainForm->mnuTxtSave->trigger();
    EXPECT_EQ(ReadBytes(Path("first.txt")), QByteArray("Shorter"));
    EXPECT_EQ(Dir().entryList(QDir::Files | QDir::Hidden).size(), 2) << "no temporary file left";
}

TEST_F(MainFormTest, EncodingsRoundTrip) {
    struct Row {
        const char* name;
        QByteArray file;
        QString typedAtEnd;
        QByteArray saved;
    };
    const Row rows[] = {
        {"UTF-8 stays UTF-8", "caf\xC3\xA9 \xE2\x80\x94 na\xC3\xAFve\r\n", "",
         "caf\xC3\xA9 \xE2\x80\x94 na\xC3\xAFve\r\n"},
        {"byte-order mark kept", "\xEF\xBB\xBFhi", "", "\xEF\xBB\xBFhi"},
        {"Windows-1252 stays Windows-1252", "caf\xE9 \x93quoted\x94", "", "caf\xE9 \x93quoted\x94"},
        {"Windows-1252 becomes UTF-8 for a character it lacks", "caf\xE9",
         QStringLiteral(" \u2192"), "caf\xC3\xA9 \xE2\x86\x92"},
        {"UTF-16 stays UTF-16", QByteArray("\xFF\xFEh\0i\0\r\0\n\0", 10), "",
         QByteArray("\xFF\xFEh\0i\0\r\0\n\0", 10)},
        {"big-endian UTF-16 too", QByteArray("\xFE\xFF\0h\0i", 6), "",
         QByteArray("\xFE\xFF\0h\0i", 6)},
        {"no-break space survives",
         "a\xC2\xA0"
         "b",
         "",
         "a\xC2\xA0"
         "b"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        ASSERT_TRUE(WriteBytes(Path("in.txt"), row.file));
        MainForm->LoadTextFile(Path("in.txt"));
        if (!row.typedAtEnd.isEmpty()) {
            MainForm->InputMemo->moveCursor(QTextCursor::End);
            MainForm->InputMemo->insertPlainText(row.typedAtEnd);
        }
        MainForm->SaveTextFile(Path("out.txt"));
        EXPECT_EQ(ReadBytes(Path("out.txt")), row.saved);
    }
}

TEST_F(MainFormTest, FilesThatCannotBeUsedLeaveTheTextAlone) {
    SetText(QStringLiteral("Keep me."));
    ASSERT_TRUE(WriteBytes(Path("binary.txt"), QByteArray("MZ\x90\0\3\0\0\0", 8)));
    ASSERT_TRUE(Dir().mkdir(QStringLiteral("folder.txt")));
    desktop.openNames = {Path("missing.txt"), Path("binary.txt"), Path("folder.txt"), QString()};
    for (int i = 0; i < 4; ++i)
        MainForm->mnuTxtLoad->trigger();
    ASSERT_EQ(desktop.errors.size(), 3);
    EXPECT_EQ(desktop.errors[0], QStringLiteral("Cannot open file ") + Path("missing.txt") + u'.');
    EXPECT_TRUE(desktop.errors[1].contains(QStringLiteral("NUL")))
        << desktop.errors[1].toStdString();
    EXPECT_EQ(desktop.errors[2], QStringLiteral("Cannot open file ") + Path("folder.txt") + u'.');
    EXPECT_EQ(Text(), QStringLiteral("Keep me."));
}

// A document loads as its plain text; saving proposes the same name with .txt
// and writes plain text, and never writes over the document.
TEST_F(MainFormTest, ADocumentLoadsAsPlainTextAndSavesBesideItAsText) {
    ASSERT_TRUE(
        QFile::copy(TestData(QStringLiteral("documents/passage.docx")), Path("essay.docx")));
    const QByteArray document = ReadBytes(Path("essay.docx"));
    desktop.openNames = {Path("essay.docx")};
    desktop.saveNames = {Path("essay.docx"), Path("essay.txt")};
    MainForm->mnuTxtLoad->trigger();
    EXPECT_TRUE(Text().startsWith(QStringLiteral("Reading Matters\n\nReadable cats sleep")))
        << Text().toStdString();
    MainForm->mnuTxtSave->trigger();
    MainForm->mnuTxtSave->trigger();
    EXPECT_EQ(desktop.proposedPaths, QStringList(2, Path("essay.txt")));
    EXPECT_EQ(desktop.errors, QStringList{"The text is not saved over the document it came from; "
                                          "choose another name."});
    EXPECT_EQ(ReadBytes(Path("essay.docx")), document);
    EXPECT_TRUE(
        ReadBytes(Path("essay.txt")).startsWith("Reading Matters\r\n\r\nReadable cats sleep"));
    const QStringList note{QStringLiteral("The text was saved as plain text: the document's "
                                          "formatting and list numbers are not kept.")};
    EXPECT_EQ(desktop.messages, note) << "said once the text is saved, not on the refusal";
    desktop.saveNames = {Path("essay.txt")};
    MainForm->mnuTxtSave->trigger();
    EXPECT_EQ(desktop.messages, note) << "not again for the same document";

    // A text file loaded afterwards proposes nothing again.
    ASSERT_TRUE(WriteBytes(Path("plain.txt"), "Plain."));
    desktop.openNames = {Path("plain.txt")};
    desktop.saveNames = {QString()};
    MainForm->mnuTxtLoad->trigger();
    MainForm->mnuTxtSave->trigger();
    EXPECT_EQ(desktop.proposedPaths.back(), QString());
    desktop.saveNames = {Path("plain2.txt")};
    MainForm->mnuTxtSave->trigger();
    EXPECT_EQ(desktop.messages, note) << "a text file loses nothing";
    // The next document is told about again.
    desktop.openNames = {Path("essay.docx")};
    desktop.saveNames = {Path("essay2.txt")};
    MainForm->mnuTxtLoad->trigger();
    MainForm->mnuTxtSave->trigger();
    EXPECT_EQ(desktop.messages.size(), 2);
}

// The document is refused under every name that leads to it: through a linked
// folder, and as a hard link of its own.
TEST_F(MainFormTest, TheDocumentIsNotSavedOverUnderAnotherName) {
    ASSERT_TRUE(Dir().mkdir(QStringLiteral("real")));
    ASSERT_TRUE(
        QFile::copy(TestData(QStringLiteral("documents/passage.docx")), Path("real/doc.docx")));
    ASSERT_TRUE(QFile::link(Path("real"), Path("link")));
    ASSERT_EQ(::link(QFile::encodeName(Path("real/doc.docx")).constData(),
                     QFile::encodeName(Path("real/hard.docx")).constData()),
              0);
    const QByteArray document = ReadBytes(Path("real/doc.docx"));
    desktop.openNames = {Path("link/doc.docx")};
    desktop.saveNames = {Path("real/doc.docx"), Path("real/hard.docx")};
    MainForm->mnuTxtLoad->trigger();
    MainForm->mnuTxtSave->trigger();
    MainForm->mnuTxtSave->trigger();
    EXPECT_EQ(desktop.errors.size(), 2) << desktop.errors.join(u'|').toStdString();
    EXPECT_EQ(ReadBytes(Path("real/doc.docx")), document);
}

// The .txt proposed beside a document may be the user's own draft: replacing it
// takes a Yes, and No goes back to the dialog. A name the user chose, or the
// file this text was saved to, is replaced without a question.
TEST_F(MainFormTest, TheProposedNameAsksBeforeReplacingAnotherFile) {
    ASSERT_TRUE(
        QFile::copy(TestData(QStringLiteral("documents/passage.docx")), Path("essay.docx")));
    ASSERT_TRUE(WriteBytes(Path("essay.txt"), "My draft."));
    ASSERT_TRUE(WriteBytes(Path("other.txt"), "Other."));
    desktop.openNames = {Path("essay.docx")};
    MainForm->mnuTxtLoad->trigger();

    desktop.saveNames = {Path("essay.txt"), QString()}; // No, then Cancel
    MainForm->mnuTxtSave->trigger();
    EXPECT_EQ(desktop.questions,
              QStringList{Path("essay.txt") + QStringLiteral(" already exists.\nDo you want "
                                                             "to replace it?")});
    EXPECT_EQ(desktop.proposedPaths, QStringList(2, Path("essay.txt")));
    EXPECT_EQ(ReadBytes(Path("essay.txt")), QByteArray("My draft."));

    desktop.saveNames = {Path("other.txt")};
    MainForm->mnuTxtSave->trigger();
    EXPECT_TRUE(ReadBytes(Path("other.txt")).startsWith("Reading Matters"));
    EXPECT_EQ(desktop.questions.size(), 1);

    desktop.saveNames = {Path("essay.txt"), Path("essay.txt")};
    desktop.yesNoAnswers = {true};
    MainForm->mnuTxtSave->trigger();
    EXPECT_TRUE(ReadBytes(Path("essay.txt")).startsWith("Reading Matters"));
    MainForm->mnuTxtSave->trigger();
    EXPECT_EQ(desktop.questions.size(), 2) << "its own save is not asked about again";
    EXPECT_TRUE(desktop.errors.isEmpty()) << desktop.errors.join(u'|').toStdString();
}

TEST_F(MainFormTest, UnicodeSeparatorsCountAsLineBreaksAndSaveUnchanged) {
    const QByteArray file = "Hello\xE2\x80\xA8world. The cat\xE2\x80\xA9sat.\xEF\xB7\x90";
    ASSERT_TRUE(WriteBytes(Path("in.txt"), file));
    MainForm->LoadTextFile(Path("in.txt"));
    EXPECT_EQ(MainForm->MemoLines(), (std::vector<std::string>{"Hello", "world. The cat", "sat."}));
    MainForm->SaveTextFile(Path("out.txt"));
    EXPECT_EQ(ReadBytes(Path("out.txt")), file);

    // Edited, the line separator is still kept; paragraph ends become CR LF.
    MainForm->InputMemo->moveCursor(QTextCursor::End);
    MainForm->InputMemo->insertPlainText(QStringLiteral("!"));
    MainForm->SaveTextFile(Path("out.txt"));
    EXPECT_EQ(ReadBytes(Path("out.txt")),
              QByteArray("Hello\xE2\x80\xA8world. The cat\r\nsat.\r\n!"));
}

TEST_F(MainFormTest, ASaveThatCannotBeMadeSaysSoAndKeepsTheOldFile) {
    desktop.saveNames = {Path("no/such/folder/out.txt")};
    MainForm->mnuTxtSave->trigger();
    EXPECT_EQ(desktop.errors, QStringList{QStringLiteral("Cannot create file ") +
                                          Path("no/such/folder/out.txt") + u'.'});

    // A folder in the way of the file: the save fails before anything is replaced.
    ASSERT_TRUE(Dir().mkpath(QStringLiteral("taken.txt/inner")));
    desktop.saveNames = {Path("taken.txt")};
    MainForm->mnuTxtSave->trigger();
    EXPECT_EQ(desktop.errors.size(), 2);
    EXPECT_TRUE(Dir().exists(QStringLiteral("taken.txt/inner")));
}

TEST_F(MainFormTest, CancelledDialogsChangeNothing) {
    SetText(QStringLiteral("Unchanged"));
    const QFont font = MainForm->InputMemo->font();
    MainForm->mnuTxtLoad->trigger();
    MainForm->mnuTxtSave->trigger();
    MainForm->mnuChangeFont->trigger();
    EXPECT_EQ(Text(), QStringLiteral("Unchanged"));
    EXPECT_EQ(MainForm->InputMemo->font(), font);
    EXPECT_TRUE(Dir().entryList(QDir::Files).contains(QStringLiteral("cuvplus.dat")));
    EXPECT_EQ(Dir().entryList(QDir::Files).size(), 1);
}

// ---- Unsaved work ------------------------------------------------------------

// Sends a drag and a drop of the data to the text area; whether both were taken.
bool Drop(QMimeData& data) {
    QWidget* area = MainForm->InputMemo->viewport();
    QDragEnterEvent enter(QPoint(5, 5), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(area, &enter);
    QDropEvent dropped(QPointF(5, 5), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(area, &dropped);
    return enter.isAccepted() && dropped.isAccepted();
}

// Typed text is asked about before a load by the menu, a dropped file or
// closing replaces it; Cancel, and a Save that does not happen, keep it.
TEST_F(MainFormTest, TypedTextIsAskedAboutBeforeItIsReplacedOrClosed) {
    using Choice = Desktop::SaveChoice;
    enum class Action { Load, Drop, Close };
    struct Row {
        const char* name;
        Action action;
        Choice answer;
        const char* saveName; // handed to the save dialog; "" cancels it
        bool replaced;        // loaded or closed
    };
    const Row rows[] = {
        {"load, cancel", Action::Load, Choice::Cancel, "", false},
        {"load, don't save", Action::Load, Choice::DontSave, "", true},
        {"load, save", Action::Load, Choice::Save, "kept.txt", true},
        {"load, save dialog cancelled", Action::Load, Choice::Save, "", false},
        {"drop, cancel", Action::Drop, Choice::Cancel, "", false},
        {"close, cancel", Action::Close, Choice::Cancel, "", false},
        {"close, save fails", Action::Close, Choice::Save, "missing/kept.txt", false},
        {"close, don't save", Action::Close, Choice::DontSave, "", true},
    };
    ASSERT_TRUE(WriteBytes(Path("other.txt"), "Other."));
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        Start();
        QFile::remove(Path("kept.txt"));
        desktop.saveQuestions.clear();
        desktop.errors.clear();
        desktop.saveAnswers = {row.answer};
        desktop.saveNames = {row.saveName[0] ? Path(row.saveName) : QString()};
        desktop.openNames = {Path("other.txt")};
        QTest::keyClicks(MainForm->InputMemo, QStringLiteral("Typed "));
        const QString typed = Text();
        ASSERT_TRUE(typed.startsWith(QStringLiteral("Typed ")));
        EXPECT_TRUE(DetailsForm->UnsavedST->isVisibleTo(DetailsForm));

        bool replaced = false;
        switch (row.action) {
        case Action::Load:
            MainForm->mnuTxtLoad->trigger();
            replaced = Text() == QStringLiteral("Other.");
            // Nothing is opened once the user has cancelled.
            EXPECT_EQ(desktop.openNames.empty(), row.replaced);
            break;
        case Action::Drop: {
            QMimeData file;
            file.setUrls({QUrl::fromLocalFile(Path("other.txt"))});
            EXPECT_TRUE(Drop(file));
            replaced = Text() == QStringLiteral("Other.");
            break;
        }
        case Action::Close:
            replaced = MainForm->close();
            EXPECT_EQ(MainForm->isVisible(), !replaced);
            break;
        }
        EXPECT_EQ(desktop.saveQuestions, QStringList{QStringLiteral("Save changes to the text?")});
        EXPECT_EQ(replaced, row.replaced);
        if (!row.replaced) {
            EXPECT_EQ(Text(), typed);
        }
        if (row.answer == Choice::Save && row.replaced) {
            EXPECT_TRUE(ReadBytes(Path("kept.txt")).startsWith("Typed Enter text"));
        }
        EXPECT_EQ(desktop.errors.size(), QString::fromLatin1(row.saveName).contains(u'/') ? 1 : 0);
    }
}

// The start-up text, a file just loaded and a text just saved are nobody's
// unsaved work; the Details window says when there is some.
TEST_F(MainFormTest, OnlyEditsSinceTheLastLoadOrSaveAreAskedAbout) {
    ASSERT_TRUE(WriteBytes(Path("first.txt"), "First."));
    desktop.openNames = {Path("first.txt"), Path("first.txt")};
    desktop.saveNames = {Path("saved.txt")};
    QLabel* mark = DetailsForm->UnsavedST;
    EXPECT_FALSE(mark->isVisibleTo(DetailsForm)) << "the start-up text";
    MainForm->mnuTxtLoad->trigger();
    EXPECT_EQ(Text(), QStringLiteral("First."));
    QTest::keyClicks(MainForm->InputMemo, QStringLiteral("Now "));
    EXPECT_TRUE(mark->isVisibleTo(DetailsForm));
    MainForm->mnuTxtSave->trigger();
    EXPECT_FALSE(mark->isVisibleTo(DetailsForm)) << "just saved";
    MainForm->mnuTxtLoad->trigger();
    EXPECT_FALSE(mark->isVisibleTo(DetailsForm)) << "just loaded";
    EXPECT_TRUE(desktop.saveQuestions.isEmpty());
    EXPECT_TRUE(MainForm->close());
    EXPECT_TRUE(desktop.saveQuestions.isEmpty());
    EXPECT_EQ(ReadBytes(Path("saved.txt")), QByteArray("Now First."));
}

TEST_F(MainFormTest, AChosenFontAndColourReachOnlyTheTextArea) {
    const QFont windowFont = MainForm->font();
    desktop.chooseFont = [](QFont& font, QColor& color) {
        font = QFont(QStringLiteral("Courier New"), 14);
        color = QColor(Qt::darkRed);
        return true;
    };
    MainForm->mnuChangeFont->trigger();
    EXPECT_EQ(MainForm->InputMemo->font().pointSize(), 14);
    EXPECT_EQ(MainForm->EditorColor(), QColor(Qt::darkRed));
    EXPECT_EQ(MainForm->InputMemo->palette().color(QPalette::Active, QPalette::Text),
              QColor(Qt::darkRed));
    EXPECT_EQ(MainForm->font(), windowFont);

    // Confirming with the colour unchanged keeps the chosen colour; going back
    // to the theme's colour is done by the settings with an invalid colour.
    MainForm->SetEditorColor(QColor());
    desktop.chooseFont = [](QFont&, QColor&) { return true; };
    MainForm->mnuChangeFont->trigger();
    EXPECT_FALSE(MainForm->EditorColor().isValid());
}

TEST_F(MainFormTest, ExitClosesAndOtherWindowsDoNotKeepTheProgramAlive) {
    MainForm->mnuShowGraph->trigger();
    MainForm->mnuShowGraph->trigger();
    EXPECT_TRUE(FryGraphForm->isVisible());
    for (QWidget* window : std::initializer_list<QWidget*>{NotFoundForm, FryGraphForm, ReportForm,
                                                           AboutBox, HelpPageForm, ProgressForm})
        EXPECT_FALSE(window->testAttribute(Qt::WA_QuitOnClose));
    MainForm->mnuExit->trigger();
    EXPECT_FALSE(MainForm->isVisible());
    FryGraphForm->close();
}

// The toolkit's font chooser sits inside the font dialog: Enter and Escape in
// its fields end the whole dialog, never only the chooser.
TEST(FontDialog, EnterConfirmsAndEscapeCancelsTheWholeDialog) {
    struct Row {
        const char* name;
        Qt::Key key;
        bool chosen;
    };
    const Row rows[] = {
        {"Return", Qt::Key_Return, true},
        {"Escape", Qt::Key_Escape, false},
    };
    for (const Row& row : rows) {
        bool stayedOpen = false;
        ModalAnswers<QDialog> answers;
        answers.Then([&](QDialog* dialog) {
            auto* field = dialog->findChild<QLineEdit*>();
            ASSERT_NE(field, nullptr);
            QTest::keyClick(field, row.key);
            if (dialog->isVisible()) {
                stayedOpen = true;
                dialog->reject();
            }
        });
        QFont font(QStringLiteral("Liberation Mono"), 14);
        QColor color(Qt::darkRed);
        EXPECT_EQ(TheDesktop().ChooseFont(nullptr, font, color), row.chosen) << row.name;
        EXPECT_EQ(answers.Answered(), 1) << row.name;
        EXPECT_FALSE(stayedOpen) << row.name;
        EXPECT_EQ(color, QColor(Qt::darkRed)) << row.name;
    }
}

// ---- The error display ----------------------------------------------------

// An object whose event handler fails, as a menu command might.
class Failing : public QObject {
public:
    bool event(QEvent* e) override {
        if (e->type() == QEvent::User)
            throw ScrivoluxError("Cannot open file C:\\a.txt");
        if (e->type() == QEvent::User + 1)
            throw 42;
        return QObject::event(e);
    }
};

TEST(ErrorDisplay, CatchesWhatEscapesAnEventHandler) {
    FakeDesktop desktop;
    DesktopGuard guard(desktop);
    Failing failing;
    QEvent ours(QEvent::User);
    QCoreApplication::sendEvent(&failing, &ours);
    QEvent foreign(static_cast<QEvent::Type>(QEvent::User + 1));
    QCoreApplication::sendEvent(&failing, &foreign);
    EXPECT_EQ(desktop.errors, (QStringList{"Cannot open file C:\\a.txt.", ""}));
}

TEST(ErrorDisplay, FullStopRule) {
    const std::pair<QString, QString> rows[] = {
        {"Cannot open file C:\\a.txt", "Cannot open file C:\\a.txt."},
        {"Ends in a full stop.", "Ends in a full stop."},
        {"'x' is not a valid integer value", "'x' is not a valid integer value."},
        {"Quoted 'x'", "Quoted 'x'"},
        {"(in brackets)", "(in brackets)"},
        {"dash-", "dash-"},
        {"slash/", "slash/."},
        {"digit 7", "digit 7."},
        {QStringLiteral("caf\u00E9"), QStringLiteral("caf\u00E9.")},
        {"", ""},
    };
    for (const auto& [message, shown] : rows)
        EXPECT_EQ(WithFullStop(message), shown) << message.toStdString();
}

TEST(ErrorDisplay, ApplicationTitleFromTheExecutableName) {
    const std::pair<QString, QString> rows[] = {
        {"/usr/local/bin/scrivolux", "Scrivolux"},
        {"C:/Tools/MYTOOL.EXE", "Mytool"},
        {"/opt/my.tool.bin", "My"},
        {"/opt/.hidden", ""},
        {"", ""},
    };
    for (const auto& [path, title] : rows)
        EXPECT_EQ(ApplicationTitle(path), title) << path.toStdString();
}

} // namespace

// ---- Ways in from outside ------------------------------------------------

namespace {

// A name typed in the open dialog, as the dialog hands it over.
TEST_F(MainFormTest, ATypedNameOpensAsTypedWhenItExistsElseWithTxt) {
    ASSERT_TRUE(WriteBytes(Path("README"), "No extension."));
    ASSERT_TRUE(WriteBytes(Path("notes.txt"), "Notes."));
    desktop.openNames = {Path("README"), Path("notes"), Path("gone")};
    MainForm->mnuTxtLoad->trigger();
    EXPECT_EQ(Text(), QStringLiteral("No extension."));
    MainForm->mnuTxtLoad->trigger();
    EXPECT_EQ(Text(), QStringLiteral("Notes."));
    MainForm->mnuTxtLoad->trigger();
    EXPECT_EQ(desktop.errors,
              QStringList{QStringLiteral("Cannot open file ") + Path("gone.txt") + u'.'});
    EXPECT_EQ(Text(), QStringLiteral("Notes."));
}

TEST_F(MainFormTest, TheFileNamedAtStartLoadsOrIsReported) {
    EXPECT_EQ(StartupFileArgument({"scrivolux"}), QString());
    EXPECT_EQ(StartupFileArgument({"scrivolux", "a.txt", "b.txt"}), QStringLiteral("a.txt"));
    EXPECT_EQ(StartupFileArgument({"scrivolux", "--unknown", "a.txt"}), QStringLiteral("a.txt"));
    EXPECT_EQ(StartupFileArgument({"scrivolux", "--", "-a.txt"}), QStringLiteral("-a.txt"));

    ASSERT_TRUE(WriteBytes(Path("README"), "From the command line."));
    MainForm->LoadStartupFile(Path("README"));
    EXPECT_FALSE(MainForm->Modified());
    EXPECT_EQ(Text(), QStringLiteral("From the command line."));
    MainForm->LoadStartupFile(Path("missing.txt"));
    EXPECT_EQ(desktop.errors,
              QStringList{QStringLiteral("Cannot open file ") + Path("missing.txt") + u'.'});
    EXPECT_EQ(Text(), QStringLiteral("From the command line."));
}

// The toolkit sees no argument after "--", and the file's name keeps its bytes.
TEST_F(MainFormTest, TheStartupFileIsNamedByTheArgumentBytes) {
    struct Row {
        const char* name;
        std::vector<std::string> arguments;
        int toolkitCount;
        std::string file;
    };
    const Row rows[] = {
        {"after --", {"scrivolux", "--", "-reverse"}, 1, "-reverse"},
        {"options before --",
         {"scrivolux", "-reverse", "--", "caf\xE9.txt", "b"},
         2,
         "caf\xE9.txt"},
        {"not UTF-8", {"scrivolux", "caf\xE9.txt"}, 2, "caf\xE9.txt"},
        {"only --", {"scrivolux", "--"}, 1, ""},
    };
    for (const Row& row : rows) {
        std::vector<std::string> bytes = row.arguments;
        std::vector<char*> argv;
        for (std::string& argument : bytes)
            argv.push_back(argument.data());
        StartupArguments arguments(static_cast<int>(argv.size()), argv.data());
        EXPECT_EQ(arguments.ToolkitArgumentCount(), row.toolkitCount) << row.name;
        EXPECT_EQ(arguments.ToolkitArguments()[row.toolkitCount], nullptr) << row.name;
        EXPECT_EQ(FileNameBytes(StartupFileArgument(arguments.Remaining())), row.file) << row.name;
    }

    // A name that is not UTF-8 opens that file, not the one its text would name.
    const std::string folder = FileNameBytes(dir.path());
    ASSERT_TRUE(WriteBytes(Path("caf\uFFFD.txt"), "The wrong file."));
    QFile latin1;
    ASSERT_TRUE(OpenFileByName(latin1, folder + "/caf\xE9.txt", QIODevice::Append));
    latin1.write("The Latin-1 name.");
    latin1.close();
    MainForm->LoadStartupFile(FileNameText(folder + "/caf\xE9.txt"));
    EXPECT_TRUE(desktop.errors.isEmpty()) << desktop.errors.join(u'|').toStdString();
    EXPECT_EQ(Text(), QStringLiteral("The Latin-1 name."));
}

TEST_F(MainFormTest, ADroppedFileLoadsAndDroppedTextIsInserted) {
    ASSERT_TRUE(WriteBytes(Path("dropped.txt"), "Title\r\nDropped here."));
    QMimeData file;
    file.setUrls({QUrl::fromLocalFile(Path("dropped.txt"))});
    file.setText(Path("dropped.txt")); // file managers send the path as text too
    EXPECT_TRUE(Drop(file));
    EXPECT_EQ(Text(), QStringLiteral("Title\nDropped here."));

    QMimeData text;
    text.setText(QStringLiteral("Inserted "));
    Drop(text);
    EXPECT_TRUE(Text().contains(QStringLiteral("Inserted "))) << Text().toStdString();
    EXPECT_TRUE(Text().contains(QStringLiteral("Dropped here.")));
}

TEST_F(MainFormTest, TheDetailsStandBesideTheMainWindowWhereTheScreenHasRoom) {
    const QRect screen(0, 0, 1920, 1080);
    const QSize details(690, 560);
    EXPECT_EQ(BesideOnScreen(QRect(100, 300, 646, 459), details, screen), QPoint(746, 300));
    // No room on the right: the left; the top kept on the screen.
    EXPECT_EQ(BesideOnScreen(QRect(1000, 700, 646, 459), details, screen), QPoint(310, 520));
    EXPECT_EQ(BesideOnScreen(QRect(600, 300, 800, 459), details, screen), std::nullopt);
    EXPECT_EQ(BesideOnScreen(QRect(0, 0, 600, 400), details, QRect(0, 0, 1920, 500)), std::nullopt);
}

// The main window at its designed place and size: the details never overlap
// it while a side has room, and cover as little of it as they can when none has.
TEST_F(MainFormTest, TheDetailsGoBesideBelowOrAboveTheMainWindow) {
    const QRect designed(269, 292, 638, 425);
    const QSize details(688, 554);
    const QSize minimum(500, 400);
    struct Row {
        const char* name;
        QRect main;
        QRect screen;
        QRect expected;
    };
    const Row rows[] = {
        {"beside on a wide screen", designed, {0, 0, 1920, 1080}, {907, 292, 688, 554}},
        {"below", {0, 0, 638, 425}, {0, 0, 1280, 1024}, {0, 425, 688, 554}},
        {"above", {0, 560, 638, 425}, {0, 0, 1280, 1024}, {0, 6, 688, 554}},
        {"shrunk into the room on the right", designed, {0, 0, 1440, 900}, {907, 292, 533, 554}},
        {"over the upper part on 1366x768", designed, {0, 0, 1366, 768}, {269, 0, 688, 400}},
        {"over the lower part on 1280x1024", designed, {0, 0, 1280, 1024}, {269, 624, 688, 400}},
        {"over the lower part", {269, 40, 638, 425}, {0, 0, 1366, 600}, {269, 200, 688, 400}},
    };
    for (const Row& row : rows) {
        const auto place = AroundOnScreen(row.main, details, minimum, row.screen);
        ASSERT_TRUE(place) << row.name;
        EXPECT_EQ(*place, row.expected) << row.name;
        EXPECT_TRUE(row.screen.contains(*place)) << row.name;
    }
    EXPECT_FALSE(AroundOnScreen(designed, details, minimum, QRect(0, 0, 1024, 500)));

    // Where no side has room, the main window moves as little as makes room.
    const struct {
        const char* name;
        QRect screen;
        std::optional<QPoint> main;
    } moves[] = {
        {"left on 1366x768", {0, 0, 1366, 768}, QPoint(40, 292)},
        {"up on 1280x1024", {0, 0, 1280, 1024}, QPoint(269, 45)},
        {"no move makes room", {0, 0, 1024, 768}, std::nullopt},
    };
    for (const auto& move : moves) {
        const auto moved = RoomMadeOnScreen(designed, details, move.screen);
        EXPECT_EQ(moved, move.main) << move.name;
        if (!moved)
            continue;
        const QRect main(*moved, designed.size());
        const auto place = AroundOnScreen(main, details, minimum, move.screen);
        ASSERT_TRUE(place) << move.name;
        EXPECT_EQ(place->size(), details) << move.name;
        EXPECT_FALSE(place->intersects(main)) << move.name;
    }
}

} // namespace
