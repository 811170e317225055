"""Stream reaches from Python: the apportionment against an implementation
of this test's own (shapely for distances and Voronoi diagrams, numpy for
the web's sampled integral), a model of the example valley whose wells and
reaches come from a GeoPackage and GeoJSON made with ogr2ogr, run by vek.run
and by vektool run, whose reaches add up to its net impact; longitude and
latitude refused without a projected system and converted with one."""

import math
import os
import random
import shutil
import subprocess

import numpy as np
import pytest
from shapely.geometry import LineString, MultiPoint, Point, box
from shapely.ops import voronoi_diagram

import vek
from conftest import EXAMPLE, program

# ---- The test's own apportionment --------------------------------------------


def fractions_of(weights, max_distance=0.0, min_fraction=0.0, distances=None):
    w = np.array(weights, dtype=float)
    if max_distance > 0:
        w[np.array(distances) > max_distance] = 0.0
    f = w / w.sum()
    if min_fraction > 0:
        kept = np.where(f >= min_fraction, f, 0.0)
        f = kept / kept.sum()
    return f


def distances(reaches, p):
    point = Point(p)
    return [min(LineString(line).distance(point) for line in lines) for lines in reaches]


def web_weights(reaches, p, power, step):
    """The integral of 1/d^power along each reach by the midpoint rule, points `step` apart."""
    out = []
    for lines in reaches:
        total = 0.0
        for line in lines:
            for a, b in zip(line[:-1], line[1:]):
                a, b = np.array(a, float), np.array(b, float)
                length = np.hypot(*(b - a))
                n = max(1, math.ceil(length / step))
                t = (np.arange(n) + 0.5) / n
                pts = a + np.outer(t, b - a)
                d = np.hypot(pts[:, 0] - p[0], pts[:, 1] - p[1])
                total += np.sum(d ** -power) * length / n
        out.append(total)
    return out


def reach_points(reaches, spacing):
    """Each line's vertices and the points that cut its segments into equal
    parts no longer than `spacing`; a point where reaches meet is theirs alike."""
    owners = {}
    for r, lines in enumerate(reaches):
        for line in lines:
            for a, b in zip(line[:-1], line[1:]):
                n = max(1, math.ceil(math.hypot(b[0] - a[0], b[1] - a[1]) / spacing))
                for j in range(n):
                    t = j / n
                    key = (a[0] + (b[0] - a[0]) * t, a[1] + (b[1] - a[1]) * t)
                    owners.setdefault(key, [])
                    if r not in owners[key]:
                        owners[key].append(r)
            key = (float(line[-1][0]), float(line[-1][1]))
            owners.setdefault(key, [])
            if r not in owners[key]:
                owners[key].append(r)
    return owners


def polygon_weights(reaches, p, spacing):
    """The area of the location's Voronoi cell (among every reach point and
    itself) in each reach's cells (among the reach points alone)."""
    owners = reach_points(reaches, spacing)
    sites = list(owners)
    xs = [s[0] for s in sites] + [p[0]]
    ys = [s[1] for s in sites] + [p[1]]
    grow = max(max(xs) - min(xs), max(ys) - min(ys)) or 1.0
    clip = box(min(xs) - grow, min(ys) - grow, max(xs) + grow, max(ys) + grow)
    well = Point(p)
    cell = next(c for c in voronoi_diagram(MultiPoint(sites + [p]), envelope=clip).geoms if c.contains(well))
    cell = cell.intersection(clip)
    weights = [0.0] * len(reaches)
    for old in voronoi_diagram(MultiPoint(sites), envelope=clip).geoms:
        area = old.intersection(cell).area
        if area <= 0:
            continue
        c = old.centroid
        site = min(sites, key=lambda s: (s[0] - c.x) ** 2 + (s[1] - c.y) ** 2)
        for r in owners[site]:
            weights[r] += area / len(owners[site])
    return weights


def random_network(rng):
    reaches = []
    for _ in range(rng.randint(2, 4)):
        x, y = rng.uniform(0, 8000), rng.uniform(0, 8000)
        line = [(x, y)]
        for _ in range(rng.randint(1, 5)):
            x += rng.uniform(-2500, 2500)
            y += rng.uniform(-2500, 2500)
            line.append((x, y))
        reaches.append([line])
    return reaches


def model_with(reaches, wells):
    m = vek.read_model(EXAMPLE)
    while len(m.locations) < len(wells):
        m.add_location("Well %d" % len(m.locations))
    for i, lines in enumerate(reaches):
        m.add_reach("R%d" % (i + 1), lines)
    for loc, p in zip(m.locations, wells):
        loc.xy = p
    return m


CASES = [("nearest", {}), ("inverse", {"power": 1}), ("inverse", {"power": 2}),
         ("inverse", {"power": 2, "max_distance": 3000.0}), ("inverse", {"power": 1, "min_fraction": 0.2}),
         ("polygon", {"spacing": 150.0}), ("polygon", {"spacing": 150.0, "min_fraction": 0.1})]


@pytest.mark.parametrize("method, options", CASES)
def test_random_geometries_agree_with_shapely(method, options):
    rng = random.Random(40)
    for _ in range(4):
        reaches = random_network(rng)
        wells = [(rng.uniform(-2000, 10000), rng.uniform(-2000, 10000)) for _ in range(6)]
        m = model_with(reaches, wells)
        got = m.apportion(method, **options)
        for i, p in enumerate(wells):
            d = distances(reaches, p)
            if "max_distance" in options and min(d) > options["max_distance"]:
                assert got.iloc[i].isna().all()
                continue
            if method == "nearest":
                w = [1.0 if x == min(d) else 0.0 for x in d]
            elif method == "inverse":
                w = [x ** -options["power"] for x in d]
            else:
                w = polygon_weights(reaches, p, options["spacing"])
            want = fractions_of(w, options.get("max_distance", 0.0), options.get("min_fraction", 0.0), d)
            np.testing.assert_allclose(got.iloc[i].to_numpy(), want, rtol=0, atol=1e-9, err_msg="well %d" % i)


@pytest.mark.parametrize("power", [1, 2])
def test_web_is_the_limit_of_the_sampled_integral(power):
    """The sampled web converges to the program's exact one as step^2: halving
    the step quarters the difference, and Richardson's extrapolation of the
    two agrees to 1e-8."""
    rng = random.Random(41)
    for _ in range(3):
        reaches = random_network(rng)
        wells = []
        while len(wells) < 5:
            p = (rng.uniform(0, 8000), rng.uniform(0, 8000))
            if min(distances(reaches, p)) > 300:
                wells.append(p)
        got = model_with(reaches, wells).apportion("web", power=power)
        for i, p in enumerate(wells):
            coarse = fractions_of(web_weights(reaches, p, power, 10.0))
            fine = fractions_of(web_weights(reaches, p, power, 5.0))
            exact = got.iloc[i].to_numpy()
            e1, e2 = np.abs(coarse - exact).max(), np.abs(fine - exact).max()
            assert e2 < 5e-5
            assert 3.0 < e1 / e2 < 5.0, (e1, e2)
            np.testing.assert_allclose((4 * fine - coarse) / 3, exact, rtol=0, atol=1e-8)


# ---- The example valley from GIS files ----------------------------------------

STREAMS = [("Big River", [(500000, 4400000), (503000, 4401000), (506000, 4400500), (509000, 4401500)]),
           ("Cottonwood Creek", [(502000, 4405000), (502600, 4403000), (503000, 4401000)]),
           ("Mesa Draw", [(505000, 4396000), (505500, 4398000), (506000, 4400500)])]
WELLS = [("North ditch well 1 (near river)", 502500, 4401500, 0.2, 2000),
         ("Mesa well field", 505000, 4399000, 0.15, 1500),
         ("Upland irrigation well", 501000, 4404000, 0.1, 800),
         ("Cottonwood recharge pond", 503500, 4402000, 0.2, 2000)]


def ogr2ogr(*args):
    r = subprocess.run([shutil.which("ogr2ogr") or "ogr2ogr", *args], capture_output=True)
    assert r.returncode == 0, r.stderr.decode()


def make_maps(folder):
    """wells.gpkg from a CSV and streams.geojson from WKT, both made by ogr2ogr."""
    with open(os.path.join(folder, "wells.csv"), "w") as f:
        f.write("name,x,y,S,T\n")
        for name, x, y, s, t in WELLS:
            f.write('"%s",%r,%r,%r,%r\n' % (name, x, y, s, t))
    with open(os.path.join(folder, "streams.csv"), "w") as f:
        f.write("name,WKT\n")
        for name, line in STREAMS:
            f.write('"%s","LINESTRING (%s)"\n' % (name, ", ".join("%r %r" % p for p in line)))
    wells = os.path.join(folder, "wells.gpkg")
    streams = os.path.join(folder, "streams.geojson")
    ogr2ogr("-f", "GPKG", wells, os.path.join(folder, "wells.csv"), "-a_srs", "EPSG:32613", "-oo",
            "X_POSSIBLE_NAMES=x", "-oo", "Y_POSSIBLE_NAMES=y", "-oo", "AUTODETECT_TYPE=YES", "-nln", "wells")
    ogr2ogr("-f", "GeoJSON", streams, os.path.join(folder, "streams.csv"), "-a_srs", "EPSG:32613", "-oo",
            "GEOM_POSSIBLE_NAMES=WKT", "-oo", "KEEP_GEOM_COLUMNS=NO", "-nln", "streams")
    return wells, streams


def test_example_valley_from_a_map(workdir):
    wells, streams = make_maps(workdir)
    m = vek.read_model(EXAMPLE)
    counts = m.import_map(wells=wells, streams=streams, s_field="S", t_field="T")
    assert counts == {"wells_placed": 4, "wells_added": 0, "reaches_added": 3, "reaches_moved": 0}
    assert m.map_system == "EPSG:32613" and m.map_unit == "m"
    assert [r["name"] for r in m.reaches] == [s[0] for s in STREAMS]
    np.testing.assert_array_equal(m.reaches[2]["lines"][0], np.array(STREAMS[2][1], float))
    fractions = m.apportion("web", power=2)
    assert list(fractions.columns) == [s[0] for s in STREAMS]
    np.testing.assert_allclose(fractions.sum(axis=1), 1.0, rtol=0, atol=1e-12)
    assert m.locations[0].xy == (502500.0, 4401500.0)
    assert m.validate() == [] or all(p.severity == "warning" for p in m.validate())

    path = os.path.join(workdir, "valley.vek")
    m.write(path)
    results = vek.run(m)
    reaches = [e for e in results.locations if e.kind == "reach"]
    assert [e.name for e in reaches] == [s[0] for s in STREAMS]
    net = next(e for e in results.locations if e.kind == "net impact")
    total = sum(e.stream for e in reaches)
    np.testing.assert_allclose(total, net.stream, rtol=1e-5, atol=1e-3)

    by_reach = results.frame(by="reach")
    assert list(by_reach.columns) == ["position", "reach", "year", "month", "value", "units", "year_type"]
    assert set(by_reach["reach"]) == {s[0] for s in STREAMS}
    assert len(by_reach) == 3 * len(results.years) * 12
    in_m3 = results.frame(by="reach", units="m3")
    np.testing.assert_allclose(in_m3["value"], by_reach["value"] * 1233.48183754752, rtol=1e-12)
    assert results.frame(by="reach", locations=[0]).empty

    # vektool run on the written file: the printed reaches add up to the
    # printed net impact within the rounding of each printed tenth.
    r = subprocess.run([program("vektool"), "run", path], capture_output=True)
    assert r.returncode == 0, r.stderr.decode()
    report = vek.read_report(os.path.join(workdir, "valley.out"))
    printed = [e for e in report.locations if e.kind == "reach"]
    assert len(printed) == 3
    printed_net = next(e for e in report.locations if e.kind == "net impact")
    np.testing.assert_allclose(sum(e.stream for e in printed), printed_net.stream, rtol=0, atol=0.2 + 1e-9)
    # The run in this process and the report are the same numbers.
    np.testing.assert_allclose(printed[0].stream, reaches[0].stream, rtol=0, atol=0.05 + 1e-9)


def test_longitude_and_latitude_need_a_projected_system(workdir):
    wells, _ = make_maps(workdir)
    geographic = os.path.join(workdir, "wells_lonlat.geojson")
    ogr2ogr("-f", "GeoJSON", geographic, wells, "-t_srs", "EPSG:4326", "-lco", "COORDINATE_PRECISION=15")
    m = vek.read_model(EXAMPLE)
    with pytest.raises(vek.ImportFileError) as e:
        m.import_map(wells=geographic)
    assert e.value.kind == "NoProjectedSystem"
    assert "EPSG:32613 (WGS 84 / UTM zone 13N" in str(e.value)
    assert m.locations[0].xy is None
    m.import_map(wells=geographic, crs="EPSG:32613")
    for loc, (_, x, y, _, _) in zip(m.locations, WELLS):
        assert loc.xy == pytest.approx((x, y), abs=1e-6)
