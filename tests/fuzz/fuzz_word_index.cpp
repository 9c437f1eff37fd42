// The word index reader on arbitrary files, as a damaged or hostile
// cuvplus.dat.idx hands them to every start-up: it refuses or accepts them
// without a crash, an accepted index gives only counts the text reader could
// give, and no lookup runs past the table. The first byte picks what the rest
// is:
//   bit 0 clear: a whole index file, as it is
//   bit 0 set:   an index file whose header the target makes consistent (the
//                magic, the sizes, the text file's stamp, the checksum), so that
//                the fuzzer reaches the slot checks and the lookups behind them
//   bit 1 set:   besides, words and counts written by our own writer to a
//                temporary folder (TMPDIR) and read back: every word is found
//                with its first count

#include "FuzzCheck.h"

#include "dictionary/WordIndex.h"
#include "dictionary/WordIndexFormat.h"
#include "dictionary/WordTable.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <string>
#include <string_view>
#include <vector>

namespace {

using word_index::Header;
using word_index::kSlotSize;

constexpr WordListStamp kStamp{13, 1'000'000, 0};

// The words that the bytes name: pieces between zero bytes, at most 64 bytes
// long, the empty one included.
std::vector<std::string_view> WordsIn(std::string_view bytes) {
    std::vector<std::string_view> words;
    while (words.size() < 64) {
        const std::size_t end = bytes.find('\0');
        words.push_back(bytes.substr(0, std::min<std::size_t>(end, 64)));
        if (end == std::string_view::npos)
            break;
        bytes.remove_prefix(end + 1);
    }
    return words;
}

// Makes the header of the index in bytes fit the bytes and the stamp.
void Seal(std::string& bytes) {
    if (bytes.size() < sizeof(Header))
        bytes.resize(sizeof(Header), '\0');
    Header header;
    std::memcpy(&header, bytes.data(), sizeof header);
    std::memcpy(header.magic, word_index::kMagic, sizeof header.magic);
    header.headerSize = sizeof(Header);
    header.slotSize = kSlotSize;
    header.sourceSize = kStamp.size;
    header.sourceModifiedSeconds = kStamp.seconds;
    header.sourceModifiedNanoseconds = kStamp.nanoseconds;
    const std::uint64_t room = bytes.size() - sizeof(Header);
    header.slotCount = 1 + header.slotCount % (room / kSlotSize + 1);
    if (header.slotCount * kSlotSize > room)
        bytes.resize(sizeof(Header) + header.slotCount * kSlotSize, '\0');
    header.textSize = bytes.size() - sizeof(Header) - header.slotCount * kSlotSize;
    header.longestProbe %= header.slotCount;
    std::uint64_t filled = 0;
    for (std::uint64_t slot = 0; slot < header.slotCount; ++slot) {
        std::uint64_t head;
        std::memcpy(&head, bytes.data() + sizeof(Header) + slot * kSlotSize, 8);
        filled += head != 0;
    }
    header.entryCount = filled;
    std::memcpy(bytes.data(), &header, sizeof header);
    const auto* data = reinterpret_cast<const unsigned char*>(bytes.data());
    header.checksum = word_index::Checksum(data + word_index::kChecksumStart,
                                           bytes.size() - word_index::kChecksumStart);
    std::memcpy(bytes.data(), &header, sizeof header);
}

// Every short word that a slot holds, and the pieces of the input.
void LookUpEverything(const WordIndex& index, std::string_view bytes) {
    FUZZ_CHECK(index.Size() < bytes.size());
    for (std::size_t at = sizeof(Header); at + kSlotSize <= bytes.size(); at += kSlotSize) {
        const auto length = static_cast<unsigned char>(bytes[at]);
        if (length >= 1 && length <= word_index::kShortWordMax) {
            const std::int32_t* count = index.Find(bytes.substr(at + 1, length));
            FUZZ_CHECK(count == nullptr || *count >= 0);
        }
    }
    for (const std::string_view word : WordsIn(bytes)) {
        const std::int32_t* count = index.Find(word);
        FUZZ_CHECK(count == nullptr || *count >= 0);
    }
}

// A folder of our own under TMPDIR for the writer's round trip, made once.
const std::string& Folder() {
    static const std::string folder = [] {
        const char* tmp = std::getenv("TMPDIR");
        std::string pattern = std::string(tmp && *tmp ? tmp : "/tmp") + "/fuzz-word-index.XXXXXX";
        FUZZ_CHECK(::mkdtemp(pattern.data()) != nullptr);
        return pattern;
    }();
    return folder;
}

void RoundTrip(std::string_view bytes) {
    WordTable table;
    std::uint32_t count = 0;
    for (const std::string_view word : WordsIn(bytes)) {
        table.Insert(word, static_cast<std::int32_t>(count & 0x7FFFFFFF));
        count = count * 7 + static_cast<std::uint32_t>(word.size());
    }
    const std::string textPath = Folder() + "/list.dat";
    std::ofstream(textPath, std::ios::binary | std::ios::trunc) << bytes;
    FUZZ_CHECK(!WordIndex::Write(textPath, table));
    const std::unique_ptr<WordIndex> index = WordIndex::Open(textPath);
    FUZZ_CHECK(index != nullptr && index->Verify());
    FUZZ_CHECK(index->Size() == table.Size());
    table.ForEach([&index](std::string_view word, std::int32_t expected) {
        const std::int32_t* found = index->Find(word);
        FUZZ_CHECK(found != nullptr && *found == expected);
    });
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0)
        return 0;
    const unsigned mode = data[0];
    std::string bytes(reinterpret_cast<const char*>(data) + 1, size - 1);
    if (mode & 2)
        RoundTrip(bytes);
    if (mode & 1)
        Seal(bytes);
    if (const std::unique_ptr<WordIndex> index = WordIndex::FromBytes(bytes, kStamp))
        LookUpEverything(*index, bytes);
    return 0;
}
