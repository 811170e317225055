#!/usr/bin/env bash
# Checks a built vek .deb without installing it: unpacks it into a temporary
# root and, from there, runs vek on the packaged example, `vektool check` on
# it, the Python module vek on it (its report must be vek's), and VEKView
# offscreen, which opens it and quits. Also checks that the package holds
# what it should, that its Depends name the Qt libraries and numpy, and that
# Debian's checkers accept it: lintian on the package, desktop-file-validate
# on the launcher and appstreamcli on the AppStream metadata.
#   scripts/smoke-test-deb.sh build/package/vek_1.2.8-1_amd64.deb
set -euo pipefail
deb="$(realpath "${1:?usage: $0 PACKAGE.deb}")"
root="$(mktemp -d)"
trap 'rm -rf "$root"' EXIT
fail() { echo "smoke-test-deb: $*" >&2; exit 1; }
for tool in lintian:lintian desktop-file-validate:desktop-file-utils appstreamcli:appstream; do
  command -v "${tool%%:*}" >/dev/null || fail "${tool%%:*} is missing: install the Debian package ${tool#*:}"
done

echo "package: $(basename "$deb"), $(stat -c %s "$deb") bytes"
depends="$(dpkg-deb -f "$deb" Depends)"
echo "Depends: $depends"
[ "$(dpkg-deb -f "$deb" Package)" = vek ] || fail "the package is not named vek"
for lib in libqt6core6 libqt6gui6 libqt6widgets6 libqt6charts6 libqt6printsupport6 python3-numpy; do
  grep -q "\b$lib\b" <<<"$depends" || fail "Depends lacks $lib"
done

dpkg-deb -x "$deb" "$root"
usr="$root/usr"
for f in bin/vek bin/vektool bin/VEKView share/vek/examples/river_valley.vek \
         share/applications/vekview.desktop share/mime/packages/vekview.xml \
         share/icons/hicolor/256x256/apps/vekview.png share/man/man1/vek.1.gz share/man/man1/vektool.1.gz \
         share/man/man1/VEKView.1.gz share/doc/vek/copyright share/doc/vek/changelog.Debian.gz; do
  [ -e "$usr/$f" ] || fail "the package lacks /usr/$f"
done
site="$usr/lib/python3/dist-packages"
for f in vek/__init__.py vek/__init__.pyi vek/py.typed vek/_frames.py; do
  [ -e "$site/$f" ] || fail "the package lacks /usr/lib/python3/dist-packages/$f"
done
ls "$site"/vek/_vek.*.so >/dev/null 2>&1 || fail "the package lacks the extension module of vek"
metainfo="$(ls "$usr"/share/metainfo/*.metainfo.xml 2>/dev/null | head -n 1)"
[ -n "$metainfo" ] || fail "the package lacks the AppStream metadata in /usr/share/metainfo"

# Debian's checkers. desktop-file-validate prints hints too: any line is a
# finding. appstreamcli --no-net: the screenshots' addresses are not fetched
# (the build has no network); everything else is checked, pedantic notes too.
findings="$(desktop-file-validate "$usr/share/applications/vekview.desktop" 2>&1)" ||
  fail "desktop-file-validate refused the launcher: $findings"
[ -z "$findings" ] || fail "desktop-file-validate: $findings"
echo "desktop-file-validate: vekview.desktop valid"
appstreamcli validate --no-net --pedantic --explain "$metainfo" || fail "appstreamcli refused $(basename "$metainfo")"
# lintian: no error and no warning; what it may still say is listed, each with
# its reason, in packaging/debian/lintian-overrides (shipped in the package).
lintian_out="$(lintian --fail-on error,warning --display-level '>=warning' "$deb")" ||
  fail "lintian: $lintian_out"
echo "lintian: ${lintian_out:-no error, no warning}"

# The engine on the example, in a scratch folder (bare names, as VEKView runs it).
work="$root/work"
mkdir -p "$work"
cp "$usr/share/vek/examples/river_valley.vek" "$work/"
(cd "$work" && "$usr/bin/vek" river_valley.vek river_valley.out) || fail "vek failed on the example"
[ -s "$work/river_valley.out" ] || fail "vek wrote no report"
echo "vek: $(wc -l <"$work/river_valley.out") report lines"

"$usr/bin/vektool" check "$usr/share/vek/examples/river_valley.vek" || fail "vektool check failed on the example"
# vektool run finds the packaged vek beside itself.
"$usr/bin/vektool" run "$work/river_valley.vek" >/dev/null || fail "vektool run failed on the example"

# The Python module from the package: a run in the interpreter gives the
# packaged vek's report, byte for byte.
PYTHONPATH="$site" /usr/bin/python3 - "$site" "$work/river_valley.vek" "$work/river_valley.out" <<'PY' ||
import sys, vek
site, model, report = sys.argv[1:4]
results = vek.run(model)
results.write_report(report + ".py")
same = open(report, "rb").read() == open(report + ".py", "rb").read()
print("python: vek %s from %s, %d entries, report %s" % (
    vek.__version__, vek.__file__, len(results.locations), "identical" if same else "DIFFERENT"))
sys.exit(0 if same and vek.__file__.startswith(site) else 1)
PY
  fail "the packaged Python module did not run the example"

mkdir -m 700 "$root/run"
HOME="$root/home" XDG_CONFIG_HOME="$root/home/.config" XDG_RUNTIME_DIR="$root/run" QT_QPA_PLATFORM=offscreen \
  timeout 120 "$usr/bin/VEKView" --smoke-test "$usr/share/vek/examples/river_valley.vek" ||
  fail "VEKView did not open the example"
"$usr/bin/VEKView" --version
echo "smoke-test-deb: OK"
