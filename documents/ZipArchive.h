#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

struct zip;

// A zip archive opened for reading, closed when it goes out of scope.
class ZipArchive {
public:
    // Throws a ScrivoluxError when the file cannot be opened or is not a
    // readable zip archive.
    explicit ZipArchive(const std::string& path);
    // The same for an archive already in memory; bytes must outlive it.
    struct InMemory {
        std::string_view bytes;
    };
    explicit ZipArchive(InMemory archive);
    ~ZipArchive();
    ZipArchive(const ZipArchive&) = delete;
    ZipArchive& operator=(const ZipArchive&) = delete;

    bool Contains(const char* name) const;

    // The unpacked bytes of one entry ("" for an empty one). Throws a
    // ScrivoluxError when it is missing, encrypted, damaged or unpacks to more
    // than limit bytes; the sizes the archive claims are not trusted.
    std::string Read(const char* name, std::size_t limit) const;

    // Read for a small entry whose size is part of what it says: none when it
    // unpacks to more than limit bytes.
    std::optional<std::string> ReadIfAtMost(const char* name, std::size_t limit) const;

private:
    // The unpacked bytes, or none past limit.
    std::optional<std::string> ReadUpTo(const char* name, std::size_t limit) const;

    zip* archive_ = nullptr;
};

// "The document unpacks to more than 64 MB of text", for a limit of whole
// megabytes: what a document that expands past what the program holds is told.
std::string TooMuchTextMessage(std::size_t limit);
