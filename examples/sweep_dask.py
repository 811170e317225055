"""Sampled runs of many model files on Dask, one model a task.

Each model input file is run with its own uncertainty ranges by
vek.uncertainty (its samples on one thread, the workers side by side), and
the yearly bands of every model are gathered into one pandas DataFrame,
equal, bit for bit, to the same runs made one after another in this process:
a task is the function the single-process path calls.

    PYTHONPATH=build/python /usr/bin/python3 examples/sweep_dask.py \\
        --samples 500 --seed 7 --out bands.csv model1.vek model2.vek ...

Without --scheduler a LocalCluster of --workers processes runs on this
machine; with --scheduler tcp://HOST:8786 the tasks go to a running Dask
cluster, whose workers need the vek module (PYTHONPATH) and the model files
at the same paths.
"""

import argparse

import pandas as pd

import vek


def bands(path, samples, seed, design, percents):
    """The yearly bands of one model file, with a column naming it."""
    results = vek.uncertainty(path, None, samples, seed=seed, design=design, threads=1, keep_samples=False)
    frame = results.quantiles(percents, period="year")
    frame.insert(0, "model", str(path))
    return frame


def in_process(paths, samples, seed, design="lhs", percents=(5, 50, 95)):
    """The sweep one model after another in this process."""
    return pd.concat([bands(p, samples, seed, design, percents) for p in paths], ignore_index=True)


def on_dask(client, paths, samples, seed, design="lhs", percents=(5, 50, 95)):
    """The sweep on the cluster behind `client`, one task a model."""
    futures = client.map(bands, list(paths), samples=samples, seed=seed, design=design, percents=percents,
                         pure=False)
    return pd.concat(client.gather(futures), ignore_index=True)


def main():
    parser = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    parser.add_argument("models", nargs="+", help="model input files with uncertainty ranges")
    parser.add_argument("--samples", type=int, default=200)
    parser.add_argument("--seed", type=int, default=0)
    parser.add_argument("--design", choices=("mc", "lhs"), default="lhs")
    parser.add_argument("--scheduler", help="address of a running Dask scheduler (default: a LocalCluster)")
    parser.add_argument("--workers", type=int, default=2, help="processes of the LocalCluster")
    parser.add_argument("--out", help="write the bands as CSV here (default: print a summary)")
    args = parser.parse_args()

    from distributed import Client, LocalCluster

    if args.scheduler:
        client = Client(args.scheduler)
    else:
        client = Client(LocalCluster(n_workers=args.workers, threads_per_worker=1, processes=True))
    with client:
        frame = on_dask(client, args.models, args.samples, args.seed, args.design)
    if args.out:
        frame.to_csv(args.out, index=False)
    else:
        print(frame[frame["result"] == "ALL LOCATIONS"].groupby("model")[["deterministic", "P5", "P50", "P95"]]
              .mean().round(1))


if __name__ == "__main__":
    main()
