#include "dictionary/WordIndex.h"

#include "dictionary/WordIndexFormat.h"
#include "text/SavedFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <atomic>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <new>
#include <optional>
#include <utility>
#include <vector>

namespace {

using namespace word_index;

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

std::optional<WordListStamp> StampOf(const std::string& path) {
    struct stat info {};
    if (::stat(path.c_str(), &info) != 0 || !S_ISREG(info.st_mode))
        return std::nullopt;
    return WordListStamp{static_cast<std::uint64_t>(info.st_size),
                         static_cast<std::int64_t>(info.st_mtim.tv_sec),
                         static_cast<std::int64_t>(info.st_mtim.tv_nsec)};
}

std::uint64_t Load64(const unsigned char* at) {
    std::uint64_t value;
    std::memcpy(&value, at, 8);
    return value;
}

std::uint32_t Load32(const unsigned char* at) {
    std::uint32_t value;
    std::memcpy(&value, at, 4);
    return value;
}

// What a slot's first byte allows of its sixteen bytes: every bit of head &
// head and of rest & rest must be clear. An empty slot is all zeros; a short
// word pads its bytes with zeros; no count is negative; a first byte that is
// neither 0, a length of a short word nor the mark of another word is never
// sound (its own bits are in head). Another word's length and offset are
// checked apart.
struct SlotMasks {
    std::uint64_t head = 0;
    std::uint64_t rest = 0;
    std::uint64_t other = 0; // 1: the length and offset of another word are checked
};

constexpr std::array<SlotMasks, 256> MakeSlotMasks() {
    constexpr std::uint64_t kNegative = std::uint64_t{1} << 63;
    std::array<SlotMasks, 256> masks{};
    for (std::uint64_t first = 0; first < 256; ++first) {
        SlotMasks& m = masks[first];
        if (first == 0) {
            m = {~std::uint64_t{0}, ~std::uint64_t{0}, 0};
        } else if (first <= kShortWordMax) {
            // Bytes 1..first hold the word; bytes first+1..11 are padding.
            for (std::uint64_t byte = first + 1; byte < 12; ++byte) {
                if (byte < 8)
                    m.head |= std::uint64_t{0xFF} << (8 * byte);
                else
                    m.rest |= std::uint64_t{0xFF} << (8 * (byte - 8));
            }
            m.rest |= kNegative;
        } else if (first == kOtherWordMark) {
            m.rest = kNegative;
            m.other = 1;
        } else {
            m.head = 0xFF;
        }
    }
    return masks;
}

constexpr std::array<SlotMasks, 256> kSlotMasks = MakeSlotMasks();

// Nonzero unless the slot is empty, a short word or another word as the
// layout says, with a count the text reader could have read (never negative).
// Without a branch on the kind of slot: the kinds alternate at random through
// the table, and a mispredicted branch per slot would cost more than all the
// checks.
std::uint64_t SlotFaults(std::uint64_t head, std::uint64_t rest, std::uint64_t textSize) {
    const SlotMasks& masks = kSlotMasks[head & 0xFF];
    // The empty word (a line without a separator) is stored as another word
    // too. Length and offset are both below 2^32: their sum cannot overflow.
    const std::uint64_t length = head >> 32;
    const std::uint64_t offset = static_cast<std::uint32_t>(rest);
    const auto otherFault =
        static_cast<std::uint64_t>((length - 1 < kShortWordMax) | (offset + length > textSize));
    return (head & masks.head) | (rest & masks.rest) | (otherFault & masks.other);
}

// The checksum's state: two lanes, one for each half of a 16-byte block. Each
// step is a bijection of the lane and of the block, so a block changed alone
// always changes the result.
struct ChecksumLanes {
    std::uint64_t a = kMultiplier;
    std::uint64_t b = ~kMultiplier;

    void Add(std::uint64_t first, std::uint64_t second) {
        a = (a ^ first) * kMultiplier;
        b = (b ^ second) * 0xC2B2AE3D27D4EB4FULL;
    }
    // The blocks of size bytes; a last part block is padded with zeros.
    void AddBytes(const unsigned char* data, std::size_t size) {
        std::size_t at = 0;
        for (; at + 16 <= size; at += 16)
            Add(Load64(data + at), Load64(data + at + 8));
        if (at < size) {
            unsigned char tail[16] = {};
            std::memcpy(tail, data + at, size - at);
            Add(Load64(tail), Load64(tail + 8));
        }
    }
    std::uint64_t Finish(std::uint64_t size) const {
        std::uint64_t hash = (a ^ size) * kMultiplier;
        hash = (hash ^ (hash >> 29) ^ b) * kMultiplier;
        return hash ^ (hash >> 32);
    }
};

// The file's bytes from the index's path, or nothing when it is not a regular
// file of a plausible size or cannot be read whole. A FIFO or a device must not
// block the start-up, so the file is opened without waiting and checked before
// the first read.
std::unique_ptr<std::uint64_t[]> ReadIndexFile(const std::string& path, std::uint64_t sourceSize,
                                               std::size_t& size) {
    const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
    if (fd < 0)
        return nullptr;
    std::unique_ptr<std::uint64_t[]> data;
    struct stat info {};
    // No word list gives an index much larger than itself: a slot and a third
    // per line of at least two bytes, and the long words again (at most three
    // times their bytes once decoded from Windows-1252).
    const std::uint64_t largest = 16 * sourceSize + 4096;
    if (::fstat(fd, &info) == 0 && S_ISREG(info.st_mode) && info.st_size >= 0 &&
        static_cast<std::uint64_t>(info.st_size) >= sizeof(Header) &&
        static_cast<std::uint64_t>(info.st_size) <= largest) {
        size = static_cast<std::size_t>(info.st_size);
        try {
            data = std::make_unique_for_overwrite<std::uint64_t[]>((size + 7) / 8);
        } catch (const std::bad_alloc&) {
            size = 0;
        }
        auto* bytes = reinterpret_cast<unsigned char*>(data.get());
        for (std::size_t done = 0; data && done < size;) {
            const ssize_t got = ::read(fd, bytes + done, size - done);
            if (got < 0 && errno == EINTR)
                continue;
            if (got <= 0)
                data.reset(); // cut short while being read, or unreadable
            else
                done += static_cast<std::size_t>(got);
        }
    }
    ::close(fd);
    return data;
}

} // namespace

std::uint64_t word_index::Checksum(const unsigned char* data, std::size_t size) {
    ChecksumLanes lanes;
    lanes.AddBytes(data, size);
    return lanes.Finish(size);
}

std::string WordIndex::PathFor(const std::string& textPath) {
    return textPath + ".idx";
}

std::unique_ptr<WordIndex> WordIndex::Open(const std::string& textPath) {
    const std::optional<WordListStamp> source = StampOf(textPath);
    if (!source)
        return nullptr;
    std::size_t size = 0;
    std::unique_ptr<std::uint64_t[]> data = ReadIndexFile(PathFor(textPath), source->size, size);
    if (!data)
        return nullptr;
    return Check(std::move(data), size, *source);
}

std::unique_ptr<WordIndex> WordIndex::FromBytes(std::string_view bytes,
                                                const WordListStamp& source) {
    auto data = std::make_unique<std::uint64_t[]>((bytes.size() + 7) / 8);
    std::memcpy(data.get(), bytes.data(), bytes.size());
    std::unique_ptr<WordIndex> index = Check(std::move(data), bytes.size(), source);
    if (index && !index->Verify())
        return nullptr;
    return index;
}

WordIndex::WordIndex() {
    static std::atomic<std::uint64_t> made{0};
    serial_ = made.fetch_add(1, std::memory_order_relaxed) + 1;
}

std::unique_ptr<WordIndex> WordIndex::Check(std::unique_ptr<std::uint64_t[]> data, std::size_t size,
                                            const WordListStamp& source) {
    const auto* bytes = reinterpret_cast<const unsigned char*>(data.get());
    if (size < sizeof(Header))
        return nullptr;
    Header header;
    std::memcpy(&header, bytes, sizeof header);
    if (std::memcmp(header.magic, kMagic, sizeof kMagic) != 0 ||
        header.headerSize != sizeof(Header) || header.slotSize != kSlotSize)
        return nullptr;
    // Made from another version of the text file: the text file wins. Packages
    // and archives keep modification times to the second only, so a text file
    // whose time has no fraction matches on the seconds.
    if (header.sourceSize != source.size || header.sourceModifiedSeconds != source.seconds ||
        (source.nanoseconds != 0 && header.sourceModifiedNanoseconds != source.nanoseconds))
        return nullptr;
    // The sizes must describe exactly these bytes; each is bounded first so that
    // the sum cannot overflow.
    const std::uint64_t limit = size;
    if (header.slotCount == 0 || header.slotCount > limit / kSlotSize ||
        header.entryCount >= header.slotCount || header.textSize > limit ||
        header.longestProbe >= header.slotCount ||
        sizeof(Header) + header.slotCount * kSlotSize + header.textSize != limit)
        return nullptr;
    const unsigned char* slots = bytes + sizeof(Header);
    std::unique_ptr<WordIndex> index(new WordIndex);
    index->data_ = std::move(data);
    index->slots_ = slots;
    index->text_ = reinterpret_cast<const char*>(slots + header.slotCount * kSlotSize);
    index->slotCount_ = header.slotCount;
    index->longestProbe_ = header.longestProbe;
    index->entryCount_ = header.entryCount;
    index->textSize_ = header.textSize;
    index->size_ = size;
    return index;
}

// A damaged file with a sound header (a block of other bytes, a count edited)
// must not be trusted: the text list is read instead. One pass checks the
// slots and sums them; the slots start on a block of the sum.
bool WordIndex::Verify() const {
    const auto* bytes = reinterpret_cast<const unsigned char*>(data_.get());
    Header header;
    std::memcpy(&header, bytes, sizeof header);
    const unsigned char* slots = slots_;
    ChecksumLanes lanes;
    lanes.AddBytes(bytes + kChecksumStart, sizeof(Header) - kChecksumStart);
    std::uint64_t filled = 0;
    std::uint64_t faults = 0;
    for (std::uint64_t slot = 0; slot < slotCount_; ++slot) {
        const std::uint64_t head = Load64(slots + slot * kSlotSize);
        const std::uint64_t rest = Load64(slots + slot * kSlotSize + 8);
        lanes.Add(head, rest);
        faults |= SlotFaults(head, rest, textSize_);
        filled += head != 0;
    }
    lanes.AddBytes(slots + slotCount_ * kSlotSize, textSize_);
    return faults == 0 && filled == entryCount_ &&
           lanes.Finish(size_ - kChecksumStart) == header.checksum;
}

const std::int32_t* WordIndex::Find(std::string_view word) const {
    const SlotKey key = KeyOf(word);
    std::uint64_t slot = HomeSlot(key.hash, slotCount_);
    // No word stands further from its home slot than the longest probe the
    // writer saw, so a miss costs a few slots even in a table of full clusters.
    for (std::uint64_t probes = 0; probes <= longestProbe_; ++probes) {
        const unsigned char* at = slots_ + slot * kSlotSize;
        const std::uint64_t head = Load64(at);
        if (head == 0)
            return nullptr;
        if (head == key.head) {
            const std::uint32_t second = Load32(at + 8);
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
    const std::optional<WordListStamp> source = StampOf(textPath);
    if (!source)
        return fail("cannot read " + textPath);

    // At most three slots in four full, so that probes stay short.
    const std::uint64_t slotCount = words.Size() + words.Size() / 3 + 1;
    std::vector<unsigned char> slots(slotCount * kSlotSize, 0);
    std::vector<std::pair<std::uint64_t, std::string_view>> otherWords; // slot, word
    std::uint64_t longestProbe = 0;
    bool negativeCount = false;
    words.ForEach([&](std::string_view word, std::int32_t count) {
        const SlotKey key = KeyOf(word);
        std::uint64_t slot = HomeSlot(key.hash, slotCount);
        std::uint64_t probe = 0;
        for (; slots[slot * kSlotSize] != 0; ++probe) // a word's slot never starts with 0
            slot = slot + 1 == slotCount ? 0 : slot + 1;
        longestProbe = std::max(longestProbe, probe);
        negativeCount = negativeCount || count < 0;
        unsigned char* at = &slots[slot * kSlotSize];
        std::memcpy(at, &key.head, 8);
        std::memcpy(at + 8, &key.tail, 4);
        std::memcpy(at + kCountOffset, &count, 4);
        if (!key.shortWord)
            otherWords.emplace_back(slot, word);
    });
    if (negativeCount)
        return fail("a count is negative");
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
    header.longestProbe = longestProbe;
    std::vector<unsigned char> file(sizeof header);
    file.reserve(sizeof header + slots.size() + text.size());
    std::memcpy(file.data(), &header, sizeof header);
    file.insert(file.end(), slots.begin(), slots.end());
    file.insert(file.end(), text.begin(), text.end());
    header.checksum = Checksum(file.data() + kChecksumStart, file.size() - kChecksumStart);
    std::memcpy(file.data(), &header, sizeof header);

    // A reader never sees a half-written index: it appears whole or not at all,
    // and a program that read the old one keeps its own copy.
    if (const std::optional<WriteFailure> failure = SaveFileAtomically(
            path, std::string_view(reinterpret_cast<const char*>(file.data()), file.size())))
        return fail(failure->reason.empty() ? failure->message : failure->reason);
    return std::nullopt;
}
