#pragma once

#include "dictionary/WordIndex.h"
#include "dictionary/WordTable.h"
#include "text/Error.h"
#include "text/FileWrite.h"

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>

// A line of a dictionary file whose count does not convert. The message is the
// conversion error ("'x' is not a valid integer value"); the line, counted
// from 1, is kept as data.
class DictionaryLineError : public ConvertError {
public:
    DictionaryLineError(const std::string& message, std::size_t line)
        : ConvertError(message), line_(line) {}
    std::size_t Line() const { return line_; }

private:
    std::size_t line_;
};

// Lower-cases a UTF-8 word: ASCII directly, other letters by Unicode rules.
std::string LowerCaseWord(std::string_view word);

// Lower-cases a word as LowerCaseWord does, into lower, whose memory is reused.
void LowerCaseInto(std::string_view word, std::string& lower);

// The largest dictionary file that is read: the word list made from the
// pronouncing dictionary and the spelling lists is about 20 MB.
inline constexpr std::size_t kMaxDictionaryFileBytes = 64u * 1024u * 1024u;

// Where a word of the dictionary came from.
enum class WordOrigin {
    Absent,         // not in the dictionary
    WordList,       // the word list (or any file loaded with LoadDictionary)
    UserDictionary, // the user dictionary file, as loaded by LoadCustomDictionary
    AddedLater,     // added in memory after the files were loaded
};

// The syllable dictionary of one run: lower-cased words with their syllable
// counts. The first insertion of a word wins; nothing is ever removed.
class TDictionary {
public:
    TDictionary();
    TDictionary(const TDictionary&) = delete;
    TDictionary& operator=(const TDictionary&) = delete;

    // The count stored for the word (case folded), or -1 when it is absent. The
    // probe is not trimmed: " cat" and "cat." are not "cat".
    std::int32_t Lookup(std::string_view word) const;

    // Lookup, and where the word list's index holds the word, its entry:
    // entry->slot numbers it among entry->slotCount slots of the index whose
    // serial is entry->index. No other word, and no word not in the index, has
    // that entry, and the entry stays the word's for the dictionary's life.
    // entry->index is 0 for a word the index lacks (or without an index).
    struct IndexEntry {
        std::uint64_t index = 0;
        std::size_t slot = 0;
        std::size_t slotCount = 0;
    };
    std::int32_t Lookup(std::string_view word, IndexEntry& entry) const;

    // The serial and slot count of the word list's index (slot 0), or all 0
    // when there is none. It stays the same for the dictionary's life once a
    // word has been looked up.
    IndexEntry IndexInUse() const {
        const WordIndex* index = CheckedIndex();
        return index ? IndexEntry{index->Serial(), 0, index->SlotCount()} : IndexEntry{};
    }

    // Where the word (case folded) came from: a word that the word list and the
    // user dictionary both hold comes from the word list, whose count wins.
    // count (when given) receives the count, or -1 for an absent word: one
    // search for both.
    WordOrigin Origin(std::string_view word, std::int32_t* count = nullptr) const;

    // Inserts the lower-cased word unless it is already present. Always true.
    bool AddWord(std::string_view word, std::int32_t count);

    // Reads every line of the file into the word list and sets Loaded. False, with
    // nothing changed, when the file cannot be opened; a FileError, with nothing
    // changed, when it is larger than kMaxDictionaryFileBytes. A line whose count does not
    // convert stops the load with a ConvertError; the lines before it stay. Each
    // line is UTF-8 when valid, else Windows-1252; a line over 511 bytes is
    // skipped whole. An empty file loads nothing and still gives true. failure
    // (when given) receives the system's reason when the file cannot be read.
    // Into an empty dictionary, the file's binary index (WordIndex) is used
    // instead when it was made from the file as it is now: the same words and
    // counts, without reading the text.
    bool LoadDictionary(const std::string& path, std::string* failure = nullptr);

    // Writes the binary index of the word list at path, reading the file as
    // LoadDictionary reads it. Empty on success; a failure when the list cannot
    // be read or the index cannot be written; a ConvertError from a bad line
    // passes through.
    [[nodiscard]] static std::optional<WriteFailure> WriteIndex(const std::string& path);

    // Loads the file as LoadDictionary does (a missing file is no error), then
    // records the path as the user dictionary that AddWordToFile appends to.
    // Always true; a ConvertError stops it before the path is recorded.
    bool LoadCustomDictionary(const std::string& path);

    // Adds the word in memory, then appends it to the user dictionary file
    // (AppendToUserDictionary). Empty on success; a failure when no user file
    // was loaded or the line could not be appended. The word stays in memory in
    // every case.
    [[nodiscard]] std::optional<WriteFailure> AddWordToFile(std::string_view word,
                                                            std::int32_t count);

    const std::string& CustomFilePath() const { return customFilePath_; }
    std::size_t Size() const {
        const WordIndex* index = CheckedIndex();
        return (index ? index->Size() : 0) + words_.Size();
    }

    // Whether any word was loaded or added. Before the index is checked, what
    // its header says: a start-up that looks up no word need not read it all.
    bool HoldsWords() const {
        return words_.Size() > 0 ||
               (indexChecked_.load(std::memory_order_acquire) ? index_ != nullptr
                                                              : index_->Size() > 0);
    }

    // Differs between any two dictionaries a process makes. With Size, which
    // grows at every change, it tells whether what was learnt of a dictionary
    // still holds.
    std::uint64_t Serial() const { return serial_; }
    // Whether the words came from a binary index rather than the text.
    bool UsesIndex() const { return CheckedIndex() != nullptr; }

    bool Loaded = false;

private:
    bool ReadText(const std::string& path, std::string* failure = nullptr);
    const std::int32_t* Find(std::string_view lowerWord) const;
    void Insert(std::string_view lowerWord, std::int32_t count);
    // The index once checked, or nullptr when there is none or it failed its
    // check and its text list was read in its place. Every use of the words
    // goes through here, so the check runs before the first lookup or
    // insertion, when words_ is still empty; never at load, so that a run that
    // looks up no word does not read the whole index.
    const WordIndex* CheckedIndex() const {
        if (!indexChecked_.load(std::memory_order_acquire))
            CheckIndex();
        return index_.get();
    }
    void CheckIndex() const;

    // The word list loaded first, when it came from its index; the words added
    // after it go to words_. Changed by CheckIndex alone among the const
    // members, under checking_, when the index fails its check.
    mutable std::unique_ptr<WordIndex> index_;
    mutable WordTable words_;
    mutable std::atomic<bool> indexChecked_{true};
    mutable std::mutex checking_;
    std::uint64_t serial_;
    std::string indexedPath_; // the text list of index_
    std::string customFilePath_;
    // words_ positions: the files' words stand before loadedEnd_, the user
    // dictionary's from userStart_ to userEnd_; later ones were added in memory.
    mutable std::size_t loadedEnd_ = 0;
    mutable std::size_t userStart_ = WordTable::kAbsent;
    mutable std::size_t userEnd_ = WordTable::kAbsent;
};
