#include "dictionary/WordIndex.h"

#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <optional>
#include <utility>
#include <vector>

// File layout, all integers little-endian as the machine writes them:
//   Header
//   slots: slotCount x 16 bytes, an open-addressing table of the words
//   text:  the words too long for their slot, back to back in slot order
//
// A word of 1 to 11 bytes stands in its slot whole, so that finding it reads
// one slot: a lookup touches one cache line of the file, mostly, and a text of
// a few thousand distinct words keeps a few thousand pages busy, not three
// times that. A slot is
//   empty:       16 zero bytes
//   short word:  length (1..11), the word's bytes padded with zeros, count
//   other word:  0xFF, 24 bits of the word's hash, uint32 length, uint32 offset
//                into the text, count
// The count is an int32 in the last four bytes of every slot.

namespace {

constexpr char kMagic[8] = {'S', 'C', 'R', 'V', 'I', 'D', 'X', '3'};
constexpr std::size_t kSlotSize = 16;
constexpr std::size_t kCountOffset = 12;
constexpr std::size_t kShortWordMax = 11;
constexpr std::uint64_t kOtherWordMark = 0xFF;

struct Header {
    char magic[8];
    std::uint32_t headerSize;
    std::uint32_t slotSize;
    // The text file the index was made from.
    std::uint64_t sourceSize;
    std::int64_t sourceModifiedSeconds;
    std::int64_t sourceModifiedNanoseconds;
    std::uint64_t slotCount;
    std::uint64_t entryCount;
    std::uint64_t textSize;
};

constexpr std::uint64_t kMultiplier = 0x9E3779B97F4A7C15ULL;

// The same value in every build, unlike std::hash, and eight bytes a step:
// lookups run once per word of the passage.
std::uint64_t HashOf(std::string_view word) {
    std::uint64_t hash = word.size() * kMultiplier;
    std::size_t at = 0;
    for (; at + 8 <= word.size(); at += 8) {
        std::uint64_t chunk;
        std::memcpy(&chunk, word.data() + at, 8);
        hash = (hash ^ chunk) * kMultiplier;
        hash ^= hash >> 29;
    }
    std::uint64_t tail = 0;
    if (at < word.size())
        std::memcpy(&tail, word.data() + at, word.size() - at);
    hash = (hash ^ tail) * kMultiplier;
    return hash ^ (hash >> 32);
}

// What a lookup compares slots with: the first twelve bytes the word's slot
// holds (all of them for a short word, the mark, hash bits and length for
// another), and the hash that picks the first slot to try.
struct SlotKey {
    std::uint64_t head = 0; // bytes 0..7 of the slot
    std::uint32_t tail = 0; // bytes 8..11 of a short word's slot
    std::uint64_t hash = 0;
    bool shortWord = false;
};

SlotKey KeyOf(std::string_view word) {
    SlotKey key;
    key.shortWord = !word.empty() && word.size() <= kShortWordMax;
    if (key.shortWord) {
        std::uint64_t low;
        std::uint64_t high;
        LoadWordBytes(word, low, high);
        key.head = word.size() | low << 8;
        key.tail = static_cast<std::uint32_t>(low >> 56 | high << 8);
        std::uint64_t hash = key.head * kMultiplier;
        hash = (hash ^ (hash >> 29) ^ key.tail) * kMultiplier;
        key.hash = hash ^ (hash >> 32);
    } else {
        key.hash = HashOf(word);
        key.head = kOtherWordMark | (key.hash & 0xFFFFFF) << 8 |
                   static_cast<std::uint64_t>(word.size()) << 32;
    }
    return key;
}

// The first slot to try: the hash scaled to the table, which need not be a
// power of two, so the table can be as full as wanted and no fuller.
std::uint64_t HomeSlot(std::uint64_t hash, std::uint64_t slotCount) {
    return static_cast<std::uint64_t>((static_cast<unsigned __int128>(hash) * slotCount) >> 64);
}

struct SourceStamp {
    std::uint64_t size;
    std::int64_t seconds;
    std::int64_t nanoseconds;
};

std::optional<SourceStamp> StampOf(const std::string& path) {
    struct stat info {};
    if (::stat(path.c_str(), &info) != 0 || !S_ISREG(info.st_mode))
        return std::nullopt;
    return SourceStamp{static_cast<std::uint64_t>(info.st_size),
                       static_cast<std::int64_t>(info.st_mtim.tv_sec),
                       static_cast<std::int64_t>(info.st_mtim.tv_nsec)};
}

} // namespace

WordIndex::~WordIndex() {
    if (data_ != nullptr)
        ::munmap(const_cast<unsigned char*>(data_), mappedSize_);
}

std::string WordIndex::PathFor(const std::string& textPath) {
    return textPath + ".idx";
}

std::unique_ptr<WordIndex> WordIndex::Open(const std::string& textPath) {
    const std::optional<SourceStamp> source = StampOf(textPath);
    if (!source)
        return nullptr;
    const std::string path = PathFor(textPath);
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return nullptr;
    struct stat info {};
    void* mapped = MAP_FAILED;
    if (::fstat(fd, &info) == 0 && S_ISREG(info.st_mode) &&
        static_cast<std::size_t>(info.st_size) >= sizeof(Header))
        mapped =
            ::mmap(nullptr, static_cast<std::size_t>(info.st_size), PROT_READ, MAP_SHARED, fd, 0);
    ::close(fd);
    if (mapped == MAP_FAILED)
        return nullptr;

    std::unique_ptr<WordIndex> index(new WordIndex);
    index->data_ = static_cast<const unsigned char*>(mapped);
    index->mappedSize_ = static_cast<std::size_t>(info.st_size);

    Header header;
    std::memcpy(&header, index->data_, sizeof header);
    if (std::memcmp(header.magic, kMagic, sizeof kMagic) != 0 ||
        header.headerSize != sizeof(Header) || header.slotSize != kSlotSize)
        return nullptr;
    // Made from another version of the text file: the text file wins. Packages
    // and archives keep modification times to the second only, so a text file
    // whose time has no fraction matches on the seconds.
    if (header.sourceSize != source->size || header.sourceModifiedSeconds != source->seconds ||
        (source->nanoseconds != 0 && header.sourceModifiedNanoseconds != source->nanoseconds))
        return nullptr;
    // The sizes must describe exactly this file; each is bounded first so that
    // the sum cannot overflow.
    const std::uint64_t limit = index->mappedSize_;
    if (header.slotCount == 0 || header.slotCount > limit / kSlotSize ||
        header.entryCount >= header.slotCount || header.textSize > limit ||
        sizeof(Header) + header.slotCount * kSlotSize + header.textSize != limit)
        return nullptr;

    index->slots_ = index->data_ + sizeof(Header);
    index->text_ = reinterpret_cast<const char*>(index->slots_ + header.slotCount * kSlotSize);
    index->slotCount_ = header.slotCount;
    index->entryCount_ = header.entryCount;
    index->textSize_ = header.textSize;
    return index;
}

const std::int32_t* WordIndex::Find(std::string_view word) const {
    const SlotKey key = KeyOf(word);
    std::uint64_t slot = HomeSlot(key.hash, slotCount_);
    // A damaged file could hold a table without an empty slot: never probe more
    // slots than there are.
    for (std::uint64_t probes = 0; probes < slotCount_; ++probes) {
        const unsigned char* at = slots_ + slot * kSlotSize;
        std::uint64_t head;
        std::memcpy(&head, at, 8);
        if (head == 0)
            return nullptr;
        if (head == key.head) {
            std::uint32_t second;
            std::memcpy(&second, at + 8, 4);
            if (key.shortWord ? second == key.tail
                              : second <= textSize_ && word.size() <= textSize_ - second &&
                                    std::memcmp(text_ + second, word.data(), word.size()) == 0)
                return reinterpret_cast<const std::int32_t*>(at + kCountOffset);
        }
        if (++slot == slotCount_)
            slot = 0;
    }
    return nullptr;
}

std::optional<WriteFailure> WordIndex::Write(const std::string& textPath, const WordTable& words) {
    const std::string path = PathFor(textPath);
    const auto fail = [&](const std::string& reason) {
        return std::optional(
            WriteFailure{"cannot write the index " + path + ": " + reason, path, reason});
    };
    const std::optional<SourceStamp> source = StampOf(textPath);
    if (!source)
        return fail("cannot read " + textPath);

    // At most three slots in four full, so that probes stay short.
    const std::uint64_t slotCount = words.Size() + words.Size() / 3 + 1;
    std::vector<unsigned char> slots(slotCount * kSlotSize, 0);
    std::vector<std::pair<std::uint64_t, std::string_view>> otherWords; // slot, word
    words.ForEach([&](std::string_view word, std::int32_t count) {
        const SlotKey key = KeyOf(word);
        std::uint64_t slot = HomeSlot(key.hash, slotCount);
        while (slots[slot * kSlotSize] != 0) // the first byte of a word's slot is never 0
            slot = slot + 1 == slotCount ? 0 : slot + 1;
        unsigned char* at = &slots[slot * kSlotSize];
        std::memcpy(at, &key.head, 8);
        std::memcpy(at + 8, &key.tail, 4);
        std::memcpy(at + kCountOffset, &count, 4);
        if (!key.shortWord)
            otherWords.emplace_back(slot, word);
    });
    // Neighbouring slots find their words near each other.
    std::sort(otherWords.begin(), otherWords.end());
    std::string text;
    for (const auto& [slot, word] : otherWords) {
        if (text.size() > UINT32_MAX || word.size() > UINT32_MAX - text.size())
            return fail("the words are too long for it");
        const auto offset = static_cast<std::uint32_t>(text.size());
        std::memcpy(&slots[slot * kSlotSize + 8], &offset, 4);
        text.append(word);
    }

    Header header{};
    std::memcpy(header.magic, kMagic, sizeof kMagic);
    header.headerSize = sizeof(Header);
    header.slotSize = kSlotSize;
    header.sourceSize = source->size;
    header.sourceModifiedSeconds = source->seconds;
    header.sourceModifiedNanoseconds = source->nanoseconds;
    header.slotCount = slotCount;
    header.entryCount = words.Size();
    header.textSize = text.size();

    // A reader never sees a half-written index: it appears whole or not at all.
    const std::string partial = path + ".partial";
    const int fd = ::open(partial.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (fd < 0)
        return fail(std::strerror(errno));
    const bool written =
        WriteAll(fd, std::string_view(reinterpret_cast<const char*>(&header), sizeof header)) &&
        WriteAll(fd, std::string_view(reinterpret_cast<const char*>(slots.data()), slots.size())) &&
        WriteAll(fd, text);
    const int writeErrno = errno;
    if (::close(fd) != 0 || !written) {
        ::unlink(partial.c_str());
        return fail(std::strerror(written ? errno : writeErrno));
    }
    if (std::rename(partial.c_str(), path.c_str()) != 0) {
        const int renameErrno = errno;
        ::unlink(partial.c_str());
        return fail(std::strerror(renameErrno));
    }
    return std::nullopt;
}
