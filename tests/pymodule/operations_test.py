"""The model operations as functions: each gives the model vektool convert
gives with the same choices, byte for byte, and a refusal comes as the
operation's typed error with the message the programs show."""

import os
import subprocess
import sys

import numpy as np
import pytest

import vek
from conftest import EXAMPLE, SOURCE, program, read_bytes

IMPORTS = os.path.join(SOURCE, "tests", "data", "imports")


def vektool_convert(workdir, source, *options):
    """vektool convert's file for these options, and its messages."""
    out = os.path.join(workdir, "vektool.vek")
    r = subprocess.run([program("vektool"), "convert", source, out, *options], capture_output=True)
    return (read_bytes(out) if r.returncode == 0 else None), r.stderr.decode().strip()


def written(model, workdir):
    path = os.path.join(workdir, "python.vek")
    model.write(path)
    return read_bytes(path)


@pytest.mark.parametrize("options, operation", [
    (["--year-type", "0"], lambda m: vek.change_year_type(m, "calendar")),
    (["--year-type", "2"], lambda m: vek.change_year_type(m, vek.USGS_YEAR)),
    (["--units", "0"], lambda m: vek.change_units(m, "daily")),
    (["--avg-days", "1", "--units", "0"], lambda m: (setattr(m, "use_avg_days_per_month", True),
                                                     vek.change_units(m, 0))),
    (["--average", "1980,1990,2004"], lambda m: vek.synthesize_average(m, [2004, 1980, 1990, 1990])),
    (["--given", "1995"], lambda m: vek.synthesize_given_year(m, 1995)),
    (["--cycle", "1985,1994"], lambda m: vek.synthesize_cycle(m, 1985, 10)),
], ids=["calendar", "usgs", "daily", "daily_average_days", "average", "given", "cycle"])
def test_operations_give_vektools_model(options, operation, workdir):
    expected, _ = vektool_convert(workdir, EXAMPLE, *options)
    model = vek.read_model(EXAMPLE)
    operation(model)
    assert model.modified
    assert written(model, workdir) == expected


def test_names_take_no_letter_case_from_the_locale():
    # In a Turkish locale the C library keeps "I" upper case (its lower
    # case is the dotless i): a fresh interpreter in that locale.
    script = f"""
import locale, vek
locale.setlocale(locale.LC_ALL, "tr_TR.UTF-8")
model = vek.read_model({EXAMPLE!r})
print(vek.change_year_type(model, "IRRIGATION"), vek.change_year_type(model, "CALENDAR"))
"""
    r = subprocess.run([sys.executable, "-c", script], capture_output=True, text=True)
    assert (r.returncode, r.stdout.split()) == (0, ["False", "True"]), r.stderr


def test_year_type_change_rescues_months_into_an_added_year():
    model = vek.read_model(EXAMPLE)
    pond = model.locations[3].historical
    # The pond takes water in November and December of 1980 (Irrigation
    # Year): in Calendar years they belong to 1979, which is added.
    assert vek.change_year_type(model, "calendar") is True
    assert (model.year_mode, model.input_start_year) == (0, 1979)
    calendar = model.locations[3].historical
    np.testing.assert_array_equal(calendar[0, 10:], pond[0, :2])
    np.testing.assert_array_equal(calendar[1, :10], pond[0, 2:])
    assert not calendar[0, :10].any()
    # The same type again changes nothing.
    assert vek.change_year_type(model, 0) is False and model.input_start_year == 1979


def test_synthesis_makes_the_synthesized_years_current():
    model = vek.read_model(EXAMPLE)
    table = model.locations[0].historical.copy()
    table[0, 6] += 1.0
    model.locations[0].historical = table
    assert model.synthesis_stale
    vek.synthesize_given_year(model, 1980)
    assert not model.synthesis_stale and model.synthesize_format == 2
    np.testing.assert_array_equal(model.locations[0].synthesized[3], table[0])


def test_refusals_raise_typed_errors_and_change_nothing(workdir):
    model = vek.read_model(EXAMPLE)
    reference = model.copy()
    _, shown = vektool_convert(workdir, EXAMPLE, "--given", "1900")
    with pytest.raises(vek.SynthesisError) as e:
        vek.synthesize_given_year(model, 1900)
    assert str(e.value) == shown
    assert (e.value.kind, e.value.family, e.value.year) == ("NotAHistoricalYear", "synthesis", 1900)
    assert isinstance(e.value, vek.OperationError) and isinstance(e.value, vek.Error)
    with pytest.raises(vek.SynthesisError, match="") as e:
        vek.synthesize_cycle(model, 1990, 0)
    assert e.value.kind == "CycleTooShort"
    with pytest.raises(vek.ConversionError) as e:
        vek.change_year_type(model, 5)
    assert e.value.kind == "UnknownYearType" and e.value.family == "conversion"
    with pytest.raises(vek.ConversionError):
        vek.change_units(model, 7)
    with pytest.raises(ValueError):
        vek.change_units(model, "weekly")
    assert model == reference and not model.modified


@pytest.mark.parametrize("source, options, importer", [
    ("wells.txt", ["--from", "tab", "--year-type", "0", "--units", "1"],
     lambda p: vek.import_tab_delimited(p, year_type="calendar", units="monthly")),
    ("old_format.txt", ["--from", "old"], vek.import_old_format),
    ("two_methods.owl", ["--soil-moisture", "with"], lambda p: vek.import_well_output(p, soil_moisture="with")),
    ("two_methods_crlf.owl", ["--soil-moisture", "no"],
     lambda p: vek.import_well_output(p, soil_moisture="without")),
])
def test_imports_give_vektools_model(source, options, importer, workdir):
    path = os.path.join(IMPORTS, source)
    expected, _ = vektool_convert(workdir, path, *options)
    model = importer(path)
    assert model.modified and model.path is None and len(model.locations) > 0
    assert written(model, workdir) == expected


def test_import_failures_and_warnings(workdir):
    path = os.path.join(IMPORTS, "year_mismatch.txt")
    _, shown = vektool_convert(workdir, path, "--from", "tab")
    with pytest.raises(vek.ImportFileError) as e:
        vek.import_tab_delimited(path, year_type=0, units=1)
    assert str(e.value) == shown and e.value.kind == "WrongYear" and e.value.family == "file"
    assert e.value.location_name == "Well B" and e.value.year == 1987
    partial = e.value.partial
    assert isinstance(partial, vek.Model) and partial.locations[0].name == "Well A"

    path = os.path.join(IMPORTS, "eof_in_data.owl")
    _, shown = vektool_convert(workdir, path, "--soil-moisture", "with")
    with pytest.warns(UserWarning) as caught:
        vek.import_well_output(path, soil_moisture="with")
    assert [str(w.message) for w in caught] == shown.splitlines()
    with pytest.raises(ValueError):
        vek.import_well_output(path, soil_moisture="maybe")
    with pytest.raises(vek.ImportFileError) as e:
        vek.import_old_format(os.path.join(workdir, "missing.txt"))
    assert e.value.kind == "CannotOpen"
