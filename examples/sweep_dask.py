"""Sampled runs on Dask: many model files, one model a task, or one model's
samples split into parts, one part a task.

Many models: each model input file is run with its own uncertainty ranges by
vek.uncertainty (its samples on one thread, the workers side by side), and
the yearly bands of every model are gathered into one pandas DataFrame,
equal, bit for bit, to the same runs made one after another in this process:
a task is the function the single-process path calls.

    PYTHONPATH=build/python /usr/bin/python3 examples/sweep_dask.py \\
        --samples 500 --seed 7 --out bands.csv model1.vek model2.vek ...

One model in parts (--parts K): the model's N samples are split into K runs
of consecutive samples (vek.uncertainty's first= and count=; each sample
gets the values the whole run gives it, Latin hypercube strata included),
the parts' samples are gathered and joined (vek.UncertaintyResults.join),
and the bands of the joined samples equal the single-process run's, bit for
bit.

    PYTHONPATH=build/python /usr/bin/python3 examples/sweep_dask.py \\
        --parts 8 --samples 4000 --seed 7 --out bands.csv model.vek

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


def part(path, samples, seed, design, first, count):
    """Samples first .. first + count - 1 of a model's design of `samples`."""
    return vek.uncertainty(path, None, samples, seed=seed, design=design, threads=1, keep_samples=False,
                           first=first, count=count)


def parts_of(samples, parts):
    """(first, count) of each part: consecutive, as even as they go."""
    cuts = [samples * k // parts for k in range(parts + 1)]
    return [(cuts[k], cuts[k + 1] - cuts[k]) for k in range(parts) if cuts[k + 1] > cuts[k]]


def one_model_in_process(path, samples, seed, design="lhs", percents=(5, 50, 95)):
    """The yearly bands of one model's samples run in this process at once."""
    results = vek.uncertainty(path, None, samples, seed=seed, design=design, keep_samples=False)
    return results.quantiles(percents, period="year")


def one_model_on_dask(client, path, samples, seed, parts, design="lhs", percents=(5, 50, 95)):
    """The same bands from `parts` tasks on the cluster behind `client`."""
    split = parts_of(samples, parts)
    futures = [client.submit(part, path, samples, seed, design, first, count, pure=False) for first, count in split]
    joined = vek.UncertaintyResults.join(client.gather(futures))
    return joined.quantiles(percents, period="year")


def main():
    parser = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    parser.add_argument("models", nargs="+", help="model input files with uncertainty ranges")
    parser.add_argument("--samples", type=int, default=200)
    parser.add_argument("--seed", type=int, default=0)
    parser.add_argument("--design", choices=("mc", "lhs"), default="lhs")
    parser.add_argument("--scheduler", help="address of a running Dask scheduler (default: a LocalCluster)")
    parser.add_argument("--workers", type=int, default=2, help="processes of the LocalCluster")
    parser.add_argument("--parts", type=int, help="run one model's samples in this many tasks")
    parser.add_argument("--out", help="write the bands as CSV here (default: print a summary)")
    args = parser.parse_args()
    if args.parts is not None and (args.parts < 1 or len(args.models) != 1):
        parser.error("--parts takes one model and a count of 1 or more")

    from distributed import Client, LocalCluster

    if args.scheduler:
        client = Client(args.scheduler)
    else:
        client = Client(LocalCluster(n_workers=args.workers, threads_per_worker=1, processes=True))
    with client:
        if args.parts:
            frame = one_model_on_dask(client, args.models[0], args.samples, args.seed, args.parts, args.design)
            frame.insert(0, "model", args.models[0])
        else:
            frame = on_dask(client, args.models, args.samples, args.seed, args.design)
    if args.out:
        frame.to_csv(args.out, index=False)
    else:
        print(frame[frame["result"] == "ALL LOCATIONS"].groupby("model")[["deterministic", "P5", "P50", "P95"]]
              .mean().round(1))


if __name__ == "__main__":
    main()
