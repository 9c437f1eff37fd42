#pragma once

// The characters of a text as the careful rules see them, shared by the word
// and the sentence rules (analysis/CarefulRules.h). Text is UTF-8; a byte that
// starts no valid character is a character of its own.

#include <array>
#include <cstddef>
#include <cstdint>
#include <string_view>

namespace careful {

enum class Kind : std::uint8_t {
    Space,      // separates pieces of text: the ASCII blanks and the wider spaces
    Letter,     // letters of any script
    Combining,  // combining marks and variation selectors: part of a word, no letter
    Digit,      // digits of any script
    Apostrophe, // ' and ’: inside a word part of it, at its ends a quote
    Stop,       // .
    Mark,       // ! and ?
    Ellipsis,   // …
    Opening,    // ( [ { “ ‘ « ‹ ¿ ¡
    Closing,    // ) ] } ” » ›
    Quote,      // " * _ ` ~: wrap words on either side
    Bullet,     // • ◦ ▪ ‣ ⁃ and the like
    SoftHyphen, // U+00AD: invisible, dropped from the word it stands in
    Other,
};

constexpr std::array<Kind, 128> MakeAsciiKinds() {
    std::array<Kind, 128> kinds{};
    for (std::size_t c = 0; c < kinds.size(); ++c) {
        kinds[c] = c <= 32                  ? Kind::Space
                   : (c >= 'a' && c <= 'z') ? Kind::Letter
                   : (c >= 'A' && c <= 'Z') ? Kind::Letter
                   : (c >= '0' && c <= '9') ? Kind::Digit
                                            : Kind::Other;
    }
    kinds['\''] = Kind::Apostrophe;
    kinds['.'] = Kind::Stop;
    kinds['!'] = Kind::Mark;
    kinds['?'] = Kind::Mark;
    for (char c : std::string_view("([{"))
        kinds[static_cast<unsigned char>(c)] = Kind::Opening;
    for (char c : std::string_view(")]}"))
        kinds[static_cast<unsigned char>(c)] = Kind::Closing;
    for (char c : std::string_view("\"*_`~"))
        kinds[static_cast<unsigned char>(c)] = Kind::Quote;
    return kinds;
}

inline constexpr auto kAsciiKinds = MakeAsciiKinds();

// What a character of Unicode is to the careful rules.
Kind KindOf(char32_t c);

struct Char {
    char32_t code = 0;
    std::uint32_t length = 1;
    Kind kind = Kind::Other;
};

// The character at byte `at`; a byte that starts no valid UTF-8 character is a
// character of its own that is nothing in particular.
Char Decode(std::string_view text, std::size_t at);

// The start of the character that ends before byte `at` (> 0).
std::size_t PreviousStart(std::string_view text, std::size_t at);

constexpr std::array<bool, 256> MakeAsciiLetters() {
    std::array<bool, 256> letters{};
    for (std::size_t c = 0; c < 128; ++c)
        letters[c] = kAsciiKinds[c] == Kind::Letter;
    return letters;
}

inline constexpr auto kAsciiLetter = MakeAsciiLetters();

inline bool IsBlankByte(char c) {
    return static_cast<unsigned char>(c) <= 32;
}

inline bool IsTrailKind(Kind kind) {
    return kind == Kind::Stop || kind == Kind::Mark || kind == Kind::Ellipsis ||
           kind == Kind::Closing || kind == Kind::Quote || kind == Kind::Apostrophe;
}

inline bool IsLeadKind(Kind kind) {
    return kind == Kind::Opening || kind == Kind::Quote || kind == Kind::Apostrophe ||
           kind == Kind::Bullet;
}

inline bool IsBulletAt(std::string_view text, std::size_t at) {
    const Char c = Decode(text, at);
    return c.kind == Kind::Bullet;
}

} // namespace careful
