#pragma once

#include <cstddef>
#include <string>

struct zip;

// A zip archive opened for reading, closed when it goes out of scope.
class ZipArchive {
public:
    // Throws a ScrivoluxError when the file cannot be opened or is not a
    // readable zip archive.
    explicit ZipArchive(const std::string& path);
    ~ZipArchive();
    ZipArchive(const ZipArchive&) = delete;
    ZipArchive& operator=(const ZipArchive&) = delete;

    bool Contains(const char* name) const;

    // The unpacked bytes of one entry ("" for an empty one). Throws a
    // ScrivoluxError when it is missing, encrypted, damaged or unpacks to more
    // than limit bytes; the sizes the archive claims are not trusted.
    std::string Read(const char* name, std::size_t limit) const;

private:
    zip* archive_ = nullptr;
};
