#include "dictionary/UserDictionary.h"

#include <QDir>
#include <QFile>
#include <QStandardPaths>
#include <QString>
#include <QTemporaryFile>

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

} // namespace

std::string CustomDictionaryPath(const std::string& executableDirectory) {
    const QString directory = QDir::cleanPath(QString::fromStdString(executableDirectory));
    const QString beside = directory + QStringLiteral("/custom.dat");
    if (!executableDirectory.empty() && (CanAppendTo(beside) || CanCreateFilesIn(directory)))
        return beside.toStdString();

    const QString dataHome = QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation);
    if (dataHome.isEmpty())
        return {};
    // Named here rather than after the running program, so that the desktop
    // program and the command-line tool share one user dictionary.
    const QString dataDirectory = dataHome + QStringLiteral("/Scrivolux");
    // A folder that cannot be made shows up later, when the first word is added.
    QDir().mkpath(dataDirectory);
    return (dataDirectory + QStringLiteral("/custom.dat")).toStdString();
}
