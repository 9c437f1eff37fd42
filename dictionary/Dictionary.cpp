#include "dictionary/Dictionary.h"

#include "dictionary/DictionaryAppend.h"
#include "dictionary/DictionaryLine.h"
#include "text/Bytes.h"
#include "text/FileName.h"
#include "text/TextFile.h"

#include <QByteArray>
#include <QFile>
#include <QFileInfo>
#include <QString>

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <cstring>
#include <optional>

#include <sys/stat.h>

std::string LowerCaseWord(std::string_view word) {
    if (IsAscii(word)) {
        std::string lower(word);
        LowerAsciiInPlace(lower);
        return lower;
    }
    return QString::fromUtf8(word.data(), static_cast<qsizetype>(word.size()))
        .toLower()
        .toStdString();
}

namespace {

// Lower-cases the ASCII bytes of a whole integer at once: 0x20 is added to each
// byte from 'A' to 'Z'. No byte may be 0x80 or above, so no sum carries over.
template <typename Bytes> Bytes LowerAsciiBytes(Bytes bytes) {
    constexpr Bytes kOnes = static_cast<Bytes>(0x0101010101010101ULL);
    const Bytes fromA = bytes + kOnes * (0x80 - 'A');
    const Bytes pastZ = bytes + kOnes * (0x80 - 'Z' - 1);
    return bytes | ((fromA & ~pastZ & (kOnes * 0x80)) >> 2);
}

// Lower-cases an ASCII word into the buffer without allocating; false when the
// word is too long for it or holds other characters. Whole words of bytes at a
// time, the last one overlapping the one before: lookups run once per word of
// the passage, and a loop over single bytes mispredicts its end about once a word.
bool LowerAsciiInto(std::string_view word, char (&buffer)[64]) {
    const std::size_t n = word.size();
    if (n > sizeof buffer)
        return false;
    const auto lowerAt = [&]<typename Bytes>(Bytes, std::size_t at) {
        Bytes bytes;
        std::memcpy(&bytes, word.data() + at, sizeof bytes);
        if ((bytes & static_cast<Bytes>(0x8080808080808080ULL)) != 0)
            return false;
        bytes = LowerAsciiBytes(bytes);
        std::memcpy(buffer + at, &bytes, sizeof bytes);
        return true;
    };
    if (n >= 8) {
        for (std::size_t at = 0; at + 8 < n; at += 8) {
            if (!lowerAt(std::uint64_t{}, at))
                return false;
        }
        return lowerAt(std::uint64_t{}, n - 8);
    }
    if (n >= 4)
        return lowerAt(std::uint32_t{}, 0) && lowerAt(std::uint32_t{}, n - 4);
    if (n == 0)
        return true;
    // One to three bytes: the first, the middle and the last, which are all
    // there are. The buffer takes the four bytes written.
    const auto byteAt = [&word](std::size_t i) {
        return std::uint32_t{static_cast<unsigned char>(word[i])};
    };
    std::uint32_t bytes = byteAt(0) | byteAt(n / 2) << 8 | byteAt(n - 1) << 16;
    if ((bytes & 0x808080U) != 0)
        return false;
    bytes = LowerAsciiBytes(bytes);
    std::memcpy(buffer, &bytes, sizeof bytes);
    return true;
}

// The word case folded: in the buffer when it is short and ASCII, else in folded.
std::string_view FoldedWord(std::string_view word, char (&buffer)[64], std::string& folded) {
    if (LowerAsciiInto(word, buffer))
        return std::string_view(buffer, word.size());
    folded = LowerCaseWord(word);
    return folded;
}

} // namespace

// The index holds the words loaded first, so it is asked first: the first
// insertion of a word wins.
const std::int32_t* TDictionary::Find(std::string_view lowerWord) const {
    if (const WordIndex* index = CheckedIndex()) {
        if (const std::int32_t* count = index->Find(lowerWord))
            return count;
    }
    return words_.Find(lowerWord);
}

void TDictionary::Insert(std::string_view lowerWord, std::int32_t count) {
    const WordIndex* index = CheckedIndex();
    if (!index || index->Find(lowerWord) == nullptr)
        words_.Insert(lowerWord, count);
}

// A damaged index gives way to its text list, read now as LoadDictionary would
// have read it: nothing was inserted before (every insertion checks first), so
// the list's words are still the first. A list that has since gone or gained a
// bad line gives the words it has, as a load of it would.
void TDictionary::CheckIndex() const {
    const std::lock_guard lock(checking_);
    if (indexChecked_.load(std::memory_order_relaxed))
        return;
    if (!index_->Verify()) {
        index_.reset();
        TDictionary text;
        try {
            text.ReadText(indexedPath_);
        } catch (const ConvertError&) {
        }
        words_ = std::move(text.words_);
        loadedEnd_ = text.loadedEnd_;
        // A user dictionary begun before this check began at the empty table:
        // its words now start after the list's.
        if (userStart_ == 0)
            userStart_ = words_.Size();
        if (userEnd_ == 0)
            userEnd_ = words_.Size();
    }
    indexChecked_.store(true, std::memory_order_release);
}

std::int32_t TDictionary::Lookup(std::string_view word) const {
    // Lookups run once per word of the passage: the usual word costs no allocation.
    char buffer[64];
    std::string folded;
    const std::int32_t* count = Find(FoldedWord(word, buffer, folded));
    return count == nullptr ? -1 : *count;
}

std::int32_t TDictionary::Lookup(std::string_view word, IndexEntry& entry) const {
    entry = {};
    const WordIndex* index = CheckedIndex();
    if (!index)
        return Lookup(word);
    char buffer[64];
    std::string folded;
    const std::string_view lower = FoldedWord(word, buffer, folded);
    if (const std::int32_t* count = index->Find(lower)) {
        entry = {index->Serial(), index->SlotOf(count), index->SlotCount()};
        return *count;
    }
    const std::int32_t* count = words_.Find(lower);
    return count == nullptr ? -1 : *count;
}

WordOrigin TDictionary::Origin(std::string_view word, std::int32_t* count) const {
    char buffer[64];
    std::string folded;
    const std::string_view lower = FoldedWord(word, buffer, folded);
    if (count)
        *count = -1;
    if (const WordIndex* index = CheckedIndex()) {
        if (const std::int32_t* found = index->Find(lower)) {
            if (count)
                *count = *found;
            return WordOrigin::WordList;
        }
    }
    const std::size_t at = words_.IndexOf(lower);
    if (at == WordTable::kAbsent)
        return WordOrigin::Absent;
    if (count)
        *count = *words_.Find(lower);
    if (userStart_ != WordTable::kAbsent && at >= userStart_ && at < userEnd_)
        return WordOrigin::UserDictionary;
    return at < loadedEnd_ ? WordOrigin::WordList : WordOrigin::AddedLater;
}

TDictionary::TDictionary() {
    static std::atomic<std::uint64_t> made{0};
    serial_ = made.fetch_add(1, std::memory_order_relaxed) + 1;
}

bool TDictionary::AddWord(std::string_view word, std::int32_t count) {
    char buffer[64];
    if (LowerAsciiInto(word, buffer))
        Insert(std::string_view(buffer, word.size()), count);
    else
        Insert(LowerCaseWord(word), count);
    return true;
}

namespace {

// The whole file, or nothing (and why) when it cannot be opened or read to its
// end. Only regular files qualify: a pipe or a device could block or never end.
std::optional<QByteArray> ReadWholeFile(const std::string& path, std::string* failure) {
    const auto fail = [failure](const QString& reason) {
        if (failure)
            *failure = reason.toStdString();
        return std::nullopt;
    };
    struct stat info {};
    if (::stat(path.c_str(), &info) != 0)
        return fail(QString::fromLocal8Bit(std::strerror(errno)));
    if (S_ISDIR(info.st_mode))
        return fail(QStringLiteral("Is a directory"));
    if (!S_ISREG(info.st_mode))
        return fail(QStringLiteral("not a regular file"));
    // A file of gigabytes is no word list; it would be read whole into memory.
    if (static_cast<std::uint64_t>(info.st_size) > kMaxDictionaryFileBytes) {
        const std::string reason =
            "larger than " + std::to_string(kMaxDictionaryFileBytes / (1024 * 1024)) + " MB";
        throw FileError(path + " is " + reason + ": too large for a dictionary file", path, reason);
    }
    QFile file;
    QString reason;
    if (!OpenFileByName(file, path, QIODevice::ReadOnly, &reason))
        return fail(reason);
    QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError)
        return fail(file.errorString());
    return bytes;
}

// The lines that can become entries: blank lines and over-long ones are
// skipped, so a file of blank lines reserves nothing.
std::size_t CountEntryLines(std::string_view text) {
    std::size_t count = 0;
    while (!text.empty()) {
        std::size_t end = text.find('\n');
        std::size_t length = end == std::string_view::npos ? text.size() : end;
        if (end != std::string_view::npos && length > 0 && text[length - 1] == '\r')
            --length;
        if (length > 0 && length <= kMaxDictionaryLineLength)
            ++count;
        text = end == std::string_view::npos ? std::string_view() : text.substr(end + 1);
    }
    return count;
}

} // namespace

bool TDictionary::LoadDictionary(const std::string& path, std::string* failure) {
    // The index stands for the whole file only while nothing was loaded before
    // it, so that its words are the first insertions.
    if (!index_ && words_.Size() == 0) {
        index_ = WordIndex::Open(path);
        if (index_) {
            indexedPath_ = path;
            indexChecked_.store(false, std::memory_order_release);
            Loaded = true;
            return true;
        }
    }
    return ReadText(path, failure);
}

std::optional<WriteFailure> TDictionary::WriteIndex(const std::string& path) {
    TDictionary dictionary;
    std::string failure;
    if (!dictionary.ReadText(path, &failure))
        return WriteFailure{"cannot read " + path, path, failure};
    return WordIndex::Write(path, dictionary.words_);
}

bool TDictionary::ReadText(const std::string& path, std::string* failure) {
    const std::optional<QByteArray> bytes = ReadWholeFile(path, failure);
    if (!bytes)
        return false;

    std::string_view rest(bytes->constData(), static_cast<std::size_t>(bytes->size()));
    if (rest.starts_with("\xEF\xBB\xBF"))
        rest.remove_prefix(3);
    words_.Reserve(CountEntryLines(rest));
    // One pass settles the usual case; only a file with some other bytes is
    // checked again line by line.
    const bool allUtf8 = IsValidUtf8(rest);

    std::string decoded;
    for (std::size_t lineNumber = 1; !rest.empty(); ++lineNumber) {
        const std::size_t end = rest.find('\n');
        std::string_view line = rest.substr(0, end);
        rest = end == std::string_view::npos ? std::string_view() : rest.substr(end + 1);
        if (end != std::string_view::npos && line.ends_with('\r'))
            line.remove_suffix(1);
        if (line.empty() || line.size() > kMaxDictionaryLineLength)
            continue;
        // A word list carried over from Windows holds Windows-1252, not UTF-8.
        if (!allUtf8 && !IsValidUtf8(line)) {
            decoded = Windows1252ToUtf8(line);
            line = decoded;
        }
        DictionaryLine parsed;
        try {
            parsed = ParseDictionaryLine(line);
        } catch (const ConvertError& error) {
            throw DictionaryLineError(error.what(), lineNumber);
        }
        AddWord(parsed.word, parsed.count);
        loadedEnd_ = words_.Size();
    }
    Loaded = true;
    return true;
}

bool TDictionary::LoadCustomDictionary(const std::string& path) {
    userStart_ = words_.Size();
    // A bad line stops the load; the words before it still came from the file.
    const auto recordEnd = [this] {
        userEnd_ = words_.Size();
        loadedEnd_ = std::max(loadedEnd_, userEnd_);
    };
    try {
        LoadDictionary(path);
    } catch (...) {
        recordEnd();
        throw;
    }
    recordEnd();
    customFilePath_ = path;
    return true;
}

std::optional<WriteFailure> TDictionary::AddWordToFile(std::string_view word, std::int32_t count) {
    AddWord(word, count);
    if (customFilePath_.empty())
        return WriteFailure{
            "Cannot add the word to the user dictionary: no user dictionary was loaded",
            {},
            "no user dictionary was loaded"};
    return AppendToUserDictionary(customFilePath_, word, count);
}

void LowerCaseInto(std::string_view word, std::string& lower) {
    if (!IsAscii(word)) {
        lower = LowerCaseWord(word);
        return;
    }
    lower.assign(word);
    LowerAsciiInPlace(lower);
}
