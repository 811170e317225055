"""vek.read_report over the report reader: its messages as vek.ReadError with
the line it stopped at and what was read before; the view's year-type change
and text report."""

import os
import subprocess

import numpy as np
import pytest

import vek
from conftest import EXAMPLE, SOURCE, program, read_bytes, run_vek

TWO_LOCATIONS = os.path.join(SOURCE, "tests", "data", "results", "two_locations.out")


@pytest.fixture
def report(workdir):
    path, status, _, err = run_vek(EXAMPLE, workdir)
    assert status == 0, err
    return path


def variant(report, name, edit):
    lines = read_bytes(report).split(b"\r\n")
    lines = edit(lines)
    path = os.path.join(os.path.dirname(report), name)
    with open(path, "wb") as f:
        f.write(b"\r\n".join(lines))
    return path


def line_of(lines, start):
    """1-based number of the first line that starts with `start`."""
    return next(i for i, l in enumerate(lines, 1) if l.startswith(start))


def test_report_read_whole(report):
    r = vek.read_report(report)
    assert not r.from_run and r.source == report
    assert (r.first_print_year, r.last_print_year, r.first_synth_year, r.last_synth_year) == (1980, 2024, 2005, 2014)
    assert r.synthesis_text.startswith("SYNTHESIZED DATA WAS GENERATED USING AVERAGE OF HISTORICAL DATA FROM")
    assert r.conversion_text == "MONTHLY TO DAILY CONVERSIONS USED ACTUAL DAYS IN THE MONTH."
    assert r.units == "( acre feet )" and r.months[0] == "NOV" and r.year_type == 1
    assert list(r.years) == list(range(1980, 2025))
    kinds = [l.kind for l in r.locations]
    assert kinds == ["location"] * 4 + ["recharge summary", "ground water summary", "net impact"]
    assert [l.type for l in r.locations] == ["Irrig. well"] * 3 + ["Recharge site"] + ["summary"] * 3
    assert r.locations[3].factor == 800.0 and r.locations[4].factor is None
    well = r.locations[0]
    assert well.diversion.shape == (45, 12) and well.diversion_average.shape == (13,)
    # Totals, running totals and summaries hang together as the report prints them.
    np.testing.assert_allclose(well.stream.sum(axis=1), well.stream_totals, atol=0.65)
    np.testing.assert_allclose(np.cumsum(well.stream_totals), well.stream_cumulative, rtol=1e-5)
    wells = sum(l.stream for l in r.locations[:3])
    np.testing.assert_allclose(wells, r.locations[5].stream, atol=0.25)


@pytest.mark.parametrize("case", ["eof_in_table", "short_row", "missing_factor", "no_print_range"])
def test_read_errors_carry_message_line_and_partial_results(report, case):
    lines = read_bytes(report).split(b"\r\n")
    table_row = line_of(lines, b"1990")  # first well's diversion row of 1990
    if case == "eof_in_table":
        path = variant(report, case + ".out", lambda l: l[:table_row - 1])
        message, line = "Unexpected EOF reading 1990's data.", table_row
    elif case == "short_row":
        path = variant(report, case + ".out", lambda l: l[:table_row - 1] + [l[table_row - 1][:60]] + l[table_row:])
        message, line = "Parse error reading monthly pumping for year 1990", table_row
    elif case == "missing_factor":
        second = [i for i, l in enumerate(lines, 1) if l.startswith(b"LOCATION:")][1]
        path = variant(report, case + ".out", lambda l: l[:second] + [b"FACTOR 3"] + l[second + 1:])
        message, line = "Error looking for VEK (line is FACTOR 3)", second + 1
    else:
        path = variant(report, case + ".out", lambda l: [x for x in l if b"PRINT OUT OF" not in x])
        message = ("Parse error reading %s for starting and ending years (expected PRINT OUT OF DEPLETIONS IS "
                   "FOR YEARS %%d TO %%d)" % path)
        line = len(lines) - 1  # the line after the last: one line fewer, and the split adds one
    with pytest.raises(vek.ReadError) as e:
        vek.read_report(path)
    # The reader's message; some have a second line in plain words.
    assert str(e.value).split("\n", 1)[0] == message
    assert (e.value.file, e.value.line) == (path, line)
    partial = e.value.partial
    assert isinstance(partial, vek.Results)
    # The entry being read is dropped; the ones before it stay.
    expected = {"eof_in_table": 0, "short_row": 0, "missing_factor": 1, "no_print_range": 0}[case]
    assert len(partial.locations) == expected
    # The programs show the same message (vektool prints what it reads and the message).
    shown = subprocess.run([program("vektool"), "report", path], capture_output=True).stderr.decode()
    assert message in shown


def test_missing_report_has_no_line(workdir):
    path = os.path.join(workdir, "missing.out")
    with pytest.raises(vek.ReadError) as e:
        vek.read_report(path)
    assert str(e.value) == "Unable to open %s for reading." % path
    assert e.value.line is None and len(e.value.partial.locations) == 0


def vektool_text(report, *options):
    r = subprocess.run([program("vektool"), "report", report, *options], capture_output=True)
    assert r.returncode == 0, r.stderr
    return r.stdout.decode()


def test_text_report_is_the_views(report):
    r = vek.read_report(report)
    assert r.text_report() == vektool_text(report)
    assert r.text_report(locations=[0, 6], years=[1981, "avg"], yearly=True, diversion=False) == vektool_text(
        report, "--locations", "0,6", "--years", "1981,avg", "--yearly", "--no-diversion")
    r.change_year_type("usgs")
    assert r.text_report(locations=[2]) == vektool_text(report, "--locations", "2", "--year-type", "2")


def test_year_type_change_as_the_view_makes_it():
    r = vek.read_report(TWO_LOCATIONS)
    before = r.locations[0].diversion
    # The engine writes 0 for months without diversion: Irrigation to Calendar
    # adds a year before the first.
    assert r.change_year_type(vek.CALENDAR_YEAR) is True
    assert r.year_type == 0 and r.months[0] == "JAN" and r.first_print_year == 1988
    after = r.locations[0].diversion
    np.testing.assert_array_equal(after[1:, :10], before[:, 2:])
    np.testing.assert_array_equal(after[:-1, 10:], before[:, :2])
    assert np.isnan(after[0, :10]).all()
    # Back in the report's own year type the values are the report's again,
    # without the year Calendar added.
    assert r.change_year_type("irrigation") is True and r.first_print_year == 1989
    np.testing.assert_array_equal(r.locations[0].diversion, before)
    with pytest.raises(ValueError):
        r.change_year_type(3)
