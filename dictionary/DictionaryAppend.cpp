#include "dictionary/DictionaryAppend.h"

#include "dictionary/DictionaryLine.h"
#include "text/FileName.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>
#include <QString>

#include <sys/file.h>
#include <sys/stat.h>

#include <cerrno>
#include <cstring>

namespace {

WriteFailure CannotAdd(const std::string& path, const QString& reason) {
    return {"Cannot add the word to " + path + ": " + reason.toStdString(), path,
            reason.toStdString()};
}

} // namespace

std::string UserDictionaryFolder() {
    // Named here rather than after the running program, so that the desktop
    // program and the command-line tool share one user dictionary.
    const QString dataHome = QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation);
    return dataHome.isEmpty() ? std::string()
                              : (dataHome + QStringLiteral("/Scrivolux")).toStdString();
}

std::optional<WriteFailure> AppendToUserDictionary(const std::string& path, std::string_view word,
                                                   std::int32_t count) {
    const auto fail = [](WriteFailure failure) { return std::optional(std::move(failure)); };
    // Such a line would not read back as this word and count; a line break would
    // even stop every later load of the file.
    if (count < 0)
        return fail(CannotAdd(path, QStringLiteral("the syllable count is negative")));
    std::string entry(word);
    entry += '|';
    entry += std::to_string(count);
    if (word.find_first_of("|\r\n") != std::string_view::npos ||
        entry.size() > kMaxDictionaryLineLength)
        return fail(CannotAdd(
            path, QStringLiteral("the word holds \"|\" or a line break, or is too long")));

    struct stat info {};
    const bool exists = ::stat(path.c_str(), &info) == 0;
    if (exists && !S_ISREG(info.st_mode))
        return fail(CannotAdd(path, QStringLiteral("it is not a regular file")));
    // Only the per-user folder is made; a folder the user named must exist.
    const QString folder = QFileInfo(FileNameText(path)).path();
    if (!exists && folder.toStdString() == UserDictionaryFolder())
        QDir().mkpath(folder);
    // Unbuffered, so that a failed write leaves nothing behind to be retried on close.
    QFile file;
    QString reason;
    if (!OpenFileByName(file, path,
                        QIODevice::ReadWrite | QIODevice::Append | QIODevice::Unbuffered, &reason))
        return fail(CannotAdd(path, reason));
    // Another instance may append at the same time: under the lock the end of
    // the file is ours, so a failed write cuts back only our own partial line.
    while (::flock(file.handle(), LOCK_EX) != 0) {
        if (errno != EINTR)
            return fail(CannotAdd(path, QString::fromLocal8Bit(std::strerror(errno))));
    }
    const qint64 sizeBefore = file.size();

    std::string line;
    // A last line without its line end would otherwise swallow the new word.
    if (file.size() > 0) {
        char last = '\n';
        if (!file.seek(file.size() - 1) || !file.getChar(&last))
            return fail(CannotAdd(path, file.errorString()));
        if (last != '\n')
            line = "\r\n";
    }
    line += entry;
    line += "\r\n";

    // The file is open for appending: the line lands at the end whatever the
    // position after reading the last byte.
    const bool written = WriteAll(file.handle(), line);
    if (!written || !file.flush()) {
        // A full disk can take part of the line. Cut it off again: a broken last
        // line would stop every later load of the file at that line.
        const QString reason =
            written ? file.errorString() : QString::fromLocal8Bit(std::strerror(errno));
        file.resize(sizeBefore);
        return fail(CannotAdd(path, reason));
    }
    file.close();
    if (file.error() != QFileDevice::NoError)
        return fail(CannotAdd(path, file.errorString()));
    return std::nullopt;
}
