#!/usr/bin/env python3
"""Independent reference model of the vek depletion engine, for cross-checking.

Reads a model input deck and writes the report the engine should write, byte
for byte, emulating the engine's single-precision arithmetic: every
intermediate result (named or not) is rounded to a 32-bit float, exp and sqrt
come from the C library's single-precision functions.

Usage: vek_reference.py INPUT OUTPUT
       vek_reference.py --random-deck SEED DECK [big]   (writes a random test deck)
Console lines and exit status follow the engine: 0 after a normal run, 255
(-1) after the year-limit error, 2 after a "run-time error" line.
"""

import ctypes
import ctypes.util
import math
import re
import struct
import sys

_F = struct.Struct("<f")


def f32(x):
    """Round a Python float to the nearest single-precision value."""
    try:
        return _F.unpack(_F.pack(x))[0]
    except OverflowError:
        return math.copysign(math.inf, x)


_libm = ctypes.CDLL(ctypes.util.find_library("m") or "libm.so.6")
_libm.expf.restype = ctypes.c_float
_libm.expf.argtypes = [ctypes.c_float]
_libm.sqrtf.restype = ctypes.c_float
_libm.sqrtf.argtypes = [ctypes.c_float]


def expf(x):
    return float(_libm.expf(x))


def sqrtf(x):
    return float(_libm.sqrtf(x))


MONTH_NAMES = ["NOV", "DEC", "JAN", "FEB", "MAR", "APR", "MAY", "JUN", "JUL",
               "AUG", "SEP", "OCT"]
MONTH_DAYS = [30, 31, 31, 28, 31, 30, 31, 30, 31, 31, 30, 31]

C_AVG_DAYS = f32(30.417)
# erf approximation constants, held as single-precision reals.
C_P = f32(0.3275911)
C_A1 = f32(0.254829592)
C_A2 = f32(-0.284496736)
C_A3 = f32(1.421413741)
C_A4 = f32(-1.453152027)
C_A5 = f32(1.061405429)


class RunTimeError(Exception):
    pass


def fmt_i(value, width):
    text = "%d" % value
    return "*" * width if len(text) > width else text.rjust(width)


def fmt_f91(value):
    if math.isnan(value) or math.isinf(value):
        return "*" * 9
    if value == 0.0:
        # Zero of either sign prints unsigned; any other negative keeps its sign.
        return "      0.0"
    text = "%.1f" % value
    return "*" * 9 if len(text) > 9 else text.rjust(9)


def fmt_a(text, width):
    return text[:width].ljust(width)


class Deck:
    """Record-oriented reader: each read starts at a new record, values may
    continue onto following records, the rest of the last record is ignored."""

    def __init__(self, data):
        text = data.decode("latin-1")
        self.lines = text.split("\n")
        if self.lines and self.lines[-1] == "":
            self.lines.pop()
        self.lines = [ln[:-1] if ln.endswith("\r") else ln for ln in self.lines]
        self.pos = 0

    def next_line(self, what):
        if self.pos >= len(self.lines):
            raise RunTimeError("end of file reading " + what)
        line = self.lines[self.pos]
        self.pos += 1
        return line

    def skip(self, count, what):
        for _ in range(max(count, 0)):
            self.next_line(what)

    def values(self, count, what):
        out = []
        while len(out) < count:
            line = self.next_line(what)
            for tok in line.replace(",", " ").replace("\t", " ").split():
                out.append(tok)
                if len(out) == count:
                    break
        return out


_INT = re.compile(r"[+-]?[0-9]+\Z")
_REAL = re.compile(r"[+-]?([0-9]+\.?[0-9]*|\.[0-9]+)([eEdD][+-]?[0-9]+)?\Z")


def to_int(tok):
    if not _INT.match(tok):
        raise RunTimeError("bad integer " + tok)
    v = int(tok)
    if not -2**31 <= v < 2**31:
        raise RunTimeError("integer out of range " + tok)
    return v


def to_real(tok):
    # Ordinary decimal notation, with E or D before an exponent.
    if not _REAL.match(tok):
        raise RunTimeError("bad real " + tok)
    v = f32(float(tok.replace("d", "e").replace("D", "e")))
    if math.isinf(v):
        raise RunTimeError("number out of range " + tok)
    return v


def method_text(p):
    sf, y1, y2 = p["synthesizeFormat"], p["projYearStart"], p["projYearEnd"]
    s = p["inputStartYear"]
    if sf == 1:
        t = "AVERAGE OF HISTORICAL DATA FROM" + fmt_i(s + y1, 5) + " TO " + fmt_i(s + y2, 5)
    elif sf == 2:
        t = "HISTORICAL DATA YEAR" + fmt_i(s + y1, 5)
    elif sf == 3:
        t = "HISTORICAL CYCLE FROM YEAR" + fmt_i(s + y1, 5) + " TO " + fmt_i(s + y1 + y2, 5)
    elif sf == 4:
        t = "USER-DEFINED DATA"
    else:
        t = ""
    return fmt_a(t, 100)


PARAMS = ["inputStartYear", "inputEndYear", "noOfSimulationYears",
          "outputStartYear", "outputEndYear", "nwells", "outputFormat",
          "synthesizeFormat", "projYearStart", "projYearEnd", "yearMode",
          "unitMode", "useAvgDaysPerMonth"]


def response_table(factor, days):
    frac = [0.0] * (days + 1)
    for t in range(1, days + 1):
        u = f32(0.5 * sqrtf(f32(factor / float(t))))
        if u > 3.0:
            frac[t] = 0.0
            continue
        s = f32(1.0 / f32(1.0 + f32(C_P * u)))
        g = expf(f32(-f32(u * u)))
        p = f32(C_A5 * s)
        p = f32(C_A4 + p)
        p = f32(p * s)
        p = f32(C_A3 + p)
        p = f32(p * s)
        p = f32(C_A2 + p)
        p = f32(p * s)
        p = f32(C_A1 + p)
        erf = f32(1.0 - f32(f32(p * g) * s))
        frac[t] = f32(1.0 - erf)
    return frac


def superpose(q, cal, frac, months, console):
    e = [0.0] * (months + 1)
    prev = 0.0
    for k in range(1, months + 1):
        delta = f32(q[k] - prev)
        prev = q[k]
        if delta == 0.0:
            # Terms of a zero step are zeros: they can change only the sign of
            # a zero, which prints the same.
            continue
        base = cal[k - 1] + 15
        for i in range(k, months + 1):
            lag = cal[i] - base
            if lag < 1:
                console.append(" IDELT OUT OF RANGE: %d" % lag)
                continue
            e[i] = f32(e[i] + f32(delta * frac[lag]))
    return e


class Report:
    def __init__(self):
        self.lines = []

    def put(self, line):
        self.lines.append(line)

    def data(self):
        return "".join(ln + "\r\n" for ln in self.lines).encode("latin-1")

    def title(self, text):
        self.put("")
        self.put(text)
        self.put(" ( acre feet ) " if text == "DIVERSIONS FROM WELLS" else " ( acre feet )")
        self.put(" ")

    def table(self, series, start_year, years, header):
        if header:
            self.put("YEAR" + "".join("   " + n + "   " for n in MONTH_NAMES) + "    TOTAL")
        month_sums = [0.0] * 12
        for y in range(years):
            row = series[1 + 12 * y: 13 + 12 * y]
            total = 0.0
            for j in range(12):
                total = f32(total + row[j])
                month_sums[j] = f32(month_sums[j] + row[j])
            self.put(fmt_i(start_year + y, 4) + "".join(fmt_f91(v) for v in row) + fmt_f91(total))
        self.put("")
        grand = 0.0
        for j in range(12):
            grand = f32(grand + month_sums[j])
        n = float(years)
        avgs = [f32(s / n) for s in month_sums] + [f32(grand / n)]
        self.put(" AVG" + "".join(fmt_f91(v) for v in avgs))


def run(data):
    """Returns (report bytes, console lines, exit status)."""
    rep = Report()
    console = []
    deck = Deck(data)
    try:
        deck.skip(1, "record 1")
        p = dict(zip(PARAMS, [to_int(t) for t in deck.values(13, "run parameters")]))
        text = method_text(p)
        last = p["inputEndYear"] + p["noOfSimulationYears"]
        if last < p["outputEndYear"]:
            data_years = last - p["outputStartYear"] + 1
            tail_years = p["outputEndYear"] - last
        else:
            data_years = p["outputEndYear"] - p["outputStartYear"] + 1
            tail_years = 0
        years = data_years + tail_years
        months = 12 * years
        if years > 400:
            console.append(" ERROR: input contains more than   400 years of data.")
            return rep.data(), console, 255
        if years < 1:
            # An end year before the start year leaves no table to print.
            raise RunTimeError("the run has no years")
        ie, ns, os_, oe = p["inputEndYear"], p["noOfSimulationYears"], p["outputStartYear"], p["outputEndYear"]
        n = ns if ie >= os_ else max(ns - (os_ - ie), 0)
        c = ie + n - os_ if ie + n < oe else oe - os_
        avg_rule = p["useAvgDaysPerMonth"]
        rep.put(" " * 54 + "STREAM DEPLETION")
        rep.put(" " * 45 + "CALCULATED BY U.S.G.S. VEK METHOD")
        for _ in range(4):
            rep.put("")
        rep.put(" " * 10 + "THE LAST YEAR OF HISTORICAL DATA IS" + fmt_i(ie, 5) + ".")
        rep.put("")
        rep.put(" " * 10 + "NUMBER OF YEARS OF SYNTHESIZED DATA ARE " + fmt_i(n, 5))
        rep.put("")
        rep.put(" " * 10 + "SYNTHESIZED DATA WAS GENERATED USING " + fmt_a(text, 50))
        rep.put("")
        rep.put(" " * 10 + "PUMPING BEGINS IN" + fmt_i(os_, 5) + " AND CONTINUES" + fmt_i(c, 3) + " MORE YEARS.")
        rep.put("")
        rep.put(" " * 10 + "PRINT OUT OF DEPLETIONS IS FOR YEARS " + fmt_i(os_, 4) + " TO " + fmt_i(oe, 4) + " INCLUSIVE.")
        rep.put(" " * 10 + "MONTHLY TO DAILY CONVERSIONS USED " +
                ("AVERAGE DAYS PER MONTH (30.417)." if avg_rule == 1 else "ACTUAL DAYS IN THE MONTH."))

        cal = [0] * (max(months, 0) + 1)
        for m in range(1, months + 1):
            dm = MONTH_DAYS[(m - 1) % 12]
            if (m - 1) % 12 == 3 and (os_ + (m - 1) // 12) % 4 == 0:
                dm = 29
            cal[m] = cal[m - 1] + dm
        total_days = cal[months] if months > 0 else 0

        sums = {col: ([0.0] * (months + 1), [0.0] * (months + 1)) for col in (1, 3, 4)}
        fmt = p["outputFormat"]
        for _ in range(p["nwells"]):
            rec = deck.values(3, "location record")
            factor, ltype, use = to_real(rec[0]), to_int(rec[1]), to_int(rec[2])
            if use == 0:
                # The rows are consumed as a used location's would be, unread.
                deck.skip(1 + max(os_ - p["inputStartYear"], 0) + max(data_years, 0) + max(last - oe, 0),
                          "unused location")
                continue
            if not factor >= 0.0:
                # A negative factor has no meaning and would print NaN everywhere.
                raise RunTimeError("negative depletion factor")
            name = fmt_a(deck.next_line("location name"), 90)
            recharge = ltype == 1
            if fmt == 0:
                rep.put(" ")
                rep.put("LOCATION:        " + fmt_a(name, 60))
                rep.put("VEK FACTOR:      " + fmt_f91(factor))
                rep.put("TYPE OF SITE:    " + fmt_a("RECHARGE" if recharge else "PUMPING", 10))
                rep.put("DEPTH:" + " " * 11 + fmt_a("SHALLOW", 10))
                rep.put(" ")
            q = [0.0] * (months + 1)
            deck.skip(os_ - p["inputStartYear"], "year rows")
            for y in range(data_years):
                vals = deck.values(12, "year row")
                for j in range(12):
                    m = 12 * y + j + 1
                    v = to_real(vals[j])
                    if p["unitMode"] != 0:
                        if avg_rule == 1:
                            v = f32(v / C_AVG_DAYS)
                        elif avg_rule == 0:
                            v = f32(v / float(cal[m] - cal[m - 1]))
                    q[m] = v
            deck.skip(last - oe, "year rows")
            frac = response_table(factor, total_days)
            e = superpose(q, cal, frac, months, console)
            sigma = float(ltype)
            div = [0.0] * (months + 1)
            eff = [0.0] * (months + 1)
            for m in range(1, months + 1):
                if avg_rule == 1:
                    d = C_AVG_DAYS
                elif avg_rule == 0:
                    d = float(cal[m] - cal[m - 1])
                else:
                    d = 30.0
                div[m] = f32(f32(q[m] * d) * sigma)
                eff[m] = f32(f32(e[m] * d) * sigma)
            for col in ((1, 4) if recharge else (3, 4)):
                sd, se = sums[col]
                for m in range(1, months + 1):
                    sd[m] = f32(sd[m] + div[m])
                    se[m] = f32(se[m] + eff[m])
            if fmt == 0:
                if recharge:
                    ta, tb = "NET DIVERSION INTO RECHARGE SITES", "ACCRETION TO THE STREAM RESULTING FROM RECHARGE"
                else:
                    ta, tb = "DIVERSIONS FROM WELLS", "DEPLETIONS OCCURRING FROM THE STREAM DUE TO WELLS"
                rep.title(ta)
                rep.table(div, os_, years, True)
                rep.title(tb)
                rep.table(eff, os_, years, True)

        titled = fmt != 2
        for col, ta, tb in ((1, "NET DIVERSION INTO RECHARGE SITES", "ACCRETION TO THE STREAM RESULTING FROM RECHARGE"),
                            (3, "DIVERSIONS FROM WELLS", "DEPLETIONS OCCURRING FROM THE STREAM DUE TO WELLS")):
            rep.put(" ")
            if titled:
                rep.put("SUMMARY OF ALL LOCATIONS")
                rep.title(ta)
                rep.table(sums[col][0], os_, years, True)
                if data_years > 15:
                    rep.put(" ")
                rep.put("SUMMARY OF ALL LOCATIONS")
                rep.title(tb)
            rep.table(sums[col][1], os_, years, titled)
            if col == 1:
                rep.put(" ")  # column 2 group
        rep.put(" ")
        if titled:
            rep.put("")
            rep.put("NET IMPACT UPON THE STREAM")
            rep.put(" Depletions + Accretions")
            rep.put(" ( acre feet )")
            rep.put(" ")
            rep.table(sums[4][1], os_, years, True)
    except RunTimeError as err:
        console.append(" run-time error: " + str(err))
        return rep.data(), console, 2
    console.append(" Stop - Program terminated.")
    return rep.data(), console, 0


def random_deck(seed, big=False):
    """A small random model input deck exercising the engine's rules; `big`
    makes long runs with many locations sharing a few factors."""
    import random
    r = random.Random(seed)

    def real_text(v):
        form = r.random()
        if form < 0.6:
            return "%g" % v
        if form < 0.8:
            return repr(float(v))
        return "%.4E" % v

    def value():
        kind = r.random()
        if kind < 0.25:
            return 0.0
        if kind < 0.7:
            return round(r.uniform(0, 500), r.choice([0, 1, 2, 3]))
        if kind < 0.8:
            return -round(r.uniform(0, 300), 2)
        if kind < 0.9:
            return round(r.uniform(0, 1), 4)
        return r.choice([1.0e6, 3.3e5, 4.1e5, 2.5e7, -2.0e6, 123456.7, 0.05, -0.04, 0.25, 3.0e38, 1e-30])

    start = r.randint(1890, 2030)
    hist = r.randint(1, 8) if r.random() < 0.8 else r.randint(10, 19)
    if big:
        hist = r.randint(40, 110)
    nsim = r.choice([0, 0, 1, 2, 5])
    end = start + hist - 1
    last = end + nsim
    ostart = r.randint(start, last)
    oend = r.randint(ostart, last) if r.random() < 0.6 else last + r.randint(1, 4)
    if big:
        ostart, oend = r.randint(start, start + 5), last + r.randint(0, 3)
    elif r.random() < 0.05:
        # Years outside what callers promise: the engine must still not crash.
        ostart, oend = r.choice([(start - 2, last), (last + 2, last + 4), (ostart, ostart - 1),
                                 (ostart, ostart - 3)])
    fmt = r.choice([0, 0, 0, 1, 2, 2, 3, -1])
    synth = r.choice([0, 1, 2, 3, 4, 4, 5])
    ps = r.choice([0, 1, 2, -1, 7, 200000])
    pe = r.choice([0, 1, 3, 10, 99999])
    param = [start, end, nsim, ostart, oend, 0, fmt, synth, ps, pe,
             r.choice([0, 1, 2]), r.choice([0, 0, 1, 1, 2]),
             r.choice([0, 0, 1, 1, 2, -1])]
    nw = r.choice([0, 1, 1, 2, 2, 3, 4]) if not big else r.randint(6, 12)
    shared = [r.choice([0.0, 10.0, 150.0, 2000.0, 45000.0]), round(r.uniform(0, 5000), 1)]
    param[5] = nw
    lines = ["Version 1.12",
             " ".join(str(v) for v in param) + " # inputStartYear inputEndYear ..."]
    first_read = ostart - start
    read_rows = min(oend, last) - ostart + 1
    for _ in range(nw):
        factor = r.choice(shared) if big and r.random() < 0.6 else r.choice([0.0, 0.0, 1.0, 2.5, 37.0, 150.0, 365.0, 1200.0, 100000.0,
                           round(r.uniform(0, 3000), 1), 0.04, 12345678.0, -50.0])
        ltype = r.choice([-1, -1, 1, 1, 0, 2, -3])
        use = r.choice([1, 1, 1, 0, 7])
        sep = r.choice([" ", " ", ",", "\t", " , "])
        lines.append(sep.join([real_text(factor), str(ltype), str(use)]) +
                     r.choice(["", " # VEK LocationType UseInOutput", "  "]))
        nlen = r.choice([0, 5, 20, 59, 60, 61, 95])
        name = "".join(r.choice("abcdefghij KLMN-()#.,0123456789") for _ in range(nlen))
        lines.append(name)
        for row in range(hist + nsim):
            vals = [real_text(value()) for _ in range(12)]
            if not big and r.random() < 0.005:
                vals[r.randint(0, 11)] = "x1"
            if use == 0 and r.random() < 0.3:
                lines.append("not numbers at all")
                continue
            inside = first_read <= row < first_read + read_rows
            if inside and use != 0 and r.random() < 0.1:
                cut = r.randint(1, 11)
                lines.append(" ".join(vals[:cut]))
                lines.append(" ".join(vals[cut:]))
            else:
                lines.append(r.choice([" ", ",", "  "]).join(vals) + r.choice(["", " # x"]))
    # Pumping records and anything else after the last location are never read.
    lines.append("Pumping record for a well")
    lines.append("1 0 # UsePumpingRecord Units")
    if r.random() < 0.1:
        lines = lines[:r.randint(1, len(lines) - 1)]
    eol = "\r\n" if r.random() < 0.2 else "\n"
    return (eol.join(lines) + eol).encode("latin-1")


def main(argv):
    if len(argv) in (4, 5) and argv[1] == "--random-deck":
        with open(argv[3], "wb") as fh:
            fh.write(random_deck(int(argv[2]), len(argv) == 5 and argv[4] == "big"))
        return 0
    if len(argv) != 3:
        sys.stderr.write(__doc__)
        return 64
    try:
        with open(argv[1], "rb") as fh:
            data = fh.read()
    except OSError as err:
        print(" run-time error: cannot open input file: %s" % err)
        return 2
    report, console, status = run(data)
    with open(argv[2], "wb") as fh:
        fh.write(report)
    for line in console:
        print(line)
    return status


if __name__ == "__main__":
    sys.exit(main(sys.argv))
