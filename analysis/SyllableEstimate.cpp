#include "analysis/SyllableEstimate.h"

#include "dictionary/Dictionary.h"

std::int32_t EstimateSyllables(std::string_view word, const TDictionary& dictionary) {
    const std::int32_t known = dictionary.Lookup(word);
    if (known >= 0)
        return known;
    if (const auto fromStem = EstimateSyllablesFromDictionary(word, dictionary))
        return *fromStem;
    return EstimateSyllablesByRules(word);
}
