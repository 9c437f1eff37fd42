#pragma once

// The layout of a word index file, shared by its reader and writer (and by the
// tests and the fuzz target, which build files of their own). All integers are
// little-endian as the machine writes them:
//   Header
//   slots: slotCount x 16 bytes, an open-addressing table of the words
//   text:  the words too long for their slot, back to back in slot order
//
// A word of 1 to 11 bytes stands in its slot whole, so that finding it reads
// one slot. A slot is
//   empty:       16 zero bytes
//   short word:  length (1..11), the word's bytes padded with zeros, count
//   other word:  0xFF, 24 bits of the word's hash, uint32 length, uint32 offset
//                into the text, count
// The count is an int32 in the last four bytes of every slot, never negative.

#include <cstddef>
#include <cstdint>

namespace word_index {

// Version 4 added the checksum and the longest probe; an index of an earlier
// version is refused and the text list read instead.
inline constexpr char kMagic[8] = {'S', 'C', 'R', 'V', 'I', 'D', 'X', '4'};
inline constexpr std::size_t kSlotSize = 16;
inline constexpr std::size_t kCountOffset = 12;
inline constexpr std::size_t kShortWordMax = 11;
inline constexpr std::uint64_t kOtherWordMark = 0xFF;

struct Header {
    char magic[8];
    // Of every byte after this field, to the end of the file.
    std::uint64_t checksum;
    std::uint32_t headerSize;
    std::uint32_t slotSize;
    // The text file the index was made from.
    std::uint64_t sourceSize;
    std::int64_t sourceModifiedSeconds;
    std::int64_t sourceModifiedNanoseconds;
    std::uint64_t slotCount;
    std::uint64_t entryCount;
    std::uint64_t textSize;
    // The most slots any word stands past its home slot: no lookup looks further.
    std::uint64_t longestProbe;
};
static_assert(sizeof(Header) == 80 && sizeof(Header) % kSlotSize == 0);

inline constexpr std::size_t kChecksumStart = offsetof(Header, checksum) + sizeof(std::uint64_t);

// The checksum of the size bytes at data: the file's bytes from kChecksumStart on.
std::uint64_t Checksum(const unsigned char* data, std::size_t size);

} // namespace word_index
