#pragma once

// The values an option can take, each table in one place with the names a
// user types and what each means in a line. The command line's parser, its
// help and its errors are made from these tables; the shell completions and
// the manual page are held to them by a test.

#include <array>
#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

template <typename Value> struct Choice {
    std::string_view name; // as typed: "jsonl"
    Value value;
    std::string_view meaning; // one line, for the help: "one JSON object per line per file"
};

template <typename Value, std::size_t N>
std::optional<Value> ChoiceNamed(const std::array<Choice<Value>, N>& choices,
                                 std::string_view name) {
    for (const Choice<Value>& choice : choices) {
        if (choice.name == name)
            return choice.value;
    }
    return std::nullopt;
}

template <typename Value, std::size_t N>
std::string_view ChoiceName(const std::array<Choice<Value>, N>& choices, Value value) {
    for (const Choice<Value>& choice : choices) {
        if (choice.value == value)
            return choice.name;
    }
    return {};
}

// The names as prose, "a, b or c", or with meanings, "a (its meaning), b (...) or c (...)".
template <typename Value, std::size_t N>
std::string ChoiceList(const std::array<Choice<Value>, N>& choices, bool meanings = false) {
    std::string list;
    for (std::size_t i = 0; i < N; ++i) {
        if (i > 0)
            list += i + 1 == N ? " or " : ", ";
        list += choices[i].name;
        if (meanings) {
            list += " (";
            list += choices[i].meaning;
            list += ')';
        }
    }
    return list;
}

// The names for a value placeholder: "a|b|c".
template <typename Value, std::size_t N>
std::string ChoiceNames(const std::array<Choice<Value>, N>& choices) {
    std::string names;
    for (const Choice<Value>& choice : choices) {
        if (!names.empty())
            names += '|';
        names += choice.name;
    }
    return names;
}
