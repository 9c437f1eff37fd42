#include "dictionary/Dictionary.h"

#include "analysis/TextFile.h"
#include "dictionary/DictionaryLine.h"

#include <QByteArray>
#include <QFile>
#include <QFileInfo>
#include <QString>

#include <algorithm>
#include <optional>

std::string LowerCaseWord(std::string_view word) {
    const bool ascii = std::all_of(word.begin(), word.end(),
                                   [](char c) { return static_cast<unsigned char>(c) < 128; });
    if (ascii) {
        std::string lower(word);
        for (char& c : lower) {
            if (c >= 'A' && c <= 'Z')
                c = static_cast<char>(c - 'A' + 'a');
        }
        return lower;
    }
    return QString::fromUtf8(word.data(), static_cast<qsizetype>(word.size()))
        .toLower()
        .toStdString();
}

namespace {

// Lower-cases an ASCII word into the buffer without allocating; false when the
// word is too long for it or holds other characters.
bool LowerAsciiInto(std::string_view word, char (&buffer)[64]) {
    if (word.size() > sizeof buffer)
        return false;
    for (std::size_t i = 0; i < word.size(); ++i) {
        const auto c = static_cast<unsigned char>(word[i]);
        if (c >= 128)
            return false;
        buffer[i] = static_cast<char>(c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c);
    }
    return true;
}

} // namespace

// The index holds the words loaded first, so it is asked first: the first
// insertion of a word wins.
const std::int32_t* TDictionary::Find(std::string_view lowerWord) const {
    if (index_) {
        if (const std::int32_t* count = index_->Find(lowerWord))
            return count;
    }
    return words_.Find(lowerWord);
}

void TDictionary::Insert(std::string_view lowerWord, std::int32_t count) {
    if (!index_ || index_->Find(lowerWord) == nullptr)
        words_.Insert(lowerWord, count);
}

std::int32_t TDictionary::Lookup(std::string_view word) const {
    // Lookups run once per word of the passage: the usual word costs no allocation.
    char buffer[64];
    const std::int32_t* count = LowerAsciiInto(word, buffer)
                                    ? Find(std::string_view(buffer, word.size()))
                                    : Find(LowerCaseWord(word));
    return count == nullptr ? -1 : *count;
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

// Lines beyond this length are outside the file format; they are skipped whole.
constexpr std::size_t kMaxLineLength = 511;

std::string CannotAdd(const std::string& path, const QString& reason) {
    return "Cannot add the word to " + path + ": " + reason.toStdString();
}

// The whole file, or nothing when it cannot be opened or read to its end. Only
// regular files qualify: a pipe or a device could block or never end.
std::optional<QByteArray> ReadWholeFile(const std::string& path) {
    QFile file(QString::fromStdString(path));
    if (!QFileInfo(file).isFile() || !file.open(QIODevice::ReadOnly))
        return std::nullopt;
    QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError)
        return std::nullopt;
    return bytes;
}

std::size_t CountLineFeeds(std::string_view text) {
    std::size_t count = 0;
    for (std::size_t at = text.find('\n'); at != std::string_view::npos;
         at = text.find('\n', at + 1))
        ++count;
    return count;
}

} // namespace

bool TDictionary::LoadDictionary(const std::string& path) {
    // The index stands for the whole file only while nothing was loaded before
    // it, so that its words are the first insertions.
    if (!index_ && words_.Size() == 0) {
        index_ = WordIndex::Open(path);
        if (index_) {
            Loaded = true;
            return true;
        }
    }
    return ReadText(path);
}

bool TDictionary::WriteIndex(const std::string& path, std::string* error) {
    TDictionary dictionary;
    if (!dictionary.ReadText(path)) {
        if (error)
            *error = "cannot read " + path;
        return false;
    }
    return WordIndex::Write(path, dictionary.words_, error);
}

bool TDictionary::ReadText(const std::string& path) {
    const std::optional<QByteArray> bytes = ReadWholeFile(path);
    if (!bytes)
        return false;

    std::string_view rest(bytes->constData(), static_cast<std::size_t>(bytes->size()));
    if (rest.starts_with("\xEF\xBB\xBF"))
        rest.remove_prefix(3);
    words_.Reserve(CountLineFeeds(rest) + 1);
    // One pass settles the usual case; only a file with some other bytes is
    // checked again line by line.
    const bool allUtf8 = IsValidUtf8(rest);

    std::string decoded;
    while (!rest.empty()) {
        const std::size_t end = rest.find('\n');
        std::string_view line = rest.substr(0, end);
        rest = end == std::string_view::npos ? std::string_view() : rest.substr(end + 1);
        if (end != std::string_view::npos && line.ends_with('\r'))
            line.remove_suffix(1);
        if (line.empty() || line.size() > kMaxLineLength)
            continue;
        // A word list carried over from Windows holds Windows-1252, not UTF-8.
        if (!allUtf8 && !IsValidUtf8(line)) {
            decoded = Windows1252ToUtf8(line);
            line = decoded;
        }
        const DictionaryLine parsed = ParseDictionaryLine(line);
        AddWord(parsed.word, parsed.count);
    }
    Loaded = true;
    return true;
}

bool TDictionary::LoadCustomDictionary(const std::string& path) {
    LoadDictionary(path);
    customFilePath_ = path;
    return true;
}

bool TDictionary::AddWordToFile(std::string_view word, std::int32_t count, std::string* error) {
    AddWord(word, count);

    const auto fail = [error](std::string message) {
        if (error)
            *error = std::move(message);
        return false;
    };
    if (customFilePath_.empty())
        return fail("Cannot add the word to the user dictionary: no user dictionary was loaded");
    // Such a line would not read back as this word and count; a line break would
    // even stop every later load of the file.
    if (count < 0)
        return fail(CannotAdd(customFilePath_, QStringLiteral("the syllable count is negative")));
    std::string entry(word);
    entry += '|';
    entry += std::to_string(count);
    if (word.find_first_of("|\r\n") != std::string_view::npos || entry.size() > kMaxLineLength)
        return fail(
            CannotAdd(customFilePath_,
                      QStringLiteral("the word holds \"|\" or a line break, or is too long")));

    const QString name = QString::fromStdString(customFilePath_);
    const QFileInfo info(name);
    if (info.exists() && !info.isFile())
        return fail(CannotAdd(customFilePath_, QStringLiteral("it is not a regular file")));
    // Unbuffered, so that a failed write leaves nothing behind to be retried on close.
    QFile file(name);
    if (!file.open(QIODevice::ReadWrite | QIODevice::Append | QIODevice::Unbuffered))
        return fail(CannotAdd(customFilePath_, file.errorString()));
    const qint64 sizeBefore = file.size();

    std::string line;
    // A last line without its line end would otherwise swallow the new word.
    if (file.size() > 0) {
        char last = '\n';
        if (!file.seek(file.size() - 1) || !file.getChar(&last))
            return fail(CannotAdd(customFilePath_, file.errorString()));
        if (last != '\n')
            line = "\r\n";
    }
    line += entry;
    line += "\r\n";

    const auto size = static_cast<qint64>(line.size());
    if (file.write(line.data(), size) != size || !file.flush()) {
        // A full disk can take part of the line. Cut it off again: a broken last
        // line would stop every later load of the file at that line.
        const QString reason = file.errorString();
        file.resize(sizeBefore);
        return fail(CannotAdd(customFilePath_, reason));
    }
    file.close();
    if (file.error() != QFileDevice::NoError)
        return fail(CannotAdd(customFilePath_, file.errorString()));
    return true;
}
