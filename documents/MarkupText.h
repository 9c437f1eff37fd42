#pragma once

#include <string>

class QString;

// The prose of a web page as Qt's rich text reader sees it: one line per block;
// scripts, styles, navigation and preformatted or code blocks left out, list
// bullets and table borders never part of the text. Needs a QGuiApplication.
// "" gives "".
std::string HtmlText(const QString& html);

// The prose of a Markdown text read by Qt's Markdown reader: one line per block,
// fenced and indented code blocks left out, markup characters gone. Needs a
// QGuiApplication. "" gives "".
std::string MarkdownText(const QString& markdown);
