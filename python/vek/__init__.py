"""VEK in Python: stream depletion and accretion by the depletion-factor method.

The same cores as the programs vek, VEKView and vektool, in this process:

    import vek

    model = vek.read_model("river_valley.vek")     # a model input file (.vek)
    model.locations[0].factor = 2000.0             # days
    results = vek.run(model)                       # the engine, no report written
    results.write_report("river_valley.out")       # the report vek writes, byte for byte
    frame = results.frame()                        # tidy pandas DataFrame
    earlier = vek.read_report("old.out")           # a report written earlier

Functions
    read_model(path) -> Model        read a model input file
    run(model_or_path, *, threads)   run the engine on a Model or a .vek file
    read_report(path) -> Results     read an engine report

Model operations (every choice a parameter; nothing is asked)
    change_year_type(model, year_type), change_units(model, units)
    synthesize_average(model, years), synthesize_given_year(model, year),
    synthesize_cycle(model, first_year, length)
    import_well_output(path, *, soil_moisture) -> Model
    import_tab_delimited(path, *, year_type, units) -> Model
    import_old_format(path) -> Model

Responses
    Location.method, a_over_w, lambda_prime, table; Location.set_method(...)
    Model.response_tables, response_table(name), add_response_table(...),
    import_response_tables(path), rename_response_table(...), remove_response_table(...)
    response(method, sdf, days, ...) -> numpy array    the step response, as vektool response
    depletion_factor(a, S, T), aquifer_for_factor(sdf, ...)   the factor calculator

Stream reaches (a map: wells and streams with coordinates)
    Model.import_map(wells=..., streams=..., crs=...)  wells and reaches from GIS files
    Model.reaches, add_reach(...), remove_reach(...), reach_depletion
    Location.xy, storativity, transmissivity, factor_from_map, set_apportionment(...)
    Model.apportion(method, ...) -> DataFrame          the fractions, location x reach
    Results.frame(by="reach")                          each reach's net impact

Uncertainty
    Ranges, Model.ranges             ranges of the factor (or a, S, T), a/W or lambda', pumping
    uncertainty(model_or_path, ranges, n, *, seed, design, threads, keep_samples, first, count)
        -> UncertaintyResults        sampled runs: .quantiles() (tidy DataFrame), .samples (numpy),
                                     .first_order() (Sobol' indices); UncertaintyResults.join(parts)

Structure and validation
    Model.add_location(...), Model.remove_location(i)
    Model.validate() -> [Problem]    what vektool check finds; vek.run refuses the refused

Classes
    Model, Location                  a model input document and its locations
    Results, LocationResult          the tables of a run or a report

Errors
    Error                            base of the errors below
    ReadError                        a file could not be read (file, line, partial)
    WriteError                       a file could not be written (file)
    RunError                         the engine stopped (status)
    OperationError                   a model operation refused or failed (kind, family,
                                     file, location, year, month, field); subclasses
                                     SynthesisError, ConversionError, ImportFileError,
                                     ResponseError (also a ValueError)

Tables are numpy arrays with one row per year and twelve months; wells carry
negative values. Results.frame needs pandas; without it, it returns arrays.
"""

from ._vek import (
    CALENDAR_YEAR,
    IRRIGATION_WELL,
    IRRIGATION_YEAR,
    RECHARGE_SITE,
    USGS_YEAR,
    ConversionError,
    Error,
    ImportFileError,
    Location,
    LocationList,
    LocationResult,
    LocationResultList,
    Model,
    OperationError,
    Problem,
    ReadError,
    ResponseError,
    ResponseTable,
    Ranges,
    Results,
    RunError,
    SynthesisError,
    UncertaintyResults,
    WriteError,
    __version__,
    aquifer_for_factor,
    change_units,
    change_year_type,
    depletion_factor,
    import_old_format,
    import_tab_delimited,
    import_well_output,
    read_model,
    read_report,
    response,
    run,
    synthesize_average,
    synthesize_cycle,
    synthesize_given_year,
    uncertainty,
)
from ._frames import bands as _bands
from ._frames import frame as _frame

Results.frame = _frame
UncertaintyResults.quantiles = _bands

__all__ = [
    "read_model",
    "run",
    "uncertainty",
    "read_report",
    "change_year_type",
    "change_units",
    "synthesize_average",
    "synthesize_given_year",
    "synthesize_cycle",
    "import_well_output",
    "import_tab_delimited",
    "import_old_format",
    "response",
    "depletion_factor",
    "aquifer_for_factor",
    "Model",
    "Location",
    "LocationList",
    "Results",
    "Ranges",
    "UncertaintyResults",
    "LocationResult",
    "LocationResultList",
    "ResponseTable",
    "Problem",
    "Error",
    "ReadError",
    "WriteError",
    "RunError",
    "OperationError",
    "SynthesisError",
    "ConversionError",
    "ImportFileError",
    "ResponseError",
    "IRRIGATION_WELL",
    "RECHARGE_SITE",
    "CALENDAR_YEAR",
    "IRRIGATION_YEAR",
    "USGS_YEAR",
    "__version__",
]

# Names as scripts write them (vek.Model, not vek._vek.Model).
for _name in __all__:
    _obj = globals()[_name]
    if isinstance(_obj, type):
        _obj.__module__ = __name__
del _name, _obj
