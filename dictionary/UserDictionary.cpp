#include "dictionary/UserDictionary.h"

#include "dictionary/Dictionary.h"
#include "dictionary/DictionaryAppend.h"
#include "text/Error.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QString>
#include <QTemporaryFile>

#include <new>

namespace {

// Asking for permission bits is not enough (read-only mounts, ACLs): only a
// file that is really created proves that the folder takes new files.
bool CanCreateFilesIn(const QString& directory) {
    QTemporaryFile probe(directory + QStringLiteral("/.scrivolux-probe-XXXXXX"));
    return probe.open();
}

bool CanAppendTo(const QString& file) {
    QFile existing(file);
    return existing.exists() && existing.open(QIODevice::Append);
}

// The folders where packages and system installs put programs. User data
// never goes there, not even for root, who could write it: a file that no
// package owns outlives a purge.
bool IsSystemFolder(const QString& directory) {
    const QString canonical = QFileInfo(directory).canonicalFilePath();
    const QString path = canonical.isEmpty() ? directory : canonical;
    for (const char* prefix : {"/usr", "/bin", "/sbin", "/lib", "/lib32", "/lib64", "/libx32",
                               "/opt", "/etc", "/boot", "/snap"}) {
        const QString system = QString::fromLatin1(prefix);
        if (path == system || path.startsWith(system + QLatin1Char('/')))
            return true;
    }
    return false;
}

} // namespace

std::string CustomDictionaryPath(const std::string& executableDirectory) {
    const QString directory = QDir::cleanPath(QString::fromStdString(executableDirectory));
    const QString beside = directory + QStringLiteral("/custom.dat");
    if (!executableDirectory.empty() && !IsSystemFolder(directory) &&
        (CanAppendTo(beside) || CanCreateFilesIn(directory)))
        return beside.toStdString();

    const QString dataDirectory = QString::fromStdString(UserDictionaryFolder());
    if (dataDirectory.isEmpty())
        return {};
    // The folder is made only when the first word is added: reading finds a
    // missing file as an empty dictionary.
    return (dataDirectory + QStringLiteral("/custom.dat")).toStdString();
}

DictionaryFiles StartupDictionaryFiles(const std::string& executableDirectory) {
    std::string directory = executableDirectory;
    if (!directory.empty() && directory.back() != '/')
        directory += '/';
    return {directory + "cuvplus.dat", CustomDictionaryPath(executableDirectory)};
}

void LoadStartupDictionaries(TDictionary& dictionary, const DictionaryFiles& files) {
    const std::string* reading = &files.wordList;
    std::string failure;
    try {
        const bool wordListRead = dictionary.LoadDictionary(files.wordList, &failure);
        // Every word would be unknown: a word list without one valid line (empty,
        // blank, or a single line too long to be a word) is a damaged one.
        if (wordListRead && !dictionary.HoldsWords()) {
            dictionary.Loaded = false;
            throw FileError("the word list " + files.wordList + " holds no words", files.wordList,
                            "holds no words");
        }
        reading = &files.userDictionary;
        dictionary.LoadCustomDictionary(files.userDictionary);
        if (!wordListRead)
            throw WordListUnreadable("cannot read the word list " + files.wordList + ": " + failure,
                                     files.wordList, failure);
    } catch (const DictionaryLineError& error) {
        throw FileError(*reading + ", line " + std::to_string(error.Line()) + ": " + error.what(),
                        *reading, error.what());
    } catch (const std::bad_alloc&) {
        // A huge file must not end the program without a word.
        throw FileError("Dictionary Error: not enough memory to load " + *reading, *reading,
                        "not enough memory");
    }
}
