#pragma once

#include "text/FileWrite.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

// The per-user folder of the user dictionary (~/.local/share/Scrivolux), empty
// when the system names no per-user data folder.
std::string UserDictionaryFolder();

// Appends "word|count" and CR LF to the user dictionary file at path, after a
// line end when its last line lacks one; the file is made when missing. Empty
// on success. A failure ("Cannot add the word to PATH: reason") when the file
// could not be written, or when the line would not read back as written (a
// negative count, a word holding "|" or a line break, a line over
// kMaxDictionaryLineLength bytes); the file is then as it was. Of missing
// folders only the per-user data folder is made.
[[nodiscard]] std::optional<WriteFailure>
AppendToUserDictionary(const std::string& path, std::string_view word, std::int32_t count);
