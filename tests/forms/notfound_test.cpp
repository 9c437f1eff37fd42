#include "FakeDesktop.h"

#include "dictionary/Dictionary.h"
#include "forms/FrmNotFound.h"
#include "forms/ScreenPlacement.h"
#include "forms/ShownText.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScreen>
#include <QTemporaryDir>
#include <QTest>

#include <functional>
#include <memory>
#include <string>

namespace {

const QString kNumberMessage =
    QStringLiteral("Please enter a number for the syllable count\n or click Ignore.");
const QString kNegativeMessage = QStringLiteral("You cannot add a negative syllable count.");

class NotFoundTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(dir.isValid());
        customPath = dir.filePath(QStringLiteral("custom.dat"));
        FreshDictionary();
    }

    void FreshDictionary() {
        dictionary = std::make_unique<TDictionary>();
        dictionary->LoadCustomDictionary(customPath.toStdString());
    }
    void TearDown() override { EXPECT_TRUE(VisibleWindows().empty()); }

    // Shows a fresh dialog for the word and lets `answer` play the user.
    int Ask(const std::string& word, std::function<void(TNotFoundForm*)> answer) {
        ModalAnswers<TNotFoundForm> answers;
        answers.Then(std::move(answer));
        TNotFoundForm dialog;
        const int count = dialog.AskSyllables(word, *dictionary);
        EXPECT_EQ(answers.Answered(), 1);
        return count;
    }

    FakeDesktop desktop;
    DesktopGuard guard{desktop};
    QTemporaryDir dir;
    QString customPath;
    std::unique_ptr<TDictionary> dictionary;
};

void Click(QPushButton* button) {
    QTest::mouseClick(button, Qt::LeftButton);
}

struct Ending {
    const char* name;
    const char* typed;
    std::function<void(TNotFoundForm*)> finish;
    int result;
    int known; // what Lookup gives afterwards
    QByteArray file;
};

TEST_F(NotFoundTest, EachWayOfEndingTheDialog) {
    const auto addMem = [](TNotFoundForm* f) { Click(f->AddMemBT); };
    const auto addFile = [](TNotFoundForm* f) { Click(f->AddFileBT); };
    const auto enter = [](TNotFoundForm* f) { QTest::keyClick(f->SyllableEdit, Qt::Key_Return); };
    const auto closeBox = [](TNotFoundForm* f) { f->close(); };
    const auto ignore = [](TNotFoundForm* f) { Click(f->IgnoreBT); };
    const Ending endings[] = {
        {"count with a leading blank", " 3", addMem, 3, 3, "<unreadable>"},
        {"zero is a count", "0", addMem, 0, 0, "<unreadable>"},
        {"Enter continues in memory only", "4", enter, 4, 4, "<unreadable>"},
        {"keypad Enter too", "2",
         [](TNotFoundForm* f) {
             QTest::keyClick(f->SyllableEdit, Qt::Key_Enter, Qt::KeypadModifier);
         },
         2, 2, "<unreadable>"},
        {"adding to the file writes the word as shown", "12", addFile, 12, 12, "Zorp|12\r\n"},
        {"close box after typing gives nothing", "5", closeBox, 0, -1, "<unreadable>"},
        {"Ignore gives nothing", "5", ignore, 0, -1, "<unreadable>"},
    };
    for (const Ending& row : endings) {
        SCOPED_TRACE(row.name);
        QFile::remove(customPath);
        FreshDictionary();
        const int count = Ask("Zorp", [&](TNotFoundForm* f) {
            QTest::keyClicks(f->SyllableEdit, QString::fromLatin1(row.typed));
            row.finish(f);
        });
        EXPECT_EQ(count, row.result);
        EXPECT_EQ(dictionary->Lookup("zorp"), row.known);
        EXPECT_EQ(ReadBytes(customPath), row.file);
        EXPECT_TRUE(desktop.messages.isEmpty()) << desktop.messages.join('|').toStdString();
    }
}

TEST_F(NotFoundTest, RefusedCountsKeepTheDialogOpen) {
    struct Refusal {
        const char* name;
        const char* typed;
        QPushButton* TNotFoundForm::*button; // nullptr: Enter in the edit
        QString message;
        QString editAfter;
    };
    const Refusal refusals[] = {
        {"trailing blank", "3 ", &TNotFoundForm::AddMemBT, kNumberMessage, ""},
        {"empty", "", &TNotFoundForm::AddMemBT, kNumberMessage, ""},
        {"decimal", "2.5", &TNotFoundForm::AddFileBT, kNumberMessage, ""},
        {"out of range", "2147483648", nullptr, kNumberMessage, ""},
        {"negative, by Enter", "-2", nullptr, kNegativeMessage, "-2"},
        {"negative, to the file", "-1", &TNotFoundForm::AddFileBT, kNegativeMessage, "-1"},
    };
    for (const Refusal& row : refusals) {
        SCOPED_TRACE(row.name);
        desktop.messages.clear();
        const int count = Ask("Zorp", [&](TNotFoundForm* f) {
            QTest::keyClicks(f->SyllableEdit, QString::fromLatin1(row.typed));
            if (row.button)
                Click(f->*row.button);
            else
                QTest::keyClick(f->SyllableEdit, Qt::Key_Return);
            EXPECT_EQ(desktop.messages, QStringList{row.message});
            EXPECT_EQ(f->SyllableEdit->text(), row.editAfter);
            EXPECT_TRUE(f->isVisible());
            f->close();
        });
        EXPECT_EQ(count, 0);
        EXPECT_EQ(dictionary->Lookup("zorp"), -1);
        EXPECT_FALSE(QFile::exists(customPath));
    }
}

TEST_F(NotFoundTest, AFailedFileStillCountsAndTellsTheUser) {
    // A folder where the file should be: appending to it must fail.
    ASSERT_TRUE(QDir(dir.path()).mkdir(QStringLiteral("custom.dat")));
    const int count = Ask("Zorp", [](TNotFoundForm* f) {
        QTest::keyClicks(f->SyllableEdit, QStringLiteral("2"));
        Click(f->AddFileBT);
    });
    EXPECT_EQ(count, 2);
    EXPECT_EQ(dictionary->Lookup("zorp"), 2);
    ASSERT_EQ(desktop.messages.size(), 1);
    EXPECT_TRUE(desktop.messages[0].contains(
        QStringLiteral("could not be added to the user dictionary file")));
    EXPECT_TRUE(desktop.messages[0].contains(customPath)) << desktop.messages[0].toStdString();
}

// Escape asks whether to stop; No goes back to the word.
TEST_F(NotFoundTest, EscapeAnsweredNoKeepsTheDialogAndEnterOnAButtonPressesIt) {
    const int count = Ask("Zorp", [](TNotFoundForm* f) {
        QTest::keyClick(f->SyllableEdit, Qt::Key_Escape);
        EXPECT_TRUE(f->isVisible());
        QTest::keyClicks(f->SyllableEdit, QStringLiteral("7"));
        f->AddFileBT->setFocus();
        QTest::keyClick(f->AddFileBT, Qt::Key_Return);
    });
    EXPECT_EQ(desktop.questions, QStringList{QStringLiteral("Stop the analysis?")});
    EXPECT_EQ(count, 7);
    EXPECT_EQ(ReadBytes(customPath), QByteArray("Zorp|7\r\n"));
}

TEST_F(NotFoundTest, AWordGluedToANoBreakSpaceShowsIt) {
    Ask("\xC2\xA0Smith", [](TNotFoundForm* f) {
        EXPECT_EQ(f->WordLB->text(), QStringLiteral("<U+00A0>Smith"));
        EXPECT_EQ(f->WordLB->toolTip(), QStringLiteral("<U+00A0>Smith"));
        QTest::keyClicks(f->SyllableEdit, QStringLiteral("1"));
        QTest::keyClick(f->SyllableEdit, Qt::Key_Return);
    });
}

// Yes ends the dialog as a stop, with nothing typed kept anywhere.
TEST_F(NotFoundTest, EscapeAnsweredYesStopsWithoutAnswering) {
    desktop.yesNoAnswers = {true};
    ModalAnswers<TNotFoundForm> answers;
    answers.Then([](TNotFoundForm* f) {
        QTest::keyClicks(f->SyllableEdit, QStringLiteral("7"));
        QTest::keyClick(f->SyllableEdit, Qt::Key_Escape);
        EXPECT_FALSE(f->isVisible());
    });
    TNotFoundForm dialog;
    dialog.AskSyllables("Zorp", *dictionary);
    EXPECT_EQ(answers.Answered(), 1);
    EXPECT_TRUE(dialog.StopRequested());
    EXPECT_EQ(desktop.questions, QStringList{QStringLiteral("Stop the analysis?")});
    EXPECT_EQ(dictionary->Lookup("zorp"), -1);
    EXPECT_FALSE(QFile::exists(customPath));
}

TEST_F(NotFoundTest, ALongWordStaysInsideTheDialog) {
    const std::string word(300, 'w');
    Ask(word, [&word](TNotFoundForm* f) {
        EXPECT_LE(f->WordLB->geometry().right(), f->width());
        EXPECT_EQ(f->WordLB->toolTip().toStdString(), word);
        f->IgnoreBT->click();
    });
}

// A word of a megabyte is refused by the file: the message quotes its start
// only, and the label and its tool tip are bounded too.
TEST_F(NotFoundTest, AHugeWordIsQuotedShortened) {
    const std::string word = "e\u202Evil" + std::string(1'000'000, 'w');
    const int count = Ask(word, [](TNotFoundForm* f) {
        EXPECT_TRUE(f->WordLB->text().startsWith(QStringLiteral("e<U+202E>vil")));
        EXPECT_EQ(f->WordLB->toolTip().size(), 400 - 1 + 8 + 1) << "the override as a code";
        QTest::keyClicks(f->SyllableEdit, QStringLiteral("2"));
        Click(f->AddFileBT);
    });
    EXPECT_EQ(count, 2);
    ASSERT_EQ(desktop.messages.size(), 1);
    const QString quoted = QStringLiteral("e<U+202E>vil") + QString(35, u'w') + QChar(0x2026);
    EXPECT_TRUE(desktop.messages[0].startsWith(QStringLiteral("The word \"") + quoted +
                                               QStringLiteral("\" could not be added")))
        << desktop.messages[0].left(200).toStdString();
    EXPECT_LT(desktop.messages[0].size(), 400);

    Ask("e\u202Evil", [](TNotFoundForm* f) {
        EXPECT_EQ(f->WordLB->text(), QStringLiteral("e<U+202E>vil"));
        f->IgnoreBT->click();
    });
}

TEST_F(NotFoundTest, TheEstimateIsShownButNotTyped) {
    Ask("Zorpification", [](TNotFoundForm* f) {
        EXPECT_TRUE(f->EstimateLB->isVisible());
        EXPECT_EQ(f->EstimateLB->text(), QStringLiteral("Estimated: 5 syllables"));
        EXPECT_TRUE(f->SyllableEdit->text().isEmpty());
        EXPECT_LE(f->EstimateLB->geometry().bottom(), f->AddMemBT->y());
        f->IgnoreBT->click();
    });
}

TEST_F(NotFoundTest, LayoutFocusAndTabOrder) {
    Ask("Quixotic", [](TNotFoundForm* f) {
        EXPECT_EQ(f->windowTitle(), QStringLiteral("Word Not Found"));
        EXPECT_TRUE(f->windowFlags().testFlag(Qt::Tool));
        EXPECT_EQ(f->size(), QSize(367, 244));
        const QRect available = QGuiApplication::primaryScreen()->availableGeometry();
        EXPECT_TRUE(available.contains(f->frameGeometry())) << "kept on the screen";
        EXPECT_EQ(f->WordLB->text(), QStringLiteral("Quixotic"));
        EXPECT_EQ(f->WordLB->pos(), QPoint(40, 48));
        EXPECT_EQ(f->NotFoundST->text(),
                  QStringLiteral("The following word was not found in the loaded dictionary."));
        EXPECT_EQ(f->SyllableEditLabel->text(),
                  QStringLiteral("Enter the syllable count for this word:"));
        EXPECT_EQ(f->SyllableEditLabel->geometry().right() + 1 + 3, f->SyllableEdit->x());
        EXPECT_GE(f->SyllableEditLabel->x(), 0);
        for (const QPushButton* button : {f->AddMemBT, f->IgnoreBT, f->AddFileBT})
            EXPECT_GE(button->width(), button->sizeHint().width()) << "caption fits";
        EXPECT_EQ(f->IgnoreBT->text(), QStringLiteral("Ignore word  (0 syllables)"));
        EXPECT_EQ(f->focusWidget(), f->SyllableEdit);
        const std::vector<QWidget*> order = {f->SyllableEdit, f->AddMemBT, f->IgnoreBT,
                                             f->AddFileBT};
        for (std::size_t i = 0; i + 1 < order.size(); ++i) {
            QWidget* next = order[i]->nextInFocusChain();
            while (next->focusPolicy() == Qt::NoFocus)
                next = next->nextInFocusChain();
            EXPECT_EQ(next, order[i + 1]) << i;
        }
        f->close();
    });
}

// Joiners, line breaks and letters beyond the first plane are kept; a quoted
// word is cut after 40 characters, exactly, and never inside a surrogate pair.
TEST(ShownText, ControlsAreVisibleAndQuotedWordsShort) {
    EXPECT_EQ(VisibleText(u"a\u200Db\u200Cc\nd\u2066\U0001F600\U000E0001\u0007"),
              QStringLiteral("a\u200Db\u200Cc\nd<U+2066>\U0001F600<U+E0001><U+0007>"));
    const std::string forty(40, 'x');
    EXPECT_EQ(QuotedWord(forty), QString::fromStdString(forty));
    EXPECT_EQ(QuotedWord(std::string(39, 'x') + "\U0001F600\U0001F600"),
              QString(39, u'x') + QStringLiteral("\U0001F600\u2026"));
}

// A word never holds a space, so one that does shows where: a word glued to a
// no-break space is not shown as the bare word. Sentences keep their tabs.
TEST(ShownText, SpacesInsideAWordAreShownAsCodes) {
    struct Row {
        const char* name;
        QString word;
        QString shown;
    };
    const Row rows[] = {
        {"no-break space first", QStringLiteral("\u00A0Smith"), QStringLiteral("<U+00A0>Smith")},
        {"tab inside", QStringLiteral("Smith\tJones"), QStringLiteral("Smith<U+0009>Jones")},
        {"narrow no-break space", QStringLiteral("10\u202Fkm"), QStringLiteral("10<U+202F>km")},
        {"ideographic space last", QStringLiteral("ab\u3000"), QStringLiteral("ab<U+3000>")},
    };
    for (const Row& row : rows) {
        EXPECT_EQ(VisibleWord(row.word), row.shown) << row.name;
        EXPECT_EQ(QuotedWord(row.word), row.shown) << row.name;
    }
    EXPECT_EQ(QuotedWord(std::string("\xC2\xA0smith")), QStringLiteral("<U+00A0>smith"));
    EXPECT_EQ(VisibleText(u"a\tb\u00A0c"), QStringLiteral("a\tb\u00A0c"));
}

TEST(ScreenPlacement, MovesOnlyAsFarAsNeeded) {
    struct Row {
        const char* name;
        QRect frame;
        QRect available;
        QPoint expected;
    };
    const Row rows[] = {
        {"fits as designed", {850, 521, 367, 270}, {0, 0, 1920, 1080}, {850, 521}},
        {"too far right and down", {850, 521, 367, 270}, {0, 0, 1024, 768}, {657, 498}},
        {"above and left of the area", {-20, -5, 100, 100}, {0, 30, 800, 600}, {0, 30}},
        {"larger than the area keeps its corner on it",
         {269, 292, 900, 700},
         {0, 0, 800, 600},
         {0, 0}},
        {"second screen to the right", {2000, 100, 300, 200}, {1920, 0, 1280, 1024}, {2000, 100}},
    };
    for (const Row& row : rows)
        EXPECT_EQ(KeptOnScreen(row.frame, row.available), row.expected) << row.name;
}

} // namespace
