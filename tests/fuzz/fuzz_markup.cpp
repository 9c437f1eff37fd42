// Web pages and Markdown on arbitrary text: prose or a refusal, valid UTF-8,
// places in order inside the text, and never a file opened or a resource
// fetched (the page may name any).

#include "FuzzCheck.h"

#include "documents/MarkupText.h"
#include "text/Bytes.h"
#include "text/Error.h"
#include "text/TextFile.h"

#include <QString>

#include <cstdint>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    // The readers are given UTF-8, as the text decoder hands it over.
    const std::string text =
        QString::fromUtf8(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size))
            .toStdString();
    for (const auto read : {&HtmlText, &MarkdownText}) {
        try {
            const DocumentText prose = read(text, {});
            FUZZ_CHECK(IsValidUtf8(prose.text));
            // Every mark lies in the text, in order, at a line and column.
            std::size_t previous = 0;
            for (const PlaceMark& mark : prose.places) {
                FUZZ_CHECK(mark.offset >= previous && mark.offset < prose.text.size());
                FUZZ_CHECK(mark.place.kind == PlaceKind::Line && mark.place.number >= 1 &&
                           mark.place.column >= 1);
                previous = mark.offset;
            }
        } catch (const ScrivoluxError&) {
        }
    }
    return 0;
}
