#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

class TDictionary;

// Estimates of the syllable count of a word that the dictionary lacks. All are
// pure functions of the word (and the dictionary's contents); none changes the
// dictionary.

// By the spelling alone: vowel groups, corrected by the usual English rules
// (silent final e, -le, -ed, -es, y as a vowel, vowel pairs that split) and a
// small table of exceptions. Case is ignored; apostrophes, digits and other
// characters that are not letters are skipped. 0 for a word without a letter,
// at least 1 otherwise. A word without a vowel letter is spelled out (BBC) up
// to 9 syllables, or is 1 when it is an interjection or a drawn-out sound
// (hmm, zzzz, four of a letter in a row); a possessive and an n't add a syllable once each at most.
std::int32_t EstimateSyllablesByRules(std::string_view word);

// From a dictionary entry for the word's stem: a possessive or plural ending, a
// common prefix (un-, re-, sub-, non-, pre-) or suffix (-able, -ness, -less, -ly,
// -ing, -ed) taken off a word whose stem the dictionary knows, plus the ending's
// own syllables. Empty when no such stem is found (the empty word included).
std::optional<std::int32_t> EstimateSyllablesFromDictionary(std::string_view word,
                                                            const TDictionary& dictionary);

// A figure said as words, as Flesch counted it: "1918" 4 (nineteen eighteen),
// "$10" 3 (ten dollars), "15th" 2, "3.5" 3 (three point five), "1990s" 4,
// "1,000" 3. Empty for anything else ("MP3", "4.5.1", "" ).
std::optional<std::int32_t> SpokenFigureSyllables(std::string_view word);

// The dictionary's count when it knows the word; else a figure's spoken count;
// else for a compound or identifier ("well-known", "LC_CTYPE", "sys.path") the
// sum of its parts' estimates; else the stem estimate, else the rules.
std::int32_t EstimateSyllables(std::string_view word, const TDictionary& dictionary);
