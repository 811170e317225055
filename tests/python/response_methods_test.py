"""`vektool response` against responses computed here by other roads: the
infinite aquifer and streambed resistance by SciPy's erfc and erfcx, the
alluvial aquifer by the strip's eigenfunction series (separation of
variables, no images), and both by numerical inversion of their Laplace-domain
solutions with 30 digits (mpmath). Also recomputes the independent values the
C++ tests hold (tests/engine/response_methods_test.cpp)."""

import argparse
import os
import re
import subprocess
import sys
import unittest

import mpmath as mp
import numpy as np
from scipy import special

ARGS = None
mp.mp.dps = 30


def vektool_curve(*args):
    out = subprocess.run([ARGS.vektool, "response", *args], check=True, capture_output=True, text=True).stdout
    lines = out.splitlines()
    assert lines[0] == "days,fraction", lines[0]
    return [(float(d), float(f)) for d, f in (line.split(",") for line in lines[1:])]


def days_arg(days):
    return ",".join(repr(d) for d in days)


# Laplace-domain solutions, Qs/Q, with k a = sqrt(sdf p):
# alluvial aquifer (a line source in a strip, head held at the stream, no flow
# at the wall W):  cosh(k (W - a)) / (p cosh(k W));
# streambed resistance (Hunt 1999, a leaky stream line): exp(-k a) / (p (1 + 2 k a / lambda')).
def alluvial_laplace(sdf, r, t):
    return mp.invertlaplace(lambda p: mp.cosh(mp.sqrt(sdf * p) * (1 / r - 1)) / (p * mp.cosh(mp.sqrt(sdf * p) / r)),
                            t, method="talbot")


def hunt_laplace(sdf, lam, t):
    return mp.invertlaplace(lambda p: mp.exp(-mp.sqrt(sdf * p)) / (p * (1 + 2 * mp.sqrt(sdf * p) / lam)), t,
                            method="talbot")


def alluvial_eigen(sdf, r, t):
    tau = r * r * t / sdf
    k = 2 * np.arange(4000) + 1
    return 1 - np.sum(4 * np.sin(k * np.pi * r / 2) / (k * np.pi) * np.exp(-k * k * np.pi ** 2 * tau / 4))


def hunt_scipy(sdf, lam, t):
    u = np.sqrt(sdf / (4 * t))
    return special.erfc(u) - np.exp(-u * u) * special.erfcx(u + lam / (4 * u))


class ResponseTest(unittest.TestCase):
    DAYS = [1, 13, 46, 100, 365, 1000, 3652.5, 10000, 36525, 146100]

    def test_infinite_aquifer(self):
        for sdf in (0.5, 150, 2314.8, 40000):
            for d, f in vektool_curve("--method", "infinite", "--sdf", str(sdf), "--days", days_arg(self.DAYS)):
                self.assertAlmostEqual(f, special.erfc(np.sqrt(sdf / (4 * d))), delta=1e-11, msg=(sdf, d))

    def test_alluvial_aquifer(self):
        for sdf, r in ((150, 0.3), (2500, 0.6), (20000, 0.95), (800, 0.02)):
            curve = vektool_curve("--method", "alluvial", "--sdf", str(sdf), "--a-over-w", str(r), "--days",
                                  days_arg(self.DAYS))
            for d, f in curve:
                self.assertAlmostEqual(f, alluvial_eigen(sdf, r, d), delta=1e-11, msg=(sdf, r, d))
                if d in (100, 3652.5, 36525):
                    self.assertAlmostEqual(f, float(alluvial_laplace(sdf, r, d)), delta=1e-11, msg=(sdf, r, d))

    def test_streambed_resistance(self):
        for sdf, lam in ((150, 0.05), (2500, 1.0), (20000, 30.0), (800, 1e4)):
            curve = vektool_curve("--method", "hunt", "--sdf", str(sdf), "--lambda", str(lam), "--days",
                                  days_arg(self.DAYS))
            for d, f in curve:
                self.assertAlmostEqual(f, hunt_scipy(sdf, lam, d), delta=1e-11, msg=(sdf, lam, d))
                if d in (100, 3652.5, 36525):
                    self.assertAlmostEqual(f, float(hunt_laplace(sdf, lam, d)), delta=1e-11, msg=(sdf, lam, d))

    def test_table(self):
        path = os.path.join(ARGS.out, "urf.csv")
        with open(path, "w") as f:
            f.write("month,URF\n1,0.25\n2,0.125\n3,0.0625\n")
        for after, last in (("hold", 0.4375), ("one", 1.0)):
            curve = vektool_curve("--method", "table", "--table", path, "--after", after, "--days", "15,46,76,107,5000")
            self.assertEqual([f for _, f in curve], [0.25, 0.375, 0.4375, last, last])

    def test_values_the_cpp_tests_hold(self):
        with open(os.path.join(ARGS.data, "..", "engine", "response_methods_test.cpp")) as f:
            source = f.read()
        for name, solve in (("kAlluvial", alluvial_laplace), ("kHunt", hunt_laplace)):
            block = re.search(name + r"\[\] = \{(.*?)\};", source, re.S).group(1)
            rows = re.findall(r"\{([-0-9.e]+), ([-0-9.e]+), ([-0-9.e]+), ([-0-9.e]+)\}", block)
            self.assertGreaterEqual(len(rows), 3)
            for sdf, p, t, value in rows:
                self.assertAlmostEqual(float(value), float(solve(float(sdf), float(p), float(t))), delta=1e-15,
                                       msg=(name, sdf, p, t))


if __name__ == "__main__":
    parser = argparse.ArgumentParser()
    parser.add_argument("--vektool", required=True)
    parser.add_argument("--data", required=True)
    parser.add_argument("--out", required=True)
    ARGS, rest = parser.parse_known_args()
    os.makedirs(ARGS.out, exist_ok=True)
    unittest.main(argv=[sys.argv[0]] + rest)
