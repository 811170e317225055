"""CSV written by `vektool report --csv`, read back with Python's csv module:
one record per location, table and year, RFC 4180 quoting, '.' decimals and
the text report's printed digits."""

import argparse
import csv
import io
import os
import sys
import unittest

from report_fixtures import parse_text_report, run_vektool, write_report_variant

ARGS = None
MONTHS = ["nov", "dec", "jan", "feb", "mar", "apr", "may", "jun", "jul", "aug", "sep", "oct"]


def export(name, report, *options):
    path = os.path.join(ARGS.out, name + ".csv")
    run_vektool(ARGS.vektool, report, "--csv", path, *options)
    with open(path, "rb") as f:
        raw = f.read()
    records = list(csv.reader(io.StringIO(raw.decode("utf-8"), newline="")))
    return raw, records, parse_text_report(run_vektool(ARGS.vektool, report, *options))


def two_locations():
    return os.path.join(ARGS.data, "results", "two_locations.out")


class CsvTest(unittest.TestCase):
    def check_against_report(self, records, blocks, names, monthly=True):
        header = records[0]
        self.assertEqual(header[:3], ["location", "type", "year"])
        self.assertEqual(header[-1], "total")
        self.assertEqual(len(header), 16)
        expected = []
        for block, name in zip(blocks, names):
            for table in ("diversion", "stream"):
                for label, fields in block.get(table, {}).items():
                    shown = fields[:13] if monthly else [""] * 12 + [fields[0]]
                    expected.append([name, table, label] + ["" if v == "-" else v for v in shown])
        self.assertEqual(len(records) - 1, len(expected))
        for got, want in zip(records[1:], expected):
            self.assertEqual(got[:3], want[:3])
            self.assertEqual(len(got), 16)
            for g, w in zip(got[3:], want[3:]):
                if w == "":
                    self.assertEqual(g, "", (got, want))
                else:
                    self.assertEqual(float(g), float(w), (got, want))

    def test_whole_report(self):
        raw, records, blocks = export("whole", two_locations())
        self.assertEqual(records[0][3:15], MONTHS)
        names = ["Well 7", "Pond A", "Recharge Summary", "CU of Ground Water Summary", "Net Impact on Stream"]
        self.check_against_report(records, blocks, names)
        # RFC 4180 records end with CR LF, and nothing is quoted that need not be.
        self.assertTrue(raw.endswith(b"\r\n"))
        self.assertEqual(raw.count(b"\n"), raw.count(b"\r\n"))
        self.assertNotIn(b'"', raw)
        self.assertEqual(sum(1 for r in records if r[0] == "Net Impact on Stream" and r[1] == "diversion"), 0)

    def test_calendar_years_and_selection(self):
        _, records, blocks = export("calendar", two_locations(), "--year-type", "0", "--locations", "0",
                                    "--years", "1988,avg")
        self.assertEqual(records[0][3], "jan")
        self.check_against_report(records, blocks, ["Well 7"])
        first = records[1]
        self.assertEqual(first[:3], ["Well 7", "diversion", "1988"])
        self.assertEqual(first[3], "")  # January 1988 has no data
        self.assertEqual(records[2][2], "Avg")

    def test_yearly_scale_leaves_months_empty(self):
        _, records, blocks = export("yearly", two_locations(), "--yearly", "--locations", "1")
        self.check_against_report(records, blocks, ["Pond A"], monthly=False)

    def test_names_with_commas_and_quotes_are_quoted(self):
        report = write_report_variant(ARGS.data, ARGS.out, "quoted.out", names=['Well "7", north', "Pond A"],
                                      replace=[("1989   -100.5", "1989 123456.7")])
        raw, records, blocks = export("quoted", report, "--locations", "0,1")
        self.assertIn(b'"Well ""7"", north",diversion,1989,123457,', raw)
        self.check_against_report(records, blocks, ['Well "7", north', "Pond A"])

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
