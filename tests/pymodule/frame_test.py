"""Results.frame: tidy tables with one row per entry, table, year and month,
the view's year types and summaries, and plain arrays without pandas."""

import os
import subprocess
import sys

import numpy as np
import pandas as pd
import pytest

import vek
from conftest import EXAMPLE

COLUMNS = ["position", "name", "type", "factor", "table", "year", "month", "value"]


@pytest.fixture(scope="module")
def results():
    return vek.run(EXAMPLE)


def test_monthly_frame_has_one_row_per_location_table_year_and_month(results):
    df = results.frame()
    assert list(df.columns) == COLUMNS
    years = len(results.years)
    # Four locations and two summaries with two tables, the net impact with one.
    assert len(df) == (4 * 2 + 2 * 2 + 1) * years * 12
    assert not df.duplicated(["position", "table", "year", "month"]).any()
    assert list(df.month.cat.categories) == results.months and df.month.cat.ordered
    net = df[df.name == "Net Impact on Stream"]
    assert set(net.table) == {"stream"} and net.type.unique().tolist() == ["summary"] and net.factor.isna().all()
    # Every value is the results' own, NaN for no data.
    for loc in results.locations:
        for table in ("diversion", "stream"):
            rows = df[(df.position == loc.position) & (df.table == table)]
            if loc.kind == "net impact" and table == "diversion":
                assert rows.empty
                continue
            got = rows.pivot(index="year", columns="month", values="value")[results.months].to_numpy()
            np.testing.assert_array_equal(got.astype(np.float32), getattr(loc, table))
    wells = df[df.type == "Irrig. well"]
    assert (wells.value <= 0).all() and not (np.signbit(wells.value) & (wells.value == 0)).any()


def test_other_kinds(results):
    pond = results.locations[3]
    yearly = results.frame("yearly", locations=[3], tables="stream")
    assert list(yearly.columns) == COLUMNS and set(yearly.month) == {"TOTAL"}
    np.testing.assert_array_equal(yearly.value.to_numpy(np.float32), pond.stream_totals)
    assert list(yearly.year) == list(results.years)
    cumulative = results.frame("cumulative", locations=[3], tables=["stream"])
    np.testing.assert_array_equal(cumulative.value.to_numpy(np.float32), pond.stream_cumulative)
    average = results.frame("average", locations=[-1])
    assert "year" not in average.columns and list(average.month) == results.months + ["TOTAL"]
    np.testing.assert_array_equal(average.value.to_numpy(np.float32), results.locations[-1].stream_average)
    # Values are the floats' shortest decimals: 123.4, not 123.40000152587891.
    values = results.frame(locations=[0]).value
    assert all(v == float(str(np.float32(v))) for v in values if not np.isnan(v))
    for bad in ({"kind": "weekly"}, {"tables": "rain"}, {"year_type": 5}):
        with pytest.raises(ValueError):
            results.frame(**bad)
    with pytest.raises(IndexError):
        results.frame(locations=[7])


def test_year_type_is_shown_on_a_copy(results):
    calendar = results.frame(year_type="calendar", locations=[0], tables="diversion")
    assert list(calendar.month.cat.categories)[:3] == ["JAN", "FEB", "MAR"]
    # Irrigation to Calendar adds a year before the first; these results keep theirs.
    assert calendar.year.min() == 1979 and results.year_type == 1 and results.first_print_year == 1980
    changed = vek.run(EXAMPLE)
    changed.change_year_type(0)
    expected = changed.frame(locations=[0], tables="diversion")
    pd.testing.assert_frame_equal(calendar.reset_index(drop=True), expected.reset_index(drop=True))
    jan_1980 = calendar[(calendar.year == 1980) & (calendar.month == "JAN")].value.item()
    assert jan_1980 == results.frame(locations=[0], tables="diversion").query("year == 1980 and month == 'JAN'").value.item()


def test_pivot_of_net_impact(results):
    df = results.frame("yearly")
    pivot = df[df.table == "stream"].pivot_table(index="year", columns="name", values="value", observed=True)
    np.testing.assert_allclose(pivot["Net Impact on Stream"].to_numpy(),
                               results.locations[-1].stream_totals.astype(float), rtol=1e-6)


def test_without_pandas_frames_are_arrays():
    script = (
        "import sys; sys.modules['pandas'] = None\n"
        "import numpy as np, vek\n"
        "d = vek.run(%r).frame(locations=[0, 6])\n"
        "assert list(d) == %r, list(d)\n"
        "assert all(isinstance(a, np.ndarray) and len(a) == 45 * 12 * 3 for a in d.values())\n"
        "assert d['name'][0] == 'North ditch well 1 (near river)' and d['month'][0] == 'NOV'\n"
        "assert d['table'][-1] == 'stream' and np.isnan(d['factor'][-1])\n" % (EXAMPLE, COLUMNS))
    r = subprocess.run([sys.executable, "-c", script], capture_output=True, env=os.environ)
    assert r.returncode == 0, r.stderr.decode()
