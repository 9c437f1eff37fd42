#include "FakeDesktop.h"

#include "dictionary/Dictionary.h"
#include "forms/Application.h"
#include "forms/CurrentAnalysis.h"
#include "forms/DetailsChecksPage.h"
#include "forms/DetailsHeadline.h"
#include "forms/DetailsSentencesPage.h"
#include "forms/FrmDetails.h"
#include "forms/FrmFryGraph.h"
#include "forms/FrmMain.h"
#include "forms/FrmNotFound.h"
#include "forms/FrmReport.h"
#include "forms/PassageHighlight.h"
#include "report/FryGraph.h"
#include "settings/OptionSettings.h"
#include "settings/SettingsStore.h"

#include <gtest/gtest.h>

#include <QAbstractItemModel>
#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QStatusBar>
#include <QTabWidget>
#include <QTableView>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QTest>

#include <cmath>
#include <map>
#include <memory>

namespace {

class DetailsFormTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(dir.isValid());
        ASSERT_TRUE(QFile::copy(TestData(QStringLiteral("forms/cuvplus.dat")),
                                dir.filePath(QStringLiteral("cuvplus.dat"))));
        desktop.executablePath = dir.filePath(QStringLiteral("scrivolux"));
        windows = std::make_unique<StartupWindows>();
        ASSERT_TRUE(MainForm && DetailsForm && ReportForm && FryGraphForm);
        MainForm->show();
        QTest::qWait(1);
    }
    void TearDown() override {
        MainForm->close();
        windows.reset();
        EXPECT_TRUE(VisibleWindows().empty());
    }

    // Analyses the text, answering every unknown word with the count typed.
    void Analyse(const QString& text, const QString& typed = QStringLiteral("3")) {
        MainForm->InputMemo->setPlainText(text);
        ModalAnswers<TNotFoundForm> answers;
        answers
            .Then([typed](TNotFoundForm* dialog) {
                QTest::keyClicks(dialog->SyllableEdit, typed);
                QTest::keyClick(dialog->SyllableEdit, Qt::Key_Return);
            })
            .RepeatLast();
        MainForm->mnuStartAnalysis->trigger();
    }

    // The row of the word in the (unfiltered) words of the details.
    std::size_t Row(const std::string& word) const {
        const auto& words = DetailsForm->Details()->words;
        for (std::size_t i = 0; i < words.size(); ++i)
            if (words[i].word == word)
                return i;
        ADD_FAILURE() << word;
        return 0;
    }
    QString Selected() const { return MainForm->InputMemo->textCursor().selectedText(); }
    static QImage Graph() {
        return FryGraphForm->FryImage->pixmap().toImage().convertToFormat(QImage::Format_RGB32);
    }

    FakeDesktop desktop;
    DesktopGuard guard{desktop};
    QTemporaryDir dir;
    std::unique_ptr<StartupWindows> windows;
};

// A long line is shown in pieces, one line feed more per piece: the details
// still select what they name.
TEST_F(DetailsFormTest, ALineShownInPiecesSelectsTheRightWords) {
    const QByteArray line = QByteArray("The cat sat on the mat. ").repeated(2'000) + "Wait what.";
    QFile file(dir.filePath(QStringLiteral("long.txt")));
    ASSERT_TRUE(file.open(QIODevice::WriteOnly) && file.write(line) == line.size());
    file.close();
    MainForm->LoadTextFile(file.fileName());
    ASSERT_GT(MainForm->InputMemo->blockCount(), 2);
    MainForm->mnuStartAnalysis->trigger();
    ASSERT_TRUE(DetailsForm->Details());

    DetailsForm->SelectSentence(DetailsForm->Details()->sentences.size() - 1);
    EXPECT_EQ(Selected(), QStringLiteral("Wait what."));
    DetailsForm->SelectSentence(1'000);
    EXPECT_EQ(Selected(), QStringLiteral("The cat sat on the mat."));
}

// A chosen sentence is selected with its end mark and closing quote, so that
// typing over it leaves none behind; a heading has none to take.
TEST_F(DetailsFormTest, ASelectedSentenceTakesItsEndMarkAndClosingQuote) {
    struct Row {
        const char* name;
        const char* text;
        bool careful;
        std::size_t sentence;
        const char* selected;
    };
    const Row rows[] = {
        {"question", "Is it so? Yes!", false, 0, "Is it so?"},
        {"exclamation at the end", "Is it so? Yes!", false, 1, "Yes!"},
        {"closing quote", "She said \"Go.\" He went.", true, 0, "She said \"Go.\""},
        {"heading", "Title\n\nThe cat sat.", true, 0, "Title"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        if (MainForm->mnuCarefulCounting->isChecked() != row.careful)
            MainForm->mnuCarefulCounting->trigger();
        Analyse(QString::fromUtf8(row.text));
        ASSERT_TRUE(DetailsForm->Details());
        DetailsForm->SelectSentence(row.sentence);
        EXPECT_EQ(Selected(), QString::fromUtf8(row.selected));
    }
    if (MainForm->mnuCarefulCounting->isChecked())
        MainForm->mnuCarefulCounting->trigger();
    Analyse(QStringLiteral("You are welcome. Bye."));
    DetailsForm->SelectSentence(0);
    QTest::keyClicks(MainForm->InputMemo, QStringLiteral("Welcome."));
    EXPECT_EQ(MainForm->InputMemo->toPlainText(), QStringLiteral("Welcome. Bye."));
}

TEST_F(DetailsFormTest, BeforeAnyAnalysisTheWindowExplainsAndTheGraphIsPlain) {
    MainForm->mnuShowDetails->trigger();
    EXPECT_TRUE(DetailsForm->isVisible());
    EXPECT_TRUE(DetailsForm->EmptyST->isVisible());
    EXPECT_FALSE(DetailsForm->Tabs->isVisible());
    EXPECT_FALSE(DetailsForm->HighlightCheck->isEnabled());
    EXPECT_EQ(FryGraphForm->FryImage->pixmap().toImage().convertToFormat(QImage::Format_RGB32),
              LoadFryGraphPicture().convertToFormat(QImage::Format_RGB32));
    // Escape closes it, as the keyboard user expects of a details window.
    QTest::keyClick(DetailsForm, Qt::Key_Escape);
    EXPECT_FALSE(DetailsForm->isVisible());
}

TEST_F(DetailsFormTest, TheDetailsAgreeWithTheReportAndNameTheSources) {
    Analyse(QStringLiteral("The cat sat on the mat. Zorp the beautiful cat, zorp!"));
    const PassageDetails* details = DetailsForm->Details();
    ASSERT_NE(details, nullptr);
    EXPECT_EQ(QString::number(details->counts.syllables), ReportForm->SyllLB->text());
    EXPECT_EQ(QString::number(details->counts.words), ReportForm->WordsLB->text());
    EXPECT_EQ(QString::number(details->counts.difficultWords), ReportForm->DiffWordsLB->text());
    EXPECT_EQ(details->words[Row("zorp")].source, WordSource::Typed);
    EXPECT_EQ(details->words[Row("zorp")].occurrences, 2);
    EXPECT_EQ(details->words[Row("cat")].source, WordSource::WordList);

    // The report's button opens the same window.
    QTest::mouseClick(ReportForm->DetailsBT, Qt::LeftButton);
    EXPECT_TRUE(DetailsForm->isVisible());
    EXPECT_TRUE(DetailsForm->Tabs->isVisible());
    DetailsForm->close();
    ReportForm->close();
    FryGraphForm->close();
}

TEST_F(DetailsFormTest, AWordSelectsItsNextOccurrenceAndASentenceItself) {
    Analyse(QStringLiteral("The cat sat.\nA Cat on the mat, the cat."));
    const std::size_t cat = Row("cat");
    DetailsForm->SelectNextOccurrence(cat);
    EXPECT_EQ(MainForm->InputMemo->textCursor().selectionStart(), 4);
    DetailsForm->SelectNextOccurrence(cat);
    EXPECT_EQ(Selected(), QStringLiteral("Cat"));
    EXPECT_EQ(MainForm->InputMemo->textCursor().selectionStart(), 15);
    DetailsForm->SelectNextOccurrence(cat);
    EXPECT_EQ(MainForm->InputMemo->textCursor().selectionStart(), 35);
    DetailsForm->SelectNextOccurrence(cat); // from the top again
    EXPECT_EQ(MainForm->InputMemo->textCursor().selectionStart(), 4);

    DetailsForm->SelectSentence(1);
    EXPECT_EQ(Selected(), QStringLiteral("A Cat on the mat, the cat."));

    // Through the table and the keyboard: the word's row, then Enter.
    DetailsForm->ShowDetails();
    DetailsForm->Tabs->setCurrentIndex(1);
    DetailsForm->FilterCB->setCurrentIndex(1); // all words
    QAbstractItemModel* model = DetailsForm->WordsView->model();
    int row = 0;
    while (model->index(row, 0).data().toString() != QStringLiteral("mat"))
        ++row;
    DetailsForm->WordsView->setFocus();
    DetailsForm->WordsView->setCurrentIndex(model->index(row, 0));
    QTest::keyClick(DetailsForm->WordsView, Qt::Key_Return);
    EXPECT_EQ(Selected(), QStringLiteral("mat"));
    DetailsForm->close();
    ReportForm->close();
    FryGraphForm->close();
}

TEST_F(DetailsFormTest, CorrectingACountRecountsAndCanReachTheUserDictionary) {
    Analyse(QStringLiteral("Zorp sat. Zorp zorp sat."), QStringLiteral("1"));
    EXPECT_EQ(ReportForm->SyllLB->text(), QStringLiteral("5"));
    EXPECT_EQ(ReportForm->DiffWordsLB->text(), QStringLiteral("0"));
    QAbstractItemModel* model = DetailsForm->WordsView->model();
    DetailsForm->FilterCB->setCurrentIndex(2); // the words the dictionary lacked
    ASSERT_EQ(model->rowCount(), 1);
    const QModelIndex syllables = model->index(0, 1);
    ASSERT_TRUE(model->flags(syllables) & Qt::ItemIsEditable);

    DetailsForm->AddToFileCheck->setChecked(true);
    ASSERT_TRUE(model->setData(syllables, 3));
    EXPECT_EQ(ReportForm->SyllLB->text(), QStringLiteral("11"));
    EXPECT_EQ(ReportForm->DiffWordsLB->text(), QStringLiteral("3"));
    EXPECT_EQ(DetailsForm->Details()->sentences[1].difficultWords, 2);
    EXPECT_EQ(ReadBytes(dir.filePath(QStringLiteral("custom.dat"))), QByteArray("zorp|3\r\n"));

    // The file's first line wins when it is read, so a second one is refused.
    ASSERT_TRUE(model->setData(syllables, 2));
    EXPECT_EQ(ReportForm->SyllLB->text(), QStringLiteral("8"));
    EXPECT_EQ(ReadBytes(dir.filePath(QStringLiteral("custom.dat"))), QByteArray("zorp|3\r\n"));
    ASSERT_EQ(desktop.messages.size(), 1);
    EXPECT_TRUE(desktop.messages[0].startsWith("\"zorp\" is already in the user dictionary"));

    // A count from the word list is not the user's to correct here.
    DetailsForm->FilterCB->setCurrentIndex(1);
    for (int row = 0; row < model->rowCount(); ++row) {
        if (model->index(row, 0).data().toString() == QStringLiteral("sat")) {
            EXPECT_FALSE(model->flags(model->index(row, 1)) & Qt::ItemIsEditable);
        }
    }
    ReportForm->close();
    FryGraphForm->close();
}

TEST_F(DetailsFormTest, HighlightLeavesTheTextAloneAndAnEditDropsIt) {
    QString text = QStringLiteral("The beautiful cat.");
    for (int i = 0; i < 25; ++i)
        text += QStringLiteral(" cat");
    Analyse(text + QStringLiteral("."));
    QPlainTextEdit* memo = MainForm->InputMemo;
    const bool undoBefore = memo->document()->isUndoAvailable();
    DetailsForm->HighlightCheck->click();
    EXPECT_TRUE(DetailsForm->Highlighted());
    const auto selections = memo->extraSelections();
    ASSERT_EQ(selections.size(), 2); // the long sentence, then the difficult word
    EXPECT_EQ(selections[1].cursor.selectedText(), QStringLiteral("beautiful"));
    EXPECT_TRUE(selections[0].cursor.selectedText().startsWith(QStringLiteral("cat cat")));
    EXPECT_EQ(memo->toPlainText(), text + QStringLiteral("."));
    EXPECT_EQ(memo->document()->isUndoAvailable(), undoBefore);

    memo->setFocus();
    QTest::keyClick(memo, Qt::Key_X);
    EXPECT_TRUE(memo->extraSelections().isEmpty());
    EXPECT_FALSE(DetailsForm->HighlightCheck->isChecked());
    EXPECT_FALSE(DetailsForm->HighlightCheck->isEnabled());
    // The positions no longer match the text: nothing is selected from them.
    const QTextCursor before = memo->textCursor();
    DetailsForm->SelectSentence(0);
    EXPECT_EQ(memo->textCursor().position(), before.position());
    ReportForm->close();
    FryGraphForm->close();
}

// The editing loop: Highlight stays on through every run, an edit between
// runs included, and the details stay open where they were while the report
// comes up as before.
TEST_F(DetailsFormTest, HighlightAndTheOpenDetailsOutlastEachRun) {
    const QString text = QStringLiteral("The beautiful cat sat. The cat sat.");
    Analyse(text);
    DetailsForm->ShowDetails();
    DetailsForm->HighlightCheck->click();
    ASSERT_TRUE(DetailsForm->Highlighted());
    DetailsForm->move(DetailsForm->pos() + QPoint(7, 5));
    const QPoint place = DetailsForm->pos();
    struct Step {
        const char* name;
        bool edit;
    };
    for (const Step step : {Step{"again", false}, Step{"after an edit", true}}) {
        SCOPED_TRACE(step.name);
        if (step.edit) {
            MainForm->InputMemo->setFocus();
            QTest::keyClick(MainForm->InputMemo, Qt::Key_End, Qt::ControlModifier);
            QTest::keyClicks(MainForm->InputMemo, QStringLiteral(" The cat."));
            EXPECT_FALSE(DetailsForm->Highlighted()) << "the marks no longer fit the text";
        }
        MainForm->mnuStartAnalysis->trigger();
        EXPECT_TRUE(DetailsForm->HighlightCheck->isChecked());
        EXPECT_TRUE(DetailsForm->Highlighted());
        EXPECT_TRUE(ReportForm->isVisible());
        EXPECT_TRUE(DetailsForm->isVisible());
        EXPECT_EQ(DetailsForm->pos(), place);
    }
    DetailsForm->HighlightCheck->click();
    MainForm->mnuStartAnalysis->trigger();
    EXPECT_FALSE(DetailsForm->Highlighted()) << "off stays off";
    DetailsForm->close();
    ReportForm->close();
    FryGraphForm->close();
}

// Each opening finds the main window where it is now and keeps off it.
TEST_F(DetailsFormTest, EveryOpeningStandsClearOfTheMainWindow) {
    Analyse(QStringLiteral("The cat sat."));
    const QRect screen = MainForm->screen()->availableGeometry();
    const QSize small(screen.width() / 4, screen.height() / 4);
    for (const QPoint corner : {screen.topLeft(), screen.topRight() - QPoint(small.width(), 0)}) {
        MainForm->setGeometry(QRect(corner, small));
        QTest::qWait(1);
        DetailsForm->ShowDetails();
        QTest::qWait(1);
        EXPECT_FALSE(DetailsForm->frameGeometry().intersects(MainForm->frameGeometry()))
            << DetailsForm->frameGeometry().x() << "," << DetailsForm->frameGeometry().y();
        EXPECT_TRUE(screen.contains(DetailsForm->frameGeometry()));
        DetailsForm->close();
    }
    ReportForm->close();
    FryGraphForm->close();
}

// The Checks tab counts each kind under either rules (the classic ones are
// checked on a careful reading made for the tab), lists what is switched on,
// remembers what is switched off, and selects a finding's words.
TEST_F(DetailsFormTest, TheChecksTabCountsListsAndSelectsFindings) {
    const QString text = QStringLiteral("The ball was thrown by the boy. He really wanted it. "
                                        "In order to win, we must train.");
    DetailsChecksPage* page = DetailsForm->ChecksPage;
    const auto count = [page](CheckRule rule) {
        const QString caption = page->RuleChecks[static_cast<std::size_t>(rule)]->text();
        return caption.section(u'(', -1).chopped(1).toInt();
    };
    const auto kinds = [page] {
        QStringList listed;
        for (int row = 0; row < page->FindingsView->rowCount(); ++row)
            listed << page->FindingsView->item(row, 0)->text();
        return listed;
    };
    for (const bool careful : {false, true}) {
        SCOPED_TRACE(careful ? "careful" : "classic");
        if (MainForm->mnuCarefulCounting->isChecked() != careful)
            MainForm->mnuCarefulCounting->trigger();
        Analyse(text, QStringLiteral("1")); // short words: no sentence is hard
        DetailsForm->ShowDetails();
        DetailsForm->Tabs->setCurrentWidget(page);
        EXPECT_EQ(count(CheckRule::Passive), 1);
        EXPECT_EQ(count(CheckRule::Adverb), 1);
        EXPECT_EQ(count(CheckRule::Wordy), 1);
        EXPECT_EQ(count(CheckRule::Cliche), 0);
        EXPECT_EQ(kinds(),
                  (QStringList{QStringLiteral("Passive voice"), QStringLiteral("Weakening adverbs"),
                               QStringLiteral("Wordy phrases")}));
        EXPECT_EQ(page->FindingsView->item(2, 2)->text(), QStringLiteral("to"));
    }
    MainForm->mnuCarefulCounting->trigger();

    page->FindingsView->setCurrentCell(0, 1);
    QTest::keyClick(page->FindingsView, Qt::Key_Return);
    EXPECT_EQ(Selected(), QStringLiteral("was thrown"));
    page->FindingsViewActivate(2);
    EXPECT_EQ(Selected(), QStringLiteral("In order to"));

    page->RuleChecks[static_cast<std::size_t>(CheckRule::Passive)]->click();
    EXPECT_EQ(kinds(),
              (QStringList{QStringLiteral("Weakening adverbs"), QStringLiteral("Wordy phrases")}));
    EXPECT_EQ(count(CheckRule::Passive), 1) << "still counted";
    DetailsForm->close();
    windows.reset();
    windows = std::make_unique<StartupWindows>();
    EXPECT_FALSE(DetailsForm->ChecksPage->RuleChecks[static_cast<std::size_t>(CheckRule::Passive)]
                     ->isChecked())
        << "remembered";
    EXPECT_TRUE(DetailsForm->ChecksPage->RuleChecks[static_cast<std::size_t>(CheckRule::Adverb)]
                    ->isChecked());
    DetailsForm->ChecksPage->RuleChecks[static_cast<std::size_t>(CheckRule::Passive)]->click();
    MainForm->show();
}

// A long line shown in pieces: a finding of the classic run's own careful
// reading still selects its words.
TEST_F(DetailsFormTest, AFindingInALineShownInPiecesSelectsItsWords) {
    const QByteArray line =
        QByteArray("The cat sat on the mat. ").repeated(2'000) + "The ball was thrown.";
    QFile file(dir.filePath(QStringLiteral("long.txt")));
    ASSERT_TRUE(file.open(QIODevice::WriteOnly) && file.write(line) == line.size());
    file.close();
    MainForm->LoadTextFile(file.fileName());
    ASSERT_GT(MainForm->InputMemo->blockCount(), 2);
    ModalAnswers<TNotFoundForm> answers;
    answers.Then([](TNotFoundForm* dialog) { dialog->IgnoreBT->click(); }).RepeatLast();
    MainForm->mnuStartAnalysis->trigger();
    DetailsChecksPage* page = DetailsForm->ChecksPage;
    DetailsForm->ShowDetails();
    DetailsForm->Tabs->setCurrentWidget(page);
    ASSERT_GT(page->FindingsView->rowCount(), 0);
    page->FindingsViewActivate(page->FindingsView->rowCount() - 1);
    EXPECT_EQ(Selected(), QStringLiteral("was thrown"));
    DetailsForm->close();
    ReportForm->close();
    FryGraphForm->close();
}

// With Highlight and the colours on, each kind shows in its colour, and every
// colour stays readable under the text of a light and of a dark palette.
TEST_F(DetailsFormTest, FindingsAreColouredByKindAndReadableOnEitherPalette) {
    Analyse(QStringLiteral("The ball was thrown by the boy. He really wanted it."),
            QStringLiteral("1"));
    DetailsForm->ChecksPage->ColourCheck->click();
    DetailsForm->HighlightCheck->click();
    std::map<QString, QColor> colours;
    for (const QTextEdit::ExtraSelection& selection : MainForm->InputMemo->extraSelections())
        colours[selection.cursor.selectedText()] = selection.format.background().color();
    const QPalette palette = MainForm->InputMemo->palette();
    EXPECT_EQ(colours[QStringLiteral("was thrown")],
              CheckColour(*CheckColourOf(CheckRule::Passive), palette));
    EXPECT_EQ(colours[QStringLiteral("really")],
              CheckColour(*CheckColourOf(CheckRule::Adverb), palette));
    EXPECT_NE(colours[QStringLiteral("was thrown")], colours[QStringLiteral("really")])
        << "each kind its own colour";
    EXPECT_EQ(colours.count(QStringLiteral("beautiful")), 0u);
    DetailsForm->ChecksPage->ColourCheck->click();
    EXPECT_EQ(MainForm->InputMemo->extraSelections().size(), 0) << "as designed: nothing long";

    QPalette dark;
    dark.setColor(QPalette::Base, QColor(0x20, 0x20, 0x20));
    dark.setColor(QPalette::Text, QColor(0xEE, 0xEE, 0xEE));
    QPalette light;
    light.setColor(QPalette::Base, Qt::white);
    light.setColor(QPalette::Text, Qt::black);
    for (const QPalette& shown : {light, dark}) {
        for (int colour = 0; colour < kCheckColours; ++colour)
            EXPECT_GT(std::abs(CheckColour(colour, shown).lightness() -
                               shown.color(QPalette::Text).lightness()),
                      120)
                << colour;
    }
    DetailsForm->HighlightCheck->click();
    ReportForm->close();
    FryGraphForm->close();
}

// A new analysis after an edit holds again: the highlighting is offered and
// marks the words of three syllables or more, never one of two ("happy").
TEST_F(DetailsFormTest, AnotherAnalysisAfterAnEditHighlightsTheDifficultWords) {
    Analyse(QStringLiteral("The happy cat sat. The beautiful cat sat."), QStringLiteral("2"));
    QPlainTextEdit* memo = MainForm->InputMemo;
    memo->setFocus();
    QTest::keyClick(memo, Qt::Key_X);
    EXPECT_FALSE(DetailsForm->HighlightCheck->isEnabled());
    EXPECT_TRUE(DetailsForm->StaleST->isVisibleTo(DetailsForm));

    Analyse(QStringLiteral("The happy cat sat. The beautiful cat sat."), QStringLiteral("2"));
    EXPECT_FALSE(DetailsForm->StaleST->isVisibleTo(DetailsForm));
    ASSERT_TRUE(DetailsForm->HighlightCheck->isEnabled());
    DetailsForm->HighlightCheck->click();
    QStringList highlighted;
    for (const QTextEdit::ExtraSelection& selection : memo->extraSelections())
        highlighted << selection.cursor.selectedText();
    EXPECT_EQ(highlighted, QStringList{QStringLiteral("beautiful")});
    ReportForm->close();
    FryGraphForm->close();
}

// The counts behind the indices, each in its place, for a passage counted by hand:
// 11 words, 42 letters; "beautiful" and "reading" have over 6 letters, only
// "beautiful" three syllables.
TEST_F(DetailsFormTest, TheCountsLineOfAKnownPassage) {
    Analyse(QStringLiteral("The cat sat on the mat. The beautiful reading cat sat."));
    EXPECT_EQ(DetailsForm->CountsST->text(),
              QStringLiteral("From 11 words in 2 sentences: 14 syllables, 42 letters, 2 long "
                             "words (over 6 letters), 1 words of three or more syllables, 9 of "
                             "one syllable."));
    ReportForm->close();
    FryGraphForm->close();
}

TEST_F(DetailsFormTest, ThePassageIsMarkedOnACopyOfTheGraph) {
    const QImage picture = LoadFryGraphPicture().convertToFormat(QImage::Format_RGB32);
    const QImage marked = FryPictureWithPoint(picture, 141, 6.3);
    bool pinned = true;
    const QPointF at = FryPointOnPicture(141, 6.3, pinned);
    EXPECT_FALSE(pinned);
    EXPECT_DOUBLE_EQ(at.x(), 430);
    const QColor centre = marked.pixelColor(at.toPoint());
    EXPECT_GT(centre.red(), 150);
    EXPECT_LT(centre.green(), 80);
    // Far from the point and its label the picture is untouched.
    EXPECT_EQ(marked.pixel(120, 500), picture.pixel(120, 500));
    EXPECT_EQ(LoadFryGraphPicture().convertToFormat(QImage::Format_RGB32), picture);

    // Beyond the frame the point is pinned to the edge it lies past.
    const QPointF right = FryPointOnPicture(200, 5, pinned);
    EXPECT_TRUE(pinned);
    EXPECT_DOUBLE_EQ(right.x(), kFryPictureRight);
    const QPointF low = FryPointOnPicture(130, 1.0, pinned);
    EXPECT_TRUE(pinned);
    EXPECT_DOUBLE_EQ(low.y(), kFryPictureBottom);
    EXPECT_NE(FryPictureWithPoint(picture, 200, 5), picture);
}

TEST_F(DetailsFormTest, EveryControlHasAnAccessibleNameAndTheReportKeepsItsDesign) {
    for (QWidget* control : std::initializer_list<QWidget*>{
             DetailsForm, DetailsForm->Tabs, DetailsForm->IndicesView, DetailsForm->CountsST,
             DetailsForm->FilterCB, DetailsForm->WordsView, DetailsForm->AddToFileCheck,
             DetailsForm->SentenceOrderCB, DetailsForm->SentencesView, DetailsForm->HighlightCheck,
             DetailsForm->CloseBT, ReportForm->DetailsBT, FryGraphForm->FryImage})
        EXPECT_FALSE(control->accessibleName().isEmpty()) << control->metaObject()->className();
    // The combo boxes are reached by their captions' Alt keys.
    EXPECT_EQ(DetailsForm->FilterST->buddy(), DetailsForm->FilterCB);
    EXPECT_EQ(DetailsForm->SentenceOrderST->buddy(), DetailsForm->SentenceOrderCB);
    // The designed buttons stay where they were; the new one fits between them.
    EXPECT_EQ(ReportForm->ClipCopyBT->x(), 16);
    EXPECT_EQ(ReportForm->CloseBT->geometry().right(), 394);
    EXPECT_GT(ReportForm->DetailsBT->x(), ReportForm->ClipCopyBT->geometry().right());
    EXPECT_LT(ReportForm->DetailsBT->geometry().right(), ReportForm->CloseBT->x());
    EXPECT_EQ(ReportForm->DetailsBT->y(), ReportForm->CloseBT->y());
    EXPECT_EQ(ReportForm->size(), QSize(405, 303));
}

// By design the program draws nothing on the graph; the mark is the user's choice.
TEST_F(DetailsFormTest, TheGraphIsThePlainPictureUnlessThePassageIsMarked) {
    const QImage plain = LoadFryGraphPicture().convertToFormat(QImage::Format_RGB32);
    Analyse(QStringLiteral("The cat sat on the mat. Zorp the beautiful cat, zorp!"));
    EXPECT_FALSE(MainForm->mnuMarkPassage->isChecked());
    EXPECT_EQ(Graph(), plain);

    MainForm->mnuMarkPassage->trigger();
    const QImage marked = Graph();
    int differing = 0;
    for (int y = 0; y < plain.height(); ++y)
        for (int x = 0; x < plain.width(); ++x)
            differing += marked.pixel(x, y) != plain.pixel(x, y);
    EXPECT_GT(differing, 20);
    EXPECT_LT(differing, plain.width() * plain.height() / 50) << "a small area";

    // Remembered for the next start, and off again when unchecked.
    MainForm->close();
    windows.reset();
    windows = std::make_unique<StartupWindows>();
    EXPECT_TRUE(MainForm->mnuMarkPassage->isChecked());
    MainForm->show();
    Analyse(QStringLiteral("The cat sat on the mat. Zorp the beautiful cat, zorp!"));
    EXPECT_EQ(Graph(), marked);
    MainForm->mnuMarkPassage->trigger();
    EXPECT_EQ(Graph(), plain);
    ReportForm->close();
}

TEST_F(DetailsFormTest, ACorrectedCountReachesEveryView) {
    MainForm->mnuMarkPassage->trigger();
    Analyse(QStringLiteral("Zorp sat. Zorp zorp sat."), QStringLiteral("1"));
    QPlainTextEdit* memo = MainForm->InputMemo;
    DetailsForm->HighlightCheck->click();
    EXPECT_TRUE(memo->extraSelections().isEmpty()) << "nothing difficult yet";
    const QImage graph = Graph();
    EXPECT_TRUE(DetailsForm->CountsST->text().contains(QStringLiteral(" 5 syllables")));
    const QString fog = DetailsForm->IndicesView->item(0, 1)->text();

    DetailsForm->ChangeWordCount(Row("zorp"), 3);
    EXPECT_EQ(ReportForm->SyllLB->text(), QStringLiteral("11"));
    EXPECT_EQ(ReportForm->DiffWordsLB->text(), QStringLiteral("3"));
    EXPECT_NE(Graph(), graph);
    EXPECT_TRUE(DetailsForm->CountsST->text().contains(QStringLiteral(" 11 syllables")));
    EXPECT_NE(DetailsForm->IndicesView->item(0, 1)->text(), fog);
    const auto selections = memo->extraSelections();
    ASSERT_EQ(selections.size(), 3);
    for (const QTextEdit::ExtraSelection& selection : selections)
        EXPECT_EQ(selection.cursor.selectedText().toLower(), QStringLiteral("zorp"));
    MainForm->mnuMarkPassage->trigger();
    ReportForm->close();
}

// After a correction the marked graph, the indices and the counts are exactly
// those of a new analysis in which the word was given that count, and the row
// says the count is now the user's.
TEST_F(DetailsFormTest, ACorrectionShowsWhatAFreshAnalysisWithThatCountShows) {
    const auto shown = [] {
        QStringList texts{DetailsForm->CountsST->text()};
        for (int row = 0; row < DetailsForm->IndicesView->rowCount(); ++row)
            texts << DetailsForm->IndicesView->item(row, 1)->text();
        // The difficult words of each listed sentence.
        for (int row = 0; row < DetailsForm->SentencesView->rowCount(); ++row)
            texts << DetailsForm->SentencesView->item(row, 1)->text();
        return texts;
    };
    const auto countFrom = [](const QString& word) {
        const QAbstractItemModel* model = DetailsForm->WordsView->model();
        for (int row = 0; row < model->rowCount(); ++row)
            if (model->index(row, 0).data().toString() == word)
                return model->index(row, 3).data().toString();
        return QString();
    };
    const QString text = QStringLiteral("Zorp sat on the mat. Zorp zorp sat.");
    MainForm->mnuMarkPassage->trigger();
    Analyse(text, QStringLiteral("3"));
    const QImage freshGraph = Graph();
    const QStringList freshFigures = shown();

    // The next start forgets the answer, which was kept in memory only.
    MainForm->close();
    windows.reset();
    windows = std::make_unique<StartupWindows>();
    MainForm->show();
    Analyse(text, QStringLiteral("1"));
    DetailsForm->FilterCB->setCurrentIndex(1); // all words
    EXPECT_EQ(countFrom(QStringLiteral("zorp")), QStringLiteral("typed"));
    ASSERT_NE(Graph(), freshGraph);
    ASSERT_NE(shown(), freshFigures);
    DetailsForm->ChangeWordCount(Row("zorp"), 3);
    EXPECT_EQ(Graph(), freshGraph);
    EXPECT_EQ(shown(), freshFigures);
    EXPECT_EQ(countFrom(QStringLiteral("zorp")), QStringLiteral("corrected"));
    EXPECT_EQ(countFrom(QStringLiteral("sat")), QStringLiteral("word list"));
    Analyse(text, QStringLiteral("1"));
    EXPECT_EQ(countFrom(QStringLiteral("zorp")), QStringLiteral("typed")) << "a new analysis";
    MainForm->mnuMarkPassage->trigger();
    ReportForm->close();
}

// An override inside a word must not turn it around in the lists.
TEST_F(DetailsFormTest, DirectionControlsInTheTextAreShownAsCodes) {
    Analyse(QStringLiteral("The e\u202Evil cat sat on the mat."), QStringLiteral("2"));
    DetailsForm->FilterCB->setCurrentIndex(2); // the words the dictionary lacked
    const QAbstractItemModel* model = DetailsForm->WordsView->model();
    ASSERT_EQ(model->rowCount(), 1);
    EXPECT_EQ(model->index(0, 0).data().toString(), QStringLiteral("e<U+202E>vil"));
    ASSERT_GE(DetailsForm->SentencesView->rowCount(), 1);
    EXPECT_EQ(DetailsForm->SentencesView->item(0, 2)->text(),
              QStringLiteral("The e<U+202E>vil cat sat on the mat"));
    ReportForm->close();
    FryGraphForm->close();
}

TEST_F(DetailsFormTest, TheHeadlineFollowsTheAnalysisAndTheRememberedTargetGrade) {
    DetailsHeadline* headline = DetailsForm->Headline;
    EXPECT_FALSE(headline->isVisibleTo(DetailsForm)) << "no analysis yet";
    Analyse(QStringLiteral("Zorp sat on the mat. The cat sat on the mat. Zorp zorp sat."),
            QStringLiteral("1"));
    ASSERT_TRUE(headline->isVisibleTo(DetailsForm));
    const QString easy = headline->HeadlineST->text();
    EXPECT_TRUE(easy.startsWith(QStringLiteral("About grade 1 ("))) << easy.toStdString();
    EXPECT_TRUE(easy.contains(QStringLiteral("very easy"))) << easy.toStdString();

    // A correction makes the text harder at once, and a target grade says by how much.
    DetailsForm->ChangeWordCount(Row("zorp"), 6);
    EXPECT_NE(headline->HeadlineST->text(), easy);
    headline->TargetGradeEdit->setValue(2);
    const QString hard = headline->HeadlineST->text();
    EXPECT_NE(hard, easy);
    EXPECT_TRUE(hard.contains(QStringLiteral("grades too hard for grade 2"))) << hard.toStdString();
    EXPECT_EQ(DetailsForm->SentenceOrderCB->currentIndex(), DetailsSentencesPage::kToShortenFirst);
    // Not the longest (the cat's), but the one of six-syllable words.
    EXPECT_EQ(DetailsForm->SentencesView->item(0, 2)->text(),
              QStringLiteral("Zorp sat on the mat"));
    {
        const std::unique_ptr<SettingsStore> store = OpenUserSettings();
        EXPECT_EQ(ReadTargetGrade(*store), 2);
    }
    CurrentAnalysis none;
    EXPECT_EQ(DetailsHeadline(&none).TargetGrade(), 2) << "read back when the window is made";
    headline->TargetGradeEdit->setValue(0);
    EXPECT_FALSE(headline->HeadlineST->text().contains(QStringLiteral("too hard")));
    ReportForm->close();
}

TEST_F(DetailsFormTest, F2AnywhereOnARowEditsItsCountOrSaysWhyNot) {
    Analyse(QStringLiteral("Zorp sat."), QStringLiteral("1"));
    DetailsForm->ShowDetails();
    DetailsForm->Tabs->setCurrentIndex(1);
    DetailsForm->FilterCB->setCurrentIndex(1); // all words
    QTableView* view = DetailsForm->WordsView;
    const auto rowOf = [view](const QString& word) {
        for (int row = 0; row < view->model()->rowCount(); ++row)
            if (view->model()->index(row, 0).data().toString() == word)
                return row;
        return -1;
    };
    view->setCurrentIndex(view->model()->index(rowOf(QStringLiteral("sat")), 0));
    QTest::keyClick(view, Qt::Key_F2);
    EXPECT_EQ(view->viewport()->findChild<QSpinBox*>(), nullptr) << "no editor";
    EXPECT_TRUE(DetailsForm->StatusLine->currentMessage().contains(QStringLiteral("word list")))
        << DetailsForm->StatusLine->currentMessage().toStdString();

    view->setCurrentIndex(view->model()->index(rowOf(QStringLiteral("zorp")), 3));
    QTest::keyClick(view, Qt::Key_F2);
    ASSERT_NE(view->viewport()->findChild<QSpinBox*>(), nullptr) << "the count's editor";
    EXPECT_EQ(view->currentIndex().column(), 1) << "the count, whichever cell was current";
    EXPECT_TRUE(DetailsForm->StatusLine->currentMessage().isEmpty());
    DetailsForm->close();
    ReportForm->close();
    FryGraphForm->close();
}

// Where the screen has no room beside the main window, the details may cover
// the text area: what they select is scrolled out from under them.
TEST_F(DetailsFormTest, WhatTheDetailsSelectIsNotLeftUnderThem) {
    QString text;
    for (int i = 1; i <= 80; ++i)
        text += QStringLiteral("Line %1 of the passage.\n").arg(i);
    Analyse(text);
    MainForm->setGeometry(0, 0, 638, 425);
    DetailsForm->ShowDetails();
    QPlainTextEdit* memo = MainForm->InputMemo;
    const QRect view(memo->viewport()->mapToGlobal(QPoint(0, 0)), memo->viewport()->size());
    DetailsForm->setGeometry(view.left(), view.top() + view.height() / 2, 500, 300);
    QTest::qWait(1);
    const auto selectionOnScreen = [memo] {
        QTextCursor start = memo->textCursor();
        start.setPosition(start.selectionStart());
        const QRect rect = memo->cursorRect(start);
        return QRect(memo->viewport()->mapToGlobal(rect.topLeft()), rect.size());
    };
    for (const std::size_t sentence : {std::size_t{50}, std::size_t{30}, std::size_t{10}}) {
        DetailsForm->SelectSentence(sentence);
        EXPECT_EQ(Selected(), QStringLiteral("Line %1 of the passage.").arg(sentence + 1));
        EXPECT_TRUE(view.contains(selectionOnScreen())) << sentence;
        EXPECT_FALSE(selectionOnScreen().intersects(DetailsForm->frameGeometry())) << sentence;
    }
    DetailsForm->close();
    ReportForm->close();
}

} // namespace
