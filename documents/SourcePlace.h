#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

// Where a piece of a document's text came from: a line and column of the file
// for plain text, Markdown and web pages, a paragraph of a word-processor
// document (counted from 1, empty ones too), a page of a PDF.
enum class PlaceKind { Line, Paragraph, Page };

struct SourcePlace {
    PlaceKind kind = PlaceKind::Line;
    int number = 1; // the line, paragraph or page, from 1
    int column = 0; // for a line: the byte of the line, from 1; 0 otherwise

    friend bool operator==(const SourcePlace&, const SourcePlace&) = default;
};

// From offset on (up to the next mark), the text came from place. Within a
// Line mark, each line feed of the text after offset is one more source line.
struct PlaceMark {
    std::size_t offset = 0; // in the text, in bytes
    SourcePlace place;

    friend bool operator==(const PlaceMark&, const PlaceMark&) = default;
};

// A stretch of a document's text, by byte offsets [begin, end).
struct TextRange {
    std::size_t begin = 0;
    std::size_t end = 0;

    friend bool operator==(const TextRange&, const TextRange&) = default;
};

// Where an ignore comment turned some writing checks off: their findings in
// the range are to be dropped. rules holds the checks' ids as written.
struct SilencedChecks {
    TextRange range;
    std::vector<std::string> rules;

    friend bool operator==(const SilencedChecks&, const SilencedChecks&) = default;
};

// A document's text and where its parts came from, marks in text order;
// the code and link targets inside its prose (inline code, an address written
// as its own link), which the careful rules do not count, in text order; the
// checks its ignore comments turned off.
struct DocumentText {
    std::string text;
    std::vector<PlaceMark> places;
    std::vector<TextRange> code;
    std::vector<SilencedChecks> silenced;
    std::vector<std::string> warnings; // about the text read, for the person reading
};

// What an HTML comment asks of the reader: "scrivolux-disable" (what follows
// is left out), "scrivolux-enable" (taken in again, and every check on),
// "scrivolux-disable-next-block" (the next paragraph, list or table left out),
// "scrivolux-disable rule-id,..." (only those checks off until an enable).
struct IgnoreComment {
    enum class Kind { None, Disable, Enable, DisableNextBlock, DisableChecks };
    Kind kind = Kind::None;
    std::vector<std::string> rules; // for DisableChecks
};
// The comment's text between "<!--" and "-->"; None for any other comment.
IgnoreComment ParseIgnoreComment(std::string_view comment);

// The place of the byte at offset: its mark's place, moved on by the lines
// and bytes between them for a Line mark. Line 1, column offset + 1 when
// there is no mark before it.
SourcePlace PlaceAt(std::string_view text, const std::vector<PlaceMark>& places,
                    std::size_t offset);

// Builds a document's text block by block: each block (heading, paragraph,
// list item, table cell) on lines of its own with a blank line between
// blocks, its spaces collapsed and trimmed, an empty block leaving nothing.
// The text is refused with "Text exceeds memo capacity" once it passes
// maxBytes.
class BlockWriter {
public:
    explicit BlockWriter(std::size_t maxBytes);

    // Where the text appended next comes from. A place the text already
    // implies adds no mark.
    void Place(const SourcePlace& place);
    // Text of the current block; a run of spaces, tabs and line ends is one
    // space (none at the start of a block), U+00A0 a space too.
    void AppendCollapsed(std::string_view text);
    // The same for text that starts at place (on one line): its first
    // visible byte is marked there.
    void AppendCollapsed(std::string_view text, SourcePlace place);
    // Text kept as it is, line ends included.
    void Append(std::string_view text);
    // A line break inside the block; never two blank lines.
    void LineBreak();
    void EndBlock();

    // The length of the current block, to cut it back to (markup that turned
    // out to hold no prose).
    std::size_t BlockSize() const { return block_.size(); }
    void CutBlock(std::size_t size);

    // Ends the last block and hands the text over.
    DocumentText Take();

    // Text appended between these is code (its place in the final text is
    // kept in DocumentText::code).
    void BeginCode();
    void EndCode();

    // What an ignore comment asks; the reader tells where blocks start and end
    // at the top level (a paragraph, a whole list or table).
    void Ignore(const IgnoreComment& comment);
    // A top-level block starts: left out whole after a disable-next-block.
    void StartTopBlock();
    void EndTopBlock();
    // Whether a disable-next-block waits for its block; the wait ends here
    // (a reader that leaves the block out itself).
    bool TakeNextBlock() { return std::exchange(skipNextBlock_, false); }
    // Whether text appended now is left out.
    bool Silent() const { return disabled_ || skippingBlock_; }

private:
    void CheckSize() const;
    void Advance(std::string_view appended);

    std::size_t maxBytes_;
    DocumentText done_;
    std::string block_;
    std::vector<PlaceMark> blockMarks_; // offsets within block_
    // The place the next byte would have if no mark were added, when known.
    bool predicted_ = false;
    SourcePlace next_;

    std::vector<TextRange> blockCode_; // offsets within block_
    std::size_t codeStart_ = 0;
    int codeDepth_ = 0;
    bool disabled_ = false;
    bool skipNextBlock_ = false;
    bool skippingBlock_ = false;
    int topDepth_ = 0;
    std::vector<SilencedChecks> openSilences_; // their ends not yet known
};
