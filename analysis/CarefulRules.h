#pragma once

#include "analysis/TextPreparation.h"

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

// The careful counting rules, beside the classic ones. They make working texts
// of the same shape, so the counting passes, the details and the highlighting
// read them unchanged:
// - a sentence ends at ".", "!", "?" (or a run of them, or an ellipsis and a
//   full stop) followed by what can open a sentence, and not inside "4.5",
//   "U.S.A.", "sources.list" or an address, nor after "Dr." or "e.g.", nor
//   before a lower-case word unless a full stop ends the line before it and
//   follows no abbreviation (a glossary's lines);
// - a block (the lines between blank lines, a heading, a line that starts with
//   a section number such as "A.3." or "12.2.4", a list item, a table cell)
//   always ends its sentence, and list markers, section numbers and bullets
//   belong to no sentence and no word; "*  text  *" is a boxed line, not a
//   list item, and "; 2)" inside a list item goes on with its sentence;
// - a word is a run of letters of any script with inner apostrophes (' or ’),
//   hyphens, underscores and full stops ("well-known", "LC_CTYPE",
//   "sys.path"); a figure ("1918", "$10", "15th", "3.5", "1990s") is a word
//   too; quotes, dashes, brackets, symbols and tabs separate words, and any
//   other run that holds a digit (MP3, 4.5.1), a number before ")", a run
//   without a letter and an e-mail or web address are no words.
// The texts have the passage's length, byte for byte, and texts.passage holds
// the passage (positions in UTF-16 are counted on it, since characters of
// several bytes may be blanked). No lines give empty texts.
WorkingTexts CarefulWorkingTexts(const std::vector<std::string_view>& lines);

// A line of a passage: where it starts and the space that follows it.
struct CarefulLine {
    std::size_t start = 0;
    std::size_t end = 0;
};

// The same from a passage already made (every line followed by one space) and
// its lines, so that a large text need not be copied into one.
WorkingTexts CarefulWorkingTexts(std::string&& passage, std::vector<CarefulLine> lines);

// Whether a piece of text between spaces is a list marker: "1.", "12)",
// "3.)", "(4)", "a." or "iv)". False for "".
bool IsListMarker(std::string_view chunk);
