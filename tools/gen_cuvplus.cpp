// Writes the word list cuvplus.dat and its binary index cuvplus.dat.idx.
//
// First the CMU pronouncing dictionary: one line "word|PRONUNCIATION|syllables"
// per word, where the syllables are the vowel phonemes of the word's first
// pronunciation. Then the words of the given spelling word lists (Debian's
// /usr/share/dict lists) that CMU lacks, as "word|ESTIMATED|syllables", with a
// count the generator works out itself (see Estimator below). Words with an
// apostrophe are written a second time with the typographic apostrophe that word
// processors put in their place, since the program looks words up exactly as
// typed.
//
// Usage: gen_cuvplus SOURCE.dict OUTPUT.dat [WORDLIST...]
//        gen_cuvplus --held-out SOURCE.dict [WORDLIST...]
// The second form writes nothing: it takes every tenth CMU word out, estimates
// those words as if they were unknown, and prints how often the estimate
// matches CMU.

#include "analysis/SyllableEstimate.h"
#include "dictionary/Dictionary.h"
#include "text/Bytes.h"

#include <espeak-ng/speak_lib.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <exception>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <map>
#include <optional>
#include <sstream>
#include <string>
#include <string_view>
#include <unordered_map>
#include <unordered_set>
#include <vector>

namespace {

constexpr std::array<std::string_view, 15> kVowels = {
    "AA", "AE", "AH", "AO", "AW", "AY", "EH", "ER", "EY", "IH", "IY", "OW", "OY", "UH", "UW"};

// The program's reader skips longer lines, so none may be written.
constexpr std::size_t kMaxLineLength = 511;

// Marks the lines whose count was estimated, in place of a CMU pronunciation.
constexpr std::string_view kEstimatedMark = "ESTIMATED";

struct Entry {
    std::string word;
    std::string pronunciation;
    int syllables = 0;
};

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

// Whether a word of a spelling list may join the word list: not a single letter
// (other than "a" and "I", which are words), no digits, nothing the reader would
// split or skip, and text that reads back as UTF-8.
bool IsWorthAdding(std::string_view word) {
    if (word.empty() || (word.size() == 1 && word != "a" && word != "I"))
        return false;
    for (const char c : word) {
        const auto u = static_cast<unsigned char>(c);
        if ((c >= '0' && c <= '9') || c == '|' || u <= ' ' || u == 0x7F)
            return false;
    }
    return word.size() + kEstimatedMark.size() + 8 <= kMaxLineLength && IsValidUtf8(word);
}

std::string Line(const Entry& entry) {
    return entry.word + "|" + entry.pronunciation + "|" + std::to_string(entry.syllables);
}

// The phonemes of a word as espeak-ng pronounces it (American English), each
// without its stress mark.
class Speaker {
public:
    bool Start() {
        if (espeak_Initialize(AUDIO_OUTPUT_SYNCHRONOUS, 0, nullptr, espeakINITIALIZE_DONT_EXIT) < 0)
            return false;
        return espeak_SetVoiceByName("en-us") == EE_OK;
    }

    std::vector<std::string> Phonemes(const std::string& word) const {
        std::vector<std::string> phonemes;
        const void* rest = word.c_str();
        // Bits 8 and up: the character put between phonemes.
        const int mode = ' ' << 8;
        while (rest != nullptr) {
            const char* text = espeak_TextToPhonemes(&rest, espeakCHARS_UTF8, mode);
            if (text == nullptr)
                break;
            std::istringstream split(text);
            for (std::string phoneme; split >> phoneme;) {
                const std::size_t start = phoneme.find_first_not_of("',%=");
                if (start != std::string::npos)
                    phonemes.push_back(phoneme.substr(start));
            }
        }
        return phonemes;
    }
};

// espeak-ng's English vowels, the syllabic consonants among them.
const std::unordered_set<std::string_view> kSpeakerVowels = {
    "@",  "@-", "@2", "@5", "@L",  "3",   "3:", "0",   "0@", "a",  "a#", "aa",
    "A:", "A@", "A~", "aI", "aI3", "aI@", "aU", "aU@", "e",  "e@", "E",  "E2",
    "E3", "eI", "i",  "i:", "i@",  "i@3", "I",  "I#",  "I2", "n-", "m-", "o",
    "O",  "O:", "O@", "O2", "O~",  "oU",  "OI", "u",   "u:", "U",  "U@", "V"};

// The phonemes whose syllable count CMU and espeak-ng often see differently
// (r-coloured and gliding vowels, weak vowels, syllabic consonants), and ";",
// espeak-ng's mark of an "i" that glides into the next vowel.
constexpr std::array<std::string_view, 20> kTellingPhonemes = {
    "i@", "i@3", "aI3", "aI@", "aU@", "@L", "n-", "@-", "r-", "U@",
    "e@", "O@",  "A@",  "o@",  "I2",  "I#", "a#", "@",  "3",  ";"};

// Works out the syllables of a word that CMU lacks. A word whose stem CMU knows
// (a plural, a possessive, a prefix or suffix taken off) gets the project's own
// stem estimate: it matches CMU for 98.9 % of such held-out words. For any other
// word, the vowel count of espeak-ng's pronunciation and the spelling rules'
// count are looked up, together with the number of each telling phoneme, in a
// table learnt from the CMU words themselves (estimated as if unknown): the
// count that CMU gave most often for that combination wins. Where the table
// knows no such combination the spelling rules decide.
class Estimator {
public:
    Estimator(const TDictionary& dictionary, const Speaker& speaker)
        : dictionary_(dictionary), speaker_(speaker) {}

    // Learns the table from known words: for each tenth of them, the stem
    // estimate uses a dictionary that lacks that tenth.
    void Learn(const std::vector<Entry>& known) {
        for (int part = 0; part < 10; ++part) {
            TDictionary others;
            for (std::size_t i = 0; i < known.size(); ++i) {
                if (static_cast<int>(i % 10) != part)
                    others.AddWord(known[i].word, known[i].syllables);
            }
            for (std::size_t i = static_cast<std::size_t>(part); i < known.size(); i += 10) {
                const Entry& entry = known[i];
                if (EstimateSyllablesFromDictionary(entry.word, others))
                    continue;
                const Features features = FeaturesOf(entry.word);
                ++fine_[features.fine][entry.syllables];
                ++coarse_[features.coarse][entry.syllables];
            }
        }
    }

    enum class Method { Stem, Table, Rules };

    int Estimate(const std::string& word, Method* method = nullptr) const {
        const auto note = [method](Method m) {
            if (method)
                *method = m;
        };
        if (const std::optional<std::int32_t> stem =
                EstimateSyllablesFromDictionary(word, dictionary_)) {
            note(Method::Stem);
            return *stem;
        }
        const Features features = FeaturesOf(word);
        for (const auto* table : {&fine_, &coarse_}) {
            const std::string& key = table == &fine_ ? features.fine : features.coarse;
            const auto found = table->find(key);
            if (found == table->end())
                continue;
            note(Method::Table);
            return MostCommon(found->second);
        }
        note(Method::Rules);
        return features.rules;
    }

private:
    struct Features {
        std::string fine;   // both counts and the telling phonemes
        std::string coarse; // both counts
        int rules = 0;
    };

    Features FeaturesOf(const std::string& word) const {
        const std::vector<std::string> phonemes = speaker_.Phonemes(word);
        int vowels = 0;
        std::array<int, kTellingPhonemes.size()> telling{};
        for (const std::string& phoneme : phonemes) {
            vowels += kSpeakerVowels.contains(phoneme);
            for (std::size_t k = 0; k < kTellingPhonemes.size(); ++k)
                telling[k] += phoneme == kTellingPhonemes[k];
        }
        Features features;
        features.rules = EstimateSyllablesByRules(word);
        features.coarse = std::to_string(vowels) + "/" + std::to_string(features.rules);
        features.fine = features.coarse;
        for (const int n : telling)
            features.fine += "/" + std::to_string(n);
        return features;
    }

    // The most frequent count; the smaller one on a tie, so that the result
    // does not depend on the order of the map.
    static int MostCommon(const std::map<int, int>& counts) {
        int best = 0;
        int bestTimes = -1;
        for (const auto& [count, times] : counts) {
            if (times > bestTimes) {
                best = count;
                bestTimes = times;
            }
        }
        return best;
    }

    const TDictionary& dictionary_;
    const Speaker& speaker_;
    std::unordered_map<std::string, std::map<int, int>> fine_;
    std::unordered_map<std::string, std::map<int, int>> coarse_;
};

int Fail(const std::string& message) {
    std::cerr << "gen_cuvplus: " << message << '\n';
    return 1;
}

// The first pronunciation of every CMU word, in the file's order; an error
// message instead when the file is unusable.
std::optional<std::string> ReadPronouncingDictionary(const std::filesystem::path& sourcePath,
                                                     std::vector<Entry>& entries) {
    std::ifstream source(sourcePath);
    if (!source)
        return "cannot read the pronouncing dictionary " + sourcePath.string() + ": " +
               std::strerror(errno) + " (on Debian it comes with the package pocketsphinx-en-us)";
    std::unordered_set<std::string> seen;
    std::size_t lineNumber = 0;
    std::string line;
    while (std::getline(source, line)) {
        ++lineNumber;
        std::istringstream fields(line);
        Entry entry;
        if (!(fields >> entry.word) || IsAlternate(entry.word))
            continue;
        for (std::string phoneme; fields >> phoneme;) {
            if (!entry.pronunciation.empty())
                entry.pronunciation += ' ';
            entry.pronunciation += phoneme;
            if (IsVowel(phoneme))
                ++entry.syllables;
        }
        // hmm (HH M), shh (SH): a syllable carried by a consonant, which CMU
        // writes without a vowel. No word has no syllable.
        entry.syllables = std::max(entry.syllables, 1);
        const std::string where = sourcePath.string() + ":" + std::to_string(lineNumber);
        if (entry.pronunciation.empty())
            return where + ": the word " + entry.word + " has no pronunciation";
        if (entry.word.find('|') != std::string::npos ||
            entry.pronunciation.find('|') != std::string::npos)
            return where + ": a field holds the separator \"|\"";
        if (Line(entry).size() + 2 > kMaxLineLength)
            return where + ": the line is too long for the word list";
        if (seen.insert(entry.word).second)
            entries.push_back(std::move(entry));
    }
    if (source.bad())
        return "cannot read " + sourcePath.string() + ": " + std::strerror(errno);
    if (entries.empty())
        return sourcePath.string() + " holds no words";
    return std::nullopt;
}

// The count of a word without a vowel letter that is no abbreviation to spell
// out: an interjection or a drawn-out sound, as the spelling rules know them
// (brr, zzz), or one of the few Welsh words whose w is the vowel. Empty for any
// other word.
std::optional<int> CountWithoutVowels(std::string_view word) {
    if (word.find_first_of("aeiouy") != std::string_view::npos ||
        word.find_first_not_of("abcdefghijklmnopqrstuvwxyz'") != std::string_view::npos)
        return std::nullopt;
    static const std::unordered_set<std::string_view> kWelsh = {"crwth", "crwths", "crwth's", "cwm",
                                                                "cwms",  "cwm's",  "cwtch"};
    if (kWelsh.contains(word) || EstimateSyllablesByRules(word) == 1)
        return 1;
    return std::nullopt;
}

// The lower-cased words of the spelling lists that may be added, each once, in
// the order they first appear; known words are left out.
std::optional<std::string> ReadWordLists(const std::vector<std::string>& paths,
                                         const TDictionary& known,
                                         std::vector<std::string>& words) {
    std::unordered_set<std::string> seen;
    for (const std::string& path : paths) {
        std::ifstream list(path);
        if (!list)
            return "cannot read the word list " + path + ": " + std::strerror(errno);
        for (std::string line; std::getline(list, line);) {
            if (!line.empty() && line.back() == '\r')
                line.pop_back();
            if (!IsWorthAdding(line))
                continue;
            std::string word = LowerCaseWord(line);
            if (known.Lookup(word) < 0 && seen.insert(word).second)
                words.push_back(std::move(word));
        }
        if (list.bad())
            return "cannot read " + path + ": " + std::strerror(errno);
    }
    return std::nullopt;
}

struct Tally {
    long words = 0;
    long exact = 0;
    long withinOne = 0;

    void Add(int estimate, int count) {
        ++words;
        exact += estimate == count;
        withinOne += std::abs(estimate - count) <= 1;
    }
    void Print(const char* name) const {
        if (words == 0)
            return;
        std::printf("%-40s %6ld words  exact %6.2f %%  within one %6.2f %%\n", name, words,
                    100.0 * static_cast<double>(exact) / static_cast<double>(words),
                    100.0 * static_cast<double>(withinOne) / static_cast<double>(words));
    }
};

// Every tenth CMU word (positions 9, 19, ...) leaves the dictionary and the
// learning; its estimate is compared with its CMU count.
int MeasureHeldOut(const std::vector<Entry>& cmu, const std::vector<std::string>& listPaths,
                   const Speaker& speaker) {
    std::vector<Entry> kept;
    std::vector<Entry> heldOut;
    for (std::size_t i = 0; i < cmu.size(); ++i)
        (i % 10 == 9 ? heldOut : kept).push_back(cmu[i]);
    TDictionary dictionary;
    for (const Entry& entry : kept)
        dictionary.AddWord(entry.word, entry.syllables);
    std::vector<std::string> listed;
    if (const auto error = ReadWordLists(listPaths, dictionary, listed))
        return Fail(*error);
    const std::unordered_set<std::string> inLists(listed.begin(), listed.end());

    Estimator estimator(dictionary, speaker);
    estimator.Learn(kept);
    Tally all;
    Tally listedTally;
    std::array<Tally, 3> byMethod;
    for (const Entry& entry : heldOut) {
        Estimator::Method method{};
        const int estimate = estimator.Estimate(entry.word, &method);
        all.Add(estimate, entry.syllables);
        if (inLists.contains(entry.word)) {
            listedTally.Add(estimate, entry.syllables);
            byMethod[static_cast<std::size_t>(method)].Add(estimate, entry.syllables);
        }
    }
    all.Print("held-out CMU words");
    listedTally.Print("  of them in the word lists");
    byMethod[0].Print("    by a known stem");
    byMethod[1].Print("    by espeak-ng and the spelling table");
    byMethod[2].Print("    by the spelling rules alone");
    return 0;
}

} // namespace

int main(int argc, char** argv) {
    const bool heldOut = argc >= 2 && std::string_view(argv[1]) == "--held-out";
    if ((heldOut && argc < 3) || (!heldOut && argc < 3))
        return Fail("usage: gen_cuvplus SOURCE.dict OUTPUT.dat [WORDLIST...]\n"
                    "       gen_cuvplus --held-out SOURCE.dict [WORDLIST...]");
    const std::filesystem::path sourcePath = argv[heldOut ? 2 : 1];
    const std::vector<std::string> listPaths(argv + 3, argv + argc);

    std::vector<Entry> cmu;
    if (const auto error = ReadPronouncingDictionary(sourcePath, cmu))
        return Fail(*error);
    Speaker speaker;
    if (!listPaths.empty() && !speaker.Start())
        return Fail("espeak-ng could not start (Debian package espeak-ng-data)");
    try {
        if (heldOut)
            return MeasureHeldOut(cmu, listPaths, speaker);

        const std::filesystem::path outputPath = argv[2];
        TDictionary dictionary;
        for (const Entry& entry : cmu)
            dictionary.AddWord(entry.word, entry.syllables);
        std::vector<std::string> added;
        if (const auto error = ReadWordLists(listPaths, dictionary, added))
            return Fail(*error);
        Estimator estimator(dictionary, speaker);
        if (!added.empty())
            estimator.Learn(cmu);

        std::error_code ignored;
        std::filesystem::create_directories(outputPath.parent_path(), ignored);
        // Written under another name first, so that a failed run never leaves a
        // half list that the build would take as up to date.
        std::filesystem::path partialPath = outputPath;
        partialPath += ".partial";
        std::ofstream output(partialPath, std::ios::binary | std::ios::trunc);
        if (!output)
            return Fail("cannot write " + partialPath.string() + ": " + std::strerror(errno));
        const auto write = [&output](const Entry& entry) {
            const std::string line = Line(entry);
            output << line << '\n';
            if (entry.word.find('\'') != std::string::npos)
                output << WithTypographicApostrophe(entry.word) << line.substr(entry.word.size())
                       << '\n';
        };
        for (const Entry& entry : cmu)
            write(entry);
        for (const std::string& word : added)
            write({word, std::string(kEstimatedMark),
                   CountWithoutVowels(word).value_or(estimator.Estimate(word))});
        output.close();
        if (!output)
            return Fail("cannot write " + partialPath.string() + ": " + std::strerror(errno));

        std::error_code renameError;
        std::filesystem::rename(partialPath, outputPath, renameError);
        if (renameError)
            return Fail("cannot write " + outputPath.string() + ": " + renameError.message());
        if (const auto failure = TDictionary::WriteIndex(outputPath.string()))
            return Fail(failure->message);
        std::cout << "gen_cuvplus: " << cmu.size() << " CMU words, " << added.size()
                  << " estimated words\n";
    } catch (const std::exception& error) {
        return Fail(error.what());
    }
    return 0;
}
