#include "analysis/FamiliarWords.h"

#include "dictionary/WordIndex.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstring>
#include <string>

extern const char kDaleChallWordList[];
extern const char kSpacheWordList[];

namespace {

constexpr unsigned Bit(FamiliarList list) {
    return list == FamiliarList::DaleChall ? 1u : 2u;
}

// Both lists in one table, each word with the lists that hold it, so that a
// stem is looked up once for both. Open addressing over a power of two: a word
// is looked up up to six times (its stems), and this costs a fraction of a
// general hash map's lookup. A word of up to 16 bytes is compared as two
// integers, without a call to memcmp.
class FamiliarTable {
public:
    FamiliarTable() {
        Add(kDaleChallWordList, FamiliarList::DaleChall);
        Add(kSpacheWordList, FamiliarList::Spache);
    }

    unsigned ListsOf(std::string_view word) const {
        if (word.empty() || word.size() > longest_)
            return 0;
        Key key;
        const std::size_t hash = KeyOf(word, key);
        if (!MayHold(hash))
            return 0;
        for (std::size_t i = hash & kMask;; i = (i + 1) & kMask) {
            const Slot& slot = slots_[i];
            if (slot.lists == 0)
                return 0;
            if (slot.low == key.low && slot.high == key.high && slot.word.size() == word.size() &&
                (word.size() <= 16 || slot.word == word))
                return slot.lists;
        }
    }

    std::size_t Size(FamiliarList list) const {
        std::size_t size = 0;
        for (const Slot& slot : slots_)
            size += (slot.lists & Bit(list)) != 0;
        return size;
    }

private:
    // Room for both lists (about 3,300 distinct words) at most half full.
    static constexpr std::size_t kSize = 8192;
    static constexpr std::size_t kMask = kSize - 1;

    struct Key {
        std::uint64_t low = 0;
        std::uint64_t high = 0;
    };

    struct Slot {
        std::uint64_t low = 0;
        std::uint64_t high = 0;
        std::string_view word;
        unsigned lists = 0;
    };

    // The word's bytes (a longer word: a hash of them) and the slot to try first.
    static std::size_t KeyOf(std::string_view word, Key& key) {
        constexpr std::uint64_t kMultiplier = 0x9E3779B97F4A7C15ULL;
        if (word.size() <= 16) {
            LoadWordBytes(word, key.low, key.high);
        } else {
            std::uint64_t hash = 0xcbf29ce484222325ULL;
            for (const char c : word)
                hash = (hash ^ static_cast<unsigned char>(c)) * 0x100000001b3ULL;
            key = {hash, ~hash};
        }
        std::uint64_t hash = ((key.low * kMultiplier) ^ key.high ^ word.size()) * kMultiplier;
        return static_cast<std::size_t>(hash ^ (hash >> 29));
    }

    void Add(std::string_view lines, FamiliarList list) {
        std::size_t start = 0;
        while (start < lines.size()) {
            std::size_t end = lines.find('\n', start);
            if (end == std::string_view::npos)
                end = lines.size();
            if (end > start)
                Insert(lines.substr(start, end - start), Bit(list));
            start = end + 1;
        }
    }

    // Whether a word of this hash may be in the table: one bit of a small
    // filter per word, so that the usual word, on neither list, is turned away
    // without a read of the table, which is too large to stay in the cache.
    bool MayHold(std::size_t hash) const {
        const std::size_t bit = (hash >> 32) & (kFilterBits - 1);
        return (filter_[bit / 64] >> (bit % 64) & 1u) != 0;
    }

    void Insert(std::string_view word, unsigned bit) {
        longest_ = std::max(longest_, word.size());
        Key key;
        const std::size_t hash = KeyOf(word, key);
        const std::size_t filterBit = (hash >> 32) & (kFilterBits - 1);
        filter_[filterBit / 64] |= std::uint64_t{1} << (filterBit % 64);
        for (std::size_t i = hash & kMask;; i = (i + 1) & kMask) {
            Slot& slot = slots_[i];
            if (slot.lists == 0)
                slot = {key.low, key.high, word, 0};
            if (slot.word == word) {
                slot.lists |= bit;
                return;
            }
        }
    }

    static constexpr std::size_t kFilterBits = 65536;
    std::array<Slot, kSize> slots_{};
    std::array<std::uint64_t, kFilterBits / 64> filter_{};
    std::size_t longest_ = 0;
};

const FamiliarTable& Table() {
    static const FamiliarTable table;
    return table;
}

// Byte by byte: the endings are one to three bytes, and a call to memcmp
// for each would cost more than the whole comparison.
bool EndsWith(std::string_view word, std::string_view ending) {
    if (word.size() <= ending.size())
        return false;
    const char* tail = word.data() + word.size() - ending.size();
    for (std::size_t i = 0; i < ending.size(); ++i) {
        if (tail[i] != ending[i])
            return false;
    }
    return true;
}

// A word and one more byte, on the stack when it is short.
class Extended {
public:
    Extended(std::string_view word, char last) {
        if (word.size() < sizeof buffer_) {
            std::memcpy(buffer_, word.data(), word.size());
            buffer_[word.size()] = last;
            view_ = std::string_view(buffer_, word.size() + 1);
        } else {
            long_.assign(word);
            long_ += last;
            view_ = long_;
        }
    }
    std::string_view View() const { return view_; }

private:
    char buffer_[64];
    std::string long_;
    std::string_view view_;
};

} // namespace

unsigned FamiliarListsOf(std::string_view lowerWord) {
    if (lowerWord.empty())
        return 0;
    std::string apostrophes;
    if (lowerWord.find('\xE2') != std::string_view::npos &&
        lowerWord.find("\u2019") != std::string_view::npos) {
        apostrophes.assign(lowerWord);
        for (std::size_t at; (at = apostrophes.find("\u2019")) != std::string::npos;)
            apostrophes.replace(at, 3, "'");
        lowerWord = apostrophes;
    }
    constexpr unsigned kBoth = 3;
    const FamiliarTable& table = Table();
    unsigned lists = table.ListsOf(lowerWord);
    // An entry matches with or without its full stop: the list has "mr." and
    // the careful words "Mr" (and "U.S." with its stops).
    if (lists != kBoth) {
        if (lowerWord.size() > 1 && lowerWord.ends_with('.'))
            lists |= FamiliarListsOf(lowerWord.substr(0, lowerWord.size() - 1));
        else
            lists |= table.ListsOf(Extended(lowerWord, '.').View());
    }
    static constexpr std::array<std::string_view, 8> kEndings = {"'s", "s",   "es", "ed",
                                                                 "d",  "ing", "er", "est"};
    for (const std::string_view ending : kEndings) {
        if (lists == kBoth)
            return lists;
        if (EndsWith(lowerWord, ending))
            lists |= table.ListsOf(lowerWord.substr(0, lowerWord.size() - ending.size()));
    }
    if (lists != kBoth && (EndsWith(lowerWord, "ies") || EndsWith(lowerWord, "ied")))
        lists |= table.ListsOf(Extended(lowerWord.substr(0, lowerWord.size() - 3), 'y').View());
    return lists;
}

bool IsFamiliarWord(std::string_view lowerWord, FamiliarList list) {
    return (FamiliarListsOf(lowerWord) & Bit(list)) != 0;
}

std::size_t FamiliarListSize(FamiliarList list) {
    return Table().Size(list);
}
