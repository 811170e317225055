"""examples/sweep_dask.py: a sweep of three model files, and one model's
samples split into parts, on a LocalCluster of two worker processes give the
single-process runs' DataFrames exactly."""

import importlib.util
import os

import pandas as pd

import vek
from conftest import EXAMPLE, SOURCE


def load_example():
    found = importlib.util.spec_from_file_location("sweep_dask", os.path.join(SOURCE, "examples", "sweep_dask.py"))
    module = importlib.util.module_from_spec(found)
    found.loader.exec_module(module)
    return module


def test_cluster_sweep_equals_the_single_process_sweep(workdir):
    from distributed import Client, LocalCluster

    sweep = load_example()
    paths = []
    for k, median in enumerate((300.0, 1500.0, 6000.0)):
        model = vek.read_model(EXAMPLE)
        ranges = vek.Ranges()
        ranges.add("factor", "lognormal", median=median, sd=0.6, low=20, high=50000)
        ranges.add("pumping", "uniform", low=0.9, high=1.1, shared=True)
        model.ranges = ranges
        paths.append(model.write(os.path.join(workdir, "scenario%d.vek" % k)))
    here = sweep.in_process(paths, 30, 4)
    with Client(LocalCluster(n_workers=2, threads_per_worker=1, processes=True, dashboard_address=None)) as client:
        assert len(client.scheduler_info()["workers"]) == 2
        there = sweep.on_dask(client, paths, 30, 4)
        whole = sweep.one_model_in_process(paths[1], 45, 4)
        split = sweep.one_model_on_dask(client, paths[1], 45, 4, parts=4)
    pd.testing.assert_frame_equal(split, whole, check_exact=True)
    assert sweep.parts_of(45, 4) == [(0, 11), (11, 11), (22, 11), (33, 12)]
    assert (whole["P95"] - whole["P5"]).abs().max() > 1.0
    pd.testing.assert_frame_equal(there, here, check_exact=True)
    assert list(here["model"].unique()) == paths
    # The scenarios differ: a closer aquifer depletes the stream sooner.
    firsts = here[(here["result"] == "ALL LOCATIONS")].groupby("model", sort=False)["P50"].first().to_list()
    assert len(set(firsts)) == 3
