#pragma once

#include "analysis/CountingPasses.h"
#include "cli/CliOptions.h"
#include "report/TextAnalysis.h"
#include "report/TextReport.h"
#include "text/FileWrite.h"

#include <cstdint>
#include <functional>
#include <iosfwd>
#include <optional>
#include <string>
#include <unordered_map>
#include <vector>

// The word-not-found dialog on a terminal: shows the word, reads a count with
// the strict integer conversion and the dialog's messages, and offers its three
// endings. Prompts go to `out`, answers come line by line from `in`.
class TerminalDialog {
public:
    enum class Ending { UseCount, AddToDictionary, Ignore };
    struct Answer {
        Ending ending = Ending::Ignore;
        std::int32_t count = 0; // 0 for Ignore
    };

    // echoAnswers repeats each answer after its prompt, for answers that come
    // from a pipe or a file and so do not show on the terminal themselves.
    TerminalDialog(std::istream& in, std::ostream& out, bool echoAnswers = false);

    // Asks until a valid answer comes; end of input answers Ignore, now and for
    // every later question.
    Answer Ask(const std::string& word);

    bool InputEnded() const { return inputEnded_; }

private:
    void showKeys();

    std::istream& in_;
    std::ostream& out_;
    bool echoAnswers_;
    bool keysShown_ = false;
    bool inputEnded_ = false;
};

// Appends a word to the user dictionary file; empty on success.
using AddToUserFile =
    std::function<std::optional<WriteFailure>(const std::string& word, std::int32_t count)>;

// The unknown-word handler of one run in one of the three modes. Answers are
// remembered for the rest of the run instead of being added to the dictionary in
// memory, so that every occurrence reaches the handler and is tallied; the counts
// are the same as if the word had been added.
class UnknownWordResolver {
public:
    UnknownWordResolver(UnknownMode mode, TerminalDialog* dialog, AddToUserFile addToUserFile,
                        std::ostream& diagnostics);

    std::int32_t operator()(const std::string& word, TDictionary& dictionary);
    UnknownWordHandler Handler();

    // The terminal's answer for a word (or the one given earlier in the run),
    // not tallied: the question that the analysis asks in the ask mode.
    std::int32_t Ask(const std::string& word);

    // The words met since the last call, in the order first met.
    std::vector<UnknownWord> TakeFileTally();

    // Whether a word the user asked to add could not be written to the user
    // dictionary (its message went to the diagnostics already).
    bool AddFailed() const { return addFailed_; }

private:
    std::int32_t resolve(const std::string& key, const std::string& word,
                         const TDictionary& dictionary);
    std::int32_t askTerminal(const std::string& word);

    UnknownMode mode_;
    TerminalDialog* dialog_;
    AddToUserFile addToUserFile_;
    std::ostream& diagnostics_;
    std::unordered_map<std::string, std::int32_t> answers_; // lower-cased word -> count
    UnknownWordTally tally_;
    bool addFailed_ = false;
};

// One line for standard error: how many words were unknown and the first few,
// e.g. "3 words not in the dictionary counted as 0 syllables: zyxt (2), qux".
// Empty when there were none.
std::string UnknownWordsSummary(const std::vector<UnknownWord>& words);
