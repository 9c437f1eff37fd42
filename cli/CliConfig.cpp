#include "cli/CliConfig.h"

#include <toml++/toml.h>

#include <algorithm>
#include <filesystem>
#include <regex>
#include <system_error>

namespace fs = std::filesystem;

namespace {

std::string Where(const std::string& path, const toml::source_region& source) {
    return path + ':' + std::to_string(source.begin.line) + ": ";
}

template <typename Value, std::size_t N>
Value ChoiceValue(const std::string& path, std::string_view key, const toml::node& node,
                  const std::array<Choice<Value>, N>& table) {
    if (const std::optional<std::string> name = node.value<std::string>()) {
        if (const std::optional<Value> value = ChoiceNamed(table, *name))
            return *value;
    }
    throw ConfigError(Where(path, node.source()) + "invalid value for " + std::string(key) +
                      " (use " + ChoiceList(table) + ")");
}

std::vector<std::string> Strings(const std::string& path, std::string_view key,
                                 const toml::node& node) {
    std::vector<std::string> strings;
    const toml::array* array = node.as_array();
    if (array == nullptr)
        throw ConfigError(Where(path, node.source()) + std::string(key) +
                          " must be a list of strings");
    for (const toml::node& item : *array) {
        const std::optional<std::string> text = item.value<std::string>();
        if (!text)
            throw ConfigError(Where(path, item.source()) + std::string(key) +
                              " must be a list of strings");
        strings.push_back(*text);
    }
    return strings;
}

std::vector<CheckRule> Checks(const std::string& path, const toml::node& node) {
    if (const std::optional<bool> all = node.value_exact<bool>()) {
        std::vector<CheckRule> rules;
        if (*all) {
            for (const CheckRuleInfo& info : CheckRules())
                rules.push_back(info.rule);
        }
        return rules;
    }
    std::vector<CheckRule> rules;
    for (const std::string& id : Strings(path, "checks", node)) {
        const std::optional<CheckRule> rule = CheckRuleOfId(id);
        if (!rule)
            throw ConfigError(Where(path, node.source()) + "unknown check '" + id + "' in checks");
        rules.push_back(*rule);
    }
    return rules;
}

// One key of a table, false when the key is not a setting.
bool ReadSetting(const std::string& path, std::string_view key, const toml::node& node,
                 ConfigSettings& settings) {
    if (key == "rules") {
        settings.rules = ChoiceValue(path, key, node, kCountingRules);
    } else if (key == "grade-index") {
        settings.gradeIndex = ChoiceValue(path, key, node, kGradeIndices);
    } else if (key == "unknown") {
        settings.unknown = ChoiceValue(path, key, node, kUnknownModes);
    } else if (key == "max-grade") {
        const std::optional<double> grade = node.is_boolean() ? std::nullopt : node.value<double>();
        if (!grade || !std::isfinite(*grade))
            throw ConfigError(Where(path, node.source()) +
                              "invalid value for max-grade (use a number)");
        settings.maxGrade = *grade;
    } else if (key == "checks") {
        settings.checks = Checks(path, node);
    } else {
        return false;
    }
    return true;
}

[[noreturn]] void UnknownKey(const std::string& path, const toml::key& key) {
    throw ConfigError(Where(path, key.source()) + "unknown key '" + std::string(key.str()) + "'");
}

CliConfig ReadTable(const std::string& path, const toml::table& table) {
    CliConfig config;
    config.path = path;
    std::error_code error;
    config.folder = fs::absolute(fs::path(path), error).parent_path().lexically_normal().string();
    for (const auto& [key, node] : table) {
        if (ReadSetting(path, key.str(), node, config.settings))
            continue;
        if (key.str() == "exclude") {
            config.exclude = Strings(path, "exclude", node);
        } else if (key.str() == "overrides") {
            const toml::array* overrides = node.as_array();
            if (overrides == nullptr || !overrides->is_array_of_tables())
                throw ConfigError(Where(path, node.source()) +
                                  "overrides must be tables ([[overrides]])");
            for (const toml::node& item : *overrides) {
                ConfigOverride override;
                bool hasFiles = false;
                for (const auto& [innerKey, inner] : *item.as_table()) {
                    if (innerKey.str() == "files") {
                        override.files = Strings(path, "files", inner);
                        hasFiles = true;
                    } else if (!ReadSetting(path, innerKey.str(), inner, override.settings)) {
                        UnknownKey(path, innerKey);
                    }
                }
                if (!hasFiles)
                    throw ConfigError(Where(path, item.source()) + "an override needs files");
                config.overrides.push_back(std::move(override));
            }
        } else {
            UnknownKey(path, key);
        }
    }
    return config;
}

void Apply(const ConfigSettings& settings, CliOptions& options) {
    if (settings.rules)
        options.rules = *settings.rules;
    if (settings.maxGrade)
        options.maxGrade = settings.maxGrade;
    if (settings.gradeIndex)
        options.gradeIndex = *settings.gradeIndex;
    if (settings.unknown)
        options.unknown = *settings.unknown;
    if (settings.checks) {
        options.checks = !settings.checks->empty();
        options.checkRules = settings.checks;
    }
}

// The file's path from the config's folder, "/"-separated; empty when it
// lies outside it.
std::string RelativePath(const CliConfig& config, const std::string& file) {
    std::error_code error;
    const fs::path absolute = fs::absolute(fs::path(file), error).lexically_normal();
    const fs::path relative = absolute.lexically_relative(config.folder);
    const std::string text = relative.generic_string();
    if (text.empty() || text.starts_with(".."))
        return {};
    return text;
}

bool AnyMatches(const std::vector<std::string>& globs, const std::string& path) {
    return !path.empty() && std::any_of(globs.begin(), globs.end(), [&](const std::string& glob) {
        return GlobMatches(glob, path);
    });
}

} // namespace

std::optional<CliConfig> ReadConfig(const std::string& path) {
    toml::table table;
    try {
        table = toml::parse_file(path);
    } catch (const toml::parse_error& error) {
        throw ConfigError(Where(path, error.source()) + std::string(error.description()));
    }
    if (fs::path(path).filename() == "pyproject.toml") {
        const toml::table* tool = table["tool"].as_table();
        const toml::table* own = tool ? (*tool)["scrivolux"].as_table() : nullptr;
        if (own == nullptr)
            return std::nullopt;
        return ReadTable(path, *own);
    }
    return ReadTable(path, table);
}

const CliConfig* ConfigFinder::For(const std::string& file) {
    std::error_code error;
    fs::path folder =
        file == "-" ? fs::current_path(error) : fs::absolute(fs::path(file), error).parent_path();
    return InFolder(folder.lexically_normal().string());
}

const CliConfig* ConfigFinder::InFolder(const std::string& folder) {
    if (const auto known = byFolder_.find(folder); known != byFolder_.end())
        return known->second.get();
    std::shared_ptr<const CliConfig> found;
    std::error_code error;
    const fs::path here(folder);
    for (const char* name : {".scrivolux.toml", "pyproject.toml"}) {
        const fs::path candidate = here / name;
        if (!fs::is_regular_file(candidate, error))
            continue;
        // Named from the current folder when it lies below it, as the files are.
        const fs::path shown = candidate.lexically_relative(fs::current_path(error));
        const bool below = !shown.empty() && !shown.generic_string().starts_with("..");
        if (std::optional<CliConfig> config =
                ReadConfig(below ? shown.string() : candidate.string())) {
            found = std::make_shared<const CliConfig>(std::move(*config));
            break;
        }
    }
    if (!found && here.has_parent_path() && here.parent_path() != here) {
        const CliConfig* above = InFolder(here.parent_path().string());
        found = above ? byFolder_[here.parent_path().string()] : nullptr;
    }
    byFolder_[folder] = found;
    return found.get();
}

bool GlobMatches(std::string_view glob, std::string_view path) {
    // A glob without a "/" may start at any folder of the path.
    const bool anyFolder = glob.find('/') == std::string_view::npos;
    if (glob.starts_with("./"))
        glob.remove_prefix(2);
    std::string pattern;
    for (std::size_t i = 0; i < glob.size(); ++i) {
        const char c = glob[i];
        if (c == '*' && i + 1 < glob.size() && glob[i + 1] == '*') {
            ++i;
            if (i + 1 < glob.size() && glob[i + 1] == '/') {
                ++i;
                pattern += "(.*/)?";
            } else {
                pattern += ".*";
            }
        } else if (c == '*') {
            pattern += "[^/]*";
        } else if (c == '?') {
            pattern += "[^/]";
        } else {
            if (std::string_view("\\^$.|+()[]{}").find(c) != std::string_view::npos)
                pattern += '\\';
            pattern += c;
        }
    }
    // A glob that names a folder takes everything under it.
    const std::regex compiled(pattern + "(/.*)?");
    for (std::size_t start = 0;;) {
        if (std::regex_match(path.begin() + static_cast<std::ptrdiff_t>(start), path.end(),
                             compiled))
            return true;
        const std::size_t slash = path.find('/', start);
        if (!anyFolder || slash == std::string_view::npos)
            return false;
        start = slash + 1;
    }
}

bool Excluded(const CliConfig& config, const std::string& file) {
    return AnyMatches(config.exclude, RelativePath(config, file));
}

CliOptions OptionsFor(const CliOptions& commandLine, const CliConfig* config,
                      const std::string& file) {
    if (config == nullptr)
        return commandLine;
    CliOptions options = commandLine;
    Apply(config->settings, options);
    const std::string path = RelativePath(*config, file);
    for (const ConfigOverride& override : config->overrides) {
        if (AnyMatches(override.files, path))
            Apply(override.settings, options);
    }
    // The flags given win.
    const auto given = [&](const char* name) { return commandLine.given.contains(name); };
    if (given("rules"))
        options.rules = commandLine.rules;
    if (given("max-grade"))
        options.maxGrade = commandLine.maxGrade;
    if (given("grade-index"))
        options.gradeIndex = commandLine.gradeIndex;
    if (given("unknown"))
        options.unknown = commandLine.unknown;
    if (given("checks") || given("fail-on-checks")) {
        options.checks = true;
        options.checkRules.reset();
    }
    return options;
}
