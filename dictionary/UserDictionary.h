#pragma once

#include <string>

// Where the user dictionary lives: custom.dat in the executable's directory
// (given with its trailing separator) when that directory can be written, else
// custom.dat in the per-user data location, so that added words are never lost.
std::string CustomDictionaryPath(const std::string& executableDirectory);
