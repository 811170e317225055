#!/usr/bin/python3
"""The engine's speed table, made in one run.

For each size (default 1000 and 5000 locations x 400 years: 350 historical and
50 synthesized years, every location used, seasonal pumping, the
by-location report) it generates a model (engine_bench --generate) and
measures on that one file:

  vek program     vek MODEL.vek MODEL.out, a child process: wall and CPU
                  seconds, peak resident memory
  vek.run(path)   the engine in a Python process (the module vek), reading
                  the same file; the results, no report
  FFT peer        numpy + scipy: the same superposition as a convolution by
                  FFT (single precision, each location's kernel taken at the
                  first step month's lags, the transforms on every core),
                  compute only: the rates are already in memory

then the computation alone per kernel variant (kernel_bench: response table
and superposition, no reading or report) in milliseconds per location.

Each figure is the median of --repeat runs (minimum in brackets) after one
warm-up. The machine's load average is printed before and after: on a
shared machine compare CPU seconds and ratios rather than single wall times.
The idle share is 1 - CPU / (wall x cores used) of the vek program.

    PYTHONPATH=build/python /usr/bin/python3 bench/speed_table.py [--bin build/bin]
        [--sizes 1000,5000] [--repeat 5] [--threads N] [--keep DIR]
"""

import argparse
import json
import os
import shutil
import statistics
import subprocess
import sys
import tempfile
import time


def load():
    with open("/proc/loadavg") as f:
        return " ".join(f.read().split()[:3])


def run_measured(cmd, env=None, cwd=None):
    """wall, cpu, peak MB of one run of cmd (through os.wait4)."""
    start = time.perf_counter()
    pid = os.posix_spawn(cmd[0], cmd, env if env is not None else os.environ,
                         file_actions=[(os.POSIX_SPAWN_OPEN, 1, os.devnull, os.O_WRONLY, 0)])
    _, status, usage = os.wait4(pid, 0)
    wall = time.perf_counter() - start
    if os.waitstatus_to_exitcode(status) != 0:
        raise RuntimeError("%s failed with status %d" % (" ".join(cmd), os.waitstatus_to_exitcode(status)))
    return {"wall": wall, "cpu": usage.ru_utime + usage.ru_stime, "peak_mb": usage.ru_maxrss / 1024.0}


def repeated(repeat, once):
    once()  # warm-up: the file in the page cache, the program loaded
    return [once() for _ in range(repeat)]


def summary(runs, key):
    values = [r[key] for r in runs]
    return statistics.median(values), min(values)


# --- children: a fresh process for each in-process measurement, so that its
# peak memory is its own.

def child_run(path, repeat, threads):
    import resource
    import vek
    runs = []
    for i in range(repeat + 1):
        start, cpu = time.perf_counter(), time.process_time()
        vek.run(path, threads=threads)
        run = {"wall": time.perf_counter() - start, "cpu": time.process_time() - cpu}
        if i > 0:
            runs.append(run)
    peak = resource.getrusage(resource.RUSAGE_SELF).ru_maxrss / 1024.0
    for r in runs:
        r["peak_mb"] = peak
    print(json.dumps(runs))


def peer_inputs(path):
    """The model's rates, factors and signs as arrays, and the run's calendar."""
    import numpy as np
    import vek
    model = vek.read_model(path)
    rows = []
    factors, signs = [], []
    for loc in model.locations:
        rows.append(np.concatenate([np.asarray(loc.historical), np.asarray(loc.synthesized)]).reshape(-1))
        factors.append(loc.factor)
        signs.append(-1.0 if loc.is_well else 1.0)
    volumes = np.array(rows, dtype=np.float32)  # acre-feet per month, NOV..OCT
    start = model.input_start_year
    months = volumes.shape[1]
    lengths = np.array([30, 31, 31, 28, 31, 30, 31, 30, 31, 31, 30, 31] * (months // 12), dtype=np.float32)
    years = start + np.arange(months) // 12
    lengths[(np.arange(months) % 12 == 3) & (years % 4 == 0)] = 29.0
    return volumes, np.array(factors, dtype=np.float32), np.array(signs, dtype=np.float32), lengths


def peer_compute(volumes, factors, signs, days, chunk=500):
    """Depletion by FFT convolution, in single precision like the engine, the
    transforms on every core: the whole peer computation."""
    import numpy as np
    import scipy.fft
    import scipy.special
    rates = volumes / days
    lag = np.cumsum(days) - 15.0
    steps = np.diff(rates, axis=1, prepend=np.float32(0.0))
    months = rates.shape[1]
    size = scipy.fft.next_fast_len(2 * months, real=True)
    effect = np.empty_like(rates)
    for s in range(0, len(rates), chunk):
        kernel = scipy.special.erfc(0.5 * np.sqrt(factors[s:s + chunk, None] / lag))
        spectrum = scipy.fft.rfft(steps[s:s + chunk], size, axis=1, workers=-1)
        spectrum *= scipy.fft.rfft(kernel, size, axis=1, workers=-1)
        effect[s:s + chunk] = scipy.fft.irfft(spectrum, size, axis=1, workers=-1)[:, :months]
    diversion = rates * days * signs[:, None]
    effect *= days * signs[:, None]
    recharge = signs > 0
    summaries = [diversion[recharge].sum(0), effect[recharge].sum(0), diversion[~recharge].sum(0),
                 effect[~recharge].sum(0), effect.sum(0)]
    return diversion, effect, summaries


def child_peer(path, repeat):
    import resource
    inputs = peer_inputs(path)
    runs = []
    for i in range(repeat + 1):
        start, cpu = time.perf_counter(), time.process_time()
        peer_compute(*inputs)
        run = {"wall": time.perf_counter() - start, "cpu": time.process_time() - cpu}
        if i > 0:
            runs.append(run)
    peak = resource.getrusage(resource.RUSAGE_SELF).ru_maxrss / 1024.0
    for r in runs:
        r["peak_mb"] = peak
    print(json.dumps(runs))


def in_child(args, env):
    out = subprocess.run([sys.executable, os.path.abspath(__file__)] + args, env=env, check=True,
                         stdout=subprocess.PIPE).stdout
    return json.loads(out)


def fmt(pair, unit="s"):
    median, least = pair
    return "%.3f %s (%.3f)" % (median, unit, least)


def main():
    if len(sys.argv) > 1 and sys.argv[1] == "--child-run":
        threads = None if sys.argv[4] == "0" else int(sys.argv[4])
        return child_run(sys.argv[2], int(sys.argv[3]), threads)
    if len(sys.argv) > 1 and sys.argv[1] == "--child-peer":
        return child_peer(sys.argv[2], int(sys.argv[3]))

    parser = argparse.ArgumentParser(description=__doc__.split("\n")[0])
    parser.add_argument("--bin", default=os.path.join(os.path.dirname(__file__), "..", "build", "bin"))
    parser.add_argument("--sizes", default="1000,5000")
    parser.add_argument("--repeat", type=int, default=5)
    parser.add_argument("--threads", type=int, default=0, help="computing threads (default 0: one per core)")
    parser.add_argument("--keep", help="folder for the models and reports (default: a temporary one)")
    args = parser.parse_args()

    bindir = os.path.abspath(args.bin)
    vek_program = os.path.join(bindir, "vek")
    folder = args.keep or tempfile.mkdtemp(prefix="vek_speed_table_")
    os.makedirs(folder, exist_ok=True)
    env = dict(os.environ)
    if args.threads:
        env["VEK_THREADS"] = str(args.threads)
    cores = os.cpu_count()
    used = min(cores, args.threads) if args.threads else cores
    print("cores %d, threads %s, median (minimum) of %d runs; load average before: %s" % (
        cores, args.threads or "one per core", args.repeat, load()))
    rows = []
    try:
        for size in [int(s) for s in args.sizes.split(",")]:
            model = os.path.join(folder, "m%d.vek" % size)
            subprocess.run([os.path.join(bindir, "engine_bench"), "--generate", str(size), model], check=True)
            report = os.path.join(folder, "m%d.out" % size)
            program = repeated(args.repeat, lambda: run_measured([vek_program, model, report], env=env))
            inproc = in_child(["--child-run", model, str(args.repeat), str(args.threads)], env)
            peer = in_child(["--child-peer", model, str(args.repeat)], env)
            rows.append((size, os.path.getsize(model) / 1e6, program, inproc, peer))

        print()
        print("| locations | model MB | `vek` program | `vek.run` in process | FFT peer, compute only "
              "| `vek` / peer | `vek` / `vek.run` |")
        print("|---|---|---|---|---|---|---|")
        for size, mb, program, inproc, peer in rows:
            p, r, f = summary(program, "wall"), summary(inproc, "wall"), summary(peer, "wall")
            print("| %d | %.0f | %s | %s | %s | %.2f | %.2f |" % (size, mb, fmt(p), fmt(r), fmt(f), p[0] / f[0],
                                                                  p[0] / r[0]))
        print()
        print("| locations | CPU s: `vek` | `vek.run` | peer | peak MB: `vek` | `vek.run` process | peer process "
              "| `vek` idle share |")
        print("|---|---|---|---|---|---|---|---|")
        for size, mb, program, inproc, peer in rows:
            idle = [1.0 - r["cpu"] / (r["wall"] * used) for r in program]
            print("| %d | %s | %s | %s | %.0f | %.0f | %.0f | %.0f %% |" % (
                size, fmt(summary(program, "cpu")), fmt(summary(inproc, "cpu")), fmt(summary(peer, "cpu")),
                max(r["peak_mb"] for r in program), inproc[0]["peak_mb"], peer[0]["peak_mb"],
                100.0 * statistics.median(idle)))

        print()
        print("| kernel variant | ms per location (wall) | CPU ms per location |")
        print("|---|---|---|")
        out = subprocess.run([os.path.join(bindir, "kernel_bench"), "--repeat", str(args.repeat)], check=True,
                             stdout=subprocess.PIPE, text=True).stdout
        for line in out.splitlines():
            v = json.loads(line)
            print("| %s | %.3f | %.3f |" % (v["variant"], v["ms_per_location"], v["cpu_ms_per_location"]))
        print()
        print("load average after: %s" % load())
        return 0
    finally:
        if not args.keep:
            shutil.rmtree(folder, ignore_errors=True)


if __name__ == "__main__":
    sys.exit(main())
