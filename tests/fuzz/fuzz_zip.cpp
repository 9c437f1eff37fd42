// The zip layer on arbitrary bytes, as a document read from a pipe is: it opens
// or is refused as damaged; an entry reads to at most the limit asked for or
// is refused, and reads the same twice.

#include "FuzzCheck.h"

#include "documents/ZipArchive.h"
#include "text/Error.h"

#include <cstdint>
#include <optional>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    try {
        const ZipArchive zip(ZipArchive::InMemory{fuzz::AsText(data, size)});
        for (const char* name : {"mimetype", "word/document.xml", "content.xml"}) {
            if (!zip.Contains(name))
                continue;
            try {
                const std::optional<std::string> small = zip.ReadIfAtMost(name, 256);
                FUZZ_CHECK(!small || small->size() <= 256);
                const std::string bytes = zip.Read(name, 1 << 20);
                FUZZ_CHECK(bytes.size() <= (1 << 20));
                FUZZ_CHECK(!small || *small == bytes);
                FUZZ_CHECK(zip.Read(name, 1 << 20) == bytes);
            } catch (const ScrivoluxError&) {
            }
        }
    } catch (const ScrivoluxError&) {
    }
    return 0;
}
