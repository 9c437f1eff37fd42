#pragma once

#include "analysis/CarefulRules.h"

#include <cstddef>
#include <span>
#include <string_view>
#include <vector>

// Places the careful rules' sentence ends in the sentence text: a full stop at
// each end of a sentence that holds a word, every other "." "!" "?" already
// blank (events are their offsets and those of the bullets, in order, as
// FillCarefulWords notes them). Blocks (runs of lines between blank lines,
// headings, list items, table cells) always end their sentence; what belongs
// to no sentence (list markers, bullets, wordless pieces) is blanked in the
// sentence text, and markers in the word text too. The lines may be a part of
// the passage's that starts and ends between blocks (at a blank line), and the
// events those within it: the parts can then be marked on separate threads.
void MarkCarefulSentences(std::string_view passage, char* sentence, char* word,
                          const std::vector<std::size_t>& events,
                          std::span<const CarefulLine> lines);
