"""vek.run against the vek program: the same tables (every value, read back
from vek's own report), the same report byte for byte, the same failures."""

import glob
import os
import threading
import time

import numpy as np
import pytest

import vek
from conftest import ENGINE_DATA, EXAMPLE, generate_model, read_bytes, run_vek

# Models whose report vek writes completely.
ENGINE_DECKS = sorted(p for p in glob.glob(os.path.join(ENGINE_DATA, "*.vek")) if not p.endswith("years401.vek"))

GENERATED = {
    "by_location": {},
    "totals_only": {"output_format": 1},
    "untitled": {"output_format": 2},
    "daily_units_average_days": {"unit_mode": 0, "use_avg": 1},
    "skip_tail_unused": {"skip": 3, "tail": 5, "unused_every": 4, "seed": 7},
    "cut_years": {"cut": 2, "seed": 3},
    "wide_values": {"scale": 30000.0, "locations": 4, "seed": 5},
    "sixteen_data_years": {"historical": 14, "synthesized": 2, "seed": 11},
}


def tenths(a):
    """Values to the tenth the report prints (ties to even, as vek rounds
    the float's exact value), as integers; no data stays NaN."""
    return np.round(np.asarray(a, dtype=np.float64) * 10.0)


def assert_printed_equal(run_values, report_values, what):
    """Every value of a run as its report prints it. A field the report
    could not print (asterisks) reads as no data: the run's value must then
    be too wide for nine columns."""
    run_values = np.asarray(run_values, dtype=np.float64)
    report_values = np.asarray(report_values, dtype=np.float64)
    assert run_values.shape == report_values.shape, what
    wide = np.isnan(report_values)
    assert np.all((run_values[wide] >= 1e7) | (run_values[wide] <= -1e6)), what
    np.testing.assert_array_equal(tenths(run_values[~wide]), tenths(report_values[~wide]), err_msg=what)


def assert_same_tables(run, report):
    """The results of a run hold what vek's report holds, value for value."""
    for attr in ("first_print_year", "last_print_year", "first_synth_year", "last_synth_year", "synthesis_text",
                 "conversion_text", "units", "months", "year_type"):
        assert getattr(run, attr) == getattr(report, attr), attr
    assert len(run.locations) == len(report.locations)
    for a, b in zip(run.locations, report.locations):
        assert (a.name, a.kind, a.type) == (b.name, b.kind, b.type)
        if not a.is_summary:
            assert tenths(np.float32(a.factor)) == tenths(b.factor)
        for table in ("diversion", "stream"):
            for attr in ("", "_totals", "_cumulative", "_average"):
                name = table + attr
                if a.kind == "net impact" and table == "diversion":
                    assert np.isnan(getattr(a, name)).all() and np.isnan(getattr(b, name)).all()
                    continue
                if attr == "_cumulative":
                    # Running totals of the engine's own year totals.
                    totals = getattr(a, table + "_totals")
                    np.testing.assert_array_equal(getattr(a, name), np.cumsum(totals, dtype=np.float32))
                    continue
                assert_printed_equal(getattr(a, name), getattr(b, name), "%s %s" % (a.name, name))


def check_against_vek(model_path, folder, **run_options):
    """Runs vek and vek.run on one model file and compares everything."""
    report_path, status, _, err = run_vek(model_path, folder)
    assert status == 0, err
    from_path = vek.run(model_path, **run_options)
    from_model = vek.run(vek.read_model(model_path), **run_options)
    report = vek.read_report(report_path)
    for name, results in (("path", from_path), ("model", from_model)):
        assert results.from_run
        assert_same_tables(results, report)
        written = os.path.join(folder, "written_from_%s.out" % name)
        results.write_report(written)
        assert read_bytes(written) == read_bytes(report_path), "%s: write_report differs from vek's report" % name
    return from_path, report


def test_response_methods_example_matches_vek(workdir):
    """Locations of the other response methods: the model's closing section
    runs from memory too, and the report ends with the list of methods."""
    model = os.path.join(os.path.dirname(EXAMPLE), "aquifer_methods.vek")
    check_against_vek(model, workdir)
    written = os.path.join(workdir, "methods.out")
    vek.run(vek.read_model(model)).write_report(written)
    assert b"RESPONSE METHODS OTHER THAN THE INFINITE AQUIFER" in read_bytes(written)


def test_example_matches_vek(workdir):
    results, report = check_against_vek(EXAMPLE, workdir)
    assert len(results.locations) == 4 + 3
    assert results.locations[-1].name == "Net Impact on Stream"
    # The run keeps the engine's precision; the report rounds to a tenth.
    net = results.locations[-1].stream
    assert not np.array_equal(net, np.round(net, 1))


@pytest.mark.parametrize("deck", ENGINE_DECKS, ids=os.path.basename)
def test_engine_decks_match_their_golden_reports(deck, workdir):
    golden = deck[:-4] + ".out"
    results = vek.run(deck)
    written = os.path.join(workdir, "run.out")
    results.write_report(written)
    assert read_bytes(written) == read_bytes(golden)
    assert_same_tables(results, vek.read_report(golden))


@pytest.mark.parametrize("shape", sorted(GENERATED))
def test_generated_models_match_vek(shape, workdir):
    model = generate_model(os.path.join(workdir, "generated.vek"), **GENERATED[shape])
    results, report = check_against_vek(model, workdir)
    if shape == "wide_values":
        # Some values did not fit the report's nine columns.
        assert any(np.isnan(loc.stream).any() for loc in report.locations)
        assert not any(np.isnan(loc.stream).any() for loc in results.locations)


def test_thread_count_does_not_change_results(workdir):
    model = vek.read_model(generate_model(os.path.join(workdir, "m.vek"), locations=12, historical=40))
    one, many = vek.run(model, threads=1), vek.run(model, threads=3)
    for a, b in zip(one.locations, many.locations):
        np.testing.assert_array_equal(a.stream, b.stream)
        np.testing.assert_array_equal(a.diversion, b.diversion)
    for bad in (0, -1, 100000):
        with pytest.raises(ValueError):
            vek.run(model, threads=bad)


def test_changed_model_runs_as_written(workdir):
    """A model changed in memory runs as the file it would write."""
    model = vek.read_model(EXAMPLE)
    model.locations[1].factor = 777.5
    model.output_end_year = 2030
    model.locations[2].use_in_output = False
    results = vek.run(model)
    path = os.path.join(workdir, "changed.vek")
    model.write(path)
    report_path, status, _, err = run_vek(path, workdir)
    assert status == 0, err
    written = os.path.join(workdir, "run.out")
    results.write_report(written)
    assert read_bytes(written) == read_bytes(report_path)
    assert results.last_print_year == 2030
    assert [loc.factor for loc in results.locations[:3]] == [150.0, 777.5, 800.0]


def engine_failure(model_path, folder):
    """vek's console line and status for a model it cannot run, from the
    folder it ran in (its messages name the file as it was given)."""
    _, status, out, err = run_vek(model_path, folder)
    text = (err or out).strip().splitlines()
    os.chdir(os.path.join(folder, "vek"))
    return status, text[0].strip()


def test_refusals_and_engine_failures_raise_run_error(workdir, monkeypatch):
    monkeypatch.chdir(workdir)
    # What the validation refuses does not reach the engine: more than 400
    # years, a negative depletion factor of a used location. The message is
    # the one VEKView's Run shows.
    status, line = engine_failure(os.path.join(ENGINE_DATA, "years401.vek"), workdir)
    assert status == 255 and line == "ERROR: input contains more than          400 years of data."
    with pytest.raises(vek.RunError) as e:
        vek.run(os.path.join(ENGINE_DATA, "years401.vek"))
    assert str(e.value) == ("The engine would refuse this model:\n"
                            "The run (1600 to 2000) has 401 years; the engine runs at most 400.")
    assert e.value.status is None

    model = vek.read_model(EXAMPLE)
    model.locations[1].factor = -5.0
    path = os.path.join(workdir, "negative.vek")
    model.write(path)
    status, line = engine_failure(path, workdir)
    assert status == 2 and "negative depletion factor" in line
    for subject in ("negative.vek", model):
        with pytest.raises(vek.RunError, match="^The engine would refuse this model:\nLocation 2 .*negative") as e:
            vek.run(subject)
        assert e.value.status is None

    # A missing file: the engine's own line.
    with pytest.raises(vek.RunError, match="run-time error: cannot open input file") as e:
        vek.run(os.path.join(workdir, "missing.vek"))
    assert e.value.status == 2


def test_only_irrigation_year_models_run(workdir):
    text = read_bytes(EXAMPLE).decode().split("\n")
    params = text[1].split()
    params[10] = "0"  # yearMode: Calendar
    text[1] = " ".join(params)
    path = os.path.join(workdir, "calendar.vek")
    with open(path, "w", newline="\n") as f:
        f.write("\n".join(text))
    for subject in (path, vek.read_model(path)):
        with pytest.raises(vek.RunError, match="only run in Irrigation Year format") as e:
            vek.run(subject)
        assert e.value.status is None


def test_stale_synthesis_warns():
    model = vek.read_model(EXAMPLE)
    table = model.locations[0].historical
    model.locations[0].historical = table + 1.0
    assert model.synthesis_stale
    with pytest.warns(UserWarning, match="synthesized data may not match"):
        vek.run(model)


def test_results_of_a_report_write_none(workdir):
    report_path, _, _, _ = run_vek(EXAMPLE, workdir)
    with pytest.raises(ValueError, match="only the results of vek.run"):
        vek.read_report(report_path).write_report(os.path.join(workdir, "x.out"))
    target = os.path.join(workdir, "no such folder", "x.out")
    with pytest.raises(vek.WriteError) as e:
        vek.run(EXAMPLE).write_report(target)
    assert e.value.file == target
    assert str(e.value) == "Unable to write %s: the folder %s does not exist." % (target, os.path.dirname(target))


def test_run_lets_other_threads_work(workdir):
    """The engine computes without the interpreter's lock: the main thread
    keeps running for the whole of the run."""
    model = vek.read_model(generate_model(os.path.join(workdir, "m.vek"), locations=300, historical=380,
                                          synthesized=20))
    window = {}

    def work():
        window["start"] = time.perf_counter()
        vek.run(model, threads=1)
        window["end"] = time.perf_counter()

    worker = threading.Thread(target=work)
    ticks = []
    worker.start()
    while worker.is_alive():
        ticks.append(time.perf_counter())
    worker.join()
    start, end = window["start"], window["end"]
    length = end - start
    assert length > 0.15, "the run was too short to tell"
    # With the lock held, the main thread could run only within a switch
    # interval (5 ms) of the run's start or end, never in its middle.
    middle = [t for t in ticks if start + 0.2 * length < t < end - 0.2 * length]
    assert middle, "the main thread stood still for the whole run"
