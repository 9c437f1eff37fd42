#pragma once

#include "documents/SourcePlace.h"

#include <cstddef>
#include <functional>
#include <string>
#include <string_view>

// Told after each page (done of total); returns false to stop the load.
using LoadProgress = std::function<bool(int done, int total)>;

// The text of a PDF's pages in reading order, one line per printed line, with a
// word divided at a line end joined again (in any case; a compound the text
// prints whole elsewhere keeps its hyphen), each line marked with its page. A
// line set larger than the page's body and a line after a wider gap than the
// page's usual one start a block of their own (a blank line before them). A
// PDF of fewer than 20 words a page on average carries kLittleTextWarning.
// Throws a ScrivoluxError for a damaged or password-protected file, one without
// any text ("holds no text; it may be a scanned image") and one with more than
// maxBytes of text, and LoadCancelled when progress returns false.
// A page's text is measured as it comes, so the reader stops on the page that
// passes maxBytes.
// The warning given with a PDF of fewer than 20 words a page on average.
inline constexpr std::string_view kLittleTextWarning =
    "this PDF has little text (its pages may be pictures)";

DocumentText PdfText(const std::string& path, std::size_t maxBytes, const LoadProgress& progress);

// The same for a PDF already in memory (one that could be read only once).
DocumentText PdfTextOfBytes(std::string_view bytes, std::size_t maxBytes,
                            const LoadProgress& progress);
