"""Helpers shared by the export tests: running vektool, reading its text
report and the engine report itself, and engine reports with awkward names
and values."""

import os
import re
import subprocess


def run_vektool(vektool, *args):
    r = subprocess.run([vektool, "report", *args], capture_output=True)
    if r.returncode != 0:
        raise AssertionError("vektool report %s failed (%d): %s" % (" ".join(args), r.returncode, r.stderr.decode()))
    return r.stdout.decode("utf-8", "replace")


def as_shown(value):
    """A value as the text report shows it: six significant digits ("%g"),
    but from a million on whole, with its tenth."""
    return float("%g" % value) if abs(value) < 1e6 else round(value, 1)


def parse_text_report(text):
    """The tables of a text report, in order: a list of blocks, each a dict
    with the title line and for each table shown ("diversion", "stream") the
    rows as {label: [fields after the label]}."""
    blocks = []
    lines = text.split("\n")
    i = 0
    while i < len(lines):
        line = lines[i]
        if line.startswith("CU or Recharge Data") or line.startswith("Stream Depletion or Accretion Data"):
            title = lines[i - 1]
            table = "diversion" if line.startswith("CU") else "stream"
            rows = {}
            i += 3  # heading, rule
            while i < len(lines) and lines[i].strip():
                fields = lines[i].split("\t")
                rows[fields[0]] = fields[1:]
                i += 1
            if not blocks or blocks[-1]["title"] != title or table in blocks[-1]:
                blocks.append({"title": title})
            blocks[-1][table] = rows
        i += 1
    return blocks


ROW = re.compile(r"^(\d{4}| AVG)")


def parse_engine_report(path):
    """The tables of an engine report (output format 0), read by its fixed
    columns: a list of entries in report order, each (name bytes, {table:
    {label: [13 field texts]}}), the locations first, then the three
    summaries (the last with its stream table only)."""
    with open(path, "rb") as f:
        lines = f.read().split(b"\r\n")
    names, tables, current = [], [], None
    for line in lines:
        if line.startswith(b"LOCATION:"):
            names.append(line[17:77].rstrip(b" "))
        text = line.decode("latin-1")
        if ROW.match(text) and len(text) >= 121:
            if current is None:
                current = {}
                tables.append(current)
            label = "Avg" if text.startswith(" AVG") else text[:4]
            current[label] = [text[4 + 9 * f:13 + 9 * f].strip() for f in range(13)]
        elif text.strip() and current is not None and not ROW.match(text):
            current = None
    entries = []
    for i, name in enumerate(names):
        entries.append((name, {"diversion": tables[2 * i], "stream": tables[2 * i + 1]}))
    rest = tables[2 * len(names):]
    entries.append((b"Recharge Summary", {"diversion": rest[0], "stream": rest[1]}))
    entries.append((b"CU of Ground Water Summary", {"diversion": rest[2], "stream": rest[3]}))
    entries.append((b"Net Impact on Stream", {"stream": rest[4]}))
    return entries


def write_report_variant(data_dir, out_dir, name, names=None, replace=None):
    """two_locations.out with its two location names replaced (each written in
    the engine's 60-column field and cut to it, as the engine does; a name
    given as bytes goes in byte for byte) and lines' text replaced."""
    with open(os.path.join(data_dir, "results", "two_locations.out"), "rb") as f:
        text = f.read().decode("latin-1")
    if names:
        for old, new in zip(["Well 7", "Pond A"], names):
            if isinstance(new, bytes):
                new = new.decode("latin-1")
            text = text.replace("LOCATION:        " + old.ljust(60), "LOCATION:        " + new.ljust(60)[:60])
    for old, new in replace or []:
        assert old in text, old
        text = text.replace(old, new, 1)
    os.makedirs(out_dir, exist_ok=True)
    path = os.path.join(out_dir, name)
    with open(path, "wb") as f:
        f.write(text.encode("latin-1"))
    return path
