#pragma once

#include <string>
#include <string_view>

// Why something was not written: the message the user is shown, and as data
// the path (or the stream's name) and the system's reason ("No space left on
// device"). Every writer returns std::optional<WriteFailure>, empty when every
// byte arrived; reading throws FileError instead.
struct WriteFailure {
    std::string message;
    std::string path;
    std::string reason;
};

// Writes all of bytes to the open descriptor, again after a short write or an
// interrupted one. False, with errno telling why, when a write fails.
[[nodiscard]] bool WriteAll(int fd, std::string_view bytes);
