// Model.validate: the one validation of a model for a run, the same that
// vektool check prints and that refuses a run.
#include "python/bindings.h"

#include "model/model_validation.h"

namespace vek::python {

namespace {

py::object orNone(const std::string &s) { return s.empty() ? py::object(py::none()) : py::object(py::str(s)); }

} // namespace

ModelValidation validationOf(const Model &model) {
    ValidationOptions o;
    o.path = model.doc.path();
    o.fileValues = model.doc.fileValues();
    o.synthesis = !model.doc.isReadPartly();
    return validateModel(model.doc.model, o);
}

void bindValidation(py::module_ &m, ModelClass &model) {
    py::class_<ModelProblem>(m, "Problem", "One problem the validation of a model finds.")
        .def_property_readonly(
            "severity", [](const ModelProblem &p) { return p.refused() ? "refused" : "warning"; },
            "\"refused\": the engine would refuse the model or run it wrongly; \"warning\": it runs, but reads "
            "the model otherwise than VEKView shows it.")
        .def_property_readonly(
            "location",
            [](const ModelProblem &p) {
                return p.location < 0 ? py::object(py::none()) : py::object(py::int_(p.location));
            },
            "Position of the location concerned (from 0), or None for the model's own settings and tables.")
        .def_property_readonly(
            "table", [](const ModelProblem &p) { return orNone(p.table); }, "The response table concerned, or None.")
        .def_property_readonly(
            "field", [](const ModelProblem &p) { return std::string(fieldName(p.field)); },
            "The field as the model file names it (\"yearMode\", \"outputEndYear\", \"VEK\", ...) or a response "
            "method's (\"a/W\", \"lambda\", \"table\", \"name\", \"shares\").")
        .def_property_readonly(
            "year",
            [](const ModelProblem &p) { return p.year ? py::object(py::int_(*p.year)) : py::object(py::none()); },
            "The year of the value concerned, or None.")
        .def_property_readonly(
            "month",
            [](const ModelProblem &p) { return p.month < 0 ? py::object(py::none()) : py::object(py::int_(p.month)); },
            "The month column (0..11) of the value concerned, or None.")
        .def_property_readonly(
            "text", [](const ModelProblem &p) { return p.text; }, "The message, as vektool check prints it.")
        .def_property_readonly(
            "options", [](const ModelProblem &p) { return orNone(p.option); },
            "The vektool convert options that mend it (\"--year-type 1\"), or None when no option does.")
        .def("__str__", [](const ModelProblem &p) { return p.text; })
        .def("__repr__", [](const ModelProblem &p) {
            return std::string("<vek.Problem ") + (p.refused() ? "refused" : "warning") + ": " + p.text + ">";
        });

    model.def(
        "validate", [](const Model &mo) { return validationOf(mo).problems; },
        R"doc(Judges the model as the engine would run it and returns every problem (a
list of vek.Problem, refusals first, then warnings), the same vektool check
prints for the model's file. vek.run refuses a model with any refusal.)doc");
}

} // namespace vek::python
