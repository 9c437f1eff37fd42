#include "python/ResultDict.h"

#include "report/ResultJson.h"

#include <array>
#include <cstdint>
#include <string>
#include <unordered_map>
#include <vector>

namespace py = pybind11;

namespace {

struct KeyHash {
    using is_transparent = void;
    std::size_t operator()(std::string_view key) const {
        return std::hash<std::string_view>()(key);
    }
};

// One str for each key, shared by every dict as json.loads shares them within
// a call: 100,000 results hold one "words", not 100,000. Used under the GIL,
// and never freed, as the module is not. Most keys are the writer's literals,
// met again at the same address: a small table by address finds them before
// the map is searched (the bytes are still compared, as an address may be a
// buffer's that held other bytes before).
PyObject* KeyObject(std::string_view key) {
    using Keys = std::unordered_map<std::string, PyObject*, KeyHash, std::equal_to<>>;
    static auto* const keys = new Keys;
    static std::array<const Keys::value_type*, 512> recent{};
    const auto address = reinterpret_cast<std::uintptr_t>(key.data());
    const Keys::value_type*& place = recent[(address ^ (address >> 9) ^ key.size()) % recent.size()];
    if (place && place->first == key)
        return place->second;
    auto found = keys->find(key);
    if (found == keys->end()) {
        PyObject* made =
            PyUnicode_FromStringAndSize(key.data(), static_cast<Py_ssize_t>(key.size()));
        if (made == nullptr)
            throw py::error_already_set();
        found = keys->emplace(key, made).first;
    }
    place = &*found;
    return found->second;
}

// Builds the values as they come: each container is put into the one it is
// in when it begins, and filled from the top of the stack.
class PythonSink final : public ObjectSink {
public:
    void BeginObject() override { Open(Steal(PyDict_New())); }
    void EndObject() override { open_.pop_back(); }
    void BeginArray() override { Open(Steal(PyList_New(0))); }
    void EndArray() override { open_.pop_back(); }
    void Key(std::string_view key) override { key_ = KeyObject(key); }
    // As json.loads decodes the bytes of a line (the writer passes no surrogate).
    void String(std::string_view utf8) override {
        Put(Steal(PyUnicode_DecodeUTF8(utf8.data(), static_cast<Py_ssize_t>(utf8.size()),
                                       "surrogatepass")));
    }
    void Integer(std::int64_t value) override { Put(Steal(PyLong_FromLongLong(value))); }
    void Real(double value) override { Put(Steal(PyFloat_FromDouble(value))); }
    void Bool(bool value) override { Put(py::bool_(value)); }
    void Null() override { Put(py::none()); }

    py::object Take() { return std::move(value_); }

private:
    static py::object Steal(PyObject* made) {
        if (made == nullptr)
            throw py::error_already_set();
        return py::reinterpret_steal<py::object>(made);
    }

    void Put(const py::object& value) {
        if (open_.empty()) {
            value_ = value;
            return;
        }
        PyObject* container = open_.back().ptr();
        const int failed = PyDict_Check(container) ? PyDict_SetItem(container, key_, value.ptr())
                                                   : PyList_Append(container, value.ptr());
        if (failed != 0)
            throw py::error_already_set();
    }

    void Open(py::object container) {
        Put(container);
        open_.push_back(std::move(container));
    }

    std::vector<py::object> open_; // the containers not yet ended, innermost last
    PyObject* key_ = nullptr;      // the key of the next member, from KeyObject
    py::object value_;             // the outermost value
};

} // namespace

py::dict ResultDict(const TextReport& report) {
    PythonSink sink;
    DescribeResult(report, sink);
    return sink.Take().cast<py::dict>();
}
