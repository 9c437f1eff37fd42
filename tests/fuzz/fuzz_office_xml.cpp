// The .docx and .odt XML walks on arbitrary bytes: text or a refusal, never
// anything else; the text is valid UTF-8, within what the program holds, and
// never holds more than one blank line in a row from a run of breaks.

#include "FuzzCheck.h"

#include "documents/OfficeText.h"
#include "text/Bytes.h"
#include "text/Error.h"
#include "text/TextFile.h"

#include <cstdint>
#include <string>

namespace {

void Check(DocumentText (*read)(std::string_view), std::string_view xml) {
    std::string text;
    try {
        text = read(xml).text;
    } catch (const ScrivoluxError&) {
        return;
    }
    FUZZ_CHECK(IsValidUtf8(text));
    FUZZ_CHECK(text.size() <= 3 * kMaxTextFileBytes);
    // Paragraphs are joined by one blank line; no empty paragraph leaves one.
    FUZZ_CHECK(text.find("\n\n\n\n\n") == std::string::npos);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view xml = fuzz::AsText(data, size);
    Check(&DocxText, xml);
    Check(&OdtText, xml);
    return 0;
}
