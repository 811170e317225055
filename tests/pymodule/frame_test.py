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

COLUMNS = ["position", "name", "type", "factor", "table", "year", "month", "value", "units", "year_type", "method",
           "sdf", "a_w", "lambda", "response_table", "table_after"]
M3_PER_AF = 43560 * 0.3048 ** 3


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


def test_units_and_methods():
    methods = vek.run(os.path.join(os.path.dirname(EXAMPLE), "aquifer_methods.vek"))
    af = methods.frame(locations=[0, 1, 2, 3, 5])
    described = af.drop_duplicates("position").set_index("position")
    assert list(described.method) == ["infinite", "alluvial", "hunt", "table", ""]
    assert described.a_w[1] == 0.6
    assert described["lambda"][2] == 2 and described.response_table[3] == "Cottonwood pond (basin model 2019)"
    assert described.table_after[3] == "one" and np.isnan(described.sdf[5])
    assert methods.locations[1].response["method"] == "alluvial" and methods.locations[5].response is None
    assert set(af.units) == {"af"} and set(af.year_type) == {"irrigation"}
    m3 = methods.frame(locations=[0, 1, 2, 3, 5], units="m3")
    np.testing.assert_allclose(m3.value, af.value * M3_PER_AF, rtol=1e-15)
    # A rate is the month's volume over its seconds: February 1984 has 29 days.
    cfs = methods.frame(locations=[0], tables="diversion", units="cfs", layout="long")
    longaf = methods.frame(locations=[0], tables="diversion", layout="long")
    assert cfs.month.dtype.kind == "M" and list(cfs.columns[:9]) == COLUMNS[:6] + ["month", "days", "value"]
    assert (cfs.month.dt.day == 1).all() and cfs.month.is_monotonic_increasing
    assert cfs.month.iloc[0] == pd.Timestamp("1979-11-01") and cfs.year.iloc[0] == 1980
    feb84 = cfs[cfs.month == "1984-02-01"]
    assert feb84.days.item() == 29
    np.testing.assert_allclose(cfs.value, longaf.value * 43560 / (cfs.days * 86400), rtol=1e-15)
    assert methods.frame("cumulative", locations=[0], units="cfs").value.isna().all()
    for bad in ({"units": "acre-feet"}, {"layout": "wide"}, {"layout": "long", "kind": "yearly"}):
        with pytest.raises(ValueError):
            methods.frame(**bad)
