#!/usr/bin/env bash
# Runs the Windows simulator under Wine with the given arguments, in the Wine
# prefix that tests/wine_compare.sh prepares, and passes its output and exit
# status on.
#
#   reload_wine.sh PREFIX WINDOWS_BIN ARGUMENTS...
set -uo pipefail

prefix=${1:?usage: $0 PREFIX WINDOWS_BIN ARGUMENTS...}
windows_bin=${2:?usage: $0 PREFIX WINDOWS_BIN ARGUMENTS...}
shift 2

export WINEPREFIX=$prefix
export WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml="
export WINEARCH=win64

[ -f "$windows_bin/ambleworks-sim.exe" ] || { echo "FAIL: $windows_bin/ambleworks-sim.exe is missing: build the windows preset" >&2; exit 1; }
# Keeps one server up, as the Wine fixture does (status 2: one is up already).
"${WINESERVER:-wineserver}" -p30 </dev/null >/dev/null 2>&1
# Wine's console output may end its lines in CR LF; the report is read as text.
"${WINE:-wine}" "$windows_bin/ambleworks-sim.exe" "$@" </dev/null | tr -d '\r'
exit "${PIPESTATUS[0]}"
