#pragma once

#include <cstddef>
#include <string_view>
#include <vector>

// A line of the passage: where it starts and the space that follows it.
struct CarefulLine {
    std::size_t start = 0;
    std::size_t end = 0;
};

// Places the careful rules' sentence ends in the sentence text: a full stop at
// each end of a sentence that holds a word, every other "." "!" "?" already
// blank (events are their offsets and those of the bullets, in order, as
// FillCarefulWords notes them). Blocks (runs of lines between blank lines,
// headings, list items, table cells) always end their sentence; what belongs
// to no sentence (list markers, bullets, wordless pieces) is blanked in the
// sentence text, and markers in the word text too.
void MarkCarefulSentences(std::string_view passage, char* sentence, char* word,
                          const std::vector<std::size_t>& events,
                          const std::vector<CarefulLine>& lines);
