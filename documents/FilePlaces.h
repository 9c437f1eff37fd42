#pragma once

#include "documents/DocumentReader.h"

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

// Where something the command line prints lies in the file it came from, as
// an editor counts: the line, and the column in code points from 1, for plain
// text, Markdown and web pages; the paragraph of a .docx or .odt and the page
// of a PDF, with the column in code points within it.
struct FilePlace {
    PlaceKind kind = PlaceKind::Line;
    int line = 1; // the line, paragraph or page
    int column = 1;

    friend bool operator==(const FilePlace&, const FilePlace&) = default;
};

// "line", "paragraph" or "page", as the JSON and SARIF name them.
std::string_view PlaceKindName(PlaceKind kind);

// Finds the file place of a byte of the passage that was counted
// (PassageOfText of the document's text, whose line breaks are spaces).
class FileLocator {
public:
    FileLocator() = default;
    // The document as read; its text is kept.
    explicit FileLocator(const LoadedDocument& document);

    PlaceKind Kind() const;
    // The document's text as read.
    const std::string& Text() const { return text_; }
    // The place of the passage's byte at offset (clamped to the end).
    FilePlace AtPassage(std::size_t offset) const;
    // The place where line (from 1) of the passage starts.
    FilePlace AtPassageLine(int line) const;
    // Whether the document's ignore comments turned the check off at the
    // passage's byte at offset.
    bool Silenced(std::size_t offset, std::string_view rule) const;

private:
    std::size_t TextOffset(std::size_t passageOffset) const;
    void FindLines() const;

    std::string text_;
    std::vector<PlaceMark> places_;
    std::vector<SilencedChecks> silenced_;
    std::string markup_; // the Markdown or HTML the columns count in
    mutable bool linesFound_ = false;
    mutable std::vector<std::size_t> passageStarts_; // where each line starts in the passage
    mutable std::vector<std::size_t> textStarts_;    // and in the text
    mutable std::vector<std::size_t> markupStarts_;  // each source line of the markup (or text)
};
