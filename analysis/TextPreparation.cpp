#include "analysis/TextPreparation.h"

#include <array>
#include <bit>
#include <cstdint>
#include <cstring>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace {

enum : unsigned char { Keep = 0, Blank = 1, Stop = 2 };

// What each byte becomes: Blank in both texts, Stop (a full stop in the sentence
// text, a space in the word text), or kept.
constexpr std::array<unsigned char, 256> MakeTable() {
    std::array<unsigned char, 256> table{};
    constexpr std::string_view punctuation = "@#$%^&*()_+1234567890-=[]{}|:;,/<>\"";
    for (char c : punctuation)
        table[static_cast<unsigned char>(c)] = Blank;
    table['?'] = Stop;
    table['!'] = Stop;
    table['.'] = Stop;
    return table;
}

constexpr auto kTable = MakeTable();

// The byte each byte becomes in one of the texts: a table lookup per byte
// instead of a branch, which punctuation would mispredict.
constexpr std::array<char, 256> MakeMap(bool sentence) {
    std::array<char, 256> map{};
    for (std::size_t c = 0; c < map.size(); ++c) {
        map[c] = kTable[c] == Keep    ? static_cast<char>(c)
                 : kTable[c] == Blank ? ' '
                 : sentence           ? '.'
                                      : ' ';
    }
    return map;
}

constexpr auto kSentenceMap = MakeMap(true);
constexpr auto kWordMap = MakeMap(false);

} // namespace

std::string_view CountingRulesName(CountingRules rules) {
    return rules == CountingRules::Careful ? "careful" : "classic";
}

bool IsPunctuation(unsigned char c) {
    return kTable[c] == Blank;
}

std::string BuildPassage(const std::vector<std::string>& lines) {
    std::size_t size = 0;
    for (const auto& line : lines)
        size += line.size() + 1;
    std::string passage;
    passage.reserve(size);
    for (const auto& line : lines) {
        passage += line;
        passage += ' ';
    }
    return passage;
}

namespace {

// Whether all eight bytes are letters from A to Z in either case or spaces (or
// NUL): bytes that both texts keep as they are. Most of a passage's bytes come
// in such runs.
bool AllLettersOrSpaces(std::uint64_t bytes) {
    constexpr std::uint64_t kOnes = 0x0101010101010101ULL;
    constexpr std::uint64_t kHigh = kOnes * 0x80;
    const std::uint64_t folded = bytes | kOnes * 0x20; // 'A'..'Z' to 'a'..'z', ' ' stays
    if ((folded & kHigh) != 0)
        return false;
    const std::uint64_t letter =
        (folded + kOnes * (0x80 - 'a')) & ~(folded + kOnes * (0x80 - 'z' - 1));
    const std::uint64_t notSpace = ((folded ^ kOnes * ' ') & ~kHigh) + ~kHigh;
    return ((letter | ~notSpace) & kHigh) == kHigh;
}

} // namespace

void FillWorkingTexts(std::string_view passage, char* sentence, char* word) {
    const auto* bytes = reinterpret_cast<const unsigned char*>(passage.data());
    std::size_t i = 0;
#if defined(__SSE2__)
    // Sixteen bytes at a time: both texts take them as they are, and then the
    // few that are no letter or space are mapped one by one.
    const __m128i lowerCase = _mm_set1_epi8(0x20);
    const __m128i fromA = _mm_set1_epi8(static_cast<char>(0x80 - 'a'));
    const __m128i pastZ = _mm_set1_epi8(static_cast<char>(0x80 + 26));
    const __m128i space = _mm_set1_epi8(' ');
    for (; i + 16 <= passage.size(); i += 16) {
        const __m128i chunk = _mm_loadu_si128(reinterpret_cast<const __m128i*>(bytes + i));
        // 'a'..'z' (either case) land on the 26 lowest signed bytes.
        const __m128i letter =
            _mm_cmplt_epi8(_mm_add_epi8(_mm_or_si128(chunk, lowerCase), fromA), pastZ);
        const __m128i kept = _mm_or_si128(letter, _mm_cmpeq_epi8(chunk, space));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(sentence + i), chunk);
        _mm_storeu_si128(reinterpret_cast<__m128i*>(word + i), chunk);
        for (unsigned others = ~static_cast<unsigned>(_mm_movemask_epi8(kept)) & 0xFFFFu;
             others != 0; others &= others - 1) {
            const std::size_t j = i + static_cast<std::size_t>(std::countr_zero(others));
            sentence[j] = kSentenceMap[bytes[j]];
            word[j] = kWordMap[bytes[j]];
        }
    }
#endif
    for (; i + 8 <= passage.size(); i += 8) {
        std::uint64_t chunk;
        std::memcpy(&chunk, bytes + i, 8);
        if (AllLettersOrSpaces(chunk)) {
            std::memcpy(sentence + i, &chunk, 8);
            std::memcpy(word + i, &chunk, 8);
            continue;
        }
        for (std::size_t j = i; j < i + 8; ++j) {
            const unsigned char c = bytes[j];
            sentence[j] = kSentenceMap[c];
            word[j] = kWordMap[c];
        }
    }
    for (; i < passage.size(); ++i) {
        const unsigned char c = bytes[i];
        sentence[i] = kSentenceMap[c];
        word[i] = kWordMap[c];
    }
}

WorkingTexts PrepareTexts(std::string_view passage) {
    WorkingTexts texts;
    texts.sentenceText.resize(passage.size());
    texts.wordText.resize(passage.size());
    FillWorkingTexts(passage, texts.sentenceText.data(), texts.wordText.data());
    return texts;
}
