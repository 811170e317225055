// The extension module vek._vek; the package vek re-exports it.
#include "python/bindings.h"

#include "facts/vek_facts.h"
#include "model/model_input.h"
#include "vek_version.h"

PYBIND11_MODULE(_vek, m) {
    namespace py = pybind11;
    using namespace vek::python;
    m.doc() = "The model, engine and results cores of VEK (see the package vek).";
    m.attr("__version__") = VEK_VERSION;
    m.attr("IRRIGATION_WELL") = static_cast<int>(vek::IrrigationWell);
    m.attr("RECHARGE_SITE") = static_cast<int>(vek::RechargeSite);
    m.attr("CALENDAR_YEAR") = static_cast<int>(vek::CalendarYear);
    m.attr("IRRIGATION_YEAR") = static_cast<int>(vek::IrrigationYear);
    m.attr("USGS_YEAR") = static_cast<int>(vek::UsgsYear);
    // Classes and signatures name the package (vek.Model), which is where
    // scripts find them.
    m.attr("__name__") = "vek";
    registerErrors(m);
    bindModel(m);
    bindResults(m);
    bindRun(m);
    bindOperations(m);
    m.attr("__name__") = "vek._vek";
}
