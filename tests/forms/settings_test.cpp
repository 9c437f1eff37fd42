#include "FakeDesktop.h"
#include "dictionary/Dictionary.h"
#include "forms/FrmMain.h"
#include "settings/FileSettingsStore.h"
#include "settings/FontSettings.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <functional>
#include <string>
#include <sys/stat.h>

namespace {

const QString kFixtures = QStringLiteral(SCRIVOLUX_TEST_DATA_DIR "/settings/");

QByteArray ReadAll(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// The message of the SettingsError that the call throws, or "" when it throws none.
std::string ErrorOf(const std::function<void()>& call) {
    try {
        call();
    } catch (const SettingsError& error) {
        return error.what();
    }
    return {};
}

class SettingsStoreTest : public ::testing::Test {
protected:
    // A copy of a fixture in the temporary folder, so that writes never touch it.
    QString Fixture(const QString& name) {
        const QString path = dir.filePath(name);
        QFile::copy(kFixtures + name, path);
        QFile::setPermissions(path, QFile::ReadOwner | QFile::WriteOwner);
        return path;
    }

    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("Scrivolux/settings.reg"));
};

TEST_F(SettingsStoreTest, ValuesKeepTheirTypesAcrossAReopen) {
    {
        FileSettingsStore store(path);
        ASSERT_TRUE(store.OpenKey(kFontKeyPath));
        store.WriteString("Name", "Arial");
        store.WriteInteger("Size", 12);
        store.WriteInteger("Color", kWindowTextColor);
        store.WriteString("Quoted", "say \"hi\" to C:\\temp");
        store.WriteString("Lines", "two\nlines");
        store.WriteInteger("Number", 7);
        store.WriteString("Number", "now text"); // replaces the integer, type and all
    }
    const QByteArray text = ReadAll(path);
    EXPECT_TRUE(text.contains("[SOFTWARE\\Scrivolux\\Font]\n")) << text.constData();
    EXPECT_TRUE(text.contains("\"Name\"=\"Arial\"\n"));
    EXPECT_TRUE(text.contains("\"Size\"=dword:0000000c\n"));
    EXPECT_TRUE(text.contains("\"Color\"=dword:80000008\n"));

    FileSettingsStore store(path);
    ASSERT_TRUE(store.KeyExists("software\\scrivolux\\font"));
    ASSERT_TRUE(store.OpenKey(kFontKeyPath));
    EXPECT_EQ(store.ReadString("NAME"), "Arial");
    EXPECT_EQ(store.ReadInteger("Size"), 12);
    EXPECT_EQ(store.ReadInteger("Color"), kWindowTextColor);
    EXPECT_EQ(store.ReadString("Quoted"), "say \"hi\" to C:\\temp");
    EXPECT_EQ(store.ReadString("Lines"), "two\nlines");
    EXPECT_EQ(store.ReadString("Number"), "now text");
    EXPECT_EQ(ErrorOf([&] { store.ReadInteger("Size-as-text"); }),
              "Failed to get data for 'Size-as-text'");
}

TEST_F(SettingsStoreTest, TypedReadsTellTheTypesApart) {
    FileSettingsStore store(Fixture("typed.reg"));
    ASSERT_TRUE(store.OpenKey(kFontKeyPath));

    EXPECT_EQ(store.ReadInteger("Size"), 14);
    EXPECT_EQ(store.ReadInteger("Short"), 42);
    EXPECT_EQ(store.ReadInteger("Negative"), -2147483640);
    EXPECT_EQ(store.ReadString("Expand"), "abc");
    EXPECT_EQ(store.ReadString("Empty"), "");

    struct Row {
        const char* name;
        std::function<void()> read;
        const char* error;
    };
    const Row rows[] = {
        {"string of three bytes as integer", [&] { store.ReadInteger("SizeAsText"); },
         "Invalid data type for 'SizeAsText'"},
        {"string of five bytes as integer", [&] { store.ReadInteger("SizeWithUnit"); },
         "Failed to get data for 'SizeWithUnit'"},
        {"four binary bytes as integer", [&] { store.ReadInteger("Binary4"); },
         "Invalid data type for 'Binary4'"},
        {"eight-byte integer", [&] { store.ReadInteger("Qword"); },
         "Failed to get data for 'Qword'"},
        {"integer as string", [&] { store.ReadString("Size"); }, "Invalid data type for 'Size'"},
        {"binary as string", [&] { store.ReadString("Binary4"); },
         "Invalid data type for 'Binary4'"},
    };
    for (const Row& row : rows)
        EXPECT_EQ(ErrorOf(row.read), row.error) << row.name;
}

TEST_F(SettingsStoreTest, DamagedFileKeepsWhatCanBeRead) {
    FileSettingsStore store(Fixture("damaged.reg"));
    ASSERT_TRUE(store.OpenKey(kFontKeyPath));
    EXPECT_EQ(store.ReadString("Name"), "Kept Face");
    EXPECT_EQ(store.ReadInteger("Style"), 3);
    for (const char* lost : {"Orphan", "Size", "Pitch", "Broken", "Blob", "Tail", "AfterEmptyKey"})
        EXPECT_FALSE(store.ValueExists(lost)) << lost;
    // A dword with five bytes of data is too long to be one.
    EXPECT_EQ(ErrorOf([&] { store.ReadInteger("Color"); }), "Failed to get data for 'Color'");

    // Writing saves what was understood, in good order.
    store.WriteInteger("Size", 10);
    FileSettingsStore reopened(dir.filePath("damaged.reg"));
    ASSERT_TRUE(reopened.OpenKey(kFontKeyPath));
    EXPECT_EQ(reopened.ReadString("Name"), "Kept Face");
    EXPECT_EQ(reopened.ReadInteger("Size"), 10);
}

TEST_F(SettingsStoreTest, UnusableFilesOpenAsAnEmptyStore) {
    const QString oversized = dir.filePath("oversized.reg");
    {
        QFile file(oversized);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write("[SOFTWARE\\Scrivolux\\Font]\n\"Size\"=dword:0000000c\n");
        file.write(QByteArray(FileSettingsStore::kMaxFileBytes, ' '));
    }
    ASSERT_TRUE(QDir(dir.path()).mkdir("folder.reg"));
    const QString fifo = dir.filePath("fifo.reg");
    ASSERT_EQ(mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);

    for (const QString& file :
         {oversized, dir.filePath("folder.reg"), fifo, dir.filePath("missing.reg"), QString()}) {
        FileSettingsStore store(file);
        EXPECT_FALSE(store.KeyExists(kFontKeyPath)) << file.toStdString();
        EXPECT_FALSE(store.ValueExists("Size"));
    }
}

TEST_F(SettingsStoreTest, KeysAndTheirParents) {
    FileSettingsStore store(path);
    EXPECT_FALSE(store.KeyExists(kFontKeyPath));
    EXPECT_FALSE(QFile::exists(path)) << "asking must not create the store";

    ASSERT_TRUE(store.OpenKey("\\SOFTWARE\\\\Scrivolux\\Font\\"));
    EXPECT_TRUE(QFile::exists(path)) << "a created key is stored at once";
    EXPECT_TRUE(store.KeyExists("SOFTWARE\\Scrivolux"));
    EXPECT_TRUE(store.KeyExists(kFontKeyPath));
    EXPECT_FALSE(store.KeyExists("SOFTWARE\\Scriv"));
    EXPECT_FALSE(store.KeyExists(""));

    store.CloseKey();
    store.CloseKey(); // closing twice does nothing
    EXPECT_FALSE(store.ValueExists("Name"));
    EXPECT_EQ(ErrorOf([&] { store.WriteString("Name", "Arial"); }),
              "Failed to set data for 'Name'");
}

TEST_F(SettingsStoreTest, WritesFailWhereNothingCanBeStored) {
    // A file where the store's folder should be: neither key nor value can be made.
    QFile blocker(dir.filePath("blocked"));
    ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
    blocker.close();

    FileSettingsStore store(dir.filePath("blocked/Scrivolux/settings.reg"));
    EXPECT_FALSE(store.OpenKey(kFontKeyPath));
    EXPECT_EQ(ErrorOf([&] { store.WriteString("Name", "Arial"); }),
              "Failed to set data for 'Name'");
    EXPECT_EQ(ErrorOf([&] { store.WriteInteger("Size", 8); }), "Failed to set data for 'Size'");
}

// ---- The editor font on the store ----------------------------------------

QFont DefinedFont() {
    QFont font(QStringLiteral("MS Sans Serif"));
    font.setPointSize(8);
    return font;
}

TEST(FontValues, StyleBits) {
    struct Row {
        int stored;
        bool bold, italic, underline, strikeOut;
        int saved;
    };
    const Row rows[] = {
        {0, false, false, false, false, 0},
        {3, true, true, false, false, 3},
        {15, true, true, true, true, 15},
        {16, false, false, false, false, 0}, // bits beyond the four are ignored
        {-1, true, true, true, true, 15},
    };
    for (const Row& row : rows) {
        QFont font = DefinedFont();
        font.setBold(true); // every bit is applied, cleared ones included
        ApplyStyleBits(font, row.stored);
        EXPECT_EQ(font.bold(), row.bold) << row.stored;
        EXPECT_EQ(font.italic(), row.italic) << row.stored;
        EXPECT_EQ(font.underline(), row.underline) << row.stored;
        EXPECT_EQ(font.strikeOut(), row.strikeOut) << row.stored;
        EXPECT_EQ(StyleBits(font), row.saved) << row.stored;
    }
}

TEST(FontValues, Colors) {
    QPalette palette;
    palette.setColor(QPalette::Highlight, QColor(1, 2, 3));
    struct Row {
        const char* name;
        quint32 value;
        QColor color;
        quint32 savedAs;
    };
    const Row rows[] = {
        {"red", 0x000000FF, QColor(255, 0, 0), 0x000000FF},
        {"blue", 0x00FF0000, QColor(0, 0, 255), 0x00FF0000},
        {"mixed", 0x00336699, QColor(0x99, 0x66, 0x33), 0x00336699},
        {"palette-relative", 0x02336699, QColor(0x99, 0x66, 0x33), 0x00336699},
        {"window text", 0x80000008, QColor(), 0x80000008},
        {"highlight", 0x8000000D, QColor(1, 2, 3), 0x00030201},
        {"unknown system colour", 0x800000FF, palette.color(QPalette::Text),
         static_cast<quint32>(ValueFromColor(palette.color(QPalette::Text)))},
    };
    for (const Row& row : rows) {
        const QColor color = ColorFromValue(static_cast<qint32>(row.value), palette);
        EXPECT_EQ(color, row.color) << row.name;
        EXPECT_EQ(static_cast<quint32>(ValueFromColor(color)), row.savedAs) << row.name;
    }
}

TEST(FontValues, PitchAndSize) {
    for (const int pitch : {0, 1, 2}) {
        QFont font = DefinedFont();
        ApplyPitchValue(font, pitch);
        EXPECT_EQ(PitchValue(font), pitch);
    }
    QFont font = DefinedFont();
    ApplyPitchValue(font, 7);
    EXPECT_EQ(PitchValue(font), 0);

    EXPECT_EQ(PointSize(DefinedFont(), 96), 8);
    QFont pixels = DefinedFont();
    pixels.setPixelSize(11); // the defined height at 96 pixels per inch
    EXPECT_EQ(PointSize(pixels, 96), 8);
    pixels.setPixelSize(16);
    EXPECT_EQ(PointSize(pixels, 120), 10);
}

class EditorFontTest : public SettingsStoreTest {
protected:
    // Writes the values into the font key of a fresh store file.
    void Store(const std::function<void(FileSettingsStore&)>& write) {
        FileSettingsStore store(path);
        ASSERT_TRUE(store.OpenKey(kFontKeyPath));
        write(store);
    }

    // Reads the stored font onto the defined one; the error text, if any.
    std::string Load() {
        FileSettingsStore store(path);
        return ErrorOf([&] { ReadEditorFont(store, font, color, QPalette()); });
    }

    QFont font = DefinedFont();
    QColor color;
};

TEST_F(EditorFontTest, BoldItalicTwelvePointSurvivesARestart) {
    QFont chosen(QStringLiteral("DejaVu Serif"));
    chosen.setPointSize(12);
    chosen.setBold(true);
    chosen.setItalic(true);
    {
        FileSettingsStore store(path);
        WriteEditorFont(store, chosen, QColor(0x12, 0x34, 0x56), 96);
    }
    {
        FileSettingsStore store(path);
        ASSERT_TRUE(store.OpenKey(kFontKeyPath));
        EXPECT_EQ(store.ReadString("Name"), "DejaVu Serif");
        EXPECT_EQ(store.ReadInteger("Style"), 3);
        EXPECT_EQ(store.ReadInteger("Size"), 12);
        EXPECT_EQ(store.ReadInteger("Pitch"), 0);
        EXPECT_EQ(store.ReadInteger("Color"), 0x00563412);
    }
    EXPECT_EQ(Load(), "");
    EXPECT_EQ(font.family(), "DejaVu Serif");
    EXPECT_EQ(font.pointSize(), 12);
    EXPECT_TRUE(font.bold());
    EXPECT_TRUE(font.italic());
    EXPECT_FALSE(font.underline());
    EXPECT_EQ(color, QColor(0x12, 0x34, 0x56));
}

TEST_F(EditorFontTest, NoKeyChangesNothingAndCreatesNothing) {
    EXPECT_EQ(Load(), "");
    EXPECT_EQ(font, DefinedFont());
    EXPECT_FALSE(color.isValid());
    EXPECT_FALSE(QFile::exists(path));
}

TEST_F(EditorFontTest, EachValueIsOptional) {
    Store([](FileSettingsStore& store) { store.WriteInteger("Size", 14); });
    EXPECT_EQ(Load(), "");
    QFont expected = DefinedFont();
    expected.setPointSize(14);
    EXPECT_EQ(font, expected);
    EXPECT_FALSE(color.isValid());
}

TEST_F(EditorFontTest, NamesAndSizesThatAreNotApplied) {
    struct Row {
        const char* name;
        QString face;
        int size;
        QString expectedFace;
        int expectedSize;
    };
    const Row rows[] = {
        {"empty name keeps the face", "", 8, "MS Sans Serif", 8},
        {"long name is cut to 31", QString(40, u'x'), 8, QString(31, u'x'), 8},
        {"size zero", "Arial", 0, "Arial", 8},
        {"negative size", "Arial", -12, "Arial", 8},
        {"absurd size", "Arial", 1000000, "Arial", 8},
        {"largest size", "Arial", kMaxPointSize, "Arial", kMaxPointSize},
    };
    for (const Row& row : rows) {
        Store([&](FileSettingsStore& store) {
            store.WriteString("Name", row.face);
            store.WriteInteger("Size", row.size);
        });
        font = DefinedFont();
        EXPECT_EQ(Load(), "") << row.name;
        EXPECT_EQ(font.family(), row.expectedFace) << row.name;
        EXPECT_EQ(font.pointSize(), row.expectedSize) << row.name;
    }
}

TEST_F(EditorFontTest, WrongTypeStopsAtThatValue) {
    struct Row {
        const char* name;
        QString size;
        const char* error;
    };
    const Row rows[] = {
        {"two digits", "12", "Invalid data type for 'Size'"},
        {"with a unit", "14pt", "Failed to get data for 'Size'"},
    };
    for (const Row& row : rows) {
        Store([&](FileSettingsStore& store) {
            store.WriteString("Name", "Arial");
            store.WriteInteger("Color", 0x000000FF);
            store.WriteInteger("Pitch", 2);
            store.WriteString("Size", row.size);
            store.WriteInteger("Style", 1);
        });
        font = DefinedFont();
        color = QColor();
        EXPECT_EQ(Load(), row.error) << row.name;
        // Name, Color and Pitch come before Size and are applied; Style is not.
        EXPECT_EQ(font.family(), "Arial") << row.name;
        EXPECT_EQ(color, QColor(255, 0, 0)) << row.name;
        EXPECT_TRUE(font.fixedPitch()) << row.name;
        EXPECT_EQ(font.pointSize(), 8) << row.name;
        EXPECT_FALSE(font.bold()) << row.name;
    }
}

TEST_F(EditorFontTest, SavingWhereNothingCanBeStoredNamesTheFaceName) {
    QFile blocker(dir.filePath("blocked"));
    ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    FileSettingsStore store(dir.filePath("blocked/settings.reg"));
    EXPECT_EQ(ErrorOf([&] { WriteEditorFont(store, DefinedFont(), QColor(), 96); }),
              "Failed to set data for 'Name'");
}

// ---- Through the main window ------------------------------------------------

// A main window whose settings store, word list and user folders all live in a
// temporary home folder.
class MainFormFontTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(home.isValid());
        qputenv("HOME", home.path().toLocal8Bit());
        ASSERT_TRUE(QFile::copy(TestData("forms/cuvplus.dat"), home.filePath("cuvplus.dat")));
        desktop.executablePath = home.filePath("scrivolux");
        storePath = UserSettingsPath();
        ASSERT_TRUE(storePath.startsWith(home.path())) << storePath.toStdString();
    }
    void TearDown() override { qputenv("HOME", savedHome); }

    void StoreFont(const std::function<void(FileSettingsStore&)>& write) {
        FileSettingsStore store(storePath);
        ASSERT_TRUE(store.OpenKey(kFontKeyPath));
        write(store);
    }

    const QByteArray savedHome = qgetenv("HOME");
    QTemporaryDir home;
    QString storePath;
    FakeDesktop desktop;
    DesktopGuard guard{desktop};
};

TEST_F(MainFormFontTest, FirstCloseStoresTheDefinedFont) {
    {
        TMainForm form;
        EXPECT_FALSE(QFile::exists(storePath)) << "starting creates no key";
        form.show();
        EXPECT_TRUE(form.close());
    }
    EXPECT_TRUE(desktop.errors.isEmpty()) << desktop.errors.join('|').toStdString();
    FileSettingsStore store(storePath);
    ASSERT_TRUE(store.OpenKey(kFontKeyPath));
    EXPECT_EQ(store.ReadString("Name"), "MS Sans Serif");
    EXPECT_EQ(store.ReadInteger("Color"), kWindowTextColor);
    EXPECT_EQ(store.ReadInteger("Pitch"), 0);
    EXPECT_EQ(store.ReadInteger("Size"), 8);
    EXPECT_EQ(store.ReadInteger("Style"), 0);
}

TEST_F(MainFormFontTest, ChosenFontSurvivesARestart) {
    QFont chosen(QStringLiteral("DejaVu Serif"));
    chosen.setPointSize(12);
    chosen.setBold(true);
    chosen.setItalic(true);
    {
        TMainForm form;
        form.SetEditorFont(chosen);
        form.SetEditorColor(QColor(0, 128, 0));
        form.show();
        EXPECT_TRUE(form.close());
    }
    TMainForm form;
    EXPECT_EQ(form.EditorFont().family(), "DejaVu Serif");
    EXPECT_EQ(form.EditorFont().pointSize(), 12);
    EXPECT_TRUE(form.EditorFont().bold());
    EXPECT_TRUE(form.EditorFont().italic());
    EXPECT_EQ(form.EditorColor(), QColor(0, 128, 0));
    EXPECT_TRUE(desktop.errors.isEmpty()) << desktop.errors.join('|').toStdString();
}

TEST_F(MainFormFontTest, UnreadableValueIsShownAndTheWordListStillLoads) {
    struct Row {
        const char* name;
        QString size;
        QString error;
    };
    const Row rows[] = {
        {"wrong type", "12", "Invalid data type for 'Size'"},
        {"too long for an integer", "14pt", "Failed to get data for 'Size'"},
    };
    for (const Row& row : rows) {
        StoreFont([&](FileSettingsStore& store) {
            store.WriteString("Name", "Arial");
            store.WriteString("Size", row.size);
        });
        desktop.errors.clear();
        TMainForm form;
        EXPECT_EQ(desktop.errors, QStringList{row.error}) << row.name;
        EXPECT_EQ(form.EditorFont().family(), "Arial") << row.name;
        EXPECT_EQ(form.EditorFont().pointSize(), 8) << row.name;
        EXPECT_TRUE(form.Dictionary()->Loaded) << row.name;
    }
}

TEST_F(MainFormFontTest, FontThatCannotBeStoredStillLetsTheWindowClose) {
    // A file where the settings folder should be.
    TMainForm form;
    qputenv("HOME", home.filePath("cuvplus.dat").toLocal8Bit());
    form.show();
    EXPECT_TRUE(form.close());
    EXPECT_FALSE(form.isVisible());
    EXPECT_EQ(desktop.errors, QStringList{"Failed to set data for 'Name'"});
}

} // namespace
