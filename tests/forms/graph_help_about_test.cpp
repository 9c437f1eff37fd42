#include "FakeDesktop.h"
#include "forms/FrmAbout.h"
#include "forms/FrmFryGraph.h"
#include "forms/FrmHelpPage.h"
#include "image/JpegImage.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QClipboard>
#include <QFile>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTest>
#include <QTextBlock>
#include <QTimer>

#include <string>

namespace {

class DesktopTest : public ::testing::Test {
protected:
    FakeDesktop desktop;
    DesktopGuard guard{desktop};
};

QByteArray EmbeddedPicture() {
    QFile file(QStringLiteral(":/frygraph.jpg"));
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// Runs the action as soon as the modal window it shows has taken over.
void WhenModal(std::function<void(QWidget*)> action) {
    QTimer::singleShot(0, [action] {
        QWidget* modal = QApplication::activeModalWidget();
        ASSERT_NE(modal, nullptr);
        action(modal);
    });
}

// ---- The picture -----------------------------------------------------------

TEST(JpegPicture, EmbeddedGraphIsABaselineRgbPictureAt96Dpi) {
    const QByteArray jpeg = EmbeddedPicture();
    ASSERT_GT(jpeg.size(), 1000);
    const auto byte = [&](qsizetype i) { return static_cast<unsigned char>(jpeg[i]); };
    // JFIF header: density unit 1 (per inch), 96 x 96.
    ASSERT_EQ(jpeg.mid(6, 5), QByteArray("JFIF\0", 5));
    EXPECT_EQ(byte(13), 1);
    EXPECT_EQ(byte(14) << 8 | byte(15), 96);
    EXPECT_EQ(byte(16) << 8 | byte(17), 96);
    // A baseline frame (SOF0) of three components.
    const qsizetype frame = jpeg.indexOf(QByteArray("\xFF\xC0", 2));
    ASSERT_GT(frame, 0);
    EXPECT_EQ(byte(frame + 9), 3);

    const QImage image = LoadFryGraphPicture();
    EXPECT_EQ(image.size(), QSize(800, 581));
    // Black on white: the corner pixel is paper.
    EXPECT_GT(qGray(image.pixel(799, 580)), 240);
}

TEST(JpegPicture, DamagedDataRaisesAnError) {
    const QByteArray jpeg = EmbeddedPicture();
    struct Row {
        const char* name;
        QByteArray data;
    };
    const Row rows[] = {
        {"empty", {}},
        {"not a picture", "Graph for Estimating Readability"},
        {"header only", jpeg.left(600)},
        {"cut in half", jpeg.left(jpeg.size() / 2)},
    };
    for (const Row& row : rows)
        EXPECT_THROW(DecodeJpeg(row.data), JpegError) << row.name;
}

TEST(JpegPicture, EncodedPictureDecodesToTheSameSizeAndColour) {
    QImage image(17, 9, QImage::Format_RGB32);
    image.fill(QColor(200, 30, 40));
    const QImage decoded = DecodeJpeg(EncodeJpeg(image, 95, 96));
    ASSERT_EQ(decoded.size(), image.size());
    const QColor centre = decoded.pixelColor(8, 4);
    EXPECT_NEAR(centre.red(), 200, 6);
    EXPECT_NEAR(centre.green(), 30, 6);
    EXPECT_NEAR(centre.blue(), 40, 6);
}

// ---- The graph window ------------------------------------------------------

TEST(FryGraphWindow, ClientAreaStaysAtThePictureSize) {
    TFryGraphForm form;
    EXPECT_EQ(form.windowTitle(), "Fry's Graph");
    EXPECT_TRUE(form.isWindow());
    EXPECT_EQ(form.parentWidget(), nullptr) << "a window of its own, with its own taskbar entry";
    EXPECT_EQ(form.FryImage->pixmap().size(), QSize(800, 581));

    form.resize(1000, 700);
    EXPECT_EQ(form.size(), QSize(800, 581));
    form.show();
    form.resize(640, 480);
    EXPECT_EQ(form.size(), QSize(800, 581));
    EXPECT_EQ(form.FryImage->geometry(), QRect(0, 0, 800, 581));
}

TEST(FryGraphWindow, ShowingTwiceKeepsOneWindowWhereItWasLeft) {
    TFryGraphForm form;
    form.show();
    form.move(120, 90);
    const QPoint left = form.pos();
    form.show();
    form.raise();
    int graphs = 0;
    for (QWidget* window : QApplication::topLevelWidgets())
        graphs += qobject_cast<TFryGraphForm*>(window) && window->isVisible() ? 1 : 0;
    EXPECT_EQ(graphs, 1);

    EXPECT_TRUE(form.close());
    EXPECT_FALSE(form.isVisible());
    form.show();
    EXPECT_EQ(form.pos(), left);
}

// ---- The help window -------------------------------------------------------

TEST(HelpWindow, TextLineByLine) {
    const char* const expected[] = {
        "--- How to use the Scrivolux ---",
        "",
        "1.  Copy and paste, type, or load from a text file,  the text to be analyzed into ",
        "the main window.",
        "",
        "2.  Click Analysis->Start Analysis",
        "",
        "3.  If a word in the passage is found that is not in the dictionary, you will be ",
        "prompted to enter the syllable count.",
        "",
        "4.  The statistics for the entered text will be displayed.",
        "",
        "The Edward Fry graph can be viewed by clicking Graph->Show Fry's Graph.  ",
        "This will only allow you to view the graph, it does not display any statistics.",
        "",
        "*Note: A partial sentence at the end of a passage is counted as a whole sentence. ",
        " Statistics are accurate for passages that are not exactly 100 words.  So it is best "
        "to ",
        "end a passage on a sentence boundary.",
        "",
        "*Note: Difficult words are considered to be words with 3 or more syllables.",
    };
    THelpPageForm form;
    EXPECT_EQ(form.windowTitle(), "How to use the Scrivolux");
    const QTextDocument* text = form.HelpMemo->document();
    ASSERT_EQ(text->blockCount(), 20);
    for (int line = 0; line < 20; ++line)
        EXPECT_EQ(text->findBlockByNumber(line).text().toStdString(), expected[line])
            << "line " << line + 1;
}

TEST(HelpWindow, TextCanBeCopiedButNotChanged) {
    THelpPageForm form;
    form.show();
    const QString before = form.HelpMemo->toPlainText();
    form.HelpMemo->setFocus();
    QTest::keyClicks(form.HelpMemo, "typed");
    QTest::keyClick(form.HelpMemo, Qt::Key_Delete);
    EXPECT_EQ(form.HelpMemo->toPlainText(), before);

    QTest::keyClick(form.HelpMemo, Qt::Key_A, Qt::ControlModifier);
    QTest::keyClick(form.HelpMemo, Qt::Key_C, Qt::ControlModifier);
    EXPECT_EQ(QApplication::clipboard()->text(), before);
    form.hide();
}

TEST(HelpWindow, ResizingMovesTheButtonWithTheCorner) {
    THelpPageForm form;
    form.show();
    ASSERT_EQ(form.size(), QSize(526, 374));
    EXPECT_EQ(form.HelpMemo->geometry(), QRect(8, 16, 506, 305));
    EXPECT_EQ(form.CloseBT->geometry(), QRect(439, 336, 75, 25));
    form.resize(626, 474);
    EXPECT_EQ(form.HelpMemo->geometry(), QRect(8, 16, 606, 405));
    EXPECT_EQ(form.CloseBT->geometry(), QRect(539, 436, 75, 25));
    form.hide();
}

TEST(HelpWindow, CloseEndsWithResultTwoAndKeepsTheWindow) {
    THelpPageForm form;
    WhenModal([](QWidget* modal) {
        auto* help = qobject_cast<THelpPageForm*>(modal);
        ASSERT_NE(help, nullptr);
        // Enter in the text is not a request to close.
        QTest::keyClick(help->HelpMemo, Qt::Key_Return);
        EXPECT_TRUE(help->isVisible());
        QTest::keyClick(help, Qt::Key_Escape);
        EXPECT_TRUE(help->isVisible()) << "Escape is not a way out either";
        help->CloseBT->click();
    });
    EXPECT_EQ(form.exec(), THelpPageForm::kCloseResult);
    EXPECT_FALSE(form.isVisible());
}

// ---- The about box ---------------------------------------------------------

TEST(AboutBox, TextsAsWritten) {
    TAboutBox box;
    EXPECT_EQ(box.windowTitle(), "Scrivolux v1.1");
    EXPECT_EQ(box.size(), QSize(298, 229));
    EXPECT_EQ(box.ProductName->text(), "The Scrivolux");
    EXPECT_EQ(box.Version->text(), "Version 1.1");
    EXPECT_EQ(box.Comments->text(),
              "This program computes readablilty statistics for the Fry Readablity Chart");
    EXPECT_EQ(box.InfoST->text(), "For more information, please visit:");
    EXPECT_EQ(box.HyperLinkLB->text(), ProductHomePage());
    EXPECT_FALSE(ProductHomePage().isEmpty());
    EXPECT_FALSE(box.ProgramIcon->pixmap().isNull());
    EXPECT_EQ(box.OKButton->text(), "OK");
    // Every label fits inside the panel.
    for (const QLabel* label : box.Panel1->findChildren<QLabel*>())
        EXPECT_TRUE(box.Panel1->rect().contains(label->geometry())) << label->text().toStdString();
}

TEST_F(DesktopTest, EnterClosesTheAboutBoxWithResultOne) {
    TAboutBox box;
    WhenModal([](QWidget* modal) {
        QTest::keyClick(modal, Qt::Key_Escape);
        EXPECT_TRUE(modal->isVisible()) << "the box has no cancel button";
        QTest::keyClick(modal, Qt::Key_Return);
    });
    EXPECT_EQ(box.exec(), QDialog::Accepted);
    EXPECT_FALSE(box.isVisible());
    EXPECT_TRUE(desktop.urls.isEmpty());
}

TEST_F(DesktopTest, LinkOpensItsOwnTextAndLeavesTheBoxOpen) {
    TAboutBox box;
    WhenModal([this](QWidget* modal) {
        auto* about = qobject_cast<TAboutBox*>(modal);
        ASSERT_NE(about, nullptr);
        QTest::mouseClick(about->HyperLinkLB, Qt::LeftButton);
        EXPECT_EQ(desktop.urls, QStringList{about->HyperLinkLB->text()});
        EXPECT_TRUE(about->isVisible());
        about->OKButton->click();
    });
    EXPECT_EQ(box.exec(), QDialog::Accepted);
}

} // namespace
