#include "dictionary/WordIndex.h"

#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <bit>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <optional>
#include <vector>

// File layout, all integers little-endian as the machine writes them:
//   Header
//   slots:   slotCount x uint32, entry index + 1, 0 for an empty slot
//   entries: entryCount x Entry
//   text:    the words back to back
struct WordIndex::Entry {
    std::uint32_t offset; // into the text
    std::uint32_t length;
    std::uint32_t hash; // low bits of the word's hash, to skip most comparisons
    std::int32_t count;
};

namespace {

constexpr char kMagic[8] = {'S', 'C', 'R', 'V', 'I', 'D', 'X', '2'};

struct Header {
    char magic[8];
    std::uint32_t headerSize;
    std::uint32_t entrySize;
    // The text file the index was made from.
    std::uint64_t sourceSize;
    std::int64_t sourceModifiedSeconds;
    std::int64_t sourceModifiedNanoseconds;
    std::uint64_t slotCount;
    std::uint64_t entryCount;
    std::uint64_t textSize;
};

// The same value in every build, unlike std::hash, and eight bytes a step:
// lookups run once per word of the passage.
std::uint64_t HashOf(std::string_view word) {
    constexpr std::uint64_t kMultiplier = 0x9E3779B97F4A7C15ULL;
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

bool WriteAll(int fd, const void* data, std::size_t size) {
    const auto* bytes = static_cast<const char*>(data);
    while (size > 0) {
        const ssize_t written = ::write(fd, bytes, size);
        if (written < 0 && errno == EINTR)
            continue;
        if (written <= 0)
            return false;
        bytes += written;
        size -= static_cast<std::size_t>(written);
    }
    return true;
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
        header.headerSize != sizeof(Header) || header.entrySize != sizeof(Entry))
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
    if (header.slotCount == 0 || !std::has_single_bit(header.slotCount) ||
        header.slotCount > limit / 4 || header.entryCount >= header.slotCount ||
        header.entryCount > limit / sizeof(Entry) || header.textSize > limit ||
        sizeof(Header) + header.slotCount * 4 + header.entryCount * sizeof(Entry) +
                header.textSize !=
            limit)
        return nullptr;

    const unsigned char* at = index->data_ + sizeof(Header);
    index->slots_ = reinterpret_cast<const std::uint32_t*>(at);
    at += header.slotCount * 4;
    index->entries_ = reinterpret_cast<const Entry*>(at);
    at += header.entryCount * sizeof(Entry);
    index->text_ = reinterpret_cast<const char*>(at);
    index->slotMask_ = header.slotCount - 1;
    index->entryCount_ = header.entryCount;
    index->textSize_ = header.textSize;
    return index;
}

const std::int32_t* WordIndex::Find(std::string_view word) const {
    const std::uint64_t hash = HashOf(word);
    const auto shortHash = static_cast<std::uint32_t>(hash);
    // A damaged file could hold a table without an empty slot: never probe more
    // slots than there are.
    std::uint64_t slot = hash & slotMask_;
    for (std::uint64_t probes = 0; probes <= slotMask_; ++probes, slot = (slot + 1) & slotMask_) {
        const std::uint32_t index = slots_[slot];
        if (index == 0)
            return nullptr;
        if (index > entryCount_)
            return nullptr;
        const Entry& e = entries_[index - 1];
        if (e.hash == shortHash && e.length == word.size() && e.offset <= textSize_ &&
            e.length <= textSize_ - e.offset &&
            std::memcmp(text_ + e.offset, word.data(), word.size()) == 0)
            return &e.count;
    }
    return nullptr;
}

bool WordIndex::Write(const std::string& textPath, const WordTable& words, std::string* error) {
    const std::string path = PathFor(textPath);
    const auto fail = [&](const std::string& reason) {
        if (error)
            *error = "cannot write the index " + path + ": " + reason;
        return false;
    };
    const std::optional<SourceStamp> source = StampOf(textPath);
    if (!source)
        return fail("cannot read " + textPath);

    std::vector<Entry> entries;
    entries.reserve(words.Size());
    std::string text;
    words.ForEach([&](std::string_view word, std::int32_t count) {
        entries.push_back({static_cast<std::uint32_t>(text.size()),
                           static_cast<std::uint32_t>(word.size()),
                           static_cast<std::uint32_t>(HashOf(word)), count});
        text.append(word);
    });
    if (text.size() > UINT32_MAX)
        return fail("the words are too long for it");
    // At most half full, so that probes stay short.
    const std::uint64_t slotCount = std::bit_ceil<std::uint64_t>((entries.size() + 1) * 2);
    std::vector<std::uint32_t> slots(slotCount, 0);
    for (std::size_t i = 0; i < entries.size(); ++i) {
        const std::string_view word(text.data() + entries[i].offset, entries[i].length);
        std::uint64_t slot = HashOf(word) & (slotCount - 1);
        while (slots[slot] != 0)
            slot = (slot + 1) & (slotCount - 1);
        slots[slot] = static_cast<std::uint32_t>(i + 1);
    }

    Header header{};
    std::memcpy(header.magic, kMagic, sizeof kMagic);
    header.headerSize = sizeof(Header);
    header.entrySize = sizeof(Entry);
    header.sourceSize = source->size;
    header.sourceModifiedSeconds = source->seconds;
    header.sourceModifiedNanoseconds = source->nanoseconds;
    header.slotCount = slotCount;
    header.entryCount = entries.size();
    header.textSize = text.size();

    // A reader never sees a half-written index: it appears whole or not at all.
    const std::string partial = path + ".partial";
    const int fd = ::open(partial.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (fd < 0)
        return fail(std::strerror(errno));
    const bool written = WriteAll(fd, &header, sizeof header) &&
                         WriteAll(fd, slots.data(), slots.size() * 4) &&
                         WriteAll(fd, entries.data(), entries.size() * sizeof(Entry)) &&
                         WriteAll(fd, text.data(), text.size());
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
    return true;
}
