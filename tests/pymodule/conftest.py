"""Shared fixtures of the vek module's tests: where the programs and the test
data are, a folder per test for its files, the vek program run as VEKView
runs it, and generated model input files."""

import os
import random
import shutil
import subprocess

import pytest

SOURCE = os.environ["VEK_SOURCE_DIR"]
BIN = os.environ["VEK_BIN_DIR"]
OUT = os.environ["VEK_TEST_OUT"]
EXAMPLE = os.path.join(SOURCE, "examples", "river_valley.vek")
ENGINE_DATA = os.path.join(SOURCE, "tests", "data", "engine")


@pytest.fixture
def workdir(request):
    """An empty folder of this test's own."""
    path = os.path.join(OUT, request.node.name.replace("/", "_").replace("[", "_").replace("]", ""))
    shutil.rmtree(path, ignore_errors=True)
    os.makedirs(path)
    return path


def program(name):
    path = os.path.join(BIN, name)
    assert os.access(path, os.X_OK), "%s was not built" % path
    return path


def run_vek(model_path, folder):
    """Runs the vek program in a folder "vek" in `folder` on a copy of the
    model with bare names, as VEKView runs it. Returns (report path, status, stdout, stderr)."""
    base = os.path.splitext(os.path.basename(model_path))[0]
    folder = os.path.join(folder, "vek")
    os.makedirs(folder, exist_ok=True)
    shutil.copyfile(model_path, os.path.join(folder, base + ".vek"))
    r = subprocess.run([program("vek"), base + ".vek", base + ".out"], cwd=folder, capture_output=True)
    return os.path.join(folder, base + ".out"), r.returncode, r.stdout.decode(), r.stderr.decode()


def read_bytes(path):
    with open(path, "rb") as f:
        return f.read()


def g(v):
    """A value as the model writer writes it (printf "%g")."""
    return "%g" % v


def generate_model(path, *, seed=1, locations=6, first=1990, historical=12, synthesized=3, skip=0, tail=0,
                   cut=0, output_format=0, unit_mode=1, use_avg=0, unused_every=0, scale=1.0):
    """Writes a model input file the way the model writer does: wells with
    summer pumping, recharge sites filled in winter, the extreme factors 0
    and 100000, and (with a large `scale`) values too wide for the report."""
    rng = random.Random(seed)
    input_end = first + historical - 1
    last = input_end + synthesized
    params = [first, input_end, synthesized, first + skip, last + tail - cut, locations, output_format, 3, 0, 2,
              1, unit_mode, use_avg]
    lines = ["Version 1.12",
             " ".join(str(v) for v in params) + " # inputStartYear inputEndYear noOfSimulationYears "
             "outputStartYear outputEndYear nwells outputFormat synthesizeFormat projYearStart projYearEnd "
             "yearMode unitMode useAvgDaysPerMonth"]
    well = [0, 0, 0, 0, 0, 0.4, 0.8, 1, 1, 0.7, 0.3, 0]
    pond = [0.6, 1, 1, 0.8, 0.5, 0, 0, 0, 0, 0, 0, 0]
    names = []
    for n in range(locations):
        factor = [0.0, 100000.0][n] if n < 2 else round(rng.uniform(5, 20000), 1)
        recharge = n % 3 == 2
        use = 0 if unused_every and n % unused_every == unused_every - 1 else 1
        lines.append("%s %d %d # VEK LocationType UseInOutput" % (g(factor), 1 if recharge else -1, use))
        names.append(("Pond %d" if recharge else "Well %d, north field") % (n + 1))
        lines.append(names[-1])
        size = rng.uniform(20, 400) * scale
        for _ in range(historical + synthesized):
            wet = rng.uniform(0.6, 1.4)
            row = [v * size * wet / (30.0 if unit_mode == 0 else 1.0) for v in (pond if recharge else well)]
            lines.append(" ".join(g(v) for v in row))
    for name in names:
        lines.append(name)
        lines.append("0 1 # UsePumpingRecord Units")
        lines.append(" ".join(["1"] * 12))
        lines.extend(" ".join(["0"] * 12) for _ in range(historical))
    with open(path, "w", newline="\n") as f:
        f.write("\n".join(lines) + "\n")
    return path
