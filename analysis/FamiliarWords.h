#pragma once

#include <cstddef>
#include <string_view>

// The two lists of words that young readers know, behind the Dale-Chall and the
// revised Spache formulas.
enum class FamiliarList { DaleChall, Spache };

// Whether a lower-cased word is familiar: it is on the list, or it is a listed
// word with one regular ending ('s, s, es, ed, d, ing, er, est; ies and ied
// for a listed word ending in y); an entry matches with or without its full
// stop ("mr" and "mr."). A typographic apostrophe counts as '.
// The empty word is not familiar.
bool IsFamiliarWord(std::string_view lowerWord, FamiliarList list);

// The lists on which the lower-cased word is familiar, as IsFamiliarWord
// decides: bit 1 for Dale-Chall, bit 2 for Spache; 0 for none.
unsigned FamiliarListsOf(std::string_view lowerWord);

// How many words the list holds (2942 and 1063).
std::size_t FamiliarListSize(FamiliarList list);
