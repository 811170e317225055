#!/usr/bin/env bash
# Checks that scripts/packages.txt (what scripts/setup.sh installs) names
# every Debian package a configured and built tree used, directly or through
# the dependencies of the packages it names.
#
#   scripts/check-setup-packages.sh [--packages FILE] [--verbose] BUILD_DIR
#
# Files used by the build:
#   - the package configuration files that the *_DIR entries of
#     CMakeCache.txt point at (Qt6Charts_DIR, GTest_DIR, ...),
#   - the headers named in the compiler's dependency files (*.d, or the Ninja
#     deps log),
#   - the compilers, and the libraries on the link lines (link.txt).
# Each file's package comes from `dpkg -S`; files of no package (the
# project's own, the build tree's) are left out. A package used that is
# neither in the list nor in its dependency closure (`apt-cache depends
# --recurse`, hard dependencies only) is named and the status is 1.
# Status 2: bad arguments or a tree that was not configured and built.
set -euo pipefail

here="$(cd "$(dirname "$0")" && pwd)"
list="$here/packages.txt"
verbose=0
build=""
while [ $# -gt 0 ]; do
  case "$1" in
    --packages) list="$2"; shift 2 ;;
    --verbose|-v) verbose=1; shift ;;
    -h|--help) sed -n '2,18p' "$0" | sed 's/^# \{0,1\}//'; exit 0 ;;
    -*) echo "check-setup-packages: unknown option $1" >&2; exit 2 ;;
    *) build="$1"; shift ;;
  esac
done
if [ -z "$build" ] || [ ! -f "$build/CMakeCache.txt" ]; then
  echo "usage: $0 [--packages FILE] [--verbose] BUILD_DIR (a configured and built tree)" >&2
  exit 2
fi
[ -f "$list" ] || { echo "check-setup-packages: no package list $list" >&2; exit 2; }

build="$(realpath "$build")"
source_dir="$(sed -n 's/^CMAKE_HOME_DIRECTORY:INTERNAL=//p' "$build/CMakeCache.txt")"
source_dir="$(realpath -m "${source_dir:-$here/..}")"

work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT

# --- files the tree used ---------------------------------------------------
{
  # Packages found by find_package: NAME_DIR holds the NAMEConfig.cmake or
  # name-config.cmake it read. (Other *_DIR entries, include folders, say
  # nothing about one package; their headers come from the dependency files.)
  sed -n 's/^\([A-Za-z0-9_]*\)_DIR:[A-Z]*=\(\/.*\)$/\1 \2/p' "$build/CMakeCache.txt" |
    while read -r name dir; do
      lower="$(printf '%s' "$name" | tr 'A-Z' 'a-z')"
      for f in "$dir/${name}Config.cmake" "$dir/${lower}-config.cmake"; do
        if [ -f "$f" ]; then echo "$f"; fi
      done
    done

  # Headers: the compiler's dependency files (Makefiles), or Ninja's log.
  # The tests' scratch folders hold no build files and come and go while
  # tests run: they are not searched.
  find "$build" -path "$build/test-output" -prune -o -name '*.d' -type f -print0 | xargs -0r cat
  if [ -f "$build/build.ninja" ] && command -v ninja >/dev/null; then
    ninja -C "$build" -t deps 2>/dev/null || true
  fi

  # Compilers and linked libraries.
  sed -n 's/^CMAKE_[A-Z]*_COMPILER:[A-Z]*=\(\/.*\)$/\1/p' "$build/CMakeCache.txt"
  find "$build" -path "$build/test-output" -prune -o -name link.txt -type f -print0 | xargs -0r cat |
    tr -s ' \t' '\n\n' |
    while IFS= read -r tok; do
      case "$tok" in
        -l*) ;;
        /*) echo "$tok" ;;
      esac
    done
  # -lNAME: the file the compiler driver would pick.
  find "$build" -path "$build/test-output" -prune -o -name link.txt -type f -print0 | xargs -0r cat |
    tr -s ' \t' '\n\n' | { grep '^-l' || true; } | sort -u |
    while IFS= read -r l; do
      f="$(c++ -print-file-name="lib${l#-l}.so" 2>/dev/null || true)"
      case "$f" in /*) echo "$f" ;; esac
    done
} | tr -s ' \t\\' '\n\n\n' | grep '^/' | grep -v ':$' | sort -u >"$work/raw"

# Lexical clean-up (a/b/../c), then leave out the project's and the build's
# own files.
xargs -r -d '\n' realpath -s -m -- <"$work/raw" | sort -u |
  awk -v s="$source_dir/" -v b="$build/" 'index($0, s) != 1 && index($0, b) != 1' >"$work/files"

# --- their packages --------------------------------------------------------
# dpkg -S prints "pkg[:arch][, pkg2...]: path"; paths of no package go to
# standard error and are picked up as "not owned" below.
owners() { xargs -r -d '\n' dpkg -S -- 2>/dev/null | grep -v '^diversion ' || true; }
owners <"$work/files" >"$work/owned"
sed "s|^[^/]*: ||" "$work/owned" | sort -u >"$work/owned-paths"
comm -23 "$work/files" "$work/owned-paths" >"$work/unowned"

# A path dpkg does not know may be the /usr-merged twin (/lib <-> /usr/lib)
# or a symbolic link (alternatives) of a packaged file.
while IFS= read -r f; do
  case "$f" in
    /usr/lib/*|/usr/bin/*|/usr/sbin/*) echo "${f#/usr}" ;;
    /lib/*|/lib64/*|/bin/*|/sbin/*) echo "/usr$f" ;;
  esac
  r="$(realpath -m "$f")"
  if [ "$r" != "$f" ]; then echo "$r"; fi
done <"$work/unowned" | sort -u | owners >>"$work/owned"

# One line per file: the packages that own it (arch qualifiers dropped).
sed 's/: \/.*$//; s/:[a-z0-9]*\(,\|$\)/\1/g' "$work/owned" | sort -u >"$work/owner-sets"
tr -d ' ' <"$work/owner-sets" | tr ',' '\n' | sort -u >"$work/used"

# --- what the list brings in -------------------------------------------------
sed -e 's/#.*//' -e 's/[[:space:]]//g' "$list" | grep -v '^$' | sort -u >"$work/listed"
xargs -r apt-cache depends --recurse --no-recommends --no-suggests --no-conflicts \
  --no-breaks --no-replaces --no-enhances <"$work/listed" 2>/dev/null |
  sed -e 's/^ *|\{0,1\}\(Pre\)\{0,1\}Depends: //' -e 's/^ *//' -e 's/[<>]//g' -e 's/:[a-z0-9]*$//' |
  grep -v ' ' | sort -u >"$work/closure"
sort -u "$work/listed" "$work/closure" -o "$work/closure"

# A file satisfied by any of its owners counts; otherwise every owner is named.
missing=""
while IFS= read -r set; do
  ok=0
  for p in ${set//,/ }; do
    if grep -qxF "$p" "$work/closure"; then ok=1; break; fi
  done
  if [ $ok -eq 0 ]; then missing+="${set//, / or }"$'\n'; fi
done <"$work/owner-sets"
missing="$(printf '%s' "$missing" | sed '/^$/d' | sort -u)"

echo "check-setup-packages: $(wc -l <"$work/files") files used outside the tree," \
  "$(wc -l <"$work/unowned") not from a package at first look; packages used ($(wc -l <"$work/used")):"
fmt -w 100 "$work/used" | sed 's/^/  /'
if [ $verbose -eq 1 ]; then
  echo "files of no package:"
  while IFS= read -r f; do grep -qF ": $f" "$work/owned" || echo "  $f"; done <"$work/unowned"
fi

if [ -n "$missing" ]; then
  echo "check-setup-packages: used by the build but neither in $list nor pulled in by it:"
  while IFS= read -r m; do
    pkg="${m%% or *}"
    example="$(grep -E "^(.*, )?$pkg(:[a-z0-9]+)?(, .*)?: " "$work/owned" | head -1 | sed 's/^.*: //')"
    echo "  $m   (e.g. $example)"
  done <<<"$missing"
  exit 1
fi
echo "check-setup-packages: OK: each of them is in $list or pulled in by it"
