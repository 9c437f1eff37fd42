#pragma once

#include "documents/PdfText.h" // LoadProgress

#include <string>
#include <vector>

class QString;

// The prose of a web page as Qt's rich text reader sees it: one line per block;
// scripts, styles, navigation and preformatted or code blocks left out, list
// bullets and table borders never part of the text. Nothing the page names
// (pictures, style sheets) is loaded, and nesting deeper than any real page is
// flattened. Read in pieces, progress told after each; throws LoadCancelled
// when it returns false, and "Text exceeds memo capacity" past 64 MB. Needs a
// QGuiApplication. "" gives "".
std::string HtmlText(const QString& html, const LoadProgress& progress = {});

// The prose of a Markdown text read by Qt's Markdown reader: one line per block,
// fenced and indented code blocks left out, markup characters gone. Read as
// HtmlText reads the page it makes. Needs a QGuiApplication. "" gives "".
std::string MarkdownText(const QString& markdown, const LoadProgress& progress = {});

// Deeper than any page people write: Qt's rich text reader takes time that
// grows with the square of the nesting, so tags deeper than this are dropped
// (a block's tag becomes a paragraph break, so its text still stands apart).
inline constexpr int kMaxPageNesting = 32;

// The page with its nesting bounded by kMaxPageNesting, in pieces of about
// 256 KB cut between top-level blocks, which the reader takes one at a time.
// One pass over the page.
std::vector<QString> BoundedPieces(const QString& html);
