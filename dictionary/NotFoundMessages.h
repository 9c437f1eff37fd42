#pragma once

// What the word-not-found dialog says when its count is refused; the desktop
// dialog and the terminal version say the same.
inline constexpr const char* kNotANumberMessage =
    "Please enter a number for the syllable count\n or click Ignore.";
inline constexpr const char* kNegativeCountMessage = "You cannot add a negative syllable count.";
