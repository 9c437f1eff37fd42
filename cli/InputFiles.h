#pragma once

#include <string>
#include <vector>

// The files a run reads: each input as given, a folder named with a slash at
// the end ("docs/", "./") replaced by the files under it whose extension names a format the readers
// take (txt, md, markdown, html, htm, docx, odt, pdf, in any case), in byte order of their paths,
// hidden files and folders (a name starting with ".") left out. An unreadable folder's entries are
// skipped; a folder without such files adds nothing. "-" stays.
std::vector<std::string> ExpandInputs(const std::vector<std::string>& inputs);

// Whether a path names a folder (not "-"). A folder named without the slash
// is read as a file, and refused as before.
bool IsFolder(const std::string& input);
