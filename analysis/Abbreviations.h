#pragma once

#include <string_view>

// The abbreviations the careful rules know, kept in one list, and the words
// that commonly open a sentence. Both take a word without its full stop, in
// any case ("Dr", "dr", "U.S", "n°").

enum class Abbreviation {
    None,
    Title,        // Mr., Dr., St.: a name follows, never a sentence end
    BeforeNumber, // p., No., Fig.: not an end before a number
    Inner,        // e.g., i.e., vs.: never an end
    Ending,       // etc., Co., Jr., a.m., Jan.: may end a sentence
};

// None for a word the list lacks and for "".
Abbreviation KindOfAbbreviation(std::string_view word);

// Whether a word is one that often opens a sentence ("The", "It", "How"):
// after an abbreviation that may end a sentence, only such a word shows that
// it did. False for "".
bool IsSentenceOpener(std::string_view word);
