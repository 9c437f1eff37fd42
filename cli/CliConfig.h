#pragma once

#include "checks/CheckRules.h"
#include "cli/CliOptions.h"
#include "text/Error.h"

#include <map>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

// A repository's settings for scrivolux-cli, in .scrivolux.toml or in the
// [tool.scrivolux] table of pyproject.toml:
//
//   rules = "careful"
//   max-grade = 12
//   grade-index = "fk"
//   unknown = "estimate"
//   checks = ["passive", "wordy"]   # these only; true for all, false or [] for none
//   exclude = ["drafts/**", "CHANGELOG.md"]
//
//   [[overrides]]
//   files = ["legal/**"]
//   max-grade = 20
//
// Globs are relative to the file's folder: "*" and "?" stay within a folder,
// "**" crosses folders, and a glob without a "/" matches a name in any folder.

// What one table sets; each key only when given.
struct ConfigSettings {
    std::optional<RulesChoice> rules;
    std::optional<double> maxGrade;
    std::optional<GradeIndex> gradeIndex;
    std::optional<UnknownMode> unknown;
    std::optional<std::vector<CheckRule>> checks; // empty: none
};

struct ConfigOverride {
    std::vector<std::string> files; // globs
    ConfigSettings settings;
};

struct CliConfig {
    std::string path;   // the file read
    std::string folder; // its folder, absolute: the globs start there
    ConfigSettings settings;
    std::vector<std::string> exclude;
    std::vector<ConfigOverride> overrides;
};

// A configuration that cannot be used: a usage error, its message naming the
// file, the line and the key ("docs/.scrivolux.toml:3: unknown key 'max_grade'").
class ConfigError : public ScrivoluxError {
public:
    using ScrivoluxError::ScrivoluxError;
};

// Reads a configuration file; a pyproject.toml is read for its
// [tool.scrivolux] table, and gives nullopt without one. Throws ConfigError
// for a file that cannot be read or parsed, an unknown key or a bad value.
std::optional<CliConfig> ReadConfig(const std::string& path);

// The nearest configuration of each file, from its folder upward: in each
// folder .scrivolux.toml first, then a pyproject.toml that has the table.
// Folders already searched are remembered.
class ConfigFinder {
public:
    // nullptr when there is none. Standard input ("-") is looked up from the
    // current folder.
    const CliConfig* For(const std::string& file);

private:
    const CliConfig* InFolder(const std::string& folder);

    std::map<std::string, std::shared_ptr<const CliConfig>> byFolder_;
};

// Whether the path (relative, "/"-separated) matches the glob.
bool GlobMatches(std::string_view glob, std::string_view path);

// Whether the config leaves the file out.
bool Excluded(const CliConfig& config, const std::string& file);

// The options for one file: the command line's, under them the config's and
// then its matching overrides' (in order); a flag given on the command line
// wins over both.
CliOptions OptionsFor(const CliOptions& commandLine, const CliConfig* config,
                      const std::string& file);
