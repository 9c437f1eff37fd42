#pragma once

#include <cstdint>
#include <string>
#include <string_view>

// The per-user folder of the user dictionary (~/.local/share/Scrivolux), empty
// when the system names no per-user data folder.
std::string UserDictionaryFolder();

// Appends "word|count" and CR LF to the user dictionary file at path, after a
// line end when its last line lacks one; the file is made when missing. False
// when the file could not be written, or when the line would not read back as
// written (a negative count, a word holding "|" or a line break, a line over
// kMaxDictionaryLineLength bytes); error (when given) then receives the path and
// the reason, and the file is as it was. Of missing folders only the per-user
// data folder is made.
bool AppendToUserDictionary(const std::string& path, std::string_view word, std::int32_t count,
                            std::string* error = nullptr);
