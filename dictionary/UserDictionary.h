#pragma once

#include <string>

// Where the user dictionary lives: custom.dat in the executable's directory
// (given with or without its trailing separator) when that file can be
// appended to or the directory can take it, else custom.dat in the per-user
// data folder Scrivolux (~/.local/share/Scrivolux), which is made when missing
// and shared by the desktop program and the command-line tool. Empty only when
// the system names no per-user data folder.
std::string CustomDictionaryPath(const std::string& executableDirectory);
