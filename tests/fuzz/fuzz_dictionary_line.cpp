// The dictionary reader: one line gives an entry or the conversion error and
// nothing else; a whole file loads to its end or stops at a bad count, and then
// every word read before the stop is known with the count of its first line.

#include "FuzzCheck.h"

#include "dictionary/Dictionary.h"
#include "dictionary/DictionaryLine.h"
#include "text/Bytes.h"
#include "text/Error.h"
#include "text/TextFile.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <utility>

namespace {

// The entry of one line, or nothing when its count does not convert.
std::optional<DictionaryLine> ParseOrNothing(std::string_view line) {
    try {
        DictionaryLine parsed = ParseDictionaryLine(line);
        const std::size_t bar = line.find('|');
        FUZZ_CHECK(parsed.word == (bar == std::string_view::npos ? "" : line.substr(0, bar)));
        FUZZ_CHECK(parsed.count >= 0);
        return parsed;
    } catch (const ConvertError& error) {
        // The count's text may hold a NUL, at which what() ends.
        const std::string_view message = error.what();
        FUZZ_CHECK(message.starts_with('\''));
        FUZZ_CHECK(message.ends_with("' is not a valid integer value") ||
                   line.find('\0') != std::string_view::npos);
        return std::nullopt;
    }
}

const QString& ScratchFile() {
    static QTemporaryDir dir;
    static const QString path = dir.filePath(QStringLiteral("words.dat"));
    return path;
}

void CheckFile(std::string_view bytes) {
    const QString& path = ScratchFile();
    {
        QFile file(path);
        FUZZ_CHECK(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        FUZZ_CHECK(file.write(bytes.data(), static_cast<qint64>(bytes.size())) ==
                   static_cast<qint64>(bytes.size()));
    }

    // What the file should load: lines cut at LF, a CR before the LF dropped,
    // empty and over-long lines skipped, the first line of a word winning.
    // Keyed by the folded word; the word itself is looked up as the line had it.
    std::map<std::string, std::pair<std::string, std::int32_t>> expected;
    bool stopped = false;
    std::string_view rest = bytes;
    if (rest.starts_with("\xEF\xBB\xBF"))
        rest.remove_prefix(3);
    while (!rest.empty() && !stopped) {
        const std::size_t end = rest.find('\n');
        std::string_view line = rest.substr(0, end);
        rest = end == std::string_view::npos ? std::string_view() : rest.substr(end + 1);
        if (end != std::string_view::npos && line.ends_with('\r'))
            line.remove_suffix(1);
        if (line.empty() || line.size() > 511)
            continue;
        const std::string text = IsValidUtf8(line) ? std::string(line) : Windows1252ToUtf8(line);
        const std::optional<DictionaryLine> parsed = ParseOrNothing(text);
        if (!parsed)
            stopped = true;
        else
            expected.try_emplace(LowerCaseWord(parsed->word), parsed->word, parsed->count);
    }

    TDictionary dictionary;
    bool loaded = false;
    try {
        loaded = dictionary.LoadDictionary(path.toStdString());
        FUZZ_CHECK(loaded && dictionary.Loaded);
    } catch (const ConvertError&) {
        FUZZ_CHECK(!dictionary.Loaded);
    }
    FUZZ_CHECK(loaded != stopped);
    FUZZ_CHECK(dictionary.Size() == expected.size());
    for (const auto& [folded, entry] : expected)
        FUZZ_CHECK(dictionary.Lookup(entry.first) == entry.second);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view bytes = fuzz::AsText(data, size);
    const std::size_t lineEnd = bytes.find('\n');
    ParseOrNothing(bytes.substr(0, lineEnd));
    CheckFile(bytes);
    return 0;
}
