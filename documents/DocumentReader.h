#pragma once

#include "documents/PdfText.h"
#include "documents/SourcePlace.h"
#include "text/Error.h"
#include "text/TextFile.h"

#include <optional>
#include <string>
#include <string_view>
#include <vector>

enum class DocumentFormat {
    Text, // read as before: UTF-8, UTF-16 or Windows-1252
    Docx,
    Odt,
    Html,
    Markdown,
    Pdf,
};

// The user stopped a load through its progress display; nothing was loaded.
class LoadCancelled : public ScrivoluxError {
public:
    using ScrivoluxError::ScrivoluxError;
};

// The format named on the command line ("txt", "docx", "odt", "html", "md",
// "pdf" and their other extensions), or none for another name.
std::optional<DocumentFormat> FormatFromName(std::string_view name);

// The format of a file. A name ending in .txt is Text. Otherwise its first
// bytes decide where they can (a zip archive holding a .docx or an .odt,
// "%PDF", an HTML page's "<html" or "<!doctype html", after a byte-order
// mark), then its extension; a document extension on a file that is not that
// document is refused. A file that cannot be read is Text, so that reading it
// reports why; a pipe, a FIFO or a device is never read here, and goes by its
// name alone. Throws a ScrivoluxError for a file known not to be readable (an
// old .doc, another zip archive).
DocumentFormat DetectFormat(const std::string& path);

struct LoadedDocument {
    std::string text; // UTF-8, lines separated by line feeds
    DocumentFormat format = DocumentFormat::Text;
    TextEncoding encoding = TextEncoding::Utf8; // how to save it back; UTF-8 for documents
    // Where the text came from, by offset in text: lines of a text file, a web
    // page or Markdown, paragraphs of a .docx or .odt, pages of a PDF.
    std::vector<PlaceMark> places;
    // For Markdown and HTML, the decoded file, in whose lines the places'
    // byte columns count; empty otherwise.
    std::string markup;
    // Markdown and HTML: the code in the prose, which the careful rules do not
    // count (BlankCode), and the checks ignore comments turned off.
    std::vector<TextRange> code;
    std::vector<SilencedChecks> silenced;
    // What the person reading should know of the text ("this PDF has little
    // text (its pages may be pictures)"); none for most documents.
    std::vector<std::string> warnings;
};

// The text with each code range's bytes turned into spaces (line feeds kept),
// so that no offset moves: what the careful rules count of a document.
void BlankCode(std::string& text, const std::vector<TextRange>& code);

// The place in the file of the text's byte at offset (see PlaceAt).
SourcePlace PlaceOf(const LoadedDocument& document, std::size_t offset);

// Reads a file as plain text, in the given format or the one DetectFormat
// finds, from bytes read once when the file is a pipe, a FIFO or a device.
// Text files read exactly as ReadTextFile reads them. Throws a ScrivoluxError
// whose message says what is wrong (damaged, password-protected, over 64 MB of
// text, checked as the text grows, no text), and LoadCancelled when progress
// (told after each PDF page, and while a web page or Markdown is read) returns
// false. An empty file gives "".
LoadedDocument ReadDocument(const std::string& path, std::optional<DocumentFormat> format = {},
                            const LoadProgress& progress = {});
