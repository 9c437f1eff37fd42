#include "text/FileName.h"

#include "text/Bytes.h"
#include "text/TextFile.h"

#include <QFile>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

constexpr char16_t kFirstKeptByte = 0xDC80;

// The length of the valid UTF-8 character at the start of text, 0 if there is none.
std::size_t Utf8CharLength(std::string_view text) {
    const auto lead = static_cast<unsigned char>(text[0]);
    const std::size_t length = lead < 0x80   ? 1
                               : lead < 0xC2 ? 0
                               : lead < 0xE0 ? 2
                               : lead < 0xF0 ? 3
                               : lead < 0xF5 ? 4
                                             : 0;
    if (length == 0 || length > text.size())
        return 0;
    return IsValidUtf8(text.substr(0, length)) ? length : 0;
}

} // namespace

QString FileNameText(std::string_view bytes) {
    if (IsValidUtf8(bytes))
        return QString::fromUtf8(bytes.data(), static_cast<qsizetype>(bytes.size()));
    QString name;
    while (!bytes.empty()) {
        const std::size_t length = Utf8CharLength(bytes);
        if (length == 0) {
            name += QChar(static_cast<char16_t>(kFirstKeptByte - 0x80 +
                                                static_cast<unsigned char>(bytes[0])));
            bytes.remove_prefix(1);
        } else {
            name += QString::fromUtf8(bytes.data(), static_cast<qsizetype>(length));
            bytes.remove_prefix(length);
        }
    }
    return name;
}

std::string FileNameBytes(const QString& name) {
    std::string bytes;
    qsizetype from = 0;
    for (qsizetype i = 0; i <= name.size(); ++i) {
        // The second half of a surrogate pair is a character of its own (U+10080).
        const bool kept = i < name.size() && name[i].unicode() >= kFirstKeptByte &&
                          name[i].unicode() <= kFirstKeptByte + 0x7F &&
                          !(i > 0 && name[i - 1].isHighSurrogate());
        if (!kept && i < name.size())
            continue;
        bytes += QStringView(name).mid(from, i - from).toUtf8().toStdString();
        if (kept)
            bytes += static_cast<char>(name[i].unicode() - kFirstKeptByte + 0x80);
        from = i + 1;
    }
    return bytes;
}

bool OpenFileByName(QFile& file, const std::string& path, QIODevice::OpenMode mode,
                    QString* reason) {
    const auto fail = [reason](int error) {
        if (reason)
            *reason = QString::fromLocal8Bit(std::strerror(error));
        return false;
    };
    const bool append = mode.testFlag(QIODevice::Append);
    const int flags = append ? O_RDWR | O_APPEND | O_CREAT : O_RDONLY;
    const int fd = ::open(path.c_str(), flags | O_CLOEXEC, 0666);
    if (fd < 0)
        return fail(errno);
    struct stat info {};
    if (::fstat(fd, &info) != 0 || S_ISDIR(info.st_mode)) {
        const int error = S_ISDIR(info.st_mode) ? EISDIR : errno;
        ::close(fd);
        return fail(error);
    }
    if (!file.open(fd, mode, QFileDevice::AutoCloseHandle)) {
        if (reason)
            *reason = file.errorString();
        return false;
    }
    return true;
}
