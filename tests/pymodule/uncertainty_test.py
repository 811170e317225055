"""vek.uncertainty: bands that numpy's own quantiles reproduce from the
samples, the same samples for any thread count, the model's own ranges kept
by its file, and other Python threads running meanwhile."""

import threading
import time

import numpy as np
import pytest

import vek
from conftest import EXAMPLE


def valley_ranges():
    r = vek.Ranges()
    r.add("factor", "lognormal", median=1500, sd=0.7, low=100, high=20000)
    r.add("pumping", "uniform", low=0.8, high=1.2, shared=True)
    r.add("pumping", "triangular", 2, low=0.5, mode=1.0, high=1.1)
    return r


def test_bands_are_numpys_quantiles_of_the_samples():
    model = vek.read_model(EXAMPLE)
    u = vek.uncertainty(model, valley_ranges(), 120, seed=5, design="lhs")
    assert u.n == 120 and u.seed == 5 and u.design == "lhs"
    samples = u.samples
    assert samples.shape[:2] == (len(u.names), 120) and samples.dtype == np.float32
    frame = u.quantiles((5, 50, 95), period="month")
    assert list(frame.columns) == ["result", "location", "period", "year", "month", "deterministic", "P5", "P50",
                                   "P95"]
    months = samples.shape[2]
    assert len(frame) == len(u.names) * months
    for s in (0, len(u.names) - 1):
        rows = frame[frame["result"] == u.names[s]]
        expected = np.quantile(samples[s].astype(np.float64), [0.05, 0.5, 0.95], axis=0)
        np.testing.assert_allclose(rows[["P5", "P50", "P95"]].to_numpy().T, expected, rtol=1e-6, atol=1e-6)
        assert np.array_equal(rows["deterministic"].to_numpy(), u.deterministic[s].astype(np.float64))
    # The bands are bands: somewhere the 5th and 95th percentiles differ.
    assert (frame["P95"] - frame["P5"]).abs().max() > 1.0
    yearly = u.quantiles(period="year")
    assert set(yearly["month"]) == {"TOTAL"}
    average = u.quantiles(period="average")
    assert len(average) == len(u.names) * 13


def test_run_without_ranges_is_vek_run():
    model = vek.read_model(EXAMPLE)
    u = vek.uncertainty(model, valley_ranges(), 3, seed=1)
    results = vek.run(model)
    assert np.array_equal(u.deterministic[0], results.locations[0].stream.ravel())


def test_same_samples_on_any_thread_count_and_only_for_the_same_seed():
    model = vek.read_model(EXAMPLE)
    one = vek.uncertainty(model, valley_ranges(), 16, seed=9, threads=1).samples
    two = vek.uncertainty(model, valley_ranges(), 16, seed=9, threads=2).samples
    other = vek.uncertainty(model, valley_ranges(), 16, seed=10, threads=2).samples
    assert np.array_equal(one, two)
    assert not np.array_equal(one, other)


def test_model_ranges_are_kept_by_its_file(workdir):
    model = vek.read_model(EXAMPLE)
    assert len(model.ranges) == 0
    model.ranges = valley_ranges()
    assert model.ranges == valley_ranges()
    path = model.write(workdir + "/with_ranges.vek")
    again = vek.read_model(path)
    assert again.ranges == valley_ranges()
    entries = again.ranges.entries
    assert entries[0]["quantity"] == "factor" and entries[0]["location"] is None
    from_file = vek.uncertainty(path, None, 8, seed=3).samples
    from_model = vek.uncertainty(model, None, 8, seed=3).samples
    assert np.array_equal(from_file, from_model)
    too_far = vek.Ranges()
    too_far.add("factor", "uniform", 99, low=1, high=2)
    with pytest.raises(ValueError, match="location 99"):
        model.ranges = too_far


def test_refusals():
    r = vek.Ranges()
    with pytest.raises(ValueError, match="unknown distribution"):
        r.add("factor", "gamma", low=1, high=2)
    with pytest.raises(ValueError, match="needs 2 fields"):
        r.add("factor", "uniform", low=1)
    with pytest.raises(ValueError, match="unknown field"):
        r.add("factor", "uniform", low=1, high=2, mode=1.5)
    r.add("a", "uniform", 1, low=100, high=200)
    with pytest.raises(vek.RunError, match="a, S and T need ranges all three"):
        vek.uncertainty(EXAMPLE, r, 2)
    with pytest.raises(ValueError, match="design"):
        vek.uncertainty(EXAMPLE, valley_ranges(), 2, design="sobol")


def test_other_threads_run_meanwhile():
    model = vek.read_model(EXAMPLE)
    span = []

    def work():
        t0 = time.monotonic()
        vek.uncertainty(model, valley_ranges(), 6000, seed=2, threads=1, keep_samples=False)
        span.extend([t0, time.monotonic()])

    worker = threading.Thread(target=work)
    ticks = []
    worker.start()
    while worker.is_alive():
        ticks.append(time.monotonic())
        time.sleep(0.001)
    worker.join()
    t0, t1 = span
    inside = [t for t in ticks if t0 + 0.05 < t < t1 - 0.05]
    assert t1 - t0 > 0.3, "the run is too short to tell"
    assert len(inside) >= 10, "the caller's thread stood still while the samples ran"


def test_parts_joined_are_the_whole_run_and_survive_pickling():
    import pickle

    model = vek.read_model(EXAMPLE)
    whole = vek.uncertainty(model, valley_ranges(), 30, seed=2, design="lhs")
    parts = [vek.uncertainty(model, valley_ranges(), 30, seed=2, design="lhs", first=f, count=c)
             for f, c in ((0, 7), (7, 20), (27, None))]
    assert [p.first for p in parts] == [0, 7, 27] and parts[2].n == 3
    parts = [pickle.loads(pickle.dumps(p)) for p in parts]
    state = list(parts[0].__getstate__())
    state[3] += 1  # one sample more than its values hold
    with pytest.raises(ValueError, match="not the state"):
        vek.UncertaintyResults.__new__(vek.UncertaintyResults).__setstate__(tuple(state))
    joined = vek.UncertaintyResults.join(parts)
    assert joined.n == 30 and np.array_equal(joined.samples, whole.samples)
    assert joined.quantiles().equals(whole.quantiles())
    with pytest.raises(ValueError, match="sample 8"):
        vek.UncertaintyResults.join([parts[0], parts[2]])
    other = vek.uncertainty(model, valley_ranges(), 30, seed=3, design="lhs", first=7, count=20)
    with pytest.raises(ValueError, match="seeds"):
        vek.UncertaintyResults.join([parts[0], other])
    for first, count in ((30, None), (-1, None), (29, 2), (0, 0)):
        with pytest.raises(ValueError):
            vek.uncertainty(model, valley_ranges(), 30, first=first, count=count)


def test_first_order_indices_name_the_range_that_matters():
    model = vek.read_model(EXAMPLE)
    ranges = vek.Ranges()
    ranges.add("pumping", "uniform", low=0.2, high=1.8, shared=True)
    ranges.add("factor", "uniform", 2, low=2400, high=2600)
    u = vek.uncertainty(model, ranges, 400, seed=1, design="lhs")
    indices = u.first_order()
    assert [(i["quantity"], i["location"]) for i in indices] == [("pumping", None), ("factor", 2)]
    assert indices[0]["first_order"] > 0.95 and indices[1]["first_order"] < 0.1
    assert u.first_order("ALL LOCATIONS") == indices == u.first_order(len(u.names) - 1)
    import pickle
    assert pickle.loads(pickle.dumps(u)).first_order() == indices
    assert np.isnan(vek.uncertainty(model, ranges, 99, seed=1).first_order()[0]["first_order"])
    with pytest.raises(ValueError, match="no result"):
        u.first_order("Nowhere")


def test_stream_reaches_follow_the_summaries():
    import os
    from conftest import SOURCE

    model = vek.read_model(os.path.join(SOURCE, "examples", "river_valley_reaches.vek"))
    u = vek.uncertainty(model, valley_ranges(), 8, seed=4)
    assert u.names[-4:] == ["ALL LOCATIONS", "REACH Big River", "REACH Cottonwood Creek", "REACH Mesa Draw"]
    reaches = u.quantiles(period="average")
    reaches = reaches[reaches["result"].astype(str).str.startswith("REACH")]
    assert len(reaches) == 3 * 13 and (reaches["location"] == 0).all()
    # The reaches share out the locations' depletion: their sum is all locations'.
    total = u.samples[-4].astype(np.float64)
    np.testing.assert_allclose(u.samples[-3:].astype(np.float64).sum(axis=0), total, rtol=1e-4, atol=0.05)
