"""The Python example of docs/python.md runs as documented and its table
says what the model says."""

import csv
import os
import subprocess
import sys

import vek
from conftest import EXAMPLE, SOURCE


def test_factor_study_example(workdir):
    script = os.path.join(SOURCE, "examples", "factor_study.py")
    r = subprocess.run([sys.executable, script, "--out", workdir], capture_output=True, env=os.environ)
    assert r.returncode == 0, r.stderr.decode()
    out = r.stdout.decode()
    assert "Wrote" in out and "Average year:" in out
    with open(os.path.join(workdir, "factor_study.png"), "rb") as f:
        picture = f.read()
    assert picture.startswith(b"\x89PNG") and len(picture) > 20000
    with open(os.path.join(workdir, "factor_study.csv")) as f:
        rows = list(csv.reader(f))
    assert rows[0] == ["year", "100 days", "500 days", "2500 days", "10000 days", "40000 days"]
    years = [int(row[0]) for row in rows[1:]]
    assert years == list(range(1980, 2025))
    means = [sum(float(row[c]) for row in rows[1:]) / len(years) for c in range(1, 6)]
    # 2500 days is the model's own factor: the run as it stands.
    baseline = vek.run(EXAMPLE).locations[-1].stream_totals.astype(float).mean()
    assert abs(means[2] - baseline) < 1e-3
    # A larger factor spreads the same depletion over later years: less of it
    # reaches the stream within the run.
    assert means == sorted(means)
