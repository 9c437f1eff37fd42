#pragma once

// Files that a user might hand the program by mistake or that a crash or a full
// disk leaves behind, shared by the desktop program's and the command-line
// tool's hostile-file tests. Everything is deterministic, so a failure repeats.

#include <QByteArray>
#include <QFile>
#include <QString>
#include <QStringConverter>

#include <sys/resource.h>

#include <csignal>
#include <cstdint>
#include <random>

namespace hostile {

// The words and syllable counts of the small word list that the tests load, and
// a passage made of them: 6 syllables, 4 words, 2 sentences.
inline const QByteArray kWordList = "cats|1\r\nsleep|1\r\nreadable|3\r\ndogs|1\r\n"
                                    "run|1\r\ncafé|2\r\nnaïve|2\r\n";
inline const QByteArray kPassage = "Readable cats sleep. Dogs!";
inline constexpr int kPassageSyllables = 6;

// The user's own dictionary, whose lines must survive everything.
inline const QByteArray kEarlierLines = "zebra|2\r\nearlier|3\r\n";

inline bool Write(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    return file.open(QIODevice::WriteOnly | QIODevice::Truncate) &&
           file.write(bytes) == bytes.size();
}

inline QByteArray Read(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<unreadable>");
}

// A file of the given size that takes no disk space: all of it a hole.
inline bool WriteSparse(const QString& path, qint64 size) {
    QFile file(path);
    return file.open(QIODevice::WriteOnly | QIODevice::Truncate) && file.resize(size);
}

inline QByteArray RandomBytes(int size, std::uint32_t seed, bool withNul) {
    std::mt19937 generator(seed);
    std::uniform_int_distribution<int> byte(withNul ? 0 : 1, 255);
    QByteArray bytes(size, '\0');
    for (char& c : bytes)
        c = static_cast<char>(byte(generator));
    return bytes;
}

// Neither UTF-8 nor ASCII: read as Windows-1252, where it is "café naïve".
inline const QByteArray kInvalidUtf8 = "caf\xE9 na\xEFve \xC3( \x93quoted\x94.\r\n";

inline QByteArray Utf16WithMark(const QString& text) {
    QStringEncoder encoder(QStringConverter::Utf16LE);
    return QByteArray("\xFF\xFE", 2) + QByteArray(encoder(text));
}

inline const QByteArray kNulInTheMiddle("Cats sleep.\0Dogs run!\r\n", 23);

// A word list of a million lines: numbered words, 400-character words, a
// duplicate of every hundredth word with another count (the first line wins),
// and lines over the 511 characters of the format (skipped).
struct BigWordList {
    QByteArray bytes;
    int lines = 0;
};

// Digits never reach the counting passes, so the words are numbered in letters.
inline QByteArray WordName(int n) {
    QByteArray name = "w";
    do {
        name += static_cast<char>('a' + n % 26);
        n /= 26;
    } while (n > 0);
    return name;
}

inline QByteArray LongWord(int n) {
    return WordName(n).leftJustified(400, 'x');
}

inline QByteArray OverlongWord(int n) {
    return QByteArray(600, 'y') + WordName(n);
}

inline BigWordList MakeBigWordList() {
    BigWordList list;
    list.bytes.reserve(40 * 1024 * 1024);
    for (int i = 0; list.lines < 1'000'000; ++i) {
        list.bytes += WordName(i) + "|" + QByteArray::number(i % 7) + "\r\n";
        ++list.lines;
        if (i % 100 == 0) {
            list.bytes += WordName(i).toUpper() + "|9\r\n";
            ++list.lines;
        }
        if (i % 1000 == 0) {
            list.bytes += LongWord(i) + "|4\n";
            list.bytes += OverlongWord(i) + "|5\n";
            list.lines += 2;
        }
    }
    return list;
}

// While it lives, no file of this process may grow beyond `bytes`: a write
// past that fails as on a full disk (with EFBIG instead of ENOSPC), without
// needing a small file system mounted.
class FileSizeLimit {
public:
    explicit FileSizeLimit(rlim_t bytes) {
        getrlimit(RLIMIT_FSIZE, &saved_);
        previousHandler_ = std::signal(SIGXFSZ, SIG_IGN);
        rlimit limit = saved_;
        limit.rlim_cur = bytes;
        setrlimit(RLIMIT_FSIZE, &limit);
    }
    ~FileSizeLimit() {
        setrlimit(RLIMIT_FSIZE, &saved_);
        std::signal(SIGXFSZ, previousHandler_);
    }
    FileSizeLimit(const FileSizeLimit&) = delete;
    FileSizeLimit& operator=(const FileSizeLimit&) = delete;

private:
    rlimit saved_{};
    void (*previousHandler_)(int) = SIG_DFL;
};

// The most memory this process has held at once, in MB.
inline long PeakMegabytes(int who = RUSAGE_SELF) {
    rusage usage{};
    getrusage(who, &usage);
    return usage.ru_maxrss / 1024;
}

} // namespace hostile
