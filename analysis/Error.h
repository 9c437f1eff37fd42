#pragma once

#include <stdexcept>
#include <string>

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
