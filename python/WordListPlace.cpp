#include "python/WordListPlace.h"

#include <dlfcn.h>

#include <filesystem>
#include <system_error>

std::string ModuleDirectory() {
    Dl_info info{};
    if (::dladdr(reinterpret_cast<const void*>(&ModuleDirectory), &info) == 0 ||
        info.dli_fname == nullptr)
        return {};
    return std::filesystem::path(info.dli_fname).parent_path().string();
}

std::string DefaultWordList(const std::string& moduleDirectory) {
    const std::filesystem::path here(moduleDirectory);
    // A wheel carries the list beside the module.
    const std::filesystem::path beside = here / "cuvplus.dat";
    const std::filesystem::path built =
        (here / SCRIVOLUX_WORD_LIST_FROM_BUILD / "cuvplus.dat").lexically_normal();
    const std::filesystem::path installed =
        (here / SCRIVOLUX_WORD_LIST_FROM_INSTALL / "cuvplus.dat").lexically_normal();
    std::error_code error;
    if (std::filesystem::exists(beside, error))
        return beside.string();
    if (std::filesystem::exists(built, error))
        return built.string();
    return installed.string();
}

bool IsBesideModule(const std::string& wordList) {
    const std::string here = ModuleDirectory();
    return !here.empty() && std::filesystem::path(wordList).parent_path() == here;
}
