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


def documented_block(heading):
    """The first python block after a heading of docs/python.md, as it stands there."""
    with open(os.path.join(SOURCE, "docs", "python.md")) as f:
        text = f.read()
    after = text[text.index(heading + "\n"):]
    start = after.index("```python\n") + len("```python\n")
    return after[start:after.index("```", start)]


def test_alluvial_example_runs_as_documented(workdir):
    script = os.path.join(workdir, "alluvial.py")
    with open(script, "w") as f:
        f.write(documented_block("### Example: an alluvial aquifer against the infinite one"))
    r = subprocess.run([sys.executable, script], capture_output=True, env=os.environ,
                       cwd=os.path.join(SOURCE, "examples"))
    assert r.returncode == 0, r.stderr.decode()
    lines = r.stdout.decode().splitlines()
    infinite, alluvial = (float(line.rsplit(":", 1)[1]) for line in lines[:2])
    # Net impact of wells is negative; the bounded aquifer takes more from the
    # stream within the run.
    assert alluvial < infinite < 0
    baseline = vek.run(EXAMPLE).locations[-1].stream_totals.astype(float).sum()
    assert abs(infinite - baseline) < 0.1
    assert lines[2].startswith("the boundary adds ")


def test_response_method_example_runs_on_the_model_it_names(workdir):
    script = os.path.join(workdir, "methods.py")
    with open(script, "w") as f:
        f.write("import vek\n" + documented_block("## Response methods and response tables") +
                "print(model.locations[3].method, model.locations[3].table)\n")
    r = subprocess.run([sys.executable, script], capture_output=True, env=os.environ,
                       cwd=os.path.join(SOURCE, "examples"))
    assert r.returncode == 0, r.stderr.decode()
    assert r.stdout.decode().strip() == "table Cottonwood pond (basin model 2019)"
