// The module's exceptions and shared helpers.
#include "python/bindings.h"

#include "common/ascii_case.h"
#include <Python.h>

#include <algorithm>

#include "facts/vek_facts.h"

namespace vek::python {

namespace {
ErrorTypes types;

py::handle newError(py::module_ &m, const char *name, const char *doc, py::handle base) {
    const std::string qualified = std::string("vek.") + name;
    PyObject *type = PyErr_NewExceptionWithDoc(qualified.c_str(), doc, base.ptr(), nullptr);
    if (!type) throw py::error_already_set();
    // The module keeps one reference for its attribute, this file one for raising.
    m.add_object(name, py::reinterpret_borrow<py::object>(type));
    return type;
}
} // namespace

std::string CollectingPrompter::text() const {
    std::string all;
    for (const std::string &m : messages) {
        if (!all.empty() && all.back() != '\n') all += '\n';
        all += m;
    }
    return all;
}

const ErrorTypes &errorTypes() { return types; }

void registerErrors(py::module_ &m) {
    types.error = newError(m, "Error", "Base class of every error this module raises.", PyExc_Exception);
    types.readError = newError(m, "ReadError",
                               "A model input file or a report could not be read completely.\n\n"
                               "str(e) is the message the desktop program shows for it. Attributes:\n"
                               "  file     the path that was read\n"
                               "  line     1-based line at which the reader stopped (at the end of the file,\n"
                               "           the line that should have followed); None when not known\n"
                               "  partial  what was read before the failure: a Model or a Results",
                               types.error);
    types.writeError = newError(m, "WriteError",
                                "A file could not be written; an earlier file of that name is left as it "
                                "was.\n\nAttributes: file, the path that was to be written.",
                                types.error);
    types.runError = newError(m, "RunError",
                              "The engine stopped without results.\n\n"
                              "str(e) is the engine's console line. Attributes: status, the exit status vek "
                              "would have ended with (-1 for a run of more than 400 years, 2 for a run-time "
                              "error), or None when the run was refused before it started.",
                              types.error);
    types.operationError =
        newError(m, "OperationError",
                 "A model operation (year type, units, synthesized years, an import) refused or failed.\n\n"
                 "str(e) is the operation's message, as VEKView shows it and vektool prints it. Attributes:\n"
                 "  kind           what went wrong: \"UnknownYearType\", \"NotAHistoricalYear\", \"Unreadable\", ...\n"
                 "  family         \"synthesis\", \"conversion\" or \"file\"\n"
                 "  file           the file concerned, or None\n"
                 "  location       position of the location concerned (from 0), or None; location_name its name\n"
                 "  year, month    the year label and the month column (0..11) concerned, or None\n"
                 "  field          the field or value concerned, or None\n"
                 "  partial        for an import, the model as far as it was read; otherwise None",
                 types.error);
    types.synthesisError = newError(m, "SynthesisError",
                                    "Synthesized years could not be made (a vek.OperationError of the family "
                                    "\"synthesis\"); the model is unchanged.",
                                    types.operationError);
    types.conversionError = newError(m, "ConversionError",
                                     "A year type or unit change was refused (a vek.OperationError of the family "
                                     "\"conversion\"); the model is unchanged.",
                                     types.operationError);
    types.importFileError = newError(m, "ImportFileError",
                                     "A file could not be imported (a vek.OperationError of the family \"file\"); "
                                     "`partial` holds what was read.",
                                     types.operationError);
    // Also a ValueError: what it refuses is a value given.
    py::tuple responseBases = py::make_tuple(types.operationError, py::handle(PyExc_ValueError));
    types.responseError =
        newError(m, "ResponseError",
                 "A response method, its parameters or a response table was refused (a vek.OperationError of the "
                 "family \"response\", and a ValueError); the model is unchanged.\n\n"
                 "str(e) is the refusal in the words the model's checks use. `kind` is \"BadParameter\", "
                 "\"NoSuchTable\", \"TableInUse\", \"BadTable\", \"TableNameTaken\" or \"BadAquifer\"; "
                 "`field` the parameter (\"a/W\", \"lambda\", \"table\", \"shares\", \"name\", ...); "
                 "`location` the location concerned, or None; `locations` for \"TableInUse\" the locations that "
                 "use the table.",
                 responseBases);
}

void raiseError(py::handle type, const std::string &message,
                const std::vector<std::pair<const char *, py::object>> &attributes) {
    py::object e = py::reinterpret_borrow<py::object>(type)(message);
    for (const auto &[name, value] : attributes)
        e.attr(name) = value;
    PyErr_SetObject(type.ptr(), e.ptr());
    throw py::error_already_set();
}

int yearTypeArgument(const py::handle &value) {
    if (py::isinstance<py::str>(value)) {
        const std::string s = asciiLowered(value.cast<std::string>());
        if (s == "calendar") return CalendarYear;
        if (s == "irrigation") return IrrigationYear;
        if (s == "usgs") return UsgsYear;
        throw py::value_error("a year type is \"calendar\", \"irrigation\" or \"usgs\" (or 0, 1, 2)");
    }
    const int t = value.cast<int>();
    if (!isValidYearMode(t)) throw py::value_error("a year type is 0 (Calendar), 1 (Irrigation) or 2 (USGS)");
    return t;
}

std::string pathArgument(const py::handle &path) {
    // os.fsdecode takes str, bytes and os.PathLike and refuses anything else.
    py::object text = py::module_::import("os").attr("fsdecode")(path);
    // Names that are not UTF-8 come back with surrogates; they are passed on
    // byte for byte.
    py::object bytes = text.attr("encode")("utf-8", "surrogateescape");
    return bytes.cast<std::string>();
}

void makeReadOnly(py::array &a) { a.attr("setflags")(py::arg("write") = false); }

py::array_t<float> tableFromColumns(const std::array<std::vector<float>, 12> &columns, std::size_t years,
                                    float missing) {
    py::array_t<float> a({static_cast<py::ssize_t>(years), static_cast<py::ssize_t>(12)});
    auto t = a.mutable_unchecked<2>();
    for (std::size_t y = 0; y < years; ++y)
        for (std::size_t m = 0; m < 12; ++m)
            t(static_cast<py::ssize_t>(y), static_cast<py::ssize_t>(m)) =
                y < columns[m].size() ? columns[m][y] : missing;
    return a;
}

} // namespace vek::python
