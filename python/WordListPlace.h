#pragma once

#include <string>

// The folder that holds this module's shared object, found through the loader.
std::string ModuleDirectory();

// The word list a module in moduleDirectory reads when none is named: the one
// beside the module (a wheel's), the one generated in the build tree when the
// module is the build tree's, else the one installed with the programs. When neither exists, the
// installed one's path, so that the error names where the word list was expected.
std::string DefaultWordList(const std::string& moduleDirectory);

// Whether the word list lies beside the module, as a wheel carries it.
bool IsBesideModule(const std::string& wordList);
