#pragma once

#include "dictionary/WordTable.h"

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

// A word list's words in a binary file beside it, ready to use where it lies:
// the file is mapped into memory and searched in place, so a start-up costs a
// few system calls however long the list is. The index records the size and
// modification time of the text file it was made from and is used only while
// they match; the text file stays the one source of the words.
class WordIndex {
public:
    ~WordIndex();
    WordIndex(const WordIndex&) = delete;
    WordIndex& operator=(const WordIndex&) = delete;

    // The index file that belongs to the word list at textPath.
    static std::string PathFor(const std::string& textPath);

    // The index of the word list at textPath, or nullptr when it is missing,
    // damaged, or was not made from the text file as it is now.
    static std::unique_ptr<WordIndex> Open(const std::string& textPath);

    // Writes the index of the words (already lower-cased, first count of each)
    // read from the text file at textPath, under a temporary name first. False,
    // with error set, when it cannot be written or the text file is unreadable.
    static bool Write(const std::string& textPath, const WordTable& words, std::string* error);

    // The count of a lower-cased word, or nullptr when the index lacks it.
    const std::int32_t* Find(std::string_view word) const;

    std::size_t Size() const { return entryCount_; }

private:
    WordIndex() = default;

    const unsigned char* data_ = nullptr;
    std::size_t mappedSize_ = 0;
    const unsigned char* slots_ = nullptr;
    std::uint64_t slotCount_ = 0;
    std::size_t entryCount_ = 0;
    const char* text_ = nullptr;
    std::size_t textSize_ = 0;
};
