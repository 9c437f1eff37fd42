#include "documents/ZipArchive.h"

#include "text/Error.h"

#include <zip.h>

#include <memory>
#include <utility>

namespace {

std::string ZipErrorText(int code) {
    zip_error_t error;
    zip_error_init_with_code(&error, code);
    std::string text = zip_error_strerror(&error);
    zip_error_fini(&error);
    return text;
}

[[noreturn]] void ThrowPasswordProtected() {
    throw ScrivoluxError("The document is password-protected");
}

} // namespace

std::string TooMuchTextMessage(std::size_t limit) {
    return "The document unpacks to more than " + std::to_string(limit / (1024 * 1024)) +
           " MB of text";
}

ZipArchive::ZipArchive(const std::string& path) {
    // By the name's bytes: not every file name is UTF-8.
    int code = ZIP_ER_OK;
    archive_ = zip_open(path.c_str(), ZIP_RDONLY, &code);
    if (archive_ != nullptr)
        return;
    switch (code) {
    case ZIP_ER_NOENT:
        throw FileError("Cannot open file " + path, path, "No such file or directory");
    case ZIP_ER_OPEN:
    case ZIP_ER_READ:
        throw FileError("Cannot open file " + path, path, ZipErrorText(code));
    case ZIP_ER_NOZIP:
        throw ScrivoluxError("The document is damaged: it is not a zip archive");
    default:
        throw ScrivoluxError("The document is damaged: " + ZipErrorText(code));
    }
}

ZipArchive::ZipArchive(InMemory archive) {
    zip_error_t error;
    zip_error_init(&error);
    zip_source_t* source =
        zip_source_buffer_create(archive.bytes.data(), archive.bytes.size(), 0, &error);
    if (source != nullptr) {
        archive_ = zip_open_from_source(source, ZIP_RDONLY, &error);
        if (archive_ == nullptr)
            zip_source_free(source);
    }
    const int code = zip_error_code_zip(&error);
    zip_error_fini(&error);
    if (archive_ != nullptr)
        return;
    if (code == ZIP_ER_NOZIP)
        throw ScrivoluxError("The document is damaged: it is not a zip archive");
    throw ScrivoluxError("The document is damaged: " + ZipErrorText(code));
}

ZipArchive::~ZipArchive() {
    zip_discard(archive_);
}

bool ZipArchive::Contains(const char* name) const {
    return zip_name_locate(archive_, name, 0) >= 0;
}

std::string ZipArchive::Read(const char* name, std::size_t limit) const {
    std::optional<std::string> bytes = ReadUpTo(name, limit);
    if (!bytes)
        throw ScrivoluxError(TooMuchTextMessage(limit));
    return std::move(*bytes);
}

std::optional<std::string> ZipArchive::ReadIfAtMost(const char* name, std::size_t limit) const {
    return ReadUpTo(name, limit);
}

std::optional<std::string> ZipArchive::ReadUpTo(const char* name, std::size_t limit) const {
    const zip_int64_t index = zip_name_locate(archive_, name, 0);
    if (index < 0)
        throw ScrivoluxError(std::string("The document is damaged: it lacks ") + name);
    zip_stat_t stat;
    if (zip_stat_index(archive_, static_cast<zip_uint64_t>(index), 0, &stat) == 0 &&
        (stat.valid & ZIP_STAT_ENCRYPTION_METHOD) && stat.encryption_method != ZIP_EM_NONE)
        ThrowPasswordProtected();
    const std::unique_ptr<zip_file_t, int (*)(zip_file_t*)> file(
        zip_fopen_index(archive_, static_cast<zip_uint64_t>(index), 0), zip_fclose);
    if (!file) {
        const int code = zip_error_code_zip(zip_get_error(archive_));
        if (code == ZIP_ER_NOPASSWD || code == ZIP_ER_WRONGPASSWD)
            ThrowPasswordProtected();
        throw ScrivoluxError("The document is damaged: " + ZipErrorText(code));
    }
    // Read in pieces and stop at the limit: a zip bomb's header may claim a
    // small size, so only what actually comes out counts.
    std::string bytes;
    char buffer[1 << 16];
    for (;;) {
        const zip_int64_t n = zip_fread(file.get(), buffer, sizeof buffer);
        if (n < 0) {
            throw ScrivoluxError("The document is damaged: " +
                                 std::string(zip_file_strerror(file.get())));
        }
        if (n == 0)
            break;
        if (bytes.size() + static_cast<std::size_t>(n) > limit)
            return std::nullopt;
        bytes.append(buffer, static_cast<std::size_t>(n));
    }
    return bytes;
}
