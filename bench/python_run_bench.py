#!/usr/bin/python3
"""Benchmark of vek.run against the vek program on the same model file.

Generates a model of 1000 locations x 400 years (engine_bench --generate),
then, on that one file, times:

  vek program        vek MODEL.vek MODEL.out (a child process; writes the report)
  vek + read_report  the same, then vek.read_report: the tables a script gets
                     without the module's run
  vek.run(path)      the engine in this process, reading the file
  read_model + run   vek.read_model, then vek.run on the model in memory

and checks that write_report gives vek's report byte for byte. Prints the
best of --repeat runs (wall seconds) and the speed-up of vek.run over the
program.

    PYTHONPATH=build/python /usr/bin/python3 bench/python_run_bench.py [--bin build/bin]
        [--locations 1000] [--repeat 3] [--threads N] [--keep DIR]
"""

import argparse
import os
import shutil
import subprocess
import sys
import tempfile
import time

import vek


def best(repeat, action):
    times = []
    result = None
    for _ in range(repeat):
        start = time.perf_counter()
        result = action()
        times.append(time.perf_counter() - start)
    return min(times), result


def main():
    parser = argparse.ArgumentParser(description=__doc__.split("\n")[0])
    parser.add_argument("--bin", default=os.path.join(os.path.dirname(__file__), "..", "build", "bin"))
    parser.add_argument("--locations", type=int, default=1000)
    parser.add_argument("--repeat", type=int, default=3)
    parser.add_argument("--threads", type=int, default=None, help="computing threads (default: one per core)")
    parser.add_argument("--keep", help="folder for the model and reports (default: a temporary one)")
    args = parser.parse_args()

    folder = args.keep or tempfile.mkdtemp(prefix="vek_python_bench_")
    os.makedirs(folder, exist_ok=True)
    vek_program = os.path.abspath(os.path.join(args.bin, "vek"))
    env = dict(os.environ)
    if args.threads:
        env["VEK_THREADS"] = str(args.threads)
    try:
        subprocess.run([os.path.join(args.bin, "engine_bench"), "--generate", str(args.locations), "big.vek"],
                       cwd=folder, check=True)
        size = os.path.getsize(os.path.join(folder, "big.vek")) / 1e6
        print("model: %d locations x 400 years, %.1f MB; %s threads; best of %d" % (
            args.locations, size, args.threads or "all", args.repeat))

        def program():
            subprocess.run([vek_program, "big.vek", "big.out"], cwd=folder, check=True, env=env,
                           stdout=subprocess.DEVNULL)

        def program_and_read():
            program()
            return vek.read_report(os.path.join(folder, "big.out"))

        path = os.path.join(folder, "big.vek")
        t_program, _ = best(args.repeat, program)
        t_program_read, _ = best(args.repeat, program_and_read)
        t_run_path, results = best(args.repeat, lambda: vek.run(path, threads=args.threads))
        t_model_run, _ = best(args.repeat, lambda: vek.run(vek.read_model(path), threads=args.threads))

        written = os.path.join(folder, "written.out")
        results.write_report(written)
        with open(written, "rb") as a, open(os.path.join(folder, "big.out"), "rb") as b:
            identical = a.read() == b.read()

        print("%-22s %8.3f s" % ("vek program", t_program))
        print("%-22s %8.3f s" % ("vek + read_report", t_program_read))
        print("%-22s %8.3f s" % ("vek.run(path)", t_run_path))
        print("%-22s %8.3f s" % ("read_model + vek.run", t_model_run))
        print("vek.run(path) is %.2fx as fast as the vek program, %.2fx as fast as vek + read_report" % (
            t_program / t_run_path, t_program_read / t_run_path))
        print("write_report byte-identical to vek's report: %s" % ("yes" if identical else "NO"))
        return 0 if identical else 1
    finally:
        if not args.keep:
            shutil.rmtree(folder, ignore_errors=True)


if __name__ == "__main__":
    sys.exit(main())
