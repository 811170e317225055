"""Model.validate is vektool check's judgement, vek.run refuses what it
refuses, and locations are added and removed by the document's own
operations."""

import os
import subprocess

import numpy as np
import pytest

import vek
from conftest import EXAMPLE, program, read_bytes


def edited_example(path, year_mode=None, factors=None, types=None):
    """The example with run parameters and location lines changed in its text."""
    lines = read_bytes(EXAMPLE).decode().split("\n")
    params = lines[1].split()
    if year_mode is not None:
        params[10] = str(year_mode)
    lines[1] = " ".join(params)
    heads = [i for i, line in enumerate(lines) if line.endswith("# VEK LocationType UseInOutput")]
    for n, i in enumerate(heads):
        factor, kind, use = lines[i].split()[:3]
        factor = (factors or {}).get(n, factor)
        kind = (types or {}).get(n, kind)
        lines[i] = "%s %s %s # VEK LocationType UseInOutput" % (factor, kind, use)
    with open(path, "w", newline="\n") as f:
        f.write("\n".join(lines))
    return path


def check_lines(path):
    r = subprocess.run([program("vektool"), "check", path], capture_output=True)
    return r.returncode, r.stderr.decode().splitlines()


def as_check_prints(path, problems):
    lines = []
    for p in problems:
        line = path + ": " + ("" if p.severity == "refused" else "warning: ") + p.text
        if p.options:
            line += "  Mend: vektool convert %s %s %s" % (path, path, p.options)
        lines.append(line)
    return lines


def test_validate_gives_vektool_checks_problems(workdir):
    assert vek.read_model(EXAMPLE).validate() == []
    path = edited_example(os.path.join(workdir, "faulty.vek"), year_mode=0, factors={1: "-5", 3: "-1"},
                          types={2: "3"})
    model = vek.read_model(path)
    problems = model.validate()
    status, lines = check_lines(path)
    assert status == 1 and lines == as_check_prints(path, problems)
    refused = [p for p in problems if p.severity == "refused"]
    assert [(p.location, p.field) for p in refused] == [(None, "yearMode"), (1, "VEK"), (3, "VEK")]
    assert refused[0].options == "--year-type 1" and refused[0].year is None
    assert [(p.location, p.field) for p in problems if p.severity == "warning"] == [(2, "LocationType")]

    # A response parameter set from Python is judged the same way once written.
    model = vek.read_model(EXAMPLE)
    model.add_response_table("held", [0.5])
    model.locations[0].set_method("table", table="held")
    model.remove_response_table("held", reset_users=True)
    assert model.validate() == []


def test_run_refuses_what_the_validation_refuses(workdir):
    path = edited_example(os.path.join(workdir, "negative.vek"), factors={1: "-5", 3: "-1"})
    model = vek.read_model(path)
    refusals = [p.text for p in model.validate() if p.severity == "refused"]
    assert len(refusals) == 2
    expected = "The engine would refuse this model:\n" + "\n".join(refusals)
    for subject in (model, path):
        with pytest.raises(vek.RunError) as e:
            vek.run(subject)
        assert str(e.value) == expected and e.value.status is None
    # Mended, it runs.
    model.locations[1].factor = 5.0
    model.locations[3].use_in_output = False
    assert len(vek.run(model).locations) == 3 + 3


def test_add_and_remove_locations(workdir):
    model = vek.read_model(EXAMPLE)
    names = [loc.name for loc in model.locations]
    years = model.historical_years

    added = model.add_location("New pond", type=vek.RECHARGE_SITE, factor=750.0)
    assert added.position == 4 and [l.name for l in model.locations] == names + ["New pond"]
    assert (added.type, added.factor, added.method) == (vek.RECHARGE_SITE, 750.0, "infinite")
    assert np.all(added.historical == 0) and added.historical.shape == (years, 12)
    # Before each position, the next-to-last one included.
    for position in (0, 2, 4):
        model.add_location("at %d" % position, position=position)
        assert model.locations[position].name == "at %d" % position
    assert len(model.locations) == 8 and model.locations[-1].name == "New pond"
    with pytest.raises(IndexError):
        model.add_location("far", position=9)
    with pytest.raises(ValueError):
        model.add_location("x", type=0)
    assert len(model.locations) == 8

    for name in ("at 0", "at 2", "at 4"):
        model.remove_location([l.name for l in model.locations].index(name))
    model.remove_location(-1)
    assert [l.name for l in model.locations] == names
    with pytest.raises(IndexError):
        model.remove_location(4)
    # Back to the file's locations: the same run.
    ours, theirs = os.path.join(workdir, "ours.out"), os.path.join(workdir, "theirs.out")
    vek.run(model).write_report(ours)
    vek.run(EXAMPLE).write_report(theirs)
    assert read_bytes(ours) == read_bytes(theirs)

    # A location added and written reads back as it was made.
    model.add_location("Spring well", factor=120.0).historical = np.full((years, 12), 2.5)
    written = model.write(os.path.join(workdir, "added.vek"))
    again = vek.read_model(written)
    spring = again.locations[-1]
    assert (spring.name, spring.factor, len(again.locations)) == ("Spring well", 120.0, 5)
    assert np.array_equal(spring.historical, model.locations[-1].historical)
    again.write(os.path.join(workdir, "again.vek"))
    assert read_bytes(os.path.join(workdir, "again.vek")) == read_bytes(written)
