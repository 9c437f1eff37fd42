#pragma once

#include "documents/SourcePlace.h"

#include <string>
#include <string_view>

// The text of a .docx main part (word/document.xml): one line per paragraph,
// runs joined, a tab as a space, a line break as a line feed. Deleted and
// moved-away revisions and the fallback copies of text boxes are left out.
// Each line is marked with its paragraph's number in the body, from 1.
// Throws a ScrivoluxError for XML that is not well-formed or declares a
// document type (no Word file does, and entities are never expanded), and
// "The document unpacks to more than 64 MB of text" as soon as the text grows
// past that. A body without paragraphs gives "".
DocumentText DocxText(std::string_view xml);

// The text of an .odt content.xml: one line per paragraph and heading, text:s
// and text:tab as spaces; footnotes, comments and tracked deletions left out.
// Throws as DocxText does.
DocumentText OdtText(std::string_view xml);
