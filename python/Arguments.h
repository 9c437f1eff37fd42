#pragma once

// The module's argument types and their pybind11 casters. Each caster turns
// one Python argument into the core's value, names the argument's Python type
// in the signature help() shows, and refuses a wrong value with the argument's
// name: TypeError for a wrong type, ValueError for a value out of range.

#include "report/TextAnalysis.h"
#include "report/TextReport.h"

#include <pybind11/pybind11.h>

#include <algorithm>
#include <cstddef>
#include <string>
#include <string_view>

// An argument's name as a template argument, so that its caster can name it.
template <std::size_t N> struct ArgumentName {
    char text[N];
    consteval ArgumentName(const char (&name)[N]) { std::copy_n(name, N, text); }
    std::string Text() const { return text; }
};

// A str as UTF-8, each lone surrogate (from bytes decoded with surrogateescape)
// as U+FFFD, since it stands for no character. At most kMaxTextFileBytes.
template <ArgumentName Name> struct Str { std::string utf8; };

// None or a str, as above.
template <ArgumentName Name> struct OptionalStr { std::optional<std::string> utf8; };

// A bool; an int is refused (words=1 is a mistake, not a yes).
template <ArgumentName Name> struct Flag { bool value = false; };

// An int from 0 to INT32_MAX; a bool is refused.
template <ArgumentName Name> struct Count { int value = 0; };

// None or a number (int or float; a bool is refused).
template <ArgumentName Name> struct OptionalNumber { std::optional<double> value; };

// A file's name as str, bytes or os.PathLike, as open() takes it: its bytes,
// and the str the name shows as in messages (os.fsdecode). None gives no name.
template <ArgumentName Name> struct Path {
    std::optional<std::string> bytes;
    pybind11::object shown;
};

// The texts of a batch: any iterable but a single str or bytes.
struct Texts {
    pybind11::object items;
};

// The names of a batch's texts: None or any iterable of hashable objects.
struct Names {
    pybind11::object items;
};

// What analyse_many does with an item that is not a str.
enum class NotText {
    Raise, // TypeError, naming the item
    None,  // None in its place
};

// The UTF-8 of a str (see Str); nullopt for any other object.
std::optional<std::string> Utf8Of(pybind11::handle object);
// Python's name for the type of an object, for messages.
std::string TypeName(pybind11::handle object);
// A text's UTF-8 held to the bound the programs keep; what names it in the error.
void CheckTextSize(const std::string& utf8, const std::string& what);

namespace pybind11::detail {

template <ArgumentName Name> struct type_caster<Str<Name>> {
    PYBIND11_TYPE_CASTER(Str<Name>, const_name("str"));
    bool load(handle source, bool) {
        std::optional<std::string> utf8 = Utf8Of(source);
        if (!utf8)
            throw type_error(Name.Text() + " must be str, not " + TypeName(source));
        CheckTextSize(*utf8, Name.Text());
        value.utf8 = std::move(*utf8);
        return true;
    }
};

template <ArgumentName Name> struct type_caster<OptionalStr<Name>> {
    PYBIND11_TYPE_CASTER(OptionalStr<Name>, const_name("str | None"));
    bool load(handle source, bool convert) {
        if (source.is_none())
            return true;
        make_caster<Str<Name>> text;
        text.load(source, convert);
        value.utf8 = std::move(cast_op<Str<Name>&>(text).utf8);
        return true;
    }
};

template <ArgumentName Name> struct type_caster<Flag<Name>> {
    PYBIND11_TYPE_CASTER(Flag<Name>, const_name("bool"));
    bool load(handle source, bool) {
        if (!PyBool_Check(source.ptr()))
            throw type_error(Name.Text() + " must be a bool, not " + TypeName(source));
        value.value = source.ptr() == Py_True;
        return true;
    }
};

template <ArgumentName Name> struct type_caster<Count<Name>> {
    PYBIND11_TYPE_CASTER(Count<Name>, const_name("int"));
    bool load(handle source, bool) {
        if (!PyLong_Check(source.ptr()) || PyBool_Check(source.ptr()))
            throw type_error(Name.Text() + " must be an int, not " + TypeName(source));
        int overflow = 0;
        const long long number = PyLong_AsLongLongAndOverflow(source.ptr(), &overflow);
        if (overflow != 0 || number < 0 || number > INT32_MAX)
            throw value_error(Name.Text() + " must be between 0 and " + std::to_string(INT32_MAX) +
                              ", not " + str(source).cast<std::string>());
        value.value = static_cast<int>(number);
        return true;
    }
};

template <ArgumentName Name> struct type_caster<OptionalNumber<Name>> {
    PYBIND11_TYPE_CASTER(OptionalNumber<Name>, const_name("float | None"));
    bool load(handle source, bool) {
        if (source.is_none())
            return true;
        if (PyBool_Check(source.ptr()) ||
            !(PyFloat_Check(source.ptr()) || PyLong_Check(source.ptr())))
            throw type_error(Name.Text() + " must be a number or None, not " + TypeName(source));
        value.value = PyFloat_AsDouble(source.ptr());
        if (value.value == -1.0 && PyErr_Occurred())
            throw error_already_set();
        return true;
    }
};

template <ArgumentName Name> struct type_caster<Path<Name>> {
    PYBIND11_TYPE_CASTER(Path<Name>, const_name("str | bytes | os.PathLike | None"));
    bool load(handle source, bool) {
        if (source.is_none())
            return true;
        const module_ os = module_::import("os");
        object encoded;
        try {
            encoded = os.attr("fsencode")(source);
        } catch (const error_already_set& error) {
            if (!error.matches(PyExc_TypeError))
                throw;
            throw type_error(Name.Text() + " must be a path (str, bytes or os.PathLike), not " +
                             TypeName(source));
        }
        std::string bytes_ = encoded.cast<std::string>();
        if (bytes_.empty())
            throw value_error(Name.Text() + " must name a file, not ''");
        // The system would read the name only up to the NUL, as another file.
        if (bytes_.find('\0') != std::string::npos)
            throw value_error(Name.Text() + " must not contain a NUL character");
        value.bytes = std::move(bytes_);
        value.shown = os.attr("fsdecode")(source);
        return true;
    }
};

template <> struct type_caster<Texts> {
    PYBIND11_TYPE_CASTER(Texts, const_name("Iterable[str]"));
    bool load(handle source, bool) {
        if (PyUnicode_Check(source.ptr()) || PyBytes_Check(source.ptr()))
            throw type_error("texts must be an iterable of str, not a single " + TypeName(source) +
                             "; use analyse() for one text");
        if (!isinstance<iterable>(source))
            throw type_error("texts must be an iterable of str, not " + TypeName(source));
        value.items = reinterpret_borrow<object>(source);
        return true;
    }
};

template <> struct type_caster<Names> {
    PYBIND11_TYPE_CASTER(Names, const_name("Iterable[Hashable] | None"));
    bool load(handle source, bool) {
        if (!source.is_none() && (PyUnicode_Check(source.ptr()) || !isinstance<iterable>(source)))
            throw type_error("names must be an iterable of names, not " + TypeName(source));
        value.items = reinterpret_borrow<object>(source);
        return true;
    }
};

// One of a few names, chosen from a table of the core's choices.
template <typename Value, ArgumentName Name> struct ChoiceCaster {
    PYBIND11_TYPE_CASTER(Value, const_name("str"));
    template <typename Choices> bool LoadFrom(handle source, const Choices& choices) {
        std::string list;
        for (const auto& choice : choices)
            list += (list.empty() ? "'" : " or '") + std::string(choice.name) + "'";
        if (!PyUnicode_Check(source.ptr()))
            throw type_error(Name.Text() + " must be " + list + ", not " + TypeName(source));
        // A str with a lone surrogate has no UTF-8 and matches no choice.
        Py_ssize_t size = 0;
        if (const char* utf8 = PyUnicode_AsUTF8AndSize(source.ptr(), &size)) {
            const std::string_view text(utf8, static_cast<std::size_t>(size));
            for (const auto& choice : choices) {
                if (choice.name == text) {
                    value = choice.value;
                    return true;
                }
            }
        } else {
            PyErr_Clear();
        }
        throw value_error(Name.Text() + " must be " + list + ", not " +
                          repr(source).cast<std::string>());
    }
};

// The rules and policies a Python caller may choose: never "ask", since
// nobody is there to answer.
inline constexpr std::array<Choice<UnknownWordCount>, 2> kPythonUnknownWordCounts = {{
    {"estimate", UnknownWordCount::Estimate, ""},
    {"zero", UnknownWordCount::Zero, ""},
}};
// The module counts a text by the rules named, never by its file's kind.
inline constexpr std::array<Choice<CountingRules>, 2> kPythonCountingRules = {{
    {"classic", CountingRules::Classic, ""},
    {"careful", CountingRules::Careful, ""},
}};
inline constexpr std::array<Choice<NotText>, 2> kNotTextChoices = {{
    {"raise", NotText::Raise, ""},
    {"none", NotText::None, ""},
}};

template <> struct type_caster<CountingRules> : ChoiceCaster<CountingRules, "rules"> {
    static constexpr auto name = const_name("Literal['classic', 'careful']");
    bool load(handle source, bool) { return LoadFrom(source, kPythonCountingRules); }
};

// A file's rules may follow its kind, as scrivolux-cli's do: the core's own
// table, auto first.
template <> struct type_caster<RulesChoice> : ChoiceCaster<RulesChoice, "rules"> {
    static constexpr auto name = const_name("Literal['auto', 'classic', 'careful']");
    bool load(handle source, bool) { return LoadFrom(source, kCountingRules); }
};

template <> struct type_caster<UnknownWordCount> : ChoiceCaster<UnknownWordCount, "unknown"> {
    static constexpr auto name = const_name("Literal['estimate', 'zero']");
    bool load(handle source, bool) { return LoadFrom(source, kPythonUnknownWordCounts); }
};

template <> struct type_caster<NotText> : ChoiceCaster<NotText, "errors"> {
    static constexpr auto name = const_name("Literal['raise', 'none']");
    bool load(handle source, bool) { return LoadFrom(source, kNotTextChoices); }
};

} // namespace pybind11::detail
