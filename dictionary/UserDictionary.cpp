#include "dictionary/UserDictionary.h"

#include <QCoreApplication>
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

    // Without an application name the per-user location would be the shared
    // data folder itself, so the program's own name stands in for it.
    QString dataDirectory = QStandardPaths::writableLocation(QStandardPaths::AppDataLocation);
    if (QCoreApplication::applicationName().isEmpty())
        dataDirectory = QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation) +
                        QStringLiteral("/Scrivolux");
    // A folder that cannot be made shows up later, when the first word is added.
    QDir().mkpath(dataDirectory);
    return (dataDirectory + QStringLiteral("/custom.dat")).toStdString();
}
