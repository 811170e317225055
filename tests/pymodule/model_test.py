"""vek.read_model and Model.write over the model core: files read and
written back unchanged, attributes and tables that write back through the
document's rules, and the reader's and writer's messages as exceptions."""

import copy
import os
import subprocess
import sys

import numpy as np
import pytest

import vek
from conftest import EXAMPLE, SOURCE, generate_model, read_bytes


@pytest.mark.parametrize("shape", [{}, {"unit_mode": 0, "use_avg": 1, "synthesized": 0}, {"scale": 1e-3}])
def test_models_read_and_written_back_are_byte_identical(shape, workdir):
    sources = [EXAMPLE, generate_model(os.path.join(workdir, "generated.vek"), **shape)]
    for source in sources:
        model = vek.read_model(source)
        written = os.path.join(workdir, "written.vek")
        assert model.write(written) == written
        assert read_bytes(written) == read_bytes(source), source
        assert vek.read_model(written) == model
        assert not model.modified


def test_writing_leaves_the_interpreters_signal_handling_alone(workdir):
    # The module is a library: saving a file must not put handlers of its
    # own in the host's place. A fresh interpreter, so that no earlier save
    # of this one has run.
    script = f"""
import vek

def caught():
    with open("/proc/self/status") as f:
        return next(line.split()[1] for line in f if line.startswith("SigCgt:"))

before = caught()
vek.read_model({EXAMPLE!r}).write({os.path.join(workdir, "signals.vek")!r})
print(before, caught())
"""
    out = subprocess.run([sys.executable, "-c", script], capture_output=True, text=True, check=True).stdout.split()
    assert out[0] == out[1], "signals caught before and after: " + " ".join(out)


def test_older_files_are_written_in_the_current_form(workdir):
    model = vek.read_model(os.path.join(SOURCE, "tests", "data", "model", "no_version.vek"))
    assert (model.input_start_year, model.input_end_year, model.synthesized_years) == (2000, 2001, 1)
    assert model.use_avg_days_per_month is False
    path = os.path.join(workdir, "current.vek")
    model.write(path)
    assert read_bytes(path).startswith(b"Version 1.12\n2000 2001 1 2000 2003 2 0 1 0 1 1 0 0 # ")


def test_parameters_and_locations_as_the_file_holds_them():
    model = vek.read_model(EXAMPLE)
    assert (model.input_start_year, model.input_end_year) == (1980, 2004)
    assert (model.synth_start_year, model.synth_end_year, model.synthesized_years) == (2005, 2014, 10)
    assert (model.output_start_year, model.output_end_year, model.output_format) == (1980, 2024, 0)
    assert (model.synthesize_format, model.proj_year_start, model.proj_year_end) == (1, 0, 24)
    assert (model.year_mode, model.unit_mode, model.use_avg_days_per_month) == (1, 1, False)
    assert model.path == os.path.abspath(EXAMPLE)
    assert [(l.type, l.factor, l.use_in_output) for l in model.locations] == [
        (-1, 150.0, True), (-1, 2500.0, True), (-1, 12000.0, True), (1, 800.0, True)]
    assert [l.position for l in model.locations] == [0, 1, 2, 3] and model.locations[-1].position == 3
    pond = model.locations[3]
    assert pond.name == "Cottonwood recharge pond" and not pond.is_well
    assert pond.historical.shape == (25, 12) and pond.historical.dtype == np.float32
    assert pond.synthesized.shape == (10, 12)
    assert pond.pumping_flow.shape == (25, 12) and pond.efficiency.shape == (12,)
    # The synthesized years are the average of the historical ones.
    np.testing.assert_allclose(pond.synthesized[0], pond.historical.mean(axis=0), rtol=1e-4)
    with pytest.raises(IndexError):
        model.locations[4]


def test_changes_write_back_and_read_back(workdir):
    model = vek.read_model(EXAMPLE)
    well = model.locations[1]
    well.name = "  Mesa wells, east  "
    well.factor = 3100.25
    well.type = vek.RECHARGE_SITE
    well.use_in_output = False
    well.historical = well.historical * 2
    well.pumping_units = 0
    well.pumping_flow = np.full((25, 12), 1.5)
    well.days_on = np.full((25, 12), 30)
    well.use_pumping_record = True
    well.efficiency = np.round(np.linspace(0.5, 1.0, 12), 3)  # six digits survive a save
    model.output_end_year = 2030
    model.output_format = 1
    model.use_avg_days_per_month = True
    assert model.modified
    path = os.path.join(workdir, "changed.vek")
    model.write(path)
    back = vek.read_model(path)
    assert back == model
    b = back.locations[1]
    assert (b.name, b.factor, b.type, b.use_in_output) == ("Mesa wells, east", np.float32(3100.25), 1, False)
    np.testing.assert_array_equal(b.historical, vek.read_model(EXAMPLE).locations[1].historical * 2)
    assert (b.pumping_units, b.use_pumping_record) == (0, True)
    assert (back.output_end_year, back.output_format, back.use_avg_days_per_month) == (2030, 1, True)


def test_tables_are_copies_that_refuse_item_assignment():
    model = vek.read_model(EXAMPLE)
    table = model.locations[0].historical
    with pytest.raises(ValueError, match="read-only"):
        table[0, 0] = 5.0
    copy_ = table.copy()
    copy_[0, 0] = 5.0
    assert model.locations[0].historical[0, 0] == 0.0
    model.locations[0].historical = copy_
    assert model.locations[0].historical[0, 0] == 5.0
    # Tables of other types and layouts are converted, every value kept.
    years = model.historical_years
    for value in (np.full((years, 12), 2.5), np.full((12, years), 1.5, dtype=np.float32).T, [[3] * 12] * years):
        model.locations[0].historical = value
        model.locations[0].synthesized = np.asarray(value)[:model.synthesized_years]
        assert np.array_equal(model.locations[0].historical, np.asarray(value, dtype=np.float32))
        assert np.array_equal(model.locations[0].synthesized, np.asarray(value, dtype=np.float32)[:model.synthesized_years])


@pytest.mark.parametrize("value, error, words", [
    (np.zeros((24, 12)), ValueError, "shape \\(25, 12\\)"),
    (np.zeros((25, 11)), ValueError, "shape \\(25, 12\\)"),
    (np.full((25, 12), np.nan), ValueError, "not a finite number"),
    ([["a"] * 12] * 25, (ValueError, TypeError), ""),
])
def test_bad_tables_are_refused_and_change_nothing(value, error, words):
    model = vek.read_model(EXAMPLE)
    before = model.locations[0].historical
    with pytest.raises(error, match=words):
        model.locations[0].historical = value
    np.testing.assert_array_equal(model.locations[0].historical, before)
    assert not model.modified


def test_bad_values_are_refused():
    loc = vek.read_model(EXAMPLE).locations[0]
    for attr, value in (("type", 0), ("factor", float("inf")), ("pumping_units", 2), ("name", "two\nlines"),
                        ("efficiency", [1.0] * 11)):
        with pytest.raises(ValueError):
            setattr(loc, attr, value)
    for attr in ("input_start_year", "year_mode", "unit_mode", "synthesized_years"):
        with pytest.raises(AttributeError):
            setattr(vek.read_model(EXAMPLE), attr, 1)


@pytest.mark.parametrize("change, words", [
    (lambda m: setattr(m.locations[0], "name", "N" * (2**20 + 1)), "at most 1048576 bytes"),
    (lambda m: m.add_reach("R" * (2**16 + 1)), "at most 65536 bytes"),
    (lambda m: m.add_response_table("T" * (2**16 + 1), [0.5, 0.5]), "at most 65536 bytes"),
    (lambda m: setattr(m.locations[0], "transmissivity", float("inf")), "finite"),
    (lambda m: setattr(m.locations[0], "storativity", float("nan")), "finite"),
])
def test_values_a_reader_would_refuse_are_refused_when_set(change, words, workdir):
    model = vek.read_model(EXAMPLE)
    with pytest.raises(ValueError, match=words):
        change(model)
    model.locations[0].name = "N" * 2**20  # the longest name a reader takes
    path = model.write(os.path.join(workdir, "limits.vek"))
    assert vek.read_model(path).locations[0].name == "N" * 2**20


def test_edits_follow_the_document_rules():
    model = vek.read_model(EXAMPLE)
    pond = model.locations[3]
    # A historical year the average was drawn from makes the synthesized years stale.
    table = pond.historical.copy()
    table[3, 0] += 10
    pond.historical = table
    assert model.synthesis_stale
    # A synthesized value changed by more than 0.0001 makes them user-defined;
    # a smaller difference is no change.
    synth = pond.synthesized
    pond.synthesized = synth + 0.00005
    assert model.synthesize_format == 1
    np.testing.assert_array_equal(pond.synthesized, synth)
    pond.synthesized = synth + 1
    assert model.synthesize_format == 4


def test_copies_are_independent(workdir):
    model = vek.read_model(EXAMPLE)
    for other in (model.copy(), copy.deepcopy(model), copy.copy(model)):
        assert other == model and other.path is None
        other.locations[0].factor = 1.0
        assert model.locations[0].factor == 150.0 and other != model


def damaged(workdir, name, cut_after_lines):
    lines = read_bytes(EXAMPLE).split(b"\n")
    path = os.path.join(workdir, name)
    with open(path, "wb") as f:
        f.write(b"\n".join(lines[:cut_after_lines]) + b"\n")
    return path


def test_read_errors_carry_the_reader_message_and_the_partial_model(workdir):
    # Cut inside the second location's rows (35 rows per location + 2 header lines).
    path = damaged(workdir, "cut.vek", 2 + 37 + 10)
    with pytest.raises(vek.ReadError) as e:
        vek.read_model(path)
    assert str(e.value) == "Unexpected EOF reading pumping data input for well #1, year #8 in file " + path
    assert e.value.file == path and e.value.line is None
    partial = e.value.partial
    assert isinstance(partial, vek.Model) and partial.path is None and len(partial.locations) == 4
    np.testing.assert_array_equal(partial.locations[0].historical, vek.read_model(EXAMPLE).locations[0].historical)
    # What was read is not written over the damaged file, but elsewhere.
    with pytest.raises(vek.WriteError, match="was read only partly"):
        partial.write(path)
    partial.write(os.path.join(workdir, "rescued.vek"))

    with pytest.raises(vek.ReadError) as e:
        vek.read_model(os.path.join(workdir, "missing.vek"))
    assert str(e.value).startswith("ReadInput: Unable to open VEK input file ")

    bad = os.path.join(workdir, "bad_row.vek")
    lines = read_bytes(EXAMPLE).split(b"\n")
    lines[4] = b"1 2 3 x 5 6 7 8 9 10 11 12"
    with open(bad, "wb") as f:
        f.write(b"\n".join(lines))
    with pytest.raises(vek.ReadError) as e:
        vek.read_model(bad)
    first, plain = str(e.value).split("\n", 1)
    assert first == ("Wrong number of values read for third data card.  Expected 12 flow values.  "
                     "Line is: 1 2 3 x 5 6 7 8 9 10 11 12")
    assert 'line 5: the text "x" of month 4' in plain
    assert isinstance(e.value, vek.Error)


def test_write_errors_leave_the_old_file(workdir):
    model = vek.read_model(EXAMPLE)
    with pytest.raises(vek.WriteError) as e:
        model.write(os.path.join(workdir, "no such folder", "m.vek"))
    assert str(e.value).startswith("SaveInput: Unable to open VEK input file ")
    target = os.path.join(workdir, "kept.vek")
    with open(target, "w") as f:
        f.write("old")
    os.chmod(target, 0o444)
    with pytest.raises(vek.WriteError):
        model.write(target)
    assert open(target).read() == "old"


def test_owl_names_are_saved_as_vek_with_a_warning(workdir):
    model = vek.read_model(EXAMPLE)
    expected = os.path.join(workdir, "run1.vek")
    with pytest.warns(UserWarning, match="^Warning: changing file input name to run1.vek$"):
        assert model.write(os.path.join(workdir, "run1.owl")) == expected
    assert read_bytes(expected) == read_bytes(EXAMPLE)
    assert not os.path.exists(os.path.join(workdir, "run1.owl"))


def test_bad_input_raises_what_a_user_can_act_on(workdir):
    # Garbage is a ReadError with the reader's words, its bytes escaped.
    garbage = os.path.join(workdir, "garbage.vek")
    with open(garbage, "wb") as f:
        f.write(b"\xff\xfe\x1b[31m\x9b garbage\n" * 3)
    with pytest.raises(vek.ReadError) as e:
        vek.read_model(garbage)
    assert "\\x1b[31m" in str(e.value) and "\x1b" not in str(e.value)

    # A name in Windows-1252 reads, runs and writes back byte for byte.
    latin = os.path.join(workdir, "latin.vek")
    text = read_bytes(EXAMPLE)
    name = vek.read_model(EXAMPLE).locations[0].name_bytes
    with open(latin, "wb") as f:
        f.write(text.replace(b"\n" + name + b"\n", b"\nCaf\xe9 " + name + b"\n"))
    model = vek.read_model(latin)
    assert model.locations[0].name == "Caf\u00e9 " + name.decode()
    assert model.locations[0].name_bytes == b"Caf\xe9 " + name
    assert vek.run(model).locations[0].name.startswith("Caf\u00e9 ")
    assert read_bytes(model.write(os.path.join(workdir, "again.vek"))) == read_bytes(latin)

    # A path that is not UTF-8 is written and given back as os.fsdecode
    # gives it; a NUL character is refused, nothing written.
    odd = os.path.join(os.fsencode(workdir), b"m\xe9.vek")
    assert model.write(odd) == os.fsdecode(odd)
    assert read_bytes(odd) == read_bytes(latin)
    with pytest.raises(ValueError, match="NUL"):
        model.write(os.path.join(workdir, "a\0b.vek"))
    assert sorted(os.listdir(workdir)) == sorted(["garbage.vek", "latin.vek", "again.vek", os.fsdecode(b"m\xe9.vek")])

    with pytest.raises(TypeError, match="threads is a whole number or None, not str"):
        vek.run(model, threads="2")
    assert np.isnan(vek.response("infinite", 100.0, [float("nan"), 10.0])).tolist() == [True, False]
