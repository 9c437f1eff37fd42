#pragma once

#include "documents/PdfText.h" // LoadProgress
#include "documents/SourcePlace.h"

#include <string>
#include <string_view>

// The prose of a web page (UTF-8), read by libxml2's HTML parser: one line per
// block (heading, paragraph, list item, table cell), a blank line between
// blocks; the head, scripts, styles, navigation, templates, preformatted and
// code blocks, notes sections (class "footnotes", role "doc-endnotes") and
// note references left out. Each part carries its source line and column.
// Nothing the page names is opened, nesting deeper than any real page is
// flattened, and the page is read in pieces, progress told after each; throws
// LoadCancelled when it returns false, and "Text exceeds memo capacity" past
// 64 MB. "" gives "".
DocumentText HtmlText(std::string_view html, const LoadProgress& progress = {});

// The prose of a Markdown text (UTF-8), read through md4c's own events: one
// line per block, front matter, footnotes, code blocks, pictures and markup
// left out; raw HTML blocks read as HtmlText reads a page, raw tags in prose
// dropped alone. Each part carries its source line and column. Throws as
// HtmlText does. "" gives "".
DocumentText MarkdownText(std::string_view markdown, const LoadProgress& progress = {});

// Deeper than any page people write: elements nested deeper than this are
// dropped (a block's tag becomes a rule, so its text still stands apart), which
// keeps the parser's own work per tag small.
inline constexpr int kMaxPageNesting = 32;

// The page with its nesting bounded by kMaxPageNesting: elements the page
// leaves open are closed by explicit end tags where a browser would close
// them, so that the parser never nests deeper than kMaxPageNesting and a few
// implied elements. Keeps every line break of the page. One pass.
std::string BoundedNesting(std::string_view html);
