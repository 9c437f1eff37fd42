// Hostile files through the real desktop program on the offscreen platform:
// loaded from the File menu, or lying beside the executable at start-up.
// Nothing may crash or hang, every refusal is shown with its reason, the text
// in the text area survives every refusal, and the user dictionary's earlier
// lines survive everything.

#include "FakeDesktop.h"
#include "HostileFiles.h"

#include "dictionary/Dictionary.h"
#include "forms/Application.h"
#include "forms/FrmMain.h"
#include "forms/FrmNotFound.h"
#include "forms/FrmReport.h"
#include "settings/FileSettingsStore.h"

#include <gtest/gtest.h>

#include <QAction>
#include <QDir>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>

#include <memory>

#include <sys/stat.h>

namespace {

using namespace hostile;

const QString kUserText = QStringLiteral("The user's own text,\nwhich nothing may lose.");

class HostileGuiTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(dir.isValid());
        ASSERT_TRUE(Write(Path("cuvplus.dat"), kWordList));
        ASSERT_TRUE(Write(Path("custom.dat"), kEarlierLines));
    }

    void TearDown() override {
        if (MainForm)
            MainForm->close();
        windows.reset();
        EXPECT_TRUE(VisibleWindows().empty());
        if (QFileInfo(Path("custom.dat")).isFile()) {
            EXPECT_TRUE(Read(Path("custom.dat")).startsWith(kEarlierLines));
        }
    }

    // Starts the program with its executable in the temporary folder.
    void Start() {
        windows.reset();
        desktop.executablePath = Path("scrivolux");
        windows = std::make_unique<StartupWindows>();
        ASSERT_NE(MainForm, nullptr);
        MainForm->show();
        MainForm->InputMemo->setPlainText(kUserText);
    }

    QString Path(const QString& name) const { return dir.filePath(name); }
    QString Text() const { return MainForm->InputMemo->toPlainText(); }

    void Load(const QString& name) {
        desktop.openNames.push_back(Path(name));
        MainForm->mnuTxtLoad->trigger();
    }

    // Runs the analysis; each unknown word's dialog is answered by `answer`.
    void Analyse(std::function<void(TNotFoundForm*)> answer) {
        ModalAnswers<TNotFoundForm> answers;
        answers.Then(std::move(answer)).RepeatLast();
        MainForm->mnuStartAnalysis->trigger();
        ASSERT_TRUE(MainForm->isEnabled());
    }

    static void CloseBox(TNotFoundForm* dialog) { dialog->close(); }

    FakeDesktop desktop;
    DesktopGuard guard{desktop};
    QTemporaryDir dir;
    std::unique_ptr<StartupWindows> windows;
};

// First in the file, while the process's peak memory is still low.
TEST_F(HostileGuiTest, TwoHundredMegabyteFileIsRefusedWithoutReadingIt) {
    Start();
    ASSERT_TRUE(WriteSparse(Path("huge.txt"), 200LL * 1024 * 1024));
    const long peakBefore = PeakMegabytes();
    Load("huge.txt");
    EXPECT_EQ(desktop.errors, QStringList{"Text exceeds memo capacity."});
    EXPECT_EQ(Text(), kUserText);
    EXPECT_LT(PeakMegabytes() - peakBefore, 64);
}

TEST_F(HostileGuiTest, RefusedFilesLeaveTheTextAlone) {
    Start();
    ASSERT_TRUE(Write(Path("random-nul.txt"), RandomBytes(64 * 1024, 7, true)));
    ASSERT_TRUE(Write(Path("nul.txt"), kNulInTheMiddle));
    ASSERT_TRUE(QDir(dir.path()).mkdir("folder.txt"));
    for (const char* name : {"random-nul.txt", "nul.txt", "folder.txt"})
        Load(name);
    ASSERT_EQ(desktop.errors.size(), 3);
    EXPECT_TRUE(desktop.errors[0].contains("NUL")) << desktop.errors[0].toStdString();
    EXPECT_TRUE(desktop.errors[1].contains("NUL")) << desktop.errors[1].toStdString();
    EXPECT_EQ(desktop.errors[2], "Cannot open file " + Path("folder.txt") + '.');
    EXPECT_EQ(Text(), kUserText);
}

TEST_F(HostileGuiTest, OddButReadableFilesLoadAnalyseAndSaveBack) {
    Start();
    // Random bytes without NUL: Windows-1252 text full of unknown "words".
    const QByteArray random = RandomBytes(4 * 1024, 8, false);
    ASSERT_TRUE(Write(Path("random.txt"), random));
    Load("random.txt");
    EXPECT_TRUE(desktop.errors.isEmpty());
    EXPECT_EQ(MainForm->Encoding(), TextEncoding::Windows1252);
    Analyse(CloseBox);
    EXPECT_TRUE(ReportForm->isVisible());
    ReportForm->close();

    // Not UTF-8, so Windows-1252: "café naïve" are in the word list; saved back
    // byte for byte but for the line end, which is always CR LF.
    ASSERT_TRUE(Write(Path("latin.txt"), kInvalidUtf8));
    Load("latin.txt");
    EXPECT_TRUE(Text().startsWith(QString::fromUtf8("café naïve Ã(")));
    Analyse(CloseBox);
    EXPECT_EQ(ReportForm->SyllLB->text(), "4");
    EXPECT_EQ(ReportForm->WordsLB->text(), "4");
    ReportForm->close();
    desktop.saveNames.push_back(Path("latin-saved.txt"));
    MainForm->mnuTxtSave->trigger();
    EXPECT_EQ(Read(Path("latin-saved.txt")), kInvalidUtf8);

    ASSERT_TRUE(Write(Path("utf16.txt"), Utf16WithMark(QString::fromUtf8(kPassage))));
    Load("utf16.txt");
    EXPECT_EQ(Text(), QString::fromUtf8(kPassage));
    Analyse(CloseBox);
    EXPECT_EQ(ReportForm->SyllLB->text(), QString::number(kPassageSyllables));
    EXPECT_EQ(ReportForm->WordsLB->text(), "4");
    EXPECT_EQ(ReportForm->SentLB->text(), "2");
    ReportForm->close();
    EXPECT_TRUE(desktop.errors.isEmpty()) << desktop.errors.join('|').toStdString();
}

TEST_F(HostileGuiTest, MillionLineWordListAtStartUp) {
    const BigWordList list = MakeBigWordList();
    ASSERT_TRUE(Write(Path("cuvplus.dat"), list.bytes));
    Start();
    const TDictionary& dictionary = *MainForm->Dictionary();
    ASSERT_TRUE(dictionary.Loaded);
    EXPECT_TRUE(desktop.errors.isEmpty());
    EXPECT_EQ(dictionary.Lookup(WordName(12).toStdString()), 12 % 7);
    EXPECT_EQ(dictionary.Lookup(WordName(300).toUpper().toStdString()), 300 % 7) << "first wins";
    EXPECT_EQ(dictionary.Lookup(LongWord(5000).toStdString()), 4);
    EXPECT_EQ(dictionary.Lookup(OverlongWord(5000).toStdString()), -1);
    EXPECT_EQ(dictionary.Lookup(WordName(900000).toStdString()), 900000 % 7);
    // The user dictionary is still read after the big list.
    EXPECT_EQ(dictionary.Lookup("earlier"), 3);
}

TEST_F(HostileGuiTest, UserDictionaryThatIsADirectory) {
    ASSERT_TRUE(QFile::remove(Path("custom.dat")));
    ASSERT_TRUE(QDir(dir.path()).mkdir("custom.dat"));
    Start();
    ASSERT_TRUE(MainForm->Dictionary()->Loaded);
    MainForm->InputMemo->setPlainText("Quokkas sleep.");
    Analyse([](TNotFoundForm* dialog) {
        QTest::keyClicks(dialog->SyllableEdit, "2");
        QTest::mouseClick(dialog->AddFileBT, Qt::LeftButton);
    });
    ASSERT_EQ(desktop.messages.size(), 1);
    EXPECT_TRUE(desktop.messages[0].contains("could not be added"))
        << desktop.messages[0].toStdString();
    // The count given is used all the same.
    EXPECT_EQ(ReportForm->SyllLB->text(), "3");
    EXPECT_TRUE(QFileInfo(Path("custom.dat")).isDir());
    EXPECT_EQ(Text(), "Quokkas sleep.");
}

TEST_F(HostileGuiTest, UserDictionaryOnAFullDisk) {
    Start();
    MainForm->InputMemo->setPlainText("Quokkas sleep.");
    Analyse([](TNotFoundForm* dialog) {
        QTest::keyClicks(dialog->SyllableEdit, "2");
        // Room for the start of the line only, as on a disk that fills up.
        const FileSizeLimit full(static_cast<rlim_t>(kEarlierLines.size()) + 3);
        QTest::mouseClick(dialog->AddFileBT, Qt::LeftButton);
    });
    ASSERT_EQ(desktop.messages.size(), 1);
    EXPECT_TRUE(desktop.messages[0].contains(Path("custom.dat")))
        << desktop.messages[0].toStdString();
    EXPECT_EQ(ReportForm->SyllLB->text(), "3");
    EXPECT_EQ(Read(Path("custom.dat")), kEarlierLines);
    EXPECT_EQ(Text(), "Quokkas sleep.");

    // The next start reads the whole file without stopping.
    Start();
    EXPECT_TRUE(desktop.errors.isEmpty()) << desktop.errors.join('|').toStdString();
    EXPECT_EQ(MainForm->Dictionary()->Lookup("earlier"), 3);
    EXPECT_EQ(MainForm->Dictionary()->Lookup("quokkas"), -1);
}

TEST_F(HostileGuiTest, GarbageSettingsFile) {
    const QString settings = UserSettingsPath();
    ASSERT_FALSE(settings.isEmpty());
    ASSERT_TRUE(QDir().mkpath(QFileInfo(settings).absolutePath()));
    const QByteArray garbage = RandomBytes(16 * 1024, 9, true) +
                               "\n[SOFTWARE\\Scrivolux\\Font]\n\"Size\"=\"huge\"\n"
                               "\"Name\"=dword:00000001\n\"Style\"=hex:01,02,03,04,05\n";
    ASSERT_TRUE(Write(settings, garbage));
    Start();
    // The first bad value is reported, and the word lists are loaded all the same.
    EXPECT_EQ(desktop.errors, QStringList{"Invalid data type for 'Name'"});
    EXPECT_TRUE(MainForm->Dictionary()->Loaded);
    EXPECT_EQ(MainForm->Dictionary()->Lookup("earlier"), 3);
    EXPECT_EQ(Text(), kUserText);
    MainForm->close();
    EXPECT_FALSE(MainForm->isVisible()) << "the program can still be left";
    QFile::remove(settings);
}

TEST_F(HostileGuiTest, SavingOnAFullDiskKeepsTheOldFileAndSaysWhy) {
    Start();
    const QByteArray old = "The old file, byte for byte.\r\n";
    ASSERT_TRUE(Write(Path("doc.txt"), old));
    MainForm->InputMemo->setPlainText(QString(10 * 1024, u'x'));
    desktop.saveNames = {Path("doc.txt")};
    {
        const FileSizeLimit full(4096);
        MainForm->mnuTxtSave->trigger();
    }
    EXPECT_EQ(Read(Path("doc.txt")), old);
    ASSERT_EQ(desktop.errors.size(), 1);
    EXPECT_EQ(desktop.errors[0], "Cannot create file " + Path("doc.txt") + ": File too large.");
}

TEST_F(HostileGuiTest, ASettingsFileThatCannotBeReadIsNeverReplaced) {
    const QString settings = UserSettingsPath();
    ASSERT_TRUE(QDir().mkpath(QFileInfo(settings).absolutePath()));
    const QByteArray large =
        "[SOFTWARE\\Other]\n\"Kept\"=\"yes\"\n" + QByteArray(FileSettingsStore::kMaxFileBytes, ';');
    ASSERT_TRUE(Write(settings, large));
    Start();
    MainForm->close();
    EXPECT_EQ(Read(settings), large);
    QFile::remove(settings);
}

TEST_F(HostileGuiTest, AFifoIsRefusedWithoutWaitingForAWriter) {
    Start();
    ASSERT_EQ(::mkfifo(Path("fifo.txt").toLocal8Bit().constData(), 0600), 0);
    Load("fifo.txt");
    EXPECT_EQ(desktop.errors, QStringList{"Cannot open file " + Path("fifo.txt") + '.'});
    EXPECT_EQ(Text(), kUserText);
}

} // namespace
