#include "dictionary/Dictionary.h"

#include <QString>

#include <algorithm>

std::string LowerCaseWord(std::string_view word)
{
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
    return QString::fromUtf8(word.data(), static_cast<qsizetype>(word.size())).toLower().toStdString();
}

std::int32_t TDictionary::Lookup(std::string_view word) const
{
    const auto found = words_.find(LowerCaseWord(word));
    return found == words_.end() ? -1 : found->second;
}

bool TDictionary::AddWord(std::string_view word, std::int32_t count)
{
    words_.try_emplace(LowerCaseWord(word), count);
    return true;
}
