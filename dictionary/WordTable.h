#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

// A set of words with a count each, made for one large load and many lookups:
// the words stand back to back in one buffer and an open-addressing table of
// indices finds them, so neither a load nor a lookup allocates per word.
class WordTable {
public:
    // The count stored for the word, or nullptr when it is absent.
    const std::int32_t* Find(std::string_view word) const;

    // The word's place in the order of insertion (0 for the first word), or
    // kAbsent when it is absent.
    static constexpr std::size_t kAbsent = static_cast<std::size_t>(-1);
    std::size_t IndexOf(std::string_view word) const;

    // Adds the word unless it is present; false (and nothing changed) when it is.
    bool Insert(std::string_view word, std::int32_t count);

    // Makes room for this many more words without growing on the way.
    void Reserve(std::size_t additionalWords);

    std::size_t Size() const { return entries_.size(); }

    // Calls f(word, count) for every word, in the order of insertion.
    template <typename F> void ForEach(F&& f) const {
        for (const Entry& e : entries_)
            f(std::string_view(text_.data() + e.offset, e.length), e.count);
    }

private:
    struct Entry {
        std::uint64_t offset;
        std::uint32_t length;
        std::uint32_t hash; // low bits of the full hash, to skip most comparisons
        std::int32_t count;
    };

    // The slot holding the word, or the empty slot where it would go.
    std::size_t probe(std::string_view word, std::size_t hash) const;
    void rehash(std::size_t slotCount);

    std::string text_;                 // every word, back to back
    std::vector<Entry> entries_;       // in insertion order
    std::vector<std::uint32_t> slots_; // entry index + 1; 0 is an empty slot
};
