#pragma once

#include "documents/PdfText.h" // LoadProgress

#include <string>

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
