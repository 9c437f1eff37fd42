#include "analysis/IndexCounts.h"

#include "analysis/FamiliarWords.h"
#include "analysis/Tokens.h"
#include "dictionary/Dictionary.h"
#include "dictionary/WordIndex.h"

#include <QChar>
#include <QList>
#include <QString>

#include <algorithm>
#include <cstring>
#include <string>
#include <utility>
#include <vector>

namespace {

constexpr std::uint64_t kMultiplier = 0x9E3779B97F4A7C15ULL;

// Moves an open-addressing table's used slots into a new table of slotCount
// slots (a power of two), each at its hash's first free slot from home.
template <typename Slot> void Rehouse(std::vector<Slot>& table, std::size_t slotCount) {
    std::vector<Slot> old(slotCount);
    old.swap(table);
    const std::size_t mask = table.size() - 1;
    for (const Slot& slot : old) {
        if (!slot.used)
            continue;
        std::size_t at = slot.hash & mask;
        while (table[at].used)
            at = (at + 1) & mask;
        table[at] = slot;
    }
}

std::uint64_t HashWord(std::string_view word) {
    std::uint64_t low = 0;
    std::uint64_t high = 0;
    if (word.size() <= 16) {
        if (!word.empty())
            LoadWordBytes(word, low, high);
    } else {
        std::memcpy(&low, word.data(), 8);
        high = word.size() * kMultiplier;
        for (std::size_t at = 8; at < word.size(); at += 8) {
            std::uint64_t chunk = 0;
            std::memcpy(&chunk, word.data() + at, std::min<std::size_t>(8, word.size() - at));
            high = (high ^ chunk) * kMultiplier;
            high ^= high >> 29;
        }
    }
    const std::uint64_t hash = ((low * kMultiplier) ^ high ^ word.size()) * kMultiplier;
    return hash ^ (hash >> 32);
}

// The index facts of the spellings a thread has met, with their lower-cased
// spellings, in one table over one block of bytes. When it holds
// kRememberedSpellings it starts again empty: a run's common words come back
// at once, and the memory stays bounded however many texts a thread counts.
class SpellingCache {
public:
    SpeltIndexWord Lookup(std::string_view word) {
        if (slots_.empty())
            slots_.resize(1024);
        const std::uint64_t hash = HashWord(word);
        std::size_t mask = slots_.size() - 1;
        std::size_t at = hash & mask;
        for (; slots_[at].used; at = (at + 1) & mask) {
            const Slot& slot = slots_[at];
            if (slot.hash == hash && slot.size == word.size() &&
                std::memcmp(bytes_.data() + slot.offset, word.data(), word.size()) == 0)
                return {{slot.letters, (slot.lists & 1u) != 0, (slot.lists & 2u) != 0},
                        std::string_view(bytes_).substr(slot.lowerOffset, slot.lowerSize)};
        }
        LowerCaseInto(word, lower_);
        const IndexWord facts = IndexWordOf(word, lower_);
        if (used_ == kRememberedSpellings) {
            Clear();
            at = hash & (slots_.size() - 1);
        } else if ((used_ + 1) * 2 > slots_.size()) {
            Grow();
            mask = slots_.size() - 1;
            for (at = hash & mask; slots_[at].used; at = (at + 1) & mask) {
            }
        }
        Slot& slot = slots_[at];
        slot = {hash,
                bytes_.size(),
                word.size(),
                bytes_.size(),
                lower_.size(),
                facts.letters,
                static_cast<unsigned>((facts.daleChallFamiliar ? 1u : 0u) |
                                      (facts.spacheFamiliar ? 2u : 0u)),
                true};
        bytes_.append(word);
        if (lower_ != word) {
            slot.lowerOffset = bytes_.size();
            bytes_.append(lower_);
        }
        ++used_;
        return {facts, std::string_view(bytes_).substr(slot.lowerOffset, slot.lowerSize)};
    }

private:
    struct Slot {
        std::uint64_t hash = 0;
        std::size_t offset = 0;
        std::size_t size = 0;
        std::size_t lowerOffset = 0;
        std::size_t lowerSize = 0;
        std::int32_t letters = 0;
        unsigned lists = 0;
        bool used = false;
    };

    void Clear() {
        std::fill(slots_.begin(), slots_.end(), Slot{});
        bytes_.clear();
        used_ = 0;
    }

    void Grow() { Rehouse(slots_, slots_.size() * 2); }

    std::vector<Slot> slots_; // a power of two, at most half full
    std::string bytes_;
    std::size_t used_ = 0;
    std::string lower_;
};

} // namespace

std::int32_t CountLetters(std::string_view word) {
    if (!word.empty() && word.size() <= 16) {
        // Eight bytes at a time: with bit 5 set, an ASCII letter is a byte
        // from 'a' to 'z', and adding to each byte below 0x80 carries into no
        // other.
        std::uint64_t low;
        std::uint64_t high;
        LoadWordBytes(word, low, high); // zeros beyond the word, which are no letters
        constexpr std::uint64_t kOnes = 0x0101010101010101ULL;
        if (((low | high) & (kOnes * 0x80)) == 0) {
            const auto letters = [](std::uint64_t bytes) {
                bytes |= kOnes * 0x20;
                const std::uint64_t fromA = bytes + kOnes * (0x80 - 'a');
                const std::uint64_t pastZ = bytes + kOnes * (0x80 - 'z' - 1);
                // The letters' top bits, summed by one multiplication.
                return static_cast<std::int32_t>(
                    (((fromA & ~pastZ & (kOnes * 0x80)) >> 7) * kOnes) >> 56);
            };
            return letters(low) + letters(high);
        }
    }
    std::int32_t letters = 0;
    bool ascii = true;
    for (const char c : word) {
        const auto b = static_cast<unsigned char>(c);
        if (b >= 128) {
            ascii = false;
            break;
        }
        if ((b >= 'a' && b <= 'z') || (b >= 'A' && b <= 'Z'))
            ++letters;
    }
    if (ascii)
        return letters;
    letters = 0;
    for (const char32_t c :
         QString::fromUtf8(word.data(), static_cast<qsizetype>(word.size())).toUcs4()) {
        if (QChar::isLetter(c))
            ++letters;
    }
    return letters;
}

IndexWord IndexWordOf(std::string_view word, std::string_view lowerWord) {
    const unsigned lists = FamiliarListsOf(lowerWord);
    return {CountLetters(word), (lists & 1u) != 0, (lists & 2u) != 0};
}

void AddIndexFacts(IndexCounts& counts, const IndexWord& word, std::int32_t occurrences) {
    counts.letters += std::int64_t{word.letters} * occurrences;
    if (word.letters > 6)
        counts.longWords += occurrences;
    if (word.letters <= 3)
        counts.miniWords += occurrences;
    if (!word.daleChallFamiliar)
        counts.daleChallUnfamiliar += occurrences;
    if (!word.spacheFamiliar)
        counts.spacheUnfamiliar += occurrences;
}

void AddIndexSyllables(IndexCounts& counts, std::int32_t syllables, std::int32_t occurrences) {
    if (syllables > 2)
        counts.polysyllables += occurrences;
    if (syllables == 1)
        counts.monosyllables += occurrences;
}

void AddIndexCounts(IndexCounts& counts, const IndexCounts& later) {
    counts.letters += later.letters;
    counts.longWords += later.longWords;
    counts.polysyllables += later.polysyllables;
    counts.monosyllables += later.monosyllables;
    counts.miniWords += later.miniWords;
    counts.daleChallUnfamiliar += later.daleChallUnfamiliar;
    counts.spacheUnfamiliar += later.spacheUnfamiliar;
}

SpeltIndexWord IndexWordOfSpelling(std::string_view word) {
    thread_local SpellingCache cache;
    return cache.Lookup(word);
}

unsigned FamiliarListsOfEntry(const TDictionary::IndexEntry& entry, std::string_view word) {
    // 0 for an entry not yet worked out, else kKnown with the lists.
    constexpr unsigned char kKnown = 0x80;
    thread_local std::uint64_t index = 0;
    thread_local std::vector<unsigned char> lists;
    thread_local std::string lower;
    if (entry.index != index) {
        lists.assign(entry.slotCount, 0);
        index = entry.index;
    }
    unsigned char& known = lists[entry.slot];
    if (known == 0) {
        LowerCaseInto(word, lower);
        known = static_cast<unsigned char>(kKnown | FamiliarListsOf(lower));
    }
    return known & ~unsigned{kKnown};
}

SpacheUnfamiliarWords::SpacheUnfamiliarWords(std::initializer_list<std::string_view> words) {
    for (const std::string_view word : words)
        insert(word);
}

std::size_t SpacheUnfamiliarWords::Find(std::string_view word, std::uint64_t hash) const {
    const std::size_t mask = slots_.size() - 1;
    std::size_t at = hash & mask;
    for (; slots_[at].used; at = (at + 1) & mask) {
        const Slot& slot = slots_[at];
        if (slot.hash == hash && slot.size == word.size() &&
            std::memcmp(bytes_.data() + slot.offset, word.data(), word.size()) == 0)
            break;
    }
    return at;
}

bool SpacheUnfamiliarWords::insert(std::string_view word) {
    if ((size_ + 1) * 2 > slots_.size())
        Grow();
    const std::uint64_t hash = HashWord(word);
    Slot& slot = slots_[Find(word, hash)];
    if (slot.used)
        return false;
    slot = {hash, bytes_.size(), word.size(), true};
    bytes_.append(word);
    ++size_;
    return true;
}

bool SpacheUnfamiliarWords::contains(std::string_view word) const {
    return size_ != 0 && slots_[Find(word, HashWord(word))].used;
}

std::size_t SpacheUnfamiliarWords::FindIndexed(std::size_t slot) const {
    const std::size_t mask = indexed_.size() - 1;
    std::size_t at = (slot * kMultiplier) >> 32 & mask;
    while (indexed_[at] != 0 && indexed_[at] != slot + 1)
        at = (at + 1) & mask;
    return at;
}

bool SpacheUnfamiliarWords::InsertIndexed(std::size_t slot) {
    if ((indexedSize_ + 1) * 2 > indexed_.size()) {
        std::vector<std::size_t> old(std::max<std::size_t>(64, indexed_.size() * 2));
        old.swap(indexed_);
        for (const std::size_t kept : old) {
            if (kept != 0)
                indexed_[FindIndexed(kept - 1)] = kept;
        }
    }
    std::size_t& place = indexed_[FindIndexed(slot)];
    if (place != 0)
        return false;
    place = slot + 1;
    ++indexedSize_;
    return true;
}

void SpacheUnfamiliarWords::swap(SpacheUnfamiliarWords& other) noexcept {
    slots_.swap(other.slots_);
    bytes_.swap(other.bytes_);
    std::swap(size_, other.size_);
    indexed_.swap(other.indexed_);
    std::swap(indexedSize_, other.indexedSize_);
}

void SpacheUnfamiliarWords::Grow() {
    Rehouse(slots_, std::max<std::size_t>(64, slots_.size() * 2));
}

bool operator==(const SpacheUnfamiliarWords& a, const SpacheUnfamiliarWords& b) {
    if (a.size() != b.size() || a.indexedSize_ != b.indexedSize_)
        return false;
    bool same = true;
    for (const std::size_t slot : a.indexed_) {
        if (slot != 0 && b.indexed_[b.FindIndexed(slot - 1)] == 0)
            return false;
    }
    a.ForEach([&](std::string_view word) { same = same && b.contains(word); });
    return same;
}

void MergeSpacheUnfamiliar(SpacheUnfamiliarWords& words, SpacheUnfamiliarWords&& later) {
    if (later.size() > words.size())
        words.swap(later);
    later.ForEach([&](std::string_view word) { words.insert(word); });
    for (const std::size_t slot : later.indexed_) {
        if (slot != 0)
            words.InsertIndexed(slot - 1);
    }
    later = {};
}
