#include "analysis/SyllableEstimate.h"

#include "dictionary/Dictionary.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <functional>
#include <string>
#include <utility>
#include <vector>

namespace {

// Spellings and their counts, for one thread, up to a bound: a batch of texts
// meets the same words the dictionary lacks again and again (names, "https"),
// and each estimate costs thousands of instructions. Each place holds its
// spelling, so that a look-up reads one line of memory, not a bucket, a node
// and a string.
class SpellingMemo {
public:
    template <typename Count>
    std::int32_t Get(std::string_view word, Count count) {
        if (word.size() > kLongestRemembered)
            return count(word);
        const std::uint64_t hash = std::hash<std::string_view>{}(word) | 1; // 0: an empty place
        if (!places_.empty()) {
            const std::size_t mask = places_.size() - 1;
            for (std::size_t at = hash & mask; places_[at].hash != 0; at = (at + 1) & mask) {
                const Place& place = places_[at];
                if (place.hash == hash && place.size == word.size() &&
                    std::memcmp(place.bytes, word.data(), word.size()) == 0)
                    return place.count;
            }
        }
        const std::int32_t counted = count(word);
        if (used_ >= kMostRemembered)
            Clear();
        if ((used_ + 1) * 2 > places_.size())
            Grow();
        Place& place = places_[Free(hash)];
        place.hash = hash;
        place.count = counted;
        place.size = static_cast<std::uint8_t>(word.size());
        std::memcpy(place.bytes, word.data(), word.size());
        ++used_;
        return counted;
    }

    void Clear() {
        places_ = {};
        used_ = 0;
    }

private:
    struct alignas(64) Place {
        std::uint64_t hash = 0;
        std::int32_t count = 0;
        std::uint8_t size = 0;
        char bytes[51];
    };
    static constexpr std::size_t kLongestRemembered = sizeof(Place::bytes);
    // At most 4 MB of places.
    static constexpr std::size_t kMostRemembered = 1 << 15;

    std::size_t Free(std::uint64_t hash) const {
        const std::size_t mask = places_.size() - 1;
        std::size_t at = hash & mask;
        while (places_[at].hash != 0)
            at = (at + 1) & mask;
        return at;
    }

    void Grow() {
        std::vector<Place> old =
            std::exchange(places_, std::vector<Place>(std::max<std::size_t>(1024, places_.size() * 2)));
        for (const Place& place : old) {
            if (place.hash != 0)
                places_[Free(place.hash)] = place;
        }
    }

    std::vector<Place> places_; // a power of two of them, at most half used
    std::size_t used_ = 0;
};

// The rules read the spelling alone, so what a thread learns of them holds for
// the process's life.
std::int32_t EstimateByRulesRemembered(std::string_view word) {
    thread_local SpellingMemo memo;
    return memo.Get(word, EstimateSyllablesByRules);
}

std::int32_t EstimateFromScratch(std::string_view word, const TDictionary& dictionary) {
    const std::int32_t known = dictionary.Lookup(word);
    if (known >= 0)
        return known;
    if (const auto spoken = SpokenFigureSyllables(word))
        return *spoken;
    // Parts joined by "-", "_" or an inner full stop ("U.S." is estimated whole).
    if (!word.ends_with('.') && word.find_first_of("-_.") != std::string_view::npos) {
        std::int32_t sum = 0;
        int parts = 0;
        for (std::size_t start = 0; start <= word.size();) {
            std::size_t end = word.find_first_of("-_.", start);
            if (end == std::string_view::npos)
                end = word.size();
            if (end > start) {
                sum += EstimateFromScratch(word.substr(start, end - start), dictionary);
                ++parts;
            }
            start = end + 1;
        }
        if (parts > 1)
            return sum;
    }
    if (const auto fromStem = EstimateSyllablesFromDictionary(word, dictionary))
        return *fromStem;
    return EstimateByRulesRemembered(word);
}

} // namespace

// A whole estimate reads the dictionary too, so a thread's memory of them
// holds while the dictionary is the same one at the same size: words are only
// ever added to a dictionary.
std::int32_t EstimateSyllables(std::string_view word, const TDictionary& dictionary) {
    struct Remembered {
        SpellingMemo memo;
        std::uint64_t dictionary = 0;
        std::size_t size = 0;
    };
    thread_local Remembered remembered;
    if (remembered.dictionary != dictionary.Serial() || remembered.size != dictionary.Size()) {
        remembered.memo.Clear();
        remembered.dictionary = dictionary.Serial();
        remembered.size = dictionary.Size();
    }
    return remembered.memo.Get(word, [&dictionary](std::string_view spelling) {
        return EstimateFromScratch(spelling, dictionary);
    });
}

namespace {

// The syllables of 0 to 19 and of the tens, as said in English.
constexpr std::array<std::int32_t, 20> kSmall = {2, 1, 1, 1, 1, 1, 1, 2, 1, 1,
                                                 1, 3, 1, 2, 2, 2, 2, 3, 2, 2};
constexpr std::array<std::int32_t, 10> kTens = {0, 1, 2, 2, 2, 2, 2, 3, 2, 2};

// 1 to 999: "three hundred forty-two" has 2 + 2 + 2 + 1.
std::int32_t BelowThousand(unsigned n) {
    std::int32_t syllables = 0;
    if (n >= 100) {
        syllables += kSmall[n / 100] + 2;
        n %= 100;
    }
    if (n >= 20) {
        syllables += kTens[n / 10];
        n %= 10;
    }
    if (n > 0)
        syllables += kSmall[n];
    return syllables;
}

// A whole number of up to twelve digits said as a cardinal ("one thousand
// nine"), the scale words (thousand, million, billion) of two syllables each.
std::int32_t Cardinal(std::uint64_t n) {
    if (n == 0)
        return kSmall[0];
    std::int32_t syllables = 0;
    for (std::uint64_t scale = 1'000'000'000; scale >= 1; scale /= 1000) {
        const auto group = static_cast<unsigned>(n / scale % 1000);
        if (group > 0)
            syllables += BelowThousand(group) + (scale > 1 ? 2 : 0);
    }
    return syllables;
}

// A year of four digits is said in pairs ("nineteen eighteen"), except the
// round hundreds and 2000 to 2009 ("two thousand nine").
std::int32_t Whole(std::string_view digits) {
    if (digits.size() > 1 && digits[0] == '0') {
        std::int32_t syllables = 0; // "007": digit by digit
        for (const char c : digits)
            syllables += kSmall[static_cast<unsigned>(c - '0')];
        return syllables;
    }
    std::uint64_t n = 0;
    for (const char c : digits)
        n = n * 10 + static_cast<unsigned>(c - '0');
    if (digits.size() == 4 && n >= 1100 && (n < 2000 || n >= 2010) && n % 1000 >= 100) {
        const auto high = static_cast<unsigned>(n / 100);
        const auto low = static_cast<unsigned>(n % 100);
        // "nineteen hundred", "nineteen oh five", "nineteen eighteen"
        return BelowThousand(high) + (low == 0   ? 2
                                      : low < 10 ? 1 + kSmall[low]
                                                 : BelowThousand(low));
    }
    return Cardinal(n);
}

bool IsDigits(std::string_view s) {
    return !s.empty() && s.find_first_not_of("0123456789") == std::string_view::npos;
}

} // namespace

std::optional<std::int32_t> SpokenFigureSyllables(std::string_view word) {
    std::int32_t currency = 0;
    for (const auto& [sign, syllables] : {std::pair<std::string_view, std::int32_t>{"$", 2},
                                          {"\xE2\x82\xAC", 2}, // €: euros
                                          {"\xC2\xA3", 1}}) {  // £: pounds
        if (word.starts_with(sign)) {
            word.remove_prefix(sign.size());
            currency = syllables;
            break;
        }
    }
    // The ending: an ordinal (15th), a decade or plural (1990s, 1990's).
    bool ordinal = false;
    for (const std::string_view ending : {"st", "nd", "rd", "th", "ST", "ND", "RD", "TH"}) {
        if (word.size() > 2 && word.ends_with(ending)) {
            word.remove_suffix(2);
            ordinal = true;
            break;
        }
    }
    if (!ordinal) {
        if (word.ends_with("'s"))
            word.remove_suffix(2);
        else if (word.ends_with('s'))
            word.remove_suffix(1);
    }
    std::string_view fraction;
    if (const std::size_t point = word.find('.'); point != std::string_view::npos) {
        fraction = word.substr(point + 1);
        word = word.substr(0, point);
        if (!IsDigits(fraction) || ordinal)
            return std::nullopt;
    }
    // Groups of three digits after a comma: "1,000".
    std::string digits;
    for (std::size_t start = 0;;) {
        const std::size_t comma = word.find(',', start);
        const std::string_view group = word.substr(start, comma - start);
        if (!IsDigits(group) || (start > 0 && group.size() != 3) ||
            (start == 0 && comma != std::string_view::npos && group.size() > 3))
            return std::nullopt;
        digits += group;
        if (comma == std::string_view::npos)
            break;
        start = comma + 1;
    }
    if (digits.size() > 12)
        return std::nullopt;
    std::int32_t syllables = Whole(digits) + currency;
    if (ordinal) {
        const unsigned last = static_cast<unsigned>(digits.back() - '0');
        const unsigned tens =
            digits.size() > 1 ? static_cast<unsigned>(digits[digits.size() - 2] - '0') : 0;
        if (last == 2 && tens != 1)
            ++syllables; // "second"
        else if (last == 0 && tens >= 2)
            ++syllables; // "twentieth"
    }
    if (!fraction.empty()) {
        syllables += 1; // "point"
        for (const char c : fraction)
            syllables += kSmall[static_cast<unsigned>(c - '0')];
    }
    return syllables;
}
