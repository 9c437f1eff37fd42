#include "text/SavedFile.h"

#include <QSaveFile>
#include <QString>

std::optional<SaveFailure> SaveFileAtomically(const std::string& path, std::string_view bytes) {
    QSaveFile file(QString::fromStdString(path));
    // Unbuffered: a buffered write would only fail at the flush inside commit(),
    // which then renames the short copy over the old file all the same.
    if (!file.open(QIODevice::WriteOnly | QIODevice::Unbuffered))
        return SaveFailure{false, file.errorString().toStdString()};
    const auto size = static_cast<qint64>(bytes.size());
    qint64 written = 0;
    while (written < size) {
        const qint64 n = file.write(bytes.data() + written, size - written);
        if (n <= 0) {
            SaveFailure failure{true, file.errorString().toStdString()};
            file.cancelWriting();
            return failure;
        }
        written += n;
    }
    if (!file.flush() || !file.commit())
        return SaveFailure{true, file.errorString().toStdString()};
    return std::nullopt;
}
