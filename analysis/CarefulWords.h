#pragma once

#include <cstddef>
#include <string_view>
#include <vector>

// The careful word text of a passage (or of a piece of one that ends at a
// space): word is a copy of it, in which everything that is no word is made
// blank. The offsets of every ".", "!", "?", "…" and bullet are appended to
// events, in order, for the sentence rules. An empty passage does nothing.
void FillCarefulWords(std::string_view passage, char* word, std::vector<std::size_t>& events);
