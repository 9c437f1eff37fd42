#include "cli/UnknownWords.h"

#include "analysis/SyllableEstimate.h"
#include "dictionary/Dictionary.h"
#include "dictionary/IntegerConversion.h"
#include "dictionary/NotFoundMessages.h"
#include "text/Bytes.h"
#include "text/Error.h"

#include <istream>
#include <ostream>
#include <utility>

namespace {

constexpr std::size_t kSummaryWords = 8;

bool IsBlank(char c) {
    return c == ' ' || c == '\t';
}

} // namespace

TerminalDialog::TerminalDialog(std::istream& in, std::ostream& out, bool echoAnswers)
    : in_(in), out_(out), echoAnswers_(echoAnswers) {}

void TerminalDialog::showKeys() {
    out_ << "  <count>      Continue using given count\n"
            "  a <count>    Continue and add word to dictionary\n"
            "  i            Ignore word  (0 syllables)\n";
}

TerminalDialog::Answer TerminalDialog::Ask(const std::string& word) {
    if (inputEnded_)
        return {};
    out_ << "\nWord Not Found: The following word was not found in the loaded dictionary.\n    "
         << ShowControlCharacters(word) << '\n';
    if (!keysShown_) {
        showKeys();
        keysShown_ = true;
    }
    for (;;) {
        out_ << "Enter the syllable count for this word: " << std::flush;
        std::string line;
        if (!std::getline(in_, line)) {
            out_ << "\n(end of input: this and every further unknown word count as 0 "
                    "syllables)\n"
                 << std::flush;
            inputEnded_ = true;
            return {};
        }
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        if (echoAnswers_)
            out_ << line << '\n';

        std::size_t first = 0;
        while (first < line.size() && IsBlank(line[first]))
            ++first;
        const std::string_view command = std::string_view(line).substr(first);
        if (command == "i" || command == "I" || command == "ignore")
            return {};
        Ending ending = Ending::UseCount;
        std::string countText = line;
        if (!command.empty() && (command[0] == 'a' || command[0] == 'A') &&
            (command.size() == 1 || IsBlank(command[1]))) {
            ending = Ending::AddToDictionary;
            countText = std::string(command.substr(1));
        }

        std::int32_t count = 0;
        try {
            count = StrToInt(countText);
        } catch (const ConvertError&) {
            out_ << kNotANumberMessage << '\n';
            showKeys();
            continue;
        }
        if (count < 0) {
            out_ << kNegativeCountMessage << '\n';
            continue;
        }
        return {ending, count};
    }
}

UnknownWordResolver::UnknownWordResolver(UnknownMode mode, TerminalDialog* dialog,
                                         AddToUserFile addToUserFile, std::ostream& diagnostics)
    : mode_(mode), dialog_(dialog), addToUserFile_(std::move(addToUserFile)),
      diagnostics_(diagnostics) {}

std::int32_t UnknownWordResolver::operator()(const std::string& word, TDictionary& dictionary) {
    std::string key = LowerCaseWord(word);
    const std::int32_t count = resolve(key, word, dictionary);
    tally_.Add(std::move(key), count);
    return count;
}

UnknownWordHandler UnknownWordResolver::Handler() {
    return [this](const std::string& word, TDictionary& dictionary) {
        return (*this)(word, dictionary);
    };
}

std::int32_t UnknownWordResolver::Ask(const std::string& word) {
    std::string key = LowerCaseWord(word);
    if (const auto known = answers_.find(key); known != answers_.end())
        return known->second;
    const std::int32_t count = askTerminal(word);
    answers_.emplace(std::move(key), count);
    return count;
}

std::int32_t UnknownWordResolver::resolve(const std::string& key, const std::string& word,
                                          const TDictionary& dictionary) {
    if (mode_ == UnknownMode::Zero)
        return 0;
    if (const auto known = answers_.find(key); known != answers_.end())
        return known->second;
    const std::int32_t count =
        mode_ == UnknownMode::Estimate ? EstimateSyllables(word, dictionary) : askTerminal(word);
    answers_.emplace(key, count);
    return count;
}

std::int32_t UnknownWordResolver::askTerminal(const std::string& word) {
    if (dialog_ == nullptr)
        return 0;
    const TerminalDialog::Answer answer = dialog_->Ask(word);
    if (answer.ending == TerminalDialog::Ending::AddToDictionary) {
        if (const auto failure = addToUserFile_(word, answer.count)) {
            diagnostics_ << "scrivolux-cli: the word was not added to the user dictionary: "
                         << failure->message << '\n';
            addFailed_ = true;
        }
    }
    // An ignored word is not asked about again: a terminal user who said
    // "ignore" once means it for the whole run.
    return answer.count;
}

std::vector<UnknownWord> UnknownWordResolver::TakeFileTally() {
    return tally_.Take();
}

std::string UnknownWordsSummary(const std::vector<UnknownWord>& words) {
    if (words.empty())
        return {};
    std::int64_t occurrences = 0;
    for (const UnknownWord& w : words)
        occurrences += w.occurrences;
    std::string line = std::to_string(words.size()) + (words.size() == 1 ? " word" : " words") +
                       " not in the dictionary";
    if (occurrences != static_cast<std::int64_t>(words.size()))
        line += " (" + std::to_string(occurrences) + " times)";
    line += " counted as 0 syllables: ";
    for (std::size_t i = 0; i < words.size() && i < kSummaryWords; ++i) {
        if (i > 0)
            line += ", ";
        line += ShowControlCharacters(words[i].word);
        if (words[i].occurrences > 1)
            line += " (" + std::to_string(words[i].occurrences) + ")";
    }
    if (words.size() > kSummaryWords)
        line += ", ...";
    return line;
}
