#include "text/SavedFile.h"

#include <QSaveFile>
#include <QString>

#include <cerrno>
#include <cstring>

std::optional<WriteFailure> SaveFileAtomically(const std::string& path, std::string_view bytes) {
    const std::string cannotCreate = "Cannot create file " + path;
    QSaveFile file(QString::fromStdString(path));
    // Unbuffered: a buffered write would only fail at the flush inside commit(),
    // which then renames the short copy over the old file all the same.
    if (!file.open(QIODevice::WriteOnly | QIODevice::Unbuffered)) {
        // A file that could not even be made keeps the short message.
        return WriteFailure{cannotCreate, path, file.errorString().toStdString()};
    }
    if (!WriteAll(file.handle(), bytes)) {
        const std::string reason = std::strerror(errno);
        file.cancelWriting();
        return WriteFailure{cannotCreate + ": " + reason, path, reason};
    }
    if (!file.flush() || !file.commit()) {
        const std::string reason = file.errorString().toStdString();
        return WriteFailure{cannotCreate + ": " + reason, path, reason};
    }
    return std::nullopt;
}
