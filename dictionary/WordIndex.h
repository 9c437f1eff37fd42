#pragma once

#include "dictionary/WordIndexFormat.h"
#include "dictionary/WordTable.h"
#include "text/FileWrite.h"

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

// The bytes of a word of 1 to 16 bytes as two integers, bytes 0..7 and 8..15,
// zero beyond the word. Overlapping loads instead of a loop over the bytes:
// word lengths vary from one lookup to the next, and a loop's exit is
// mispredicted about once a word.
inline void LoadWordBytes(std::string_view word, std::uint64_t& low, std::uint64_t& high) {
    const char* p = word.data();
    const std::size_t n = word.size();
    if (n >= 8) {
        std::uint64_t last;
        std::memcpy(&low, p, 8);
        std::memcpy(&last, p + n - 8, 8);
        high = n > 8 ? last >> (8 * (16 - n)) : 0;
    } else if (n >= 4) {
        std::uint32_t first;
        std::uint32_t last;
        std::memcpy(&first, p, 4);
        std::memcpy(&last, p + n - 4, 4);
        low = first | (std::uint64_t{last} >> (8 * (8 - n))) << 32;
        high = 0;
    } else {
        const auto byte = [p](std::size_t i) {
            return std::uint64_t{static_cast<unsigned char>(p[i])};
        };
        low =
            (byte(0) | byte(n / 2) << 8 | byte(n - 1) << 16) & ((std::uint64_t{1} << (8 * n)) - 1);
        high = 0;
    }
}

// The size and modification time of a word list's text file, which its index
// records.
struct WordListStamp {
    std::uint64_t size = 0;
    std::int64_t seconds = 0;
    std::int64_t nanoseconds = 0;
};

// A word list's words in a binary file beside it, ready to use as read: the
// file is read whole into the program's own memory once and searched there, so
// a start-up costs one read however long the list is. It is never mapped: a
// file changed or cut short while the program runs must not change or crash
// it. The index records the size and modification time of the text file it was
// made from and is used only while they match, and only when its checksum and
// every slot check out; the text file stays the one source of the words.
// Opening checks the header alone, so that a run that looks up no word pays
// nothing for the rest; Verify checks the rest before the first lookup.
class WordIndex {
public:
    WordIndex(const WordIndex&) = delete;
    WordIndex& operator=(const WordIndex&) = delete;

    // The index file that belongs to the word list at textPath.
    static std::string PathFor(const std::string& textPath);

    // The index of the word list at textPath, or nullptr when it is missing,
    // not a regular file, of the wrong size for its header, or was not made
    // from the text file as it is now. Its slots are not checked yet: Verify
    // must be true before it is searched.
    static std::unique_ptr<WordIndex> Open(const std::string& textPath);

    // The index held in bytes (a whole index file) for a text file with this
    // stamp, checked as Open and Verify check a file; nullptr when it does not
    // check out.
    static std::unique_ptr<WordIndex> FromBytes(std::string_view bytes,
                                                const WordListStamp& source);

    // Writes the index of the words (already lower-cased, first count of each)
    // read from the text file at textPath, under a temporary name first that
    // then replaces the index whole. Empty on success; a failure when it cannot be written or the
    // text file is unreadable.
    [[nodiscard]] static std::optional<WriteFailure> Write(const std::string& textPath,
                                                           const WordTable& words);

    // Whether the checksum and every slot check out, so that Find may be used.
    // Reads the whole index once: the caller asks once, before the first Find.
    [[nodiscard]] bool Verify() const;

    // The count of a lower-cased word, or nullptr when the index lacks it.
    const std::int32_t* Find(std::string_view word) const;

    std::size_t Size() const { return entryCount_; }

    // Slots hold the entries: a count that Find gave stands in slot SlotOf(count),
    // one of SlotCount(), and no other word's does.
    std::size_t SlotCount() const { return static_cast<std::size_t>(slotCount_); }
    std::size_t SlotOf(const std::int32_t* count) const {
        return static_cast<std::size_t>(reinterpret_cast<const unsigned char*>(count) - slots_) /
               word_index::kSlotSize;
    }

    // Differs between any two indices a process makes, so that what is learnt
    // of one index's slots is never taken for another's.
    std::uint64_t Serial() const { return serial_; }

private:
    WordIndex();
    static std::unique_ptr<WordIndex> Check(std::unique_ptr<std::uint64_t[]> data, std::size_t size,
                                            const WordListStamp& source);

    std::unique_ptr<std::uint64_t[]> data_; // the whole file, 8-byte aligned
    const unsigned char* slots_ = nullptr;
    std::uint64_t slotCount_ = 0;
    std::uint64_t longestProbe_ = 0;
    std::size_t entryCount_ = 0;
    const char* text_ = nullptr;
    std::size_t textSize_ = 0;
    std::size_t size_ = 0; // of the whole file
    std::uint64_t serial_;
};
