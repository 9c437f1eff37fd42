#pragma once

#include "text/FileWrite.h"

#include <optional>
#include <string>
#include <string_view>

// Replaces the file at path with bytes, or leaves it exactly as it was: the
// bytes go to a temporary file beside it, every write and the flush are
// checked, and only a complete copy is renamed over the old file. Empty on
// success; on failure the message is "Cannot create file PATH", with the
// system's reason after it ("No space left on device") once the temporary
// file was made.
[[nodiscard]] std::optional<WriteFailure> SaveFileAtomically(const std::string& path,
                                                             std::string_view bytes);
