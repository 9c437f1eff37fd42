#include "analysis/IndexCounts.h"

#include "analysis/FamiliarWords.h"
#include "analysis/Tokens.h"
#include "dictionary/Dictionary.h"

#include <QChar>
#include <QList>
#include <QString>

#include <string>
#include <unordered_set>

std::int32_t CountLetters(std::string_view word) {
    std::int32_t letters = 0;
    bool ascii = true;
    for (const char c : word) {
        const auto b = static_cast<unsigned char>(c);
        if (b >= 128) {
            ascii = false;
            break;
        }
        if ((b >= 'a' && b <= 'z') || (b >= 'A' && b <= 'Z'))
            ++letters;
    }
    if (ascii)
        return letters;
    letters = 0;
    for (const char32_t c :
         QString::fromUtf8(word.data(), static_cast<qsizetype>(word.size())).toUcs4()) {
        if (QChar::isLetter(c))
            ++letters;
    }
    return letters;
}

void CountWordForIndices(IndexCounts& counts, std::int32_t letters, bool daleChallFamiliar,
                         bool spacheFamiliar) {
    counts.letters += letters;
    if (letters > 6)
        ++counts.longWords;
    if (letters <= 3)
        ++counts.miniWords;
    if (!daleChallFamiliar)
        ++counts.daleChallUnfamiliar;
    if (!spacheFamiliar)
        ++counts.spacheUnfamiliar;
}

IndexWord IndexWordOf(std::string_view word, std::string_view lowerWord) {
    const unsigned lists = FamiliarListsOf(lowerWord);
    return {CountLetters(word), (lists & 1u) != 0, (lists & 2u) != 0};
}

void AddIndexWord(IndexCounts& counts, const IndexWord& word, std::int32_t syllables) {
    if (syllables > 2)
        ++counts.polysyllables;
    if (syllables == 1)
        ++counts.monosyllables;
    CountWordForIndices(counts, word.letters, word.daleChallFamiliar, word.spacheFamiliar);
}

void AddIndexCounts(IndexCounts& counts, const IndexCounts& later) {
    counts.letters += later.letters;
    counts.longWords += later.longWords;
    counts.polysyllables += later.polysyllables;
    counts.monosyllables += later.monosyllables;
    counts.miniWords += later.miniWords;
    counts.daleChallUnfamiliar += later.daleChallUnfamiliar;
    counts.spacheUnfamiliar += later.spacheUnfamiliar;
}

void MergeSpacheUnfamiliar(SpacheUnfamiliarWords& words, SpacheUnfamiliarWords&& later) {
    if (later.size() > words.size())
        words.swap(later);
    words.merge(later);
}
