#include "FakeDesktop.h"

#include "forms/FrmReport.h"

#include <gtest/gtest.h>

#include <QClipboard>
#include <QGuiApplication>
#include <QLabel>
#include <QLocale>
#include <QPushButton>
#include <QScreen>
#include <QTest>

namespace {

class ReportFormTest : public ::testing::Test {
protected:
    void TearDown() override {
        report.close();
        QLocale::setDefault(QLocale::c());
        EXPECT_TRUE(VisibleWindows().empty());
    }

    QString Copied() {
        QGuiApplication::clipboard()->clear();
        QTest::mouseClick(report.ClipCopyBT, Qt::LeftButton);
        return QGuiApplication::clipboard()->text();
    }

    FakeDesktop desktop;
    DesktopGuard guard{desktop};
    TReportForm report;
};

TEST_F(ReportFormTest, ClipboardTextOfAKnownReport) {
    report.ShowStatistics(130, 100, 5, 10);
    const QString expected = QStringLiteral("Total Number of Syllables: 130\n"
                                            "Total Number of Words: 100\n"
                                            "Total Number of Sentences: 5\n"
                                            "Average Syllables Per Word: 1.3\n"
                                            "Average Syllables Per Sentence: 26\n"
                                            "Average Words Per Sentence: 20\n"
                                            "Number of Difficult Words(3 or more syllables):10\n"
                                            "Syllables Per 100 Words: 130\n"
                                            "Sentences Per 100 Words: 5\n"
                                            "Gunning-Fog Index: 12\n"
                                            "Flesch Reading Ease: 76.5550003051758\n"
                                            "Flesch-Kincaid Grade Level: 7.55000019073486\n");
    const QString copied = Copied();
    EXPECT_EQ(copied, expected);
    EXPECT_EQ(copied.size(), 396);
    EXPECT_EQ(Copied(), expected) << "copying twice gives the same text";
}

TEST_F(ReportFormTest, CountsArriveInTheirOrderAndZerosShowPlaceholders) {
    // Sentences come before difficult words.
    report.ShowStatistics(7, 3, 2, 1);
    EXPECT_EQ(report.SyllLB->text(), QStringLiteral("7"));
    EXPECT_EQ(report.WordsLB->text(), QStringLiteral("3"));
    EXPECT_EQ(report.SentLB->text(), QStringLiteral("2"));
    EXPECT_EQ(report.DiffWordsLB->text(), QStringLiteral("1"));

    report.ShowStatistics(0, 0, 0, 0);
    const QString copied = Copied();
    EXPECT_EQ(copied.size(), 378);
    EXPECT_EQ(copied.count(QStringLiteral("----\n")), 8);
    EXPECT_TRUE(copied.startsWith(QStringLiteral("Total Number of Syllables: 0\n")));
}

TEST_F(ReportFormTest, DecimalSeparatorFollowsTheLocale) {
    QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
    report.ShowStatistics(130, 100, 5, 10);
    EXPECT_EQ(report.SyllPWordLB->text(), QStringLiteral("1,3"));
    EXPECT_TRUE(Copied().contains(QStringLiteral("Flesch Reading Ease: 76,5550003051758\n")));
}

TEST_F(ReportFormTest, CloseHidesAndKeepsTheFiguresUntilTheNextReport) {
    report.ShowStatistics(130, 100, 5, 10);
    ASSERT_TRUE(report.isVisible());
    const QPoint moved = report.pos() + QPoint(-10, -10);
    report.move(moved);
    QTest::mouseClick(report.CloseBT, Qt::LeftButton);
    EXPECT_FALSE(report.isVisible());
    EXPECT_EQ(report.WordsLB->text(), QStringLiteral("100"));
    EXPECT_TRUE(Copied().contains(QStringLiteral("Total Number of Words: 100\n")));

    report.ShowStatistics(10, 8, 1, 0);
    EXPECT_TRUE(report.isVisible());
    EXPECT_EQ(report.pos(), moved) << "a later showing keeps where the user put it";
    EXPECT_TRUE(Copied().contains(QStringLiteral("Total Number of Words: 8\n")));
}

TEST_F(ReportFormTest, WindowOfItsOwnWithTheDesignedLayout) {
    EXPECT_EQ(report.parentWidget(), nullptr) << "its own taskbar entry";
    EXPECT_TRUE(report.isWindow());
    EXPECT_EQ(report.windowTitle(), QStringLiteral("Analysis Report"));
    EXPECT_EQ(report.size(), QSize(405, 303));
    EXPECT_EQ(report.minimumSize(), report.maximumSize()) << "fixed border";
    EXPECT_TRUE(
        QGuiApplication::primaryScreen()->availableGeometry().contains(report.frameGeometry()));
    EXPECT_EQ(report.SentPHST->text(), QStringLiteral("Sentences Per 100  Words:"));
    EXPECT_EQ(report.DiffWordsST->pos(), QPoint(16, 136));
    // The value column stands at 264 unless the face in use needs it further right.
    EXPECT_EQ(report.GunningFogLB->y(), 192);
    EXPECT_GE(report.GunningFogLB->x(), 264);
    EXPECT_GT(report.GunningFogLB->x(), report.DiffWordsST->geometry().right());
    // Buttons keep their designed outer edges, widened inwards if a caption needs it.
    EXPECT_EQ(report.ClipCopyBT->pos(), QPoint(16, 264));
    EXPECT_GE(report.ClipCopyBT->width(), 97);
    EXPECT_EQ(report.CloseBT->geometry().topRight(), QPoint(394, 264));
    EXPECT_GE(report.CloseBT->width(), 75);
    // The style's minimum width does not widen them; only a caption that
    // would be cut does.
    for (const QPushButton* button : {report.ClipCopyBT, report.CloseBT}) {
        const int text = button->fontMetrics().horizontalAdvance(button->text());
        const int designed = button == report.CloseBT ? 75 : 97;
        EXPECT_GE(button->width(), text) << "caption fits";
        if (text + 4 <= designed) {
            EXPECT_EQ(button->width(), designed);
        }
        EXPECT_EQ(button->height(), 25);
    }
    EXPECT_TRUE(report.TitleST->font().underline());

    QWidget* next = report.CloseBT->nextInFocusChain();
    while (next->focusPolicy() == Qt::NoFocus)
        next = next->nextInFocusChain();
    EXPECT_EQ(next, report.ClipCopyBT);
}

} // namespace
