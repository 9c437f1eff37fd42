// The Python module: turns Python arguments into the core's and the core's
// report object into a dict. The counting and the object itself come from the
// core, exactly as scrivolux-cli gets them.

#include "python/WordListPlace.h"

#include "dictionary/Dictionary.h"
#include "dictionary/UserDictionary.h"
#include "documents/DocumentReader.h"
#include "documents/FilePlaces.h"
#include "report/ResultJson.h"
#include "report/TextAnalysis.h"
#include "text/Error.h"
#include "text/TextFile.h"

#include <pybind11/pybind11.h>

#include <pthread.h>
#include <sched.h>

#include <algorithm>
#include <atomic>
#include <cstdint>
#include <exception>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <string_view>
#include <system_error>
#include <thread>
#include <vector>

namespace py = pybind11;

namespace {

// A word list that cannot be used; raised in Python as scrivolux.WordListError
// (an OSError) with the path as its filename.
class WordListFailure : public std::exception {
public:
    WordListFailure(std::string message, std::string path)
        : message_(std::move(message)), path_(std::move(path)) {}
    const char* what() const noexcept override { return message_.c_str(); }
    const std::string& Path() const { return path_; }

private:
    std::string message_;
    std::string path_;
};

// Owned by the module for the life of the process, like the module itself.
PyObject* wordListErrorType = nullptr;

// The word lists loaded in this process. Each is loaded once and then only
// read, by any number of threads at once. A failed load is not remembered: the
// file may be put right and asked for again.
struct LoadedWordLists {
    std::mutex mutex;
    std::map<std::string, std::shared_ptr<TDictionary>> lists;
};

LoadedWordLists& WordLists() {
    static LoadedWordLists* const lists = new LoadedWordLists; // outlives every thread
    return *lists;
}

// A fork waits for a load in progress, so that the child (which has only the
// forking thread) finds the mutex free and the list whole.
void RegisterForkHandlers() {
    ::pthread_atfork([] { WordLists().mutex.lock(); }, [] { WordLists().mutex.unlock(); },
                     [] { WordLists().mutex.unlock(); });
}

std::shared_ptr<TDictionary> LoadedWordList(const std::string& path) {
    LoadedWordLists& loaded = WordLists();
    const std::lock_guard lock(loaded.mutex);
    if (const auto found = loaded.lists.find(path); found != loaded.lists.end())
        return found->second;

    auto dictionary = std::make_shared<TDictionary>();
    try {
        // No user dictionary: a batch job gives the same counts on every machine.
        // A list without a word is refused there, as the programs refuse it.
        LoadStartupDictionaries(*dictionary, {path, std::string()});
    } catch (const FileError& error) {
        throw WordListFailure(error.what(), path);
    }
    loaded.lists.emplace(path, dictionary);
    return dictionary;
}

const std::string& DefaultWordListPath() {
    static const std::string path = DefaultWordList(ModuleDirectory());
    return path;
}

// Python's name for the type of an object, for messages.
std::string TypeName(py::handle object) {
    return Py_TYPE(object.ptr())->tp_name;
}

// The UTF-8 of a str that holds lone surrogates (from bytes decoded with
// surrogateescape, say), each replaced by U+FFFD: they stand for no character.
std::string Utf8WithoutSurrogates(PyObject* text) {
    const Py_ssize_t length = PyUnicode_GetLength(text);
    const int kind = PyUnicode_KIND(text);
    const void* data = PyUnicode_DATA(text);
    std::string utf8;
    utf8.reserve(static_cast<std::size_t>(length));
    for (Py_ssize_t i = 0; i < length; ++i) {
        Py_UCS4 c = PyUnicode_READ(kind, data, i);
        if (c >= 0xD800 && c <= 0xDFFF)
            c = 0xFFFD;
        if (c < 0x80) {
            utf8 += static_cast<char>(c);
        } else if (c < 0x800) {
            utf8 += static_cast<char>(0xC0 | c >> 6);
            utf8 += static_cast<char>(0x80 | (c & 0x3F));
        } else if (c < 0x10000) {
            utf8 += static_cast<char>(0xE0 | c >> 12);
            utf8 += static_cast<char>(0x80 | (c >> 6 & 0x3F));
            utf8 += static_cast<char>(0x80 | (c & 0x3F));
        } else {
            utf8 += static_cast<char>(0xF0 | c >> 18);
            utf8 += static_cast<char>(0x80 | (c >> 12 & 0x3F));
            utf8 += static_cast<char>(0x80 | (c >> 6 & 0x3F));
            utf8 += static_cast<char>(0x80 | (c & 0x3F));
        }
    }
    return utf8;
}

std::string TextOf(py::handle object, const std::string& what) {
    if (!PyUnicode_Check(object.ptr()))
        throw py::type_error(what + " must be str, not " + TypeName(object));
    Py_ssize_t size = 0;
    const char* utf8 = PyUnicode_AsUTF8AndSize(object.ptr(), &size);
    std::string text;
    if (utf8 != nullptr) {
        text.assign(utf8, static_cast<std::size_t>(size));
    } else {
        PyErr_Clear();
        text = Utf8WithoutSurrogates(object.ptr());
    }
    // The programs refuse larger texts too; the counts would not fit their type.
    if (text.size() > kMaxTextFileBytes)
        throw py::value_error(what + " is larger than " +
                              std::to_string(kMaxTextFileBytes / (1024 * 1024)) +
                              " MB of UTF-8; split it into smaller texts");
    return text;
}

std::string StringOption(py::handle value, const char* name,
                         std::initializer_list<const char*> allowed) {
    std::string list;
    for (const char* choice : allowed)
        list += std::string(list.empty() ? "" : " or ") + "'" + choice + "'";
    if (!PyUnicode_Check(value.ptr()))
        throw py::type_error(std::string(name) + " must be " + list + ", not " + TypeName(value));
    // A str with a lone surrogate has no UTF-8 and matches no choice.
    Py_ssize_t size = 0;
    if (const char* utf8 = PyUnicode_AsUTF8AndSize(value.ptr(), &size)) {
        const std::string text(utf8, static_cast<std::size_t>(size));
        for (const char* choice : allowed) {
            if (text == choice)
                return text;
        }
    } else {
        PyErr_Clear();
    }
    throw py::value_error(std::string(name) + " must be " + list + ", not " +
                          py::repr(value).cast<std::string>());
}

// An int argument (bool refused: threads=True is a mistake, not one thread).
long long IntOption(py::handle value, const char* name, long long minimum) {
    if (!PyLong_Check(value.ptr()) || PyBool_Check(value.ptr()))
        throw py::type_error(std::string(name) + " must be an int, not " + TypeName(value));
    int overflow = 0;
    const long long number = PyLong_AsLongLongAndOverflow(value.ptr(), &overflow);
    if (overflow != 0 || number < minimum || number > INT32_MAX)
        throw py::value_error(std::string(name) + " must be between " + std::to_string(minimum) +
                              " and " + std::to_string(INT32_MAX) + ", not " +
                              py::str(value).cast<std::string>());
    return number;
}

bool BoolOption(py::handle value, const char* name) {
    if (!PyBool_Check(value.ptr()))
        throw py::type_error(std::string(name) + " must be a bool, not " + TypeName(value));
    return value.ptr() == Py_True;
}

// What every call is asked to do, from its keyword arguments.
struct Request {
    TextAnalysisOptions options;
    std::shared_ptr<TDictionary> dictionary;
};

Request RequestOf(py::handle rules, py::handle unknown, py::handle dictionary, py::handle words,
                  py::handle sentences) {
    Request request;
    request.options.rules = StringOption(rules, "rules", {"classic", "careful"}) == "careful"
                                ? CountingRules::Careful
                                : CountingRules::Classic;
    request.options.unknown = StringOption(unknown, "unknown", {"estimate", "zero"}) == "zero"
                                  ? UnknownWordCount::Zero
                                  : UnknownWordCount::Estimate;
    request.options.extras.words = BoolOption(words, "words");
    request.options.extras.sentences = static_cast<int>(IntOption(sentences, "sentences", 0));
    // The JSON objects of scrivolux-cli always carry the further indices.
    request.options.extras.indices = true;
    std::string path;
    if (dictionary.is_none()) {
        path = DefaultWordListPath();
    } else {
        // A str, bytes or os.PathLike, as open() takes them.
        py::bytes encoded;
        try {
            encoded = py::module_::import("os").attr("fsencode")(dictionary);
        } catch (const py::error_already_set& error) {
            if (!error.matches(PyExc_TypeError))
                throw;
            throw py::type_error("dictionary must be a path (str, bytes or os.PathLike), not " +
                                 TypeName(dictionary));
        }
        path = std::string(encoded);
        if (path.empty())
            throw py::value_error("dictionary must name a file, not ''");
        // The system would read the name only up to the NUL, as another file.
        if (path.find('\0') != std::string::npos)
            throw py::value_error("dictionary must not contain a NUL character");
    }
    {
        const py::gil_scoped_release release;
        request.dictionary = LoadedWordList(path);
    }
    return request;
}

TextReport Analyse(std::string name, std::string text, const Request& request,
                   std::size_t parallelFrom) {
    TextAnalysisOptions options = request.options;
    options.parallelFrom = parallelFrom;
    return AnalyseText(std::move(name), std::move(text), *request.dictionary, options);
}

// The report's object as scrivolux-cli --format=jsonl writes it, on one line.
std::string JsonLine(const TextReport& report) {
    return ResultJsonLine(report);
}

// The dicts are what json.loads makes of the command line's JSON, so that
// they hold the same keys, values and types (100.0 written as 100 is an int).
py::list FromJsonLines(const std::vector<std::string>& lines) {
    std::string array = "[";
    for (const std::string& line : lines) {
        if (array.size() > 1)
            array += ',';
        array += line;
    }
    array += ']';
    return py::module_::import("json").attr("loads")(py::bytes(array));
}

// The processors this process may run on (a container or taskset may allow
// fewer than the machine has).
std::size_t AvailableProcessors() {
    cpu_set_t set;
    CPU_ZERO(&set);
    if (::sched_getaffinity(0, sizeof set, &set) == 0 && CPU_COUNT(&set) > 0)
        return static_cast<std::size_t>(CPU_COUNT(&set));
    return std::max(1u, std::thread::hardware_concurrency());
}

const char* const kStandardInputName = "-";

py::object AnalysePy(py::object text, py::object name, py::object rules, py::object unknown,
                     py::object dictionary, py::object words, py::object sentences) {
    std::string utf8 = TextOf(text, "text");
    std::string nameText = name.is_none() ? kStandardInputName : TextOf(name, "name");
    const Request request = RequestOf(rules, unknown, dictionary, words, sentences);
    std::vector<std::string> line(1);
    {
        const py::gil_scoped_release release;
        line[0] =
            JsonLine(Analyse(std::move(nameText), std::move(utf8), request, kParallelFromBytes));
    }
    return FromJsonLines(line)[0];
}

// The document, read as scrivolux-cli reads the file. A file that cannot be
// read raises OSError with its name; one that is no document we read (an old
// .doc, a text too large) raises ValueError.
LoadedDocument DocumentOf(const std::string& path, const py::object& shownName) {
    try {
        const py::gil_scoped_release release;
        return ReadDocument(path);
    } catch (const FileError& error) {
        const py::object raised = py::reinterpret_borrow<py::object>(PyExc_OSError)(
            py::none(), std::string(error.what()) + ": " + error.Reason(), shownName);
        PyErr_SetObject(PyExc_OSError, raised.ptr());
        throw py::error_already_set();
    } catch (const ScrivoluxError& error) {
        throw py::value_error(py::str(shownName).cast<std::string>() + ": " + error.what());
    }
}

py::object AnalyseFilePy(py::object path, py::object rules, py::object unknown,
                         py::object dictionary, py::object words, py::object sentences) {
    const py::module_ os = py::module_::import("os");
    const std::string bytes = py::bytes(os.attr("fsencode")(path));
    if (bytes.find('\0') != std::string::npos)
        throw py::value_error("path must not contain a NUL character");
    const py::object shownName = os.attr("fsdecode")(path);
    const Request request = RequestOf(rules, unknown, dictionary, words, sentences);
    LoadedDocument document = DocumentOf(bytes, shownName);
    std::vector<std::string> line(1);
    {
        const py::gil_scoped_release release;
        // As scrivolux-cli: code is no prose to the careful rules, and the
        // sentences are placed in the file.
        if (request.options.rules == CountingRules::Careful)
            BlankCode(document.text, document.code);
        const FileLocator locator(document);
        TextReport report = Analyse(bytes, std::move(document.text), request, kParallelFromBytes);
        report.place = std::string(PlaceKindName(locator.Kind()));
        for (auto* list : {&report.longestSentences, &report.mostDifficultSentences}) {
            if (!*list)
                continue;
            for (TextReport::Sentence& sentence : **list) {
                const FilePlace place = locator.AtPassage(sentence.offset);
                sentence.line = place.line;
                sentence.column = place.column;
            }
        }
        line[0] = JsonLine(report);
    }
    return FromJsonLines(line)[0];
}

// The texts, names and thread count of a batch, from the arguments.
struct Batch {
    std::vector<std::string> texts;
    std::vector<std::string> names;
    std::size_t threads = 0;
};

Batch BatchOf(py::handle texts, py::handle names, py::handle threads) {
    if (PyUnicode_Check(texts.ptr()) || PyBytes_Check(texts.ptr()))
        throw py::type_error("texts must be an iterable of str, not a single " + TypeName(texts) +
                             "; use analyse() for one text");
    if (!py::isinstance<py::iterable>(texts))
        throw py::type_error("texts must be an iterable of str, not " + TypeName(texts));
    Batch batch;
    for (const py::handle text : texts)
        batch.texts.push_back(TextOf(text, "texts[" + std::to_string(batch.texts.size()) + "]"));

    batch.names.assign(batch.texts.size(), kStandardInputName);
    if (!names.is_none()) {
        if (PyUnicode_Check(names.ptr()) || !py::isinstance<py::iterable>(names))
            throw py::type_error("names must be an iterable of str, not " + TypeName(names));
        std::size_t count = 0;
        for (const py::handle name : names) {
            if (count < batch.names.size())
                batch.names[count] = TextOf(name, "names[" + std::to_string(count) + "]");
            ++count;
        }
        if (count != batch.names.size())
            throw py::value_error("names holds " + std::to_string(count) + " names for " +
                                  std::to_string(batch.texts.size()) + " texts");
    }
    batch.threads = static_cast<std::size_t>(IntOption(threads, "threads", 0));
    return batch;
}

// The texts' results in their order, each made from its report by output, on
// batch.threads threads (0: one per processor). Called without the GIL.
template <typename Result, typename Output>
std::vector<Result> AnalyseBatch(Batch& batch, const Request& request, Output output) {
    const std::size_t count = batch.texts.size();
    std::vector<Result> results(count);
    const std::size_t workers =
        std::min(batch.threads == 0 ? AvailableProcessors() : batch.threads, count);
    std::atomic<std::size_t> next{0};
    std::atomic<bool> failed{false};
    std::exception_ptr failure;
    std::mutex failureMutex;
    // The threads take the texts one by one, so a long text holds up one
    // thread only; each text is counted on the thread that took it.
    const auto work = [&] {
        try {
            for (std::size_t i = next++; i < count && !failed; i = next++)
                results[i] = output(Analyse(std::move(batch.names[i]), std::move(batch.texts[i]),
                                            request, SIZE_MAX));
        } catch (...) {
            const std::lock_guard lock(failureMutex);
            if (!failure)
                failure = std::current_exception();
            failed = true;
        }
    };
    std::vector<std::thread> pool;
    pool.reserve(workers);
    for (std::size_t t = 1; t < workers; ++t) {
        try {
            pool.emplace_back(work);
        } catch (const std::system_error&) {
            // Out of threads or of memory for their stacks: the threads that did
            // start, and this one, count every text all the same.
            break;
        }
    }
    work();
    for (std::thread& thread : pool)
        thread.join();
    if (failure)
        std::rethrow_exception(failure);
    return results;
}

py::list AnalyseManyPy(py::object texts, py::object names, py::object threads, py::object rules,
                       py::object unknown, py::object dictionary, py::object words,
                       py::object sentences) {
    Batch batch = BatchOf(texts, names, threads);
    const Request request = RequestOf(rules, unknown, dictionary, words, sentences);
    std::vector<std::string> lines;
    {
        const py::gil_scoped_release release;
        lines = AnalyseBatch<std::string>(batch, request, &JsonLine);
    }
    return FromJsonLines(lines);
}

py::list CsvRowsPy(py::object texts, py::object names, py::object threads, py::object rules,
                   py::object unknown, py::object dictionary) {
    Batch batch = BatchOf(texts, names, threads);
    const Request request = RequestOf(rules, unknown, dictionary, py::bool_(false), py::int_(0));
    std::vector<std::string> rows;
    {
        const py::gil_scoped_release release;
        rows = AnalyseBatch<std::string>(batch, request, &ResultCsvRow);
    }
    py::list results(rows.size());
    for (std::size_t i = 0; i < rows.size(); ++i)
        results[i] = py::str(rows[i]);
    return results;
}

// The path as os.fsdecode gives it, so that a name that is not UTF-8 comes back
// as the str open() takes; in the message, its odd bytes are escaped.
void RaiseWordListError(const WordListFailure& failure) {
    const std::string_view message = failure.what();
    const py::object text = py::reinterpret_steal<py::object>(PyUnicode_DecodeUTF8(
        message.data(), static_cast<Py_ssize_t>(message.size()), "backslashreplace"));
    if (!text)
        throw py::error_already_set();
    py::object error = py::reinterpret_borrow<py::object>(wordListErrorType)(text);
    error.attr("filename") = py::module_::import("os").attr("fsdecode")(py::bytes(failure.Path()));
    PyErr_SetObject(wordListErrorType, error.ptr());
}

} // namespace

PYBIND11_MODULE(_scrivolux, m) {
    m.doc() = "Readability statistics of English text, counted by the Scrivolux core.";
    RegisterForkHandlers();
    m.attr("__version__") = SCRIVOLUX_VERSION;

    wordListErrorType = PyErr_NewExceptionWithDoc(
        "scrivolux.WordListError",
        "The word list is missing, unreadable or damaged; filename names it.", PyExc_OSError,
        nullptr);
    if (wordListErrorType == nullptr)
        throw py::error_already_set();
    py::object errorType = py::reinterpret_borrow<py::object>(wordListErrorType);
    // The message names the file already; OSError's own would show only errno.
    errorType.attr("__str__") =
        py::cpp_function([](py::object self) { return py::str(self.attr("args")[py::int_(0)]); },
                         py::is_method(errorType));
    m.attr("WordListError") = errorType;
    py::register_exception_translator([](std::exception_ptr thrown) {
        try {
            if (thrown)
                std::rethrow_exception(thrown);
        } catch (const WordListFailure& failure) {
            RaiseWordListError(failure);
        }
    });

    using namespace pybind11::literals;
    m.def("analyse", &AnalysePy, "text"_a, py::kw_only(), "name"_a = py::none(),
          "rules"_a = "classic", "unknown"_a = "estimate", "dictionary"_a = py::none(),
          "words"_a = false, "sentences"_a = 0,
          "The report of one text as a dict: the object scrivolux-cli --format=jsonl writes.");
    m.def("analyse_file", &AnalyseFilePy, "path"_a, py::kw_only(), "rules"_a = "classic",
          "unknown"_a = "estimate", "dictionary"_a = py::none(), "words"_a = false,
          "sentences"_a = 0,
          "The report of a file (.txt, .docx, .odt, .html, .md or .pdf) as scrivolux-cli reads "
          "it, as analyse() gives it. OSError when the file cannot be read, ValueError when it "
          "is no document this reads.");
    m.def("analyse_many", &AnalyseManyPy, "texts"_a, py::kw_only(), "names"_a = py::none(),
          "threads"_a = 0, "rules"_a = "classic", "unknown"_a = "estimate",
          "dictionary"_a = py::none(), "words"_a = false, "sentences"_a = 0,
          "The reports of the texts, in their order, counted on several threads (0: one per "
          "processor).");
    m.def("csv_header", &CsvHeader,
          "The header row of scrivolux-cli --format=csv, ended by CR LF.");
    m.def("csv_rows", &CsvRowsPy, "texts"_a, py::kw_only(), "names"_a = py::none(), "threads"_a = 0,
          "rules"_a = "classic", "unknown"_a = "estimate", "dictionary"_a = py::none(),
          "The rows of scrivolux-cli --format=csv for the texts, in their order, each ended by "
          "CR LF.");
    m.def(
        "default_word_list", [] { return DefaultWordListPath(); },
        "The word list read when no dictionary is given.");
}
