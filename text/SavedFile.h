#pragma once

#include <optional>
#include <string>
#include <string_view>

// Replaces the file at path with bytes, or leaves it exactly as it was: the
// bytes go to a temporary file beside it, every write and the flush are
// checked, and only a complete copy is renamed over the old file. Empty on
// success; on failure, whether the temporary file could be made at all and
// the system's reason ("No space left on device").
struct SaveFailure {
    bool created = false;
    std::string reason;
};
std::optional<SaveFailure> SaveFileAtomically(const std::string& path, std::string_view bytes);
