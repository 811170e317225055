"""CSV written by `vektool report --csv`, read back with Python's csv module
and with pandas: one record per location, table and year, RFC 4180 quoting,
'.' decimals, the engine report's own values to the tenth, locations told
apart by their position, names in UTF-8."""

import argparse
import csv
import io
import os
import re
import sys
import unittest

try:
    import pandas as pd
except ImportError:
    print("FAIL: Python's pandas is missing (Debian package python3-pandas; scripts/setup.sh installs it)")
    sys.exit(1)

from report_fixtures import parse_engine_report, parse_text_report, run_vektool, write_report_variant

ARGS = None
MONTHS = ["nov", "dec", "jan", "feb", "mar", "apr", "may", "jun", "jul", "aug", "sep", "oct"]
HEADER = ["position", "kind", "location", "location_type", "factor", "type", "year"]
SUMMARIES = ["Recharge Summary", "CU of Ground Water Summary", "Net Impact on Stream"]


def export(name, report, *options):
    path = os.path.join(ARGS.out, name + ".csv")
    run_vektool(ARGS.vektool, report, "--csv", path, *options)
    with open(path, "rb") as f:
        raw = f.read()
    records = list(csv.reader(io.StringIO(raw.decode("utf-8"), newline="")))
    return raw, records, parse_text_report(run_vektool(ARGS.vektool, report, *options))


def two_locations():
    return os.path.join(ARGS.data, "results", "two_locations.out")


def readme_pandas_example():
    """The pandas example of the README, as it stands there."""
    with open(os.path.join(ARGS.data, "..", "..", "README.md"), encoding="utf-8") as f:
        readme = f.read()
    marker = readme.index("<!-- The test python_csv_export runs the example below as it stands here. -->")
    block = re.search(r"```python\n(.*?)```", readme[marker:], re.S)
    return block.group(1)


class CsvTest(unittest.TestCase):
    def check_against_report(self, records, blocks, names, monthly=True):
        """Every record agrees with the text report to the text report's six
        digits (the CSV carries the engine report's tenths)."""
        header = records[0]
        self.assertEqual(header[:7], HEADER)
        self.assertEqual(header[-1], "total")
        self.assertEqual(len(header), 20)
        expected = []
        for block, name in zip(blocks, names):
            for table in ("diversion", "stream"):
                for label, fields in block.get(table, {}).items():
                    shown = fields[:13] if monthly else [""] * 12 + [fields[0]]
                    expected.append([name, table, label] + ["" if v == "-" else v for v in shown])
        self.assertEqual(len(records) - 1, len(expected))
        for got, want in zip(records[1:], expected):
            self.assertEqual([got[2], got[5], got[6]], want[:3])
            self.assertEqual(len(got), 20)
            for g, w in zip(got[7:], want[3:]):
                if w == "":
                    self.assertEqual(g, "", (got, want))
                else:
                    self.assertEqual(float("%g" % float(g)), float(w), (got, want))

    def test_whole_report(self):
        raw, records, blocks = export("whole", two_locations())
        self.assertEqual(records[0][7:19], MONTHS)
        names = ["Well 7", "Pond A"] + SUMMARIES
        self.check_against_report(records, blocks, names)
        # Who each record is: position, kind, type and factor of the location.
        who = {tuple(r[:5]) for r in records[1:]}
        self.assertEqual(who, {("0", "location", "Well 7", "well", "30"),
                               ("1", "location", "Pond A", "recharge site", "150.5"),
                               ("2", "summary", "Recharge Summary", "", ""),
                               ("3", "summary", "CU of Ground Water Summary", "", ""),
                               ("4", "summary", "Net Impact on Stream", "", "")})
        # RFC 4180 records end with CR LF, and nothing is quoted that need not be.
        self.assertTrue(raw.endswith(b"\r\n"))
        self.assertEqual(raw.count(b"\n"), raw.count(b"\r\n"))
        self.assertNotIn(b'"', raw)
        self.assertEqual(sum(1 for r in records if r[2] == "Net Impact on Stream" and r[5] == "diversion"), 0)

    def test_calendar_years_and_selection(self):
        _, records, blocks = export("calendar", two_locations(), "--year-type", "0", "--locations", "0",
                                    "--years", "1988,avg")
        self.assertEqual(records[0][7], "jan")
        self.check_against_report(records, blocks, ["Well 7"])
        first = records[1]
        self.assertEqual(first[:7], ["0", "location", "Well 7", "well", "30", "diversion", "1988"])
        self.assertEqual(first[7], "")  # January 1988 has no data
        self.assertEqual(first[17], "-100.5")  # November 1988, the report's first month
        self.assertEqual(records[2][6], "Avg")

    def test_yearly_scale_leaves_months_empty(self):
        _, records, blocks = export("yearly", two_locations(), "--yearly", "--locations", "1")
        self.check_against_report(records, blocks, ["Pond A"], monthly=False)

    def test_names_with_commas_and_quotes_are_quoted(self):
        report = write_report_variant(ARGS.data, ARGS.out, "quoted.out", names=['Well "7", north', "Pond A"])
        raw, records, blocks = export("quoted", report, "--locations", "0,1")
        self.assertIn(b'0,location,"Well ""7"", north",well,30,diversion,1989,-100.5,', raw)
        self.check_against_report(records, blocks, ['Well "7", north', "Pond A"])

    def test_values_are_the_engine_reports_at_every_magnitude(self):
        # Fields the engine prints with one decimal up to 9999999.9; a float
        # holds the tenths only up to about a million.
        wide = ["123456.7", "3005556.5", "3005556.1", "9999999.9", "-999999.9", "8388607.3", "1048576.1"]
        row = "1989" + "".join(v.rjust(9) for v in wide) + "   -107.5   -108.5   -109.5   -110.5   -111.5  -1272.0"
        report = write_report_variant(ARGS.data, ARGS.out, "wide.out", replace=[(
            "1989   -100.5   -101.5   -102.5   -103.5   -104.5   -105.5   -106.5   -107.5   -108.5   -109.5   "
            "-110.5   -111.5  -1272.0", row)])
        raw, records, _ = export("wide", report)
        for text in wide:
            self.assertIn(("," + text + ",").encode(), raw)
        # Every value of the CSV is the engine report's field, exactly.
        engine = parse_engine_report(report)
        got = {}
        for r in records[1:]:
            got[(int(r[0]), r[5], r[6])] = r[7:]
        count = 0
        for position, (_, tables) in enumerate(engine):
            for table, rows in tables.items():
                for label, fields in rows.items():
                    values = got[(position, table, label.strip())]
                    for g, f in zip(values, fields):
                        self.assertEqual(float(g), float(f), (position, table, label))
                        self.assertEqual(g, repr(float(f)).removesuffix(".0"), (position, table, label))
                        count += 1
        self.assertEqual(count, len(records[1:]) * 13)

    def test_pandas_tells_locations_of_one_name_apart_by_position(self):
        # Two locations of one name, and one named like a summary.
        for variant, names in (("twins", ["Well 7", "Well 7"]), ("summary_name", ["Net Impact on Stream", "Pond A"])):
            report = write_report_variant(ARGS.data, ARGS.out, variant + ".out", names=names)
            path = os.path.join(ARGS.out, variant + ".csv")
            run_vektool(ARGS.vektool, report, "--csv", path)
            df = pd.read_csv(path)
            # The README's example, run as it stands there on this file.
            example = readme_pandas_example().replace('"run.csv"', repr(path))
            scope = {}
            exec(example, scope)
            table = scope["table"]
            self.assertEqual(list(table.columns), [0, 1, 2, 3, 4])
            self.assertEqual(list(table.index), [1989, 1990, 1991])
            self.assertEqual(table.loc[1989, 0], -253.2)
            self.assertEqual(table.loc[1989, 4], -219.9)
            # By name the twins or the look-alike collide; position and kind tell them apart.
            locations = df[df.kind == "location"]
            self.assertEqual(sorted(locations.position.unique()), [0, 1])
            summaries = df[df.kind == "summary"]
            self.assertEqual(sorted(summaries.position.unique()), [2, 3, 4])
            self.assertTrue(locations.location_type.isin(["well", "recharge site"]).all())
            self.assertTrue(summaries.location_type.isna().all())

    def test_names_that_are_not_utf8_become_utf8(self):
        cut = b"Recharge pond of the Alamosa irrigation district, north end\xc3\xa9"  # 61 bytes: cut at 60
        cp1252 = "Caf\u00e9 \u201cNord\u201d \u2013 \u20ac".encode("cp1252")
        report = write_report_variant(ARGS.data, ARGS.out, "bytes.out", names=[cut, cp1252])
        raw, records, _ = export("bytes", report)
        text = raw.decode("utf-8")  # strict: fails on anything that is not UTF-8
        self.assertIn("\"Recharge pond of the Alamosa irrigation district, north end\",well,", text)
        names = {r[2] for r in records[1:]}
        self.assertIn("Recharge pond of the Alamosa irrigation district, north end", names)
        self.assertIn("Caf\u00e9 \u201cNord\u201d \u2013 \u20ac", names)
        # The text report decodes them the same way.
        report_text = run_vektool(ARGS.vektool, report, "--locations", "0,1")
        self.assertIn("Location: Caf\u00e9 \u201cNord\u201d \u2013 \u20ac  Location Type", report_text)
        self.assertIn("Location: Recharge pond of the Alamosa irrigation district, north end  Location Type",
                      report_text)

    def test_standard_output(self):
        text = run_vektool(ARGS.vektool, two_locations(), "--csv", "-", "--locations", "0", "--years", "1989")
        self.assertEqual(len(list(csv.reader(io.StringIO(text, newline="")))), 3)


if __name__ == "__main__":
    parser = argparse.ArgumentParser()
    parser.add_argument("--vektool", required=True)
    parser.add_argument("--data", required=True)
    parser.add_argument("--out", required=True)
    ARGS, rest = parser.parse_known_args()
    os.makedirs(ARGS.out, exist_ok=True)
    unittest.main(argv=[sys.argv[0]] + rest)
