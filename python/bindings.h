// The Python module's view of the cores: the objects it hands to Python
// (a model input document, the results of a run or of a report), the
// exception types, and the helpers every binding file shares.
#pragma once

#include <pybind11/numpy.h>
#include <pybind11/pybind11.h>
#include <pybind11/stl.h>

#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "common/prompter.h"
#include "engine/run_tables.h"
#include "model/model_document.h"
#include "model/model_validation.h"
#include "results/output_results.h"

namespace vek::python {

namespace py = pybind11;

// What the cores tell a person, kept for the exception that reports it.
// Every question gets the answer that changes nothing.
class CollectingPrompter : public SilentPrompter {
  public:
    std::vector<std::string> messages;
    std::vector<std::string> questions;

    void message(const std::string &text) override { messages.push_back(text); }
    bool askYesNo(const std::string &text) override {
        questions.push_back(text);
        return false;
    }
    // Every message, one after another.
    std::string text() const;
};

// A model input document, as read_model gives it.
struct Model {
    ModelDocument doc;
};

// One location of a model, by position; keeps its model alive.
struct LocationRef {
    std::shared_ptr<Model> model;
    int index = 0;

    // The location, or IndexError when the model no longer has it.
    Location &get() const;
};

// The results of a run (kept with the engine's own tables, so that the
// report can be written) or of a report read back.
struct Results {
    // The entries' tables of the results of a run are made from `run` when
    // they are first asked for (entryOf, completed): a run of thousands of
    // locations returns at once, and only the tables a script reads take
    // their memory.
    mutable OutputResults results;
    mutable std::vector<char> pending; // per entry: its tables are not made yet
    // Per entry of results.locations: "Irrig. well", "Recharge site" or
    // "summary".
    std::vector<std::string> types;
    std::shared_ptr<const engine::RunTables> run;
    std::string source; // the report read, or the model run
};

// Entry i of the results, its tables made when they were not yet.
const LocationResult &entryOf(const Results &r, std::size_t i);
// The results with every entry's tables made.
OutputResults &completed(const Results &r);

// The module's exception types (created by registerErrors).
struct ErrorTypes {
    py::handle error, readError, writeError, runError;
    py::handle operationError, synthesisError, conversionError, importFileError;
    py::handle responseError;
};
const ErrorTypes &errorTypes();
void registerErrors(py::module_ &m);

// Raises `type` with `message`, the named attributes set on the exception.
[[noreturn]] void raiseError(py::handle type, const std::string &message,
                             const std::vector<std::pair<const char *, py::object>> &attributes = {});

// A year type given as 0, 1, 2 or "calendar", "irrigation", "usgs".
int yearTypeArgument(const py::handle &value);

// A path given as str, bytes or os.PathLike, as the cores take it (UTF-8).
// A NUL character, which would cut the name short, is refused (ValueError).
std::string pathArgument(const py::handle &path);

// Text the cores hand over as a Python str, never a UnicodeDecodeError: a
// path as os.fsdecode gives it (bytes that are not UTF-8 as surrogates, so
// that it names the same file), a message with such bytes shown as \xNN.
py::str pathString(const std::string &path);
py::str messageString(const std::string &text);

// Arrays handed out are copies; they refuse item assignment, so that a
// change made to one is never mistaken for a change of what it came from.
void makeReadOnly(py::array &a);

// Table of `years` rows and 12 months from month columns (one vector per
// month); entries a column lacks read as `missing`.
py::array_t<float> tableFromColumns(const std::array<std::vector<float>, 12> &columns, std::size_t years,
                                    float missing = 0.0f);

// Binds a read-only sequence: List has size() and at(i), the item at a
// position (0 <= i < size()). Negative indexes count from the end; slices
// give lists.
template <typename List> void bindSequence(py::module_ &m, const char *name, const char *doc) {
    py::class_<List>(m, name, doc)
        .def("__len__", &List::size)
        .def("__getitem__",
             [](const List &l, int i) {
                 if (i < 0) i += l.size();
                 if (i < 0 || i >= l.size()) throw py::index_error("index out of range");
                 return l.at(i);
             })
        .def("__getitem__",
             [](const List &l, const py::slice &slice) {
                 py::ssize_t start = 0, stop = 0, step = 0, length = 0;
                 if (!slice.compute(l.size(), &start, &stop, &step, &length)) throw py::error_already_set();
                 py::list items;
                 for (py::ssize_t k = 0; k < length; ++k)
                     items.append(py::cast(l.at(static_cast<int>(start + k * step))));
                 return items;
             })
        .def("__iter__", [](const List &l) {
            py::list items;
            for (int i = 0; i < l.size(); ++i)
                items.append(py::cast(l.at(i)));
            return py::iter(items);
        });
}

using ModelClass = py::class_<Model, std::shared_ptr<Model>>;
using LocationClass = py::class_<LocationRef>;

void bindModel(py::module_ &m);
// Response methods of the locations, the model's response tables, and the
// module functions on responses (vek.response, the factor calculator).
void bindResponses(py::module_ &m, ModelClass &model, LocationClass &location);
// Stream reaches: the model's reaches and apportionment, each location's
// place on the map, the map import and the fractions as a frame.
void bindMap(py::module_ &m, ModelClass &model, LocationClass &location);
// Raises the OperationError subclass of the error's family.
[[noreturn]] void raiseOperation(const OperationError &e, py::object partial = py::none());
// The validation of a model as vektool check makes it of the model's file.
ModelValidation validationOf(const Model &model);
// Model.validate and the problems it returns.
void bindValidation(py::module_ &m, ModelClass &model);
// vek.Ranges, Model.ranges, vek.uncertainty and its results.
void bindUncertainty(py::module_ &m, ModelClass &model);
void bindResults(py::module_ &m);
void bindRun(py::module_ &m);
void bindOperations(py::module_ &m);

} // namespace vek::python
