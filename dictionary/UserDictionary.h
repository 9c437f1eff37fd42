#pragma once

#include "dictionary/DictionaryAppend.h"
#include "dictionary/DictionaryLine.h"
#include "text/Error.h"

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

// The word list could not be read: its reason is the system's, its message
// "cannot read the word list PATH: " and that reason. The user dictionary was
// read all the same; a caller that reports the missing list later may go on.
class WordListUnreadable : public FileError {
public:
    using FileError::FileError;
};

// Loads the word list and then the user dictionary into the dictionary, as the
// programs do at start-up. Every failure is a FileError naming its file:
// - the word list cannot be read: a WordListUnreadable, thrown once the user
//   dictionary was read;
// - a line whose count does not convert stops the loading: "PATH, line N: " and
//   the conversion error; the lines before it stay, and a user dictionary
//   stopped so is not recorded as the file to append to;
// - a word list that gives no word at all: "the word list PATH holds no words",
//   and the user dictionary is not read;
// - a file over kMaxDictionaryFileBytes, read not at all, or running out of
//   memory while loading a file: a message naming that file.
void LoadStartupDictionaries(TDictionary& dictionary, const DictionaryFiles& files);
