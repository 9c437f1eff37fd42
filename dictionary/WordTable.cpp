#include "dictionary/WordTable.h"

#include <algorithm>
#include <bit>
#include <functional>

namespace {

std::size_t HashOf(std::string_view word) {
    return std::hash<std::string_view>{}(word);
}

} // namespace

std::size_t WordTable::probe(std::string_view word, std::size_t hash) const {
    const std::size_t mask = slots_.size() - 1;
    const auto shortHash = static_cast<std::uint32_t>(hash);
    for (std::size_t slot = hash & mask;; slot = (slot + 1) & mask) {
        const std::uint32_t index = slots_[slot];
        if (index == 0)
            return slot;
        const Entry& e = entries_[index - 1];
        if (e.hash == shortHash && e.length == word.size() &&
            std::string_view(text_.data() + e.offset, e.length) == word)
            return slot;
    }
}

const std::int32_t* WordTable::Find(std::string_view word) const {
    if (slots_.empty())
        return nullptr;
    const std::uint32_t index = slots_[probe(word, HashOf(word))];
    return index == 0 ? nullptr : &entries_[index - 1].count;
}

std::size_t WordTable::IndexOf(std::string_view word) const {
    if (slots_.empty())
        return kAbsent;
    const std::uint32_t index = slots_[probe(word, HashOf(word))];
    return index == 0 ? kAbsent : index - 1;
}

bool WordTable::Insert(std::string_view word, std::int32_t count) {
    // At most half full, so that probes stay short.
    if ((entries_.size() + 1) * 2 > slots_.size())
        rehash(std::max<std::size_t>(64, slots_.size() * 2));
    const std::size_t hash = HashOf(word);
    const std::size_t slot = probe(word, hash);
    if (slots_[slot] != 0)
        return false;
    entries_.push_back({text_.size(), static_cast<std::uint32_t>(word.size()),
                        static_cast<std::uint32_t>(hash), count});
    text_.append(word);
    slots_[slot] = static_cast<std::uint32_t>(entries_.size());
    return true;
}

void WordTable::Reserve(std::size_t additionalWords) {
    const std::size_t words = entries_.size() + additionalWords;
    entries_.reserve(words);
    if (words * 2 > slots_.size())
        rehash(std::bit_ceil(words * 2));
}

void WordTable::rehash(std::size_t slotCount) {
    slots_.assign(slotCount, 0);
    const std::size_t mask = slotCount - 1;
    for (std::size_t i = 0; i < entries_.size(); ++i) {
        const Entry& e = entries_[i];
        const std::size_t hash = HashOf(std::string_view(text_.data() + e.offset, e.length));
        std::size_t slot = hash & mask;
        while (slots_[slot] != 0)
            slot = (slot + 1) & mask;
        slots_[slot] = static_cast<std::uint32_t>(i + 1);
    }
}
