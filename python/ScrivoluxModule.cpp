// The Python module: turns Python arguments into the core's and the core's
// report object into a dict. The counting and the object itself come from the
// core, exactly as scrivolux-cli gets them.

#include "python/Arguments.h"
#include "python/BatchThreads.h"
#include "python/FrameColumns.h"
#include "python/ResultDict.h"
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
#include <pybind11/stl.h>

#include <pthread.h>
#include <sched.h>

#include <algorithm>
#include <atomic>
#include <cstdint>
#include <exception>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
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
    // pip installs a wheel's word list and index with new times, and an index
    // stands only for the list of its time: without a fresh one every process
    // would read the text list. The first load writes it, when the folder lets
    // it (a failure leaves the text list, as before); the lists of the build
    // tree and of the Debian package are left to those who made them.
    if (IsBesideModule(path) && !dictionary->UsesIndex())
        (void)TDictionary::WriteIndex(path);
    loaded.lists.emplace(path, dictionary);
    return dictionary;
}

const std::string& DefaultWordListPath() {
    static const std::string path = DefaultWordList(ModuleDirectory());
    return path;
}

// The UTF-8 codec's error handler for Utf8Of: U+FFFD for each lone surrogate.
// (The codec takes only bytes from a handler, since "\uFFFD" is no ASCII.)
void RegisterSurrogateHandler() {
    py::module_::import("codecs").attr("register_error")(
        "scrivolux.surrogate-as-fffd", py::cpp_function([](py::object error) {
            const auto start = error.attr("start").cast<Py_ssize_t>();
            const auto end = error.attr("end").cast<Py_ssize_t>();
            std::string replacement;
            for (Py_ssize_t i = start; i < end; ++i)
                replacement += "\xEF\xBF\xBD";
            return py::make_tuple(py::bytes(replacement), end);
        }));
}

// What every call is asked to do, from its keyword arguments.
struct Request {
    TextAnalysisOptions options;
    std::shared_ptr<TDictionary> dictionary;
};

struct RequestArguments {
    CountingRules rules = CountingRules::Classic;
    UnknownWordCount unknown = UnknownWordCount::Estimate;
    Path<"dictionary"> dictionary;
    bool words = false;
    int sentences = 0;
    bool checks = false;
    std::optional<double> targetGrade;
};

Request RequestOf(const RequestArguments& arguments) {
    Request request;
    request.options.rules = arguments.rules;
    request.options.unknown = arguments.unknown;
    request.options.extras.words = arguments.words;
    request.options.extras.sentences = arguments.sentences;
    // The JSON objects of scrivolux-cli always carry the further indices.
    request.options.extras.indices = true;
    request.options.extras.checks = arguments.checks;
    request.options.extras.targetGrade = arguments.targetGrade;
    const std::string path = arguments.dictionary.bytes.value_or(DefaultWordListPath());
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

// The processors this process may run on (a container or taskset may allow
// fewer than the machine has).
std::size_t AvailableProcessors() {
    cpu_set_t set;
    CPU_ZERO(&set);
    if (::sched_getaffinity(0, sizeof set, &set) == 0 && CPU_COUNT(&set) > 0)
        return static_cast<std::size_t>(CPU_COUNT(&set));
    return std::max(1u, std::thread::hardware_concurrency());
}

// What help() shows for the options every analysis takes.
const char* const kOptionsHelp =
    "rules: \"classic\" (the default) counts as the desktop program does: every full stop "
    "ends a sentence and words split at spaces. Choose \"careful\" for text from the wild "
    "(web pages, reports, anything with abbreviations such as Mr. or e.g., numbers such as "
    "3.5, addresses, headings and list items): there the classic rules find too many short "
    "sentences and give grades too low. Keep \"classic\" to compare with figures published "
    "for the desktop program.\n"
    "unknown: what a word the word list lacks counts, \"estimate\" (its syllables estimated "
    "from its spelling) or \"zero\" (ignored).\n"
    "dictionary: the word list to read (str, bytes or os.PathLike); None for the installed "
    "one, default_word_list(). A user dictionary is never read.\n"
    "words: add \"words\", every distinct word with its syllables and their source.\n"
    "sentences: add \"longestSentences\" and \"mostDifficultSentences\", this many of each.\n"
    "checks: add \"checks\", the writing checks' findings in the order of the text, always "
    "found on the careful rules' words and sentences, so the counts do not change.\n"
    "target_grade: the grade above which a sentence is hard for the checks (10 when None).\n";

const char* const kResultHelp =
    "\nThe result's keys:\n"
    "  name, nameBytes (only for a name that is not UTF-8), rules, looksLikeProse (bool)\n"
    "  counts: words, sentences, syllables, difficultWords, letters, longWords, "
    "polysyllables, monosyllables, miniWords, daleChallUnfamiliarWords, "
    "spacheUnfamiliarWords (int)\n"
    "  figures: syllables, words, sentences, syllablesPerWord, syllablesPerSentence, "
    "wordsPerSentence, difficultWords, syllablesPer100Words, sentencesPer100Words, "
    "gunningFogIndex, fleschReadingEase, fleschKincaidGradeLevel (None where the report "
    "shows \"----\")\n"
    "  reportTexts: the same twelve as the report's texts\n"
    "  indices: smogGrade, colemanLiauIndex, automatedReadabilityIndex, lix, forcast, "
    "daleChall, spache, mcalpineEflaw, linsearWrite, consensusGrade (float or None); "
    "newDaleChall, the old key of daleChall, for this release only\n"
    "  daleChallGrades (str), consensusRange {low, high}, fry {region, zone, college, "
    "nearBoundary, reading, otherZone, syllablesPer100Words, sentencesPer100Words}\n"
    "  unknownWords: [{word, occurrences, syllables}]\n"
    "  words, longestSentences, mostDifficultSentences: when asked for\n"
    "  checks: [{rule, line, column, length, message, suggestion}] when asked for; line and "
    "column count from 1, the column and length in characters\n";

const char* const kStandardInputName = "-";

// Every call's keyword arguments for the analysis itself, as the core takes them.
RequestArguments ArgumentsOf(CountingRules rules, UnknownWordCount unknown,
                             Path<"dictionary"> dictionary, bool words, int sentences, bool checks,
                             std::optional<double> targetGrade) {
    return {rules, unknown, std::move(dictionary), words, sentences, checks, targetGrade};
}

py::dict AnalysePy(Str<"text"> text, OptionalStr<"name"> name, CountingRules rules,
                   UnknownWordCount unknown, Path<"dictionary"> dictionary, Flag<"words"> words,
                   Count<"sentences"> sentences, Flag<"checks"> checks,
                   OptionalNumber<"target_grade"> targetGrade) {
    const Request request =
        RequestOf(ArgumentsOf(rules, unknown, std::move(dictionary), words.value, sentences.value,
                              checks.value, targetGrade.value));
    TextReport report;
    {
        const py::gil_scoped_release release;
        report = Analyse(name.utf8.value_or(kStandardInputName), std::move(text.utf8), request,
                         kParallelFromBytes);
    }
    return ResultDict(report);
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

py::dict AnalyseFilePy(Path<"path"> path, RulesChoice rules, UnknownWordCount unknown,
                       Path<"dictionary"> dictionary, Flag<"words"> words,
                       Count<"sentences"> sentences, Flag<"checks"> checks,
                       OptionalNumber<"target_grade"> targetGrade) {
    if (!path.bytes)
        throw py::type_error("path must be a path (str, bytes or os.PathLike), not NoneType");
    Request request =
        RequestOf(ArgumentsOf(CountingRules::Classic, unknown, std::move(dictionary), words.value,
                              sentences.value, checks.value, targetGrade.value));
    LoadedDocument document = DocumentOf(*path.bytes, path.shown);
    // As scrivolux-cli: under auto, careful for documents, classic for text.
    request.options.rules = RulesFor(rules, document.format != DocumentFormat::Text);
    TextReport report;
    {
        const py::gil_scoped_release release;
        // As scrivolux-cli: code is no prose to the careful rules, and the
        // sentences and findings are placed in the file.
        if (request.options.rules == CountingRules::Careful)
            BlankCode(document.text, document.code);
        const FileLocator locator(document);
        report = Analyse(*path.bytes, std::move(document.text), request, kParallelFromBytes);
        PlaceInFile(
            report, PlaceKindName(locator.Kind()),
            [&](std::size_t offset) {
                const FilePlace place = locator.AtPassage(offset);
                return FilePosition{place.line, place.column};
            },
            [&](std::size_t offset, std::string_view rule) {
                return locator.Silenced(offset, rule);
            });
    }
    return ResultDict(report);
}

// The texts, names and thread count of a batch, from the arguments.
struct Batch {
    std::vector<std::string> texts;
    std::vector<std::string> names;
    std::vector<std::string> notText; // why an item was not analysed; "" for a text
    // The names that are no str, by place: the report names the text by the
    // name's str(), the result by the name itself.
    std::vector<std::pair<std::size_t, py::object>> otherNames;
    std::size_t threads = 0;
};

Batch BatchOf(const Texts& texts, const Names& names, int threads, NotText notText) {
    Batch batch;
    for (const py::handle item : texts.items) {
        const std::string place = "texts[" + std::to_string(batch.texts.size()) + "]";
        std::optional<std::string> utf8 = Utf8Of(item);
        if (utf8) {
            CheckTextSize(*utf8, place);
        } else if (notText == NotText::Raise) {
            throw py::type_error(place + " must be str, not " + TypeName(item));
        } else {
            batch.notText.resize(batch.texts.size() + 1);
            const std::string type = TypeName(item);
            const bool vowel =
                std::string_view("aeiouAEIOU").find(type[0]) != std::string_view::npos;
            batch.notText.back() = (vowel ? "an " : "a ") + type + ", not a str";
            utf8.emplace();
        }
        batch.texts.push_back(std::move(*utf8));
    }
    batch.notText.resize(batch.texts.size());

    batch.names.assign(batch.texts.size(), kStandardInputName);
    if (!names.items.is_none()) {
        std::size_t count = 0;
        for (const py::handle name : names.items) {
            if (count < batch.names.size()) {
                if (std::optional<std::string> utf8 = Utf8Of(name)) {
                    batch.names[count] = std::move(*utf8);
                } else {
                    if (PyObject_Hash(name.ptr()) == -1) {
                        PyErr_Clear();
                        throw py::type_error("names[" + std::to_string(count) +
                                             "] must be hashable, not " + TypeName(name));
                    }
                    batch.names[count] = *Utf8Of(py::str(name));
                    batch.otherNames.emplace_back(count, py::reinterpret_borrow<py::object>(name));
                }
            }
            ++count;
        }
        if (count != batch.names.size())
            throw py::value_error("names holds " + std::to_string(count) + " names for " +
                                  std::to_string(batch.texts.size()) + " texts");
    }
    batch.threads = static_cast<std::size_t>(threads);
    return batch;
}

// The batch's texts counted on batch.threads threads (0: one per processor),
// each report made into a result by output on the thread that counted it; an
// item that is no text gives nothing. Each result goes to take(i, result) on
// the calling thread, with the GIL. That thread counts texts too, and between
// two of its own it takes what the others have finished: the Python objects
// are made while the other threads still count, not after them all. It looks
// for signals each time it holds the GIL, so that Ctrl-C stops a batch
// between two texts. Called without the GIL.
template <typename Result, typename Output, typename Take>
void AnalyseBatch(Batch& batch, const Request& request, BatchThreads& threads, Output output,
                  Take take) {
    const std::size_t count = batch.texts.size();
    std::vector<std::optional<Result>> finished(count);
    const std::size_t workers =
        std::min(batch.threads == 0 ? AvailableProcessors() : batch.threads, count);
    // The longest texts first, so that no thread is left counting a long one
    // after the others have finished.
    std::vector<std::size_t> order(count);
    for (std::size_t i = 0; i < count; ++i)
        order[i] = i;
    std::stable_sort(order.begin(), order.end(), [&batch](std::size_t a, std::size_t b) {
        return batch.texts[a].size() > batch.texts[b].size();
    });
    std::atomic<std::size_t> next{0};
    std::atomic<bool> failed{false};
    std::exception_ptr failure;
    std::mutex mutex; // for failure and ready
    std::vector<std::size_t> ready; // finished by the other threads, not yet taken
    const auto fail = [&] {
        const std::lock_guard lock(mutex);
        if (!failure)
            failure = std::current_exception();
        failed = true;
    };
    // The text of the place'th in order; false for an item that is no text.
    const auto countText = [&](std::size_t place) {
        const std::size_t i = order[place];
        if (!batch.notText[i].empty())
            return false;
        finished[i].emplace(output(
            Analyse(std::move(batch.names[i]), std::move(batch.texts[i]), request, SIZE_MAX)));
        return true;
    };
    // The threads take the texts one by one, so a long text holds up one
    // thread only.
    const auto work = [&] {
        try {
            for (std::size_t place = next++; place < count && !failed; place = next++) {
                if (countText(place)) {
                    const std::lock_guard lock(mutex);
                    ready.push_back(order[place]);
                }
            }
        } catch (...) {
            fail();
        }
    };
    std::vector<std::size_t> taking;
    const auto takeFinished = [&](std::optional<std::size_t> own) {
        {
            const std::lock_guard lock(mutex);
            taking.swap(ready);
        }
        if (own)
            taking.push_back(*own);
        const py::gil_scoped_acquire gil;
        // The other threads may have finished thousands of short texts.
        for (std::size_t k = 0; k < taking.size(); ++k) {
            if (k % 1024 == 0 && PyErr_CheckSignals() != 0)
                throw py::error_already_set();
            take(taking[k], std::move(*finished[taking[k]]));
            finished[taking[k]].reset();
        }
        taking.clear();
        if (PyErr_CheckSignals() != 0)
            throw py::error_already_set();
    };

    threads.Run(workers > 1 ? workers - 1 : 0, work, [&] {
        try {
            for (std::size_t place = next++; place < count && !failed; place = next++)
                takeFinished(countText(place) ? std::optional(order[place]) : std::nullopt);
        } catch (...) {
            fail();
        }
    });
    if (failure)
        std::rethrow_exception(failure);
    takeFinished(std::nullopt);
}

py::list AnalyseManyPy(Texts texts, Names names, Count<"threads"> threads, NotText errors,
                       CountingRules rules, UnknownWordCount unknown, Path<"dictionary"> dictionary,
                       Flag<"words"> words, Count<"sentences"> sentences, Flag<"checks"> checks,
                       OptionalNumber<"target_grade"> targetGrade) {
    Batch batch = BatchOf(texts, names, threads.value, errors);
    const Request request =
        RequestOf(ArgumentsOf(rules, unknown, std::move(dictionary), words.value, sentences.value,
                              checks.value, targetGrade.value));
    // Each report goes as soon as its dict is made, so that the two are not
    // held whole at once; an item that is no text reads back as None.
    py::list results(batch.texts.size());
    for (std::size_t i = 0; i < batch.notText.size(); ++i) {
        if (!batch.notText[i].empty())
            results[i] = py::none();
    }
    BatchThreads& batchThreads = BatchThreads::OfThisProcess();
    {
        const py::gil_scoped_release release;
        AnalyseBatch<TextReport>(
            batch, request, batchThreads, [](TextReport&& report) { return std::move(report); },
            [&results](std::size_t i, TextReport&& report) { results[i] = ResultDict(report); });
    }
    for (const auto& [place, name] : batch.otherNames) {
        if (!results[place].is_none())
            results[place]["name"] = name;
    }
    return results;
}

py::list CsvRowsPy(Texts texts, Names names, Count<"threads"> threads, CountingRules rules,
                   UnknownWordCount unknown, Path<"dictionary"> dictionary) {
    Batch batch = BatchOf(texts, names, threads.value, NotText::Raise);
    const Request request =
        RequestOf(ArgumentsOf(rules, unknown, std::move(dictionary), false, 0, false, {}));
    py::list results(batch.texts.size());
    BatchThreads& batchThreads = BatchThreads::OfThisProcess();
    {
        const py::gil_scoped_release release;
        AnalyseBatch<std::string>(batch, request, batchThreads, &ResultCsvRow,
                                  [&results](std::size_t i, std::string&& row) {
                                      results[i] = py::str(row);
                                  });
    }
    return results;
}

// The columns of analyse_frame, built from the reports themselves: no JSON in
// between. Items that are no text give rows of None with the reason in "error".
py::dict FrameColumnsPy(Texts texts, Count<"threads"> threads, CountingRules rules,
                        UnknownWordCount unknown, Path<"dictionary"> dictionary,
                        Flag<"checks"> checks, OptionalNumber<"target_grade"> targetGrade,
                        std::vector<std::string> columns) {
    Batch batch = BatchOf(texts, Names{py::none()}, threads.value, NotText::None);
    const Request request = RequestOf(ArgumentsOf(rules, unknown, std::move(dictionary), false, 0,
                                                  checks.value, targetGrade.value));
    std::vector<std::optional<TextReport>> reports(batch.texts.size());
    BatchThreads& batchThreads = BatchThreads::OfThisProcess();
    {
        const py::gil_scoped_release release;
        AnalyseBatch<TextReport>(
            batch, request, batchThreads, [](TextReport&& report) { return std::move(report); },
            [&reports](std::size_t i, TextReport&& report) { reports[i] = std::move(report); });
    }
    return FrameColumns(columns, reports, batch.notText);
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

std::string TypeName(py::handle object) {
    return Py_TYPE(object.ptr())->tp_name;
}

std::optional<std::string> Utf8Of(py::handle object) {
    if (!PyUnicode_Check(object.ptr()))
        return std::nullopt;
    Py_ssize_t size = 0;
    if (const char* utf8 = PyUnicode_AsUTF8AndSize(object.ptr(), &size))
        return std::string(utf8, static_cast<std::size_t>(size));
    PyErr_Clear();
    // Lone surrogates: Python's codec, with the handler registered at import.
    const auto encoded = py::reinterpret_steal<py::bytes>(
        PyUnicode_AsEncodedString(object.ptr(), "utf-8", "scrivolux.surrogate-as-fffd"));
    if (!encoded)
        throw py::error_already_set();
    return std::string(encoded);
}

void CheckTextSize(const std::string& utf8, const std::string& what) {
    // The programs refuse larger texts too; the counts would not fit their type.
    if (utf8.size() > kMaxTextFileBytes)
        throw py::value_error(what + " is larger than " +
                              std::to_string(kMaxTextFileBytes / (1024 * 1024)) +
                              " MB of UTF-8; split it into smaller texts");
}

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

    RegisterSurrogateHandler();
    using namespace pybind11::literals;
    m.def("analyse", &AnalysePy, "text"_a, py::kw_only(), "name"_a = py::none(),
          "rules"_a = "classic", "unknown"_a = "estimate", "dictionary"_a = py::none(),
          "words"_a = false, "sentences"_a = 0, "checks"_a = false, "target_grade"_a = py::none(),
          (std::string("The report of one text as a dict: the object scrivolux-cli "
                       "--format=jsonl writes, named name (\"-\" without one).\n\n") +
           kOptionsHelp + kResultHelp)
              .c_str());
    m.def("analyse_file", &AnalyseFilePy, "path"_a, py::kw_only(), "rules"_a = "auto",
          "unknown"_a = "estimate", "dictionary"_a = py::none(), "words"_a = false,
          "sentences"_a = 0, "checks"_a = false, "target_grade"_a = py::none(),
          (std::string(
               "The report of a file (.txt, .docx, .odt, .html, .md or .pdf) as scrivolux-cli "
               "reads it, as analyse() gives it. OSError when the file cannot be read, "
               "ValueError when it is no document this reads.\n\n") +
           kOptionsHelp)
              .c_str());
    m.def("analyse_many", &AnalyseManyPy, "texts"_a, py::kw_only(), "names"_a = py::none(),
          "threads"_a = 0, "errors"_a = "raise", "rules"_a = "classic", "unknown"_a = "estimate",
          "dictionary"_a = py::none(), "words"_a = false, "sentences"_a = 0, "checks"_a = false,
          "target_grade"_a = py::none(),
          (std::string(
               "The reports of the texts (any iterable), in their order, as analyse() gives "
               "them, counted on several threads (0: one per processor) with the GIL released.\n"
               "\n"
               "names: one name per text, any hashable (a str names the report as it is; "
               "another name, an int id say, is the result's \"name\", its str() the "
               "report's). Without names every text is called \"-\".\n"
               "errors: what an item that is no str (None, a float NaN from pandas) gives: "
               "\"raise\" raises TypeError naming the item, \"none\" puts None in its place "
               "and goes on.\n"
               "Ctrl-C stops the batch between two texts and raises KeyboardInterrupt.\n\n") +
           kOptionsHelp)
              .c_str());
    m.def("csv_header", &CsvHeader,
          "The header row of scrivolux-cli --format=csv, ended by CR LF.");
    m.def("csv_rows", &CsvRowsPy, "texts"_a, py::kw_only(), "names"_a = py::none(), "threads"_a = 0,
          "rules"_a = "classic", "unknown"_a = "estimate", "dictionary"_a = py::none(),
          "The rows of scrivolux-cli --format=csv for the texts, in their order, each ended by "
          "CR LF.");
    m.def("_frame_columns", &FrameColumnsPy, "texts"_a, py::kw_only(), "threads"_a = 0,
          "rules"_a = "classic", "unknown"_a = "estimate", "dictionary"_a = py::none(),
          "checks"_a = false, "target_grade"_a = py::none(), "columns"_a,
          "The columns of analyse_frame as lists, by name.");
    m.def("_frame_column_names", &FrameColumnNames, "checks"_a,
          "The names of analyse_frame's columns, in order.");
    m.def(
        "default_word_list", [] { return DefaultWordListPath(); },
        "The word list read when no dictionary is given.");
}
