"""Workbooks written by `vektool report --xlsx`, opened with openpyxl (an
independent reader): sheet names, frozen headings, numbers stored as numbers
and equal to the engine report's values to the tenth (and so to the text
report's six digits), empty cells for no data, names in UTF-8."""

import argparse
import os
import shutil
import subprocess
import sys
import unittest

try:
    import openpyxl
except ImportError:
    print("FAIL: Python's openpyxl is missing (Debian package python3-openpyxl; scripts/setup.sh installs it)")
    sys.exit(1)

from report_fixtures import parse_engine_report, parse_text_report, run_vektool, as_shown, write_report_variant

ARGS = None


def workbook(name, report, *options):
    path = os.path.join(ARGS.out, name + ".xlsx")
    if os.path.exists(path):
        os.remove(path)
    run_vektool(ARGS.vektool, report, "--xlsx", path, *options)
    text = run_vektool(ARGS.vektool, report, *options)
    return openpyxl.load_workbook(path), parse_text_report(text)


def two_locations():
    return os.path.join(ARGS.data, "results", "two_locations.out")


class WorkbookTest(unittest.TestCase):
    def check_against_report(self, wb, blocks, monthly=True):
        """Every location sheet holds the text report's values, digit for digit."""
        self.assertEqual(len(wb.sheetnames), len(blocks) + 1)
        width = 14 if monthly else 2
        for ws, block in zip(wb.worksheets[1:], blocks):
            self.assertTrue(ws["A1"].value.startswith(block["title"]), (ws["A1"].value, block["title"]))
            self.assertEqual(ws.freeze_panes, "B4")
            self.assertEqual(ws["A3"].value, "YEAR")
            tables = [t for t in ("diversion", "stream") if t in block]
            labels = list(block[tables[0]].keys())
            for r, label in enumerate(labels):
                year = ws.cell(row=4 + r, column=1).value
                self.assertEqual(str(year), label)
                for t, table in enumerate(tables):
                    fields = block[table][label]
                    shown = fields[:14] if monthly else fields[:2]
                    for c, text in enumerate(shown):
                        cell = ws.cell(row=4 + r, column=2 + t * width + c)
                        if text == "-":
                            self.assertIsNone(cell.value, (ws.title, label, table, c))
                        else:
                            self.assertEqual(cell.data_type, "n", (ws.title, label, table, c))
                            self.assertEqual(as_shown(cell.value), float(text), (ws.title, label, table, c))
            self.assertIsNone(ws.cell(row=4 + len(labels), column=1).value)

    def test_whole_report(self):
        wb, blocks = workbook("whole", two_locations())
        self.assertEqual(wb.sheetnames, ["Run", "Well 7", "Pond A", "Recharge Summary",
                                         "CU of Ground Water Summary", "Net Impact on Stream"])
        self.check_against_report(wb, blocks)
        ws = wb["Well 7"]
        self.assertIn("Irrigation year (NOV-OCT)", ws["A1"].value)
        self.assertIn("acre feet", ws["A1"].value)
        self.assertEqual([ws.cell(row=3, column=c).value for c in (2, 13, 14, 15, 16, 28, 29)],
                         ["NOV", "OCT", "TOTAL", "CUMULATIVE TOTAL", "NOV", "TOTAL", "CUMULATIVE TOTAL"])
        self.assertEqual(ws["B2"].value, "CU or Recharge Data")
        self.assertEqual(ws["P2"].value, "Stream Depletion or Accretion Data")
        # The running totals of the year totals; none on the average row.
        self.assertEqual([ws.cell(row=r, column=15).value for r in (4, 5, 6, 7)], [-1272, -2664, -4176, None])
        self.assertEqual(ws.cell(row=7, column=1).value, "Avg")
        self.assertGreater(ws.column_dimensions["B"].width, 8)
        # Net impact has no diversion table: its stream table starts in column B.
        net = wb["Net Impact on Stream"]
        self.assertEqual(net["B2"].value, "Stream Depletion or Accretion Data")
        self.assertIsNone(net.cell(row=4, column=16).value)

    def test_run_sheet(self):
        wb, _ = workbook("run", two_locations())
        run = {row[0].value: row[1].value for row in wb["Run"].iter_rows(min_row=2) if row[0].value}
        self.assertEqual(run["Model"], "two_locations")
        self.assertEqual(run["First run year"], 1989)
        self.assertEqual(run["Last run year"], 1991)
        self.assertEqual(run["Last year of historical data"], 1990)
        # The engine's report states no version: the one given is vektool's, and says so.
        self.assertNotIn("Engine version", run)
        version = subprocess.run([ARGS.vektool, "--version"], capture_output=True, text=True).stdout.split()[1]
        self.assertEqual(run["vektool version"], version)
        self.assertEqual(run["Year type"], "Irrigation year (NOV-OCT)")
        self.assertEqual(run["Units"], "acre feet")
        rows = [[c.value for c in row] for row in wb["Run"].iter_rows()]
        at = [r[0] for r in rows].index("Response methods")
        self.assertEqual(rows[at + 1][1], "Every location used the infinite aquifer.")

    def test_methods_and_units(self):
        folder = os.path.join(ARGS.out, "methods")
        os.makedirs(folder, exist_ok=True)
        shutil.copy(os.path.join(ARGS.data, "..", "..", "examples", "aquifer_methods.vek"), folder)
        vek = os.path.join(os.path.dirname(ARGS.vektool), "vek")
        subprocess.run([vek, "aquifer_methods.vek", "aquifer_methods.out"], cwd=folder, check=True,
                       capture_output=True)
        report = os.path.join(folder, "aquifer_methods.out")
        af, _ = workbook("methods_af", report, "--years", "1980")
        m3, _ = workbook("methods_m3", report, "--years", "1980", "--units", "m3")
        rows = [[c.value for c in row] for row in af["Run"].iter_rows()]
        at = [r[0] for r in rows].index("Response methods")
        self.assertEqual(rows[at + 1][:3], ["NO.", "NAME", "METHOD AND PARAMETERS"])
        listed = rows[at + 2:at + 5]
        self.assertEqual([r[0] for r in listed], [2, 3, 4])
        self.assertEqual(listed[0][2], "ALLUVIAL AQUIFER (GLOVER), SDF 2500 DAYS, A/W 0.6")
        self.assertTrue(listed[2][2].startswith('UNIT RESPONSE TABLE "Cottonwood pond (basin model 2019)"'))
        self.assertEqual(rows[at + 5][1], "Every other location used the infinite aquifer.")
        self.assertIn("ALLUVIAL AQUIFER (GLOVER), SDF 2500 DAYS, A/W 0.6", af.worksheets[2]["A1"].value)
        self.assertNotIn("AQUIFER", af.worksheets[1]["A1"].value)
        # Cubic metres: the exact factor, rounded to whole cubic metres, and said so.
        run = {row[0].value: row[1].value for row in m3["Run"].iter_rows(min_row=2) if row[0].value}
        self.assertTrue(run["Units"].startswith("cubic metres (m3): the report's acre-feet x 1233.48183754752"),
                        run["Units"])
        self.assertIn("cubic metres", m3.worksheets[1]["A1"].value)
        for ws_af, ws_m3 in zip(af.worksheets[1:], m3.worksheets[1:]):
            for row_af, row_m3 in zip(ws_af.iter_rows(min_row=4, min_col=2), ws_m3.iter_rows(min_row=4, min_col=2)):
                for a, m in zip(row_af, row_m3):
                    if a.value is None:
                        self.assertIsNone(m.value)
                    else:
                        self.assertEqual(m.value, round(a.value * 43560 * 0.3048 ** 3), (ws_m3.title, a.coordinate))

    def test_calendar_years_leave_missing_months_empty(self):
        # The switch to calendar years adds a year before the first one whose
        # first ten months hold no data.
        wb, blocks = workbook("calendar", two_locations(), "--year-type", "0")
        self.check_against_report(wb, blocks)
        ws = wb["Well 7"]
        self.assertIn("Calendar year (JAN-DEC)", ws["A1"].value)
        self.assertEqual(ws["B3"].value, "JAN")
        self.assertEqual(ws["A4"].value, 1988)
        self.assertIsNone(ws["B4"].value)
        self.assertEqual(ws["L4"].value, -100.5)

    def test_selection_and_yearly_scale(self):
        wb, blocks = workbook("selection", two_locations(), "--locations", "4,1", "--years", "1991,avg",
                              "--yearly", "--no-stream")
        # Net impact has only a stream table, so with --no-stream it has no sheet.
        self.assertEqual(wb.sheetnames, ["Run", "Pond A"])
        self.check_against_report(wb, blocks, monthly=False)
        ws = wb["Pond A"]
        self.assertEqual([c.value for c in ws[3]], ["YEAR", "TOTAL", "CUMULATIVE TOTAL"])
        self.assertEqual(ws["A5"].value, "Avg")

    def test_values_are_the_engine_reports_at_every_magnitude(self):
        # 123456.7 is 123457 in the text report, 3005556.5 is 3.00556e+06;
        # the fields beyond a million are more than a float keeps.
        wide = ["123456.7", "3005556.5", "3005556.1", "9999999.9", "-999999.9", "8388607.3"]
        row = "1989" + "".join(v.rjust(9) for v in wide) + "   -106.5   -107.5   -108.5   -109.5   -110.5   -111.5  -1272.0"
        report = write_report_variant(ARGS.data, ARGS.out, "wide.out", replace=[(
            "1989   -100.5   -101.5   -102.5   -103.5   -104.5   -105.5   -106.5   -107.5   -108.5   -109.5   "
            "-110.5   -111.5  -1272.0", row)])
        wb, blocks = workbook("wide", report)
        self.check_against_report(wb, blocks)
        self.assertEqual([wb["Well 7"].cell(row=4, column=2 + c).value for c in range(len(wide))],
                         [float(v) for v in wide])
        # Every number of every sheet, the average rows included, is the
        # engine report's field.
        for ws, (_, tables) in zip(wb.worksheets[1:], parse_engine_report(report)):
            for t, table in enumerate(t for t in ("diversion", "stream") if t in tables):
                for r, (label, fields) in enumerate(tables[table].items()):
                    self.assertEqual(str(ws.cell(row=4 + r, column=1).value), label.strip())
                    got = [ws.cell(row=4 + r, column=2 + t * 14 + c).value for c in range(13)]
                    self.assertEqual(got, [float(f) for f in fields], (ws.title, table, label))

    def test_names_that_are_not_utf8_become_utf8(self):
        cut = b"Recharge pond of the Alamosa irrigation district, north end\xc3\xa9"  # cut at 60 bytes
        cp1252 = "Caf\u00e9 \u201cNord\u201d".encode("cp1252")
        report = write_report_variant(ARGS.data, ARGS.out, "bytes.out", names=[cut, cp1252])
        wb, _ = workbook("bytes", report)
        self.assertEqual(wb.sheetnames[1:3], ["Recharge pond of the Alamosa ir", "Caf\u00e9 \u201cNord\u201d"])
        self.assertTrue(wb["Recharge pond of the Alamosa ir"]["A1"].value.startswith(
            "Location: Recharge pond of the Alamosa irrigation district, north end  Location Type"))
        self.assertTrue(wb.worksheets[2]["A1"].value.startswith("Location: Caf\u00e9 \u201cNord\u201d  Location"))

    def test_sheet_names_follow_excels_rules(self):
        report = write_report_variant(ARGS.data, ARGS.out, "names.out",
                                      names=["'Well [7]: north/south*? pumping station'",
                                             "WELL [7]: NORTH/SOUTH*? PUMPING STATION"])
        wb, blocks = workbook("names", report)
        self.assertEqual(wb.sheetnames[1:3], ["Well _7__ north_south__ pumping",
                                              "WELL _7__ NORTH_SOUTH__ PUM (2)"])
        for name in wb.sheetnames:
            self.assertLessEqual(len(name), 31)
            self.assertFalse(set(name) & set("[]:*?/\\"))
        self.check_against_report(wb, blocks)

    def test_unwritable_path_fails(self):
        r = subprocess.run([ARGS.vektool, "report", two_locations(), "--xlsx",
                                          os.path.join(ARGS.out, "no", "such", "dir.xlsx")], capture_output=True)
        self.assertEqual(r.returncode, 1)
        self.assertIn(b"dir.xlsx", r.stderr)


if __name__ == "__main__":
    parser = argparse.ArgumentParser()
    parser.add_argument("--vektool", required=True)
    parser.add_argument("--data", required=True)
    parser.add_argument("--out", required=True)
    ARGS, rest = parser.parse_known_args()
    os.makedirs(ARGS.out, exist_ok=True)
    unittest.main(argv=[sys.argv[0]] + rest)
