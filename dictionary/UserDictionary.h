#pragma once

#include "dictionary/DictionaryAppend.h"
#include "dictionary/DictionaryLine.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

class TDictionary;

// Where the user dictionary lives: custom.dat in the executable's directory
// (given with or without its trailing separator) when that file can be
// appended to or the directory can take it and is not a system folder (/usr,
// /opt, ...: not even for root), else custom.dat in the per-user
// data folder Scrivolux (~/.local/share/Scrivolux), shared by the desktop
// program and the command-line tool and made only when the first word is added
// there. Empty only when the system names no per-user data folder.
std::string CustomDictionaryPath(const std::string& executableDirectory);

// The two dictionary files that the programs read at start-up.
struct DictionaryFiles {
    std::string wordList;       // cuvplus.dat beside the executable
    std::string userDictionary; // custom.dat, where CustomDictionaryPath puts it
};

// The files for an executable in executableDirectory (with or without its
// trailing separator; empty for a program started by its bare name, whose
// files are then looked for in the current directory).
DictionaryFiles StartupDictionaryFiles(const std::string& executableDirectory);

// Loads the word list and then the user dictionary into the dictionary, as the
// programs do at start-up. False, with the system's reason in wordListFailure
// (when given), when the word list could not be read; the user dictionary is
// read all the same. A line whose count does not convert stops the loading with
// a FileError "PATH, line N: " and the conversion error; the
// lines before it stay, and a user dictionary stopped so is not recorded as the
// file to append to. A word list that gives no word at all is a FileError "the
// word list PATH holds no words", and the user dictionary is not read; a file
// over kMaxDictionaryFileBytes is a FileError naming it, read not at all. Running out of memory
// while loading a file is a FileError naming that file too.
bool LoadStartupDictionaries(TDictionary& dictionary, const DictionaryFiles& files,
                             std::string* wordListFailure = nullptr);
