// Writes the word list cuvplus.dat from the CMU pronouncing dictionary: one line
// "word|PRONUNCIATION|syllables" per word, where the syllables are the vowel
// phonemes of the word's first pronunciation. Words with an apostrophe are
// written a second time with the typographic apostrophe that word processors
// put in their place, since the program looks words up exactly as typed.
//
// Usage: gen_cuvplus SOURCE.dict OUTPUT.dat

#include <array>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <sstream>
#include <string>
#include <string_view>
#include <unordered_set>

namespace {

constexpr std::array<std::string_view, 15> kVowels = {
    "AA", "AE", "AH", "AO", "AW", "AY", "EH", "ER", "EY", "IH", "IY", "OW", "OY", "UH", "UW"};

// The program's reader skips longer lines, so none may be written.
constexpr std::size_t kMaxLineLength = 511;

bool IsVowel(std::string_view phoneme) {
    // Stress marks (AH0, AH1) are not part of the phoneme.
    while (!phoneme.empty() && phoneme.back() >= '0' && phoneme.back() <= '9')
        phoneme.remove_suffix(1);
    for (const std::string_view vowel : kVowels) {
        if (phoneme == vowel)
            return true;
    }
    return false;
}

// "word(2)" marks an alternate pronunciation of a word listed before.
bool IsAlternate(std::string_view word) {
    const std::size_t open = word.rfind('(');
    if (open == std::string_view::npos || open == 0 || !word.ends_with(')'))
        return false;
    const std::string_view digits = word.substr(open + 1, word.size() - open - 2);
    return !digits.empty() && digits.find_first_not_of("0123456789") == std::string_view::npos;
}

std::string WithTypographicApostrophe(std::string word) {
    for (std::size_t at = word.find('\''); at != std::string::npos; at = word.find('\'', at + 3))
        word.replace(at, 1, "\u2019");
    return word;
}

int Fail(const std::string& message) {
    std::cerr << "gen_cuvplus: " << message << '\n';
    return 1;
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 3)
        return Fail("usage: gen_cuvplus SOURCE.dict OUTPUT.dat");
    const std::filesystem::path sourcePath = argv[1];
    const std::filesystem::path outputPath = argv[2];

    std::ifstream source(sourcePath);
    if (!source)
        return Fail("cannot read the pronouncing dictionary " + sourcePath.string() + ": " +
                    std::strerror(errno) +
                    " (on Debian it comes with the package pocketsphinx-en-us)");

    std::error_code ignored;
    std::filesystem::create_directories(outputPath.parent_path(), ignored);
    // Written under another name first, so that a failed run never leaves a
    // half list that the build would take as up to date.
    std::filesystem::path partialPath = outputPath;
    partialPath += ".partial";
    std::ofstream output(partialPath, std::ios::binary | std::ios::trunc);
    if (!output)
        return Fail("cannot write " + partialPath.string() + ": " + std::strerror(errno));

    std::unordered_set<std::string> seen;
    std::size_t lineNumber = 0;
    std::size_t written = 0;
    std::string line;
    while (std::getline(source, line)) {
        ++lineNumber;
        std::istringstream fields(line);
        std::string word;
        if (!(fields >> word) || IsAlternate(word))
            continue;
        std::string pronunciation;
        int syllables = 0;
        for (std::string phoneme; fields >> phoneme;) {
            if (!pronunciation.empty())
                pronunciation += ' ';
            pronunciation += phoneme;
            if (IsVowel(phoneme))
                ++syllables;
        }
        const std::string where = sourcePath.string() + ":" + std::to_string(lineNumber);
        if (pronunciation.empty())
            return Fail(where + ": the word " + word + " has no pronunciation");
        if (word.find('|') != std::string::npos || pronunciation.find('|') != std::string::npos)
            return Fail(where + ": a field holds the separator \"|\"");
        if (!seen.insert(word).second)
            continue;

        const std::string fieldsAfterWord = "|" + pronunciation + "|" + std::to_string(syllables);
        if (word.size() + fieldsAfterWord.size() + 2 > kMaxLineLength)
            return Fail(where + ": the line is too long for the word list");
        output << word << fieldsAfterWord << '\n';
        ++written;
        if (word.find('\'') != std::string::npos) {
            output << WithTypographicApostrophe(word) << fieldsAfterWord << '\n';
            ++written;
        }
    }
    if (source.bad())
        return Fail("cannot read " + sourcePath.string() + ": " + std::strerror(errno));
    if (written == 0)
        return Fail(sourcePath.string() + " holds no words");
    output.close();
    if (!output)
        return Fail("cannot write " + partialPath.string() + ": " + std::strerror(errno));

    std::error_code renameError;
    std::filesystem::rename(partialPath, outputPath, renameError);
    if (renameError)
        return Fail("cannot write " + outputPath.string() + ": " + renameError.message());
    return 0;
}
