#pragma once

#include <stdexcept>
#include <string>
#include <utility>

// The one error type of the core. Its message is what the user is shown.
class ScrivoluxError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// A text that is not a valid integer ("'%s' is not a valid integer value").
class ConvertError : public ScrivoluxError {
public:
    using ScrivoluxError::ScrivoluxError;
};

// A text larger than the text area holds: "Text exceeds memo capacity".
class TextTooLarge : public ScrivoluxError {
public:
    TextTooLarge() : ScrivoluxError("Text exceeds memo capacity") {}
};

// A file that could not be read or written. The message is what the user is
// shown ("Cannot open file %s"); the path and the system's reason are kept as
// data, for callers that say more.
class FileError : public ScrivoluxError {
public:
    FileError(const std::string& message, std::string path, std::string reason)
        : ScrivoluxError(message), path_(std::move(path)), reason_(std::move(reason)) {}

    const std::string& Path() const { return path_; }
    const std::string& Reason() const { return reason_; }

private:
    std::string path_;
    std::string reason_;
};
