"""CSV written by `vektool report --csv`, read back with Python's csv module
and with pandas: one record per location, table and year, RFC 4180 quoting,
'.' decimals, the engine report's own values to the tenth, locations told
apart by their position, names in UTF-8; the response method of every
location, the units (converted here from the exact factor) and year type in
columns, and the long layout a time series for pandas."""

import argparse
import calendar
import csv
import io
import math
import os
import re
import shutil
import subprocess
import sys
import unittest

try:
    import pandas as pd
except ImportError:
    print("FAIL: Python's pandas is missing (Debian package python3-pandas; scripts/setup.sh installs it)")
    sys.exit(1)

from report_fixtures import parse_engine_report, parse_text_report, run_vektool, as_shown, write_report_variant

ARGS = None
MONTHS = ["nov", "dec", "jan", "feb", "mar", "apr", "may", "jun", "jul", "aug", "sep", "oct"]
HEADER = ["position", "kind", "location", "site_type", "factor", "quantity", "year"]
TAIL = ["total", "cumulative", "row", "units", "year_type", "method", "sdf", "a_w", "lambda", "response_table",
        "table_after"]
M3_PER_AF = 43560 * 0.3048 ** 3
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
        self.assertEqual(header[19:], TAIL)
        expected = []
        for block, name in zip(blocks, names):
            for table in ("diversion", "stream"):
                for label, fields in block.get(table, {}).items():
                    shown = fields[:14] if monthly else [""] * 12 + fields[:2]
                    expected.append([name, table, label] + ["" if v == "-" else v for v in shown])
        self.assertEqual(len(records) - 1, len(expected))
        for got, want in zip(records[1:], expected):
            average = want[2] == "Avg"
            self.assertEqual([got[2], got[5], got[6], got[21]],
                             want[:2] + ["0" if average else want[2], "average" if average else "year"])
            self.assertEqual(len(got), 30)
            for g, w in zip(got[7:21], want[3:]):
                if w == "":
                    self.assertEqual(g, "", (got, want))
                else:
                    self.assertEqual(as_shown(float(g)), float(w), (got, want))

    def test_whole_report(self):
        raw, records, blocks = export("whole", two_locations())
        self.assertEqual(records[0][7:19], MONTHS)
        names = ["Well 7", "Pond A"] + SUMMARIES
        self.check_against_report(records, blocks, names)
        # Who each record is: position, kind, type and factor of the location.
        who = {tuple(r[:5]) + tuple(r[22:]) for r in records[1:]}
        how = ("af", "irrigation")
        self.assertEqual(who, {("0", "location", "Well 7", "well", "30") + how + ("infinite", "30", "", "", "", ""),
                               ("1", "location", "Pond A", "recharge site", "150.5") + how +
                               ("infinite", "150.5", "", "", "", ""),
                               ("2", "summary", "Recharge Summary", "", "") + how + ("",) * 6,
                               ("3", "summary", "CU of Ground Water Summary", "", "") + how + ("",) * 6,
                               ("4", "summary", "Net Impact on Stream", "", "") + how + ("",) * 6})
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
        self.assertEqual(first[19:24], ["-202", "-202", "year", "af", "calendar"])
        self.assertEqual(records[2][6], "0")
        self.assertEqual(records[2][20:22], ["", "average"])

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
            got[(int(r[0]), r[5], r[6])] = r[7:20]
        count = 0
        for position, (_, tables) in enumerate(engine):
            for table, rows in tables.items():
                for label, fields in rows.items():
                    values = got[(position, table, "0" if label == "Avg" else label.strip())]
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
            self.assertTrue(locations.site_type.isin(["well", "recharge site"]).all())
            self.assertTrue(summaries.site_type.isna().all())
            # The year is an integer column; the average row says so in its own.
            self.assertEqual(df.year.dtype.kind, "i")
            self.assertEqual(set(df[df.row == "average"].year), {0})

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

    def methods_report(self):
        """The example with every response method, run by vek."""
        folder = os.path.join(ARGS.out, "methods")
        os.makedirs(folder, exist_ok=True)
        shutil.copy(os.path.join(ARGS.data, "..", "..", "examples", "aquifer_methods.vek"), folder)
        vek = os.path.join(os.path.dirname(ARGS.vektool), "vek")
        subprocess.run([vek, "aquifer_methods.vek", "aquifer_methods.out"], cwd=folder, check=True, capture_output=True)
        return os.path.join(folder, "aquifer_methods.out")

    def test_each_location_says_how_its_numbers_were_made(self):
        report = self.methods_report()
        path = os.path.join(ARGS.out, "methods.csv")
        run_vektool(ARGS.vektool, report, "--csv", path, "--years", "1980")
        df = pd.read_csv(path)
        methods = df[df.kind == "location"].drop_duplicates("position").set_index("position")
        self.assertEqual(list(methods.method), ["infinite", "alluvial", "hunt", "table"])
        self.assertEqual(list(methods.sdf.fillna(-1)), [150, 2500, 12000, -1])
        self.assertEqual(methods.a_w[1], 0.6)
        self.assertEqual(methods["lambda"][2], 2)
        self.assertEqual(methods.response_table[3], "Cottonwood pond (basin model 2019)")
        self.assertEqual(methods.table_after[3], "one")
        self.assertEqual(list(methods.factor), [150, 2500, 12000, 800])
        self.assertTrue(df[df.kind == "summary"].method.isna().all())

    def test_units_are_converted_by_the_exact_factor(self):
        report = self.methods_report()
        frames = {}
        for units in ("af", "m3", "ML", "dam3", "cfs", "m3/s"):
            path = os.path.join(ARGS.out, "units_%s.csv" % units.replace("/", "_"))
            run_vektool(ARGS.vektool, report, "--csv", path, "--units", units, "--years", "1980,1984,avg")
            frames[units] = pd.read_csv(path)
            self.assertEqual(set(frames[units].units), {units})
        af = frames["af"]
        months = MONTHS
        for units, factor, decimals in (("m3", M3_PER_AF, 0), ("ML", M3_PER_AF / 1000, 3),
                                        ("dam3", M3_PER_AF / 1000, 3)):
            got = frames[units]
            for column in months + ["total", "cumulative"]:
                want = (af[column] * factor).round(decimals)
                pd.testing.assert_series_equal(got[column], want, check_names=False, check_exact=True,
                                               check_dtype=False)
        # Rates: a month's volume over its seconds; February 1984 has 29 days.
        for units, volume, decimals in (("cfs", 43560.0, 5), ("m3/s", M3_PER_AF, 7)):
            got = frames[units]
            for i, record in af.iterrows():
                if record.row != "year":
                    continue
                for k, column in enumerate(months):
                    year = record.year - 1 if k < 2 else record.year
                    days = calendar.monthrange(year, (k + 10) % 12 + 1)[1]
                    want = round(record[column] * volume / (days * 86400), decimals)
                    self.assertAlmostEqual(got.loc[i, column], want, places=decimals + 2)
                self.assertTrue(math.isnan(got.loc[i, "cumulative"]))
            feb = got[(got.row == "year") & (got.year == 1984) & (got.position == 0) & (got.quantity == "diversion")]
            self.assertAlmostEqual(feb.feb.item(), af.loc[feb.index[0], "feb"] * volume / (29 * 86400), places=decimals)

    def test_long_layout_is_a_time_series(self):
        report = self.methods_report()
        path = os.path.join(ARGS.out, "long.csv")
        run_vektool(ARGS.vektool, report, "--csv", path, "--layout", "long", "--locations", "1,4",
                    "--years", "1983,1984,avg", "--units", "cfs")
        df = pd.read_csv(path, parse_dates=["month"])
        self.assertEqual(df.month.dtype.kind, "M")
        self.assertEqual(len(df), 2 * 2 * 2 * 12)  # two locations, two tables, two years (no average), 12 months
        stream = df[(df.position == 1) & (df.quantity == "stream")]
        self.assertEqual(list(stream.month.dt.strftime("%Y-%m"))[:3], ["1982-11", "1982-12", "1983-01"])
        self.assertTrue(stream.month.is_monotonic_increasing)
        self.assertEqual(list(stream.days), [calendar.monthrange(m.year, m.month)[1] for m in stream.month])
        self.assertEqual(stream[stream.month == "1984-02-01"].days.item(), 29)
        self.assertEqual(set(stream.method), {"alluvial"})
        # The values are those of the wide layout, month by month.
        wide = os.path.join(ARGS.out, "long_wide.csv")
        run_vektool(ARGS.vektool, report, "--csv", wide, "--locations", "1", "--years", "1983,1984",
                    "--units", "cfs", "--no-diversion")
        w = pd.read_csv(wide)
        self.assertEqual(list(stream.value), list(w[MONTHS].to_numpy().ravel()))
        r = subprocess.run([ARGS.vektool, "report", report, "--csv", path, "--layout", "long", "--yearly"],
                           capture_output=True, text=True)
        self.assertEqual(r.returncode, 2)
        self.assertEqual(len(r.stderr.splitlines()), 1, r.stderr)

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
