#!/usr/bin/env bash
# Makes sure a locale exists (default de_DE.UTF-8, a decimal-comma locale the
# tests and the comma-locale CI stage run under): generates it with localedef
# (Debian package `locales`) when `locale -a` does not list it.
set -euo pipefail
loc="${1:-de_DE.UTF-8}"
lang="${loc%%.*}"
charset="${loc#*.}"
# locale -a spells the charset in lower case without the hyphen (de_DE.utf8).
listed="${lang}.$(printf '%s' "$charset" | tr 'A-Z' 'a-z' | tr -d '-')"
if locale -a 2>/dev/null | grep -qx -e "$loc" -e "$listed"; then
  exit 0
fi
SUDO=""
[ "$(id -u)" -eq 0 ] || SUDO="sudo"
$SUDO localedef -i "$lang" -f "$charset" "$loc"
locale -a 2>/dev/null | grep -qx -e "$loc" -e "$listed"
