#pragma once

#include "documents/SourcePlace.h"

#include <cstddef>
#include <functional>
#include <string>
#include <string_view>

// Told after each page (done of total); returns false to stop the load.
using LoadProgress = std::function<bool(int done, int total)>;

// The text of a PDF's pages in reading order, one line per printed line, with a
// word hyphenated at a line end joined again, each line marked with its page.
// Throws a ScrivoluxError for a damaged or password-protected file, one without
// any text ("holds no text; it may be a scanned image") and one with more than
// maxBytes of text, and LoadCancelled when progress returns false.
// A page's text is measured as it comes, so the reader stops on the page that
// passes maxBytes.
DocumentText PdfText(const std::string& path, std::size_t maxBytes, const LoadProgress& progress);

// The same for a PDF already in memory (one that could be read only once).
DocumentText PdfTextOfBytes(std::string_view bytes, std::size_t maxBytes,
                            const LoadProgress& progress);
