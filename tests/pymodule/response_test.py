"""Response methods from Python: the curves are vektool response's, a model
given its methods here is the model vektool convert makes, the model's
response tables keep the locations that use them, and refusals are typed."""

import csv
import io
import os
import subprocess

import numpy as np
import pytest

import vek
from conftest import EXAMPLE, SOURCE, program, read_bytes

METHODS_EXAMPLE = os.path.join(SOURCE, "examples", "aquifer_methods.vek")
URF = os.path.join(SOURCE, "examples", "cottonwood_pond_urf.csv")
URF_NAME = "Cottonwood pond (basin model 2019)"
DAYS = [-5, 0, 0.5, 1, 15, 30.4375, 100, 365, 1000, 3652.5, 20000]


def vektool(*args, check=True):
    r = subprocess.run([program("vektool"), *args], capture_output=True)
    if check:
        assert r.returncode == 0, r.stderr.decode()
    return r


def vektool_curve(*options):
    out = vektool("response", *options, "--days", ",".join(repr(float(d)) for d in DAYS)).stdout.decode()
    rows = list(csv.reader(io.StringIO(out)))
    assert rows[0] == ["days", "fraction"]
    return [row[1] for row in rows[1:]]


@pytest.mark.parametrize(
    "method, sdf, options, keywords",
    [
        ("infinite", 2000.0, [], {}),
        ("infinite", 0.0, [], {}),
        ("alluvial", 2000.0, ["--a-over-w", "0.6"], {"a_over_w": 0.6}),
        ("alluvial", 150.0, ["--a-over-w", "0"], {"a_over_w": 0.0}),
        ("hunt", 2000.0, ["--lambda", "2"], {"lambda_prime": 2.0}),
        ("hunt", 40000.0, ["--lambda", "0.01"], {"lambda_prime": 0.01}),
        ("table", None, ["--table", URF, "--after", "one"], {"after": "one"}),
        ("table", None, ["--table", URF], {}),
    ],
)
def test_curves_are_vektool_responses(method, sdf, options, keywords):
    if method == "table":
        with open(URF) as f:
            keywords["shares"] = [float(row[1]) for row in list(csv.reader(f))[1:]]
    sdf_options = [] if sdf is None else ["--sdf", repr(sdf)]
    expected = vektool_curve("--method", method, *sdf_options, *options)
    curve = vek.response(method, sdf, DAYS, **keywords)
    assert curve.dtype == np.float64 and curve.shape == (len(DAYS),)
    assert ["%#.12g" % v for v in curve] == expected
    # The shape of `days` is kept; a single day gives a 0-d array.
    assert vek.response(method, sdf, np.array(DAYS).reshape(1, -1), **keywords).shape == (1, len(DAYS))
    assert float(vek.response(method, sdf, 365.0, **keywords)) == curve[DAYS.index(365)]


def test_curve_refusals():
    with pytest.raises(vek.ResponseError) as e:
        vek.response("alluvial", 100.0, [10], a_over_w=1.0)
    assert e.value.field == "a/W" and e.value.family == "response" and isinstance(e.value, ValueError)
    with pytest.raises(vek.ResponseError):
        vek.response("hunt", 100.0, [10], lambda_prime=0.0)
    with pytest.raises(vek.ResponseError):
        vek.response("infinite", -1.0, [10])
    with pytest.raises(vek.ResponseError, match="response table"):
        vek.response("table", None, [10], shares=[0.7, 0.6])
    with pytest.raises(TypeError, match="needs a_over_w"):
        vek.response("alluvial", 100.0, [10])
    with pytest.raises(TypeError, match="does not apply"):
        vek.response("infinite", 100.0, [10], lambda_prime=2.0)
    with pytest.raises(TypeError, match="needs sdf"):
        vek.response("infinite", None, [10])
    with pytest.raises(ValueError, match="response method"):
        vek.response("glover", 100.0, [10])


def test_methods_set_here_write_and_run_as_vektool_convert_makes_them(workdir):
    converted = os.path.join(workdir, "converted.vek")
    vektool("convert", EXAMPLE, converted, "--response-table", URF, "--table-after", URF_NAME + "=one",
            "--method", "1:alluvial,a/W=0.25", "--method", "2:hunt,lambda=1.5,sdf=3000",
            "--method", "3:table,name=" + URF_NAME)

    model = vek.read_model(EXAMPLE)
    assert model.import_response_tables(URF) == [URF_NAME]
    model.add_response_table(URF_NAME, model.response_table(URF_NAME).shares, after="one")
    wells = model.locations
    wells[0].set_method("alluvial", a_over_w=0.25)
    wells[1].set_method("hunt", lambda_prime=1.5, factor=3000)
    wells[2].set_method("table", table=URF_NAME)
    assert (wells[0].method, wells[0].a_over_w, wells[0].lambda_prime, wells[0].table) == ("alluvial", 0.25, None,
                                                                                            None)
    assert (wells[1].method, wells[1].factor, wells[2].table, wells[3].method) == ("hunt", 3000, URF_NAME,
                                                                                   "infinite")
    written = model.write(os.path.join(workdir, "python.vek"))
    assert read_bytes(written) == read_bytes(converted)

    ours, theirs = os.path.join(workdir, "python.out"), os.path.join(workdir, "converted.out")
    vek.run(model).write_report(ours)
    vek.run(converted).write_report(theirs)
    assert read_bytes(ours) == read_bytes(theirs)
    # The infinite aquifer again gives the original model's report.
    for loc in model.locations:
        loc.set_method("infinite")
    model.locations[1].factor = vek.read_model(EXAMPLE).locations[1].factor
    model.remove_response_table(URF_NAME)
    vek.run(model).write_report(ours)
    vek.run(EXAMPLE).write_report(theirs)
    assert read_bytes(ours) == read_bytes(theirs)


def test_location_refusals_change_nothing():
    model = vek.read_model(METHODS_EXAMPLE)
    loc = model.locations[1]
    assert (loc.method, loc.a_over_w) == ("alluvial", pytest.approx(0.6))
    before = model.copy()
    refusals = [
        (dict(method="alluvial", a_over_w=1.5), "a/W", "BadParameter"),
        (dict(method="alluvial", a_over_w=-0.1), "a/W", "BadParameter"),
        (dict(method="hunt", lambda_prime=-2.0), "lambda", "BadParameter"),
        (dict(method="table", table="no such table"), "table", "NoSuchTable"),
    ]
    for keywords, field, kind in refusals:
        with pytest.raises(vek.ResponseError) as e:
            loc.set_method(factor=99.0, **keywords)
        assert (e.value.field, e.value.kind, e.value.location) == (field, kind, 1)
        assert str(e.value).startswith("location 2 (")
    with pytest.raises(TypeError):
        loc.set_method("hunt")
    with pytest.raises(TypeError):
        loc.set_method("infinite", table=model.response_tables[0])
    assert model == before and not model.modified


def test_response_tables(workdir):
    model = vek.read_model(METHODS_EXAMPLE)
    assert model.response_tables == [URF_NAME]
    table = model.response_table(URF_NAME)
    assert (table.name, table.after, len(table.shares)) == (URF_NAME, "one", 48)
    assert table.shares.dtype == np.float32 and abs(float(table.shares[0]) - 0.0099) < 1e-7
    with pytest.raises(vek.ResponseError, match="no table"):
        model.response_table("missing")

    model.add_response_table("short", [0.5, 0.25])
    model.add_response_table("short", [0.5, 0.5], after="one")  # replaces
    assert model.response_tables == [URF_NAME, "short"]
    assert list(model.response_table("short").shares) == [0.5, 0.5]
    # As many shares as a file may hold, and not one more: a longer table
    # was once written, and the programs refused the file.
    model.add_response_table("long", [0.0] * 100000)
    assert len(model.response_table("long").shares) == 100000
    model.remove_response_table("long")
    for bad in ([0.6, 0.6], [1.5], [], [float("nan")], [0.0] * 100001):
        with pytest.raises(vek.ResponseError) as e:
            model.add_response_table("bad", bad)
        assert e.value.kind == "BadTable"
    with pytest.raises(ValueError):
        model.add_response_table("two\nlines", [0.1])
    assert "bad" not in model.response_tables

    # A rename follows into the locations; a name in use is refused.
    with pytest.raises(vek.ResponseError) as e:
        model.rename_response_table(URF_NAME, "short")
    assert e.value.kind == "TableNameTaken"
    model.rename_response_table(URF_NAME, "pond")
    assert model.locations[3].table == "pond"

    # A table in use does not vanish: refused, or its users go back to the
    # infinite aquifer with their factors.
    factor = model.locations[3].factor
    with pytest.raises(vek.ResponseError) as e:
        model.remove_response_table("pond")
    assert (e.value.kind, e.value.locations) == ("TableInUse", [3])
    assert model.response_tables == ["pond", "short"]
    assert model.remove_response_table("pond", reset_users=True) == [3]
    assert (model.locations[3].method, model.locations[3].factor) == ("infinite", factor)
    assert model.remove_response_table("short") == []
    assert model.response_tables == [] and not any(p.severity == "refused" for p in model.validate())

    # An import is all or nothing.
    bad = os.path.join(workdir, "bad.csv")
    with open(bad, "w") as f:
        f.write("month,fine,too much\n1,0.5,0.9\n2,0.5,0.9\n")
    with pytest.raises(vek.ResponseError, match="too much"):
        model.import_response_tables(bad)
    with pytest.raises(vek.ImportFileError):
        model.import_response_tables(os.path.join(workdir, "missing.csv"))
    assert model.response_tables == []


def test_factor_calculator():
    assert vek.depletion_factor(1000.0, 0.2, 10000.0) == pytest.approx(20.0)
    # The same aquifer in metres gives the same factor.
    ft = 0.3048
    assert vek.depletion_factor(1000.0 * ft, 0.2, 10000.0 * ft * ft, unit="m") == pytest.approx(20.0)
    assert vek.aquifer_for_factor(20.0, S=0.2, T=10000.0) == pytest.approx(1000.0)
    assert vek.aquifer_for_factor(20.0, a=1000.0, T=10000.0) == pytest.approx(0.2)
    assert vek.aquifer_for_factor(20.0, a=1000.0, S=0.2) == pytest.approx(10000.0)
    with pytest.raises(vek.ResponseError):
        vek.depletion_factor(1000.0, 1.5, 10000.0)
    with pytest.raises(vek.ResponseError):
        vek.depletion_factor(1000.0, 0.2, 0.0)
    with pytest.raises(TypeError):
        vek.aquifer_for_factor(20.0, a=1000.0)
    with pytest.raises(ValueError):
        vek.depletion_factor(1.0, 0.2, 1.0, unit="yd")
