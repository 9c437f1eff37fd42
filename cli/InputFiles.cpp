#include "cli/InputFiles.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <filesystem>
#include <string_view>
#include <system_error>

namespace fs = std::filesystem;

namespace {

bool ReadableExtension(const fs::path& path) {
    std::string extension = path.extension().string();
    std::transform(extension.begin(), extension.end(), extension.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    constexpr std::array<std::string_view, 8> kExtensions = {".txt", ".md",   ".markdown", ".html",
                                                             ".htm", ".docx", ".odt",      ".pdf"};
    return std::find(kExtensions.begin(), kExtensions.end(), extension) != kExtensions.end();
}

bool Hidden(const fs::path& path) {
    const std::string name = path.filename().string();
    return !name.empty() && name.front() == '.';
}

void AddFolder(const std::string& folder, std::vector<std::string>& files) {
    std::vector<std::string> found;
    std::error_code error;
    fs::recursive_directory_iterator walk(folder, fs::directory_options::skip_permission_denied,
                                          error);
    for (; !error && walk != fs::recursive_directory_iterator(); walk.increment(error)) {
        const fs::directory_entry& entry = *walk;
        if (Hidden(entry.path())) {
            if (entry.is_directory(error))
                walk.disable_recursion_pending();
            continue;
        }
        // A link to a folder is not followed: it could lead back up.
        if (entry.is_regular_file(error) && ReadableExtension(entry.path()))
            found.push_back(entry.path().string());
    }
    std::sort(found.begin(), found.end());
    files.insert(files.end(), found.begin(), found.end());
}

} // namespace

bool IsFolder(const std::string& input) {
    std::error_code error;
    return input != "-" && fs::is_directory(input, error);
}

std::vector<std::string> ExpandInputs(const std::vector<std::string>& inputs) {
    std::vector<std::string> files;
    for (const std::string& input : inputs) {
        if (input.ends_with('/') && IsFolder(input))
            AddFolder(input, files);
        else
            files.push_back(input);
    }
    return files;
}
