#!/usr/bin/env bash
# Runs the Windows simulator with the real Ambleworks.asi under Wine and holds
# it to the Linux simulator with Ambleworks.so: same trace byte for byte, same
# messages, same exit status.
#
#   wine_compare.sh prepare PREFIX WINDOWS_BIN
#       Checks that the Windows build is there, makes the Wine prefix on first
#       use and starts a Wine server that stays up between the runs.
#   wine_compare.sh trace PREFIX WINDOWS_BIN LINUX_SIM OUT_DIR SCENARIO
#       Plays SCENARIO with `run` on both platforms and compares.
#   wine_compare.sh check PREFIX WINDOWS_BIN LINUX_SIM OUT_DIR NAME STATUS SCENARIO...
#       Plays the scenarios with `check` on both platforms, compares, and
#       requires the exit status STATUS (0: all pass, 1: some fail).
#
# Scenario paths are relative to the current directory, which Wine sees as
# the same folder (through its Z: drive), so both programs print the same
# paths in their messages.
set -uo pipefail

command=${1:-}
prefix=${2:-}
windows_bin=${3:-}
shift 3 || { echo "usage: $0 prepare|trace|check PREFIX WINDOWS_BIN ..." >&2; exit 2; }

export WINEPREFIX=$prefix
export WINEDEBUG=-all
# No Mono or Gecko installers: the simulator needs neither.
export WINEDLLOVERRIDES="mscoree,mshtml="
export WINEARCH=win64

wine_program=${WINE:-wine}
wineserver_program=${WINESERVER:-wineserver}

die() { echo "FAIL: $*" >&2; exit 1; }

# One server for the whole batch: each run then starts in a fraction of a
# second instead of seconds. It ends by itself 30 s after the last run. Its
# output goes nowhere: a server holding a test's output pipe open would keep
# CTest waiting until it ends. Status 2 means a server is already up.
start_server() {
  local status=0
  "$wineserver_program" -p30 </dev/null >/dev/null 2>&1 || status=$?
  [ "$status" -eq 0 ] || [ "$status" -eq 2 ]
}

prepare() {
  command -v "$wine_program" >/dev/null ||
    die "wine is not installed (Debian: apt-get install wine wine64)"
  command -v "$wineserver_program" >/dev/null ||
    die "wineserver is not installed (Debian: apt-get install wine wine64)"
  for file in ambleworks-sim.exe ScriptHookRDR2.dll Ambleworks.asi; do
    [ -f "$windows_bin/$file" ] ||
      die "$windows_bin/$file is missing: build the Windows preset first (cmake --preset windows && cmake --build --preset windows)"
  done

  mkdir -p "$prefix"
  if [ ! -f "$prefix/system.reg" ]; then
    echo "making the Wine prefix $prefix (once; this can take a minute)"
    "$wine_program" wineboot -i </dev/null >/dev/null 2>&1 || die "wineboot could not make the prefix $prefix"
    # Let the server write the new registry out before anyone relies on it.
    "$wineserver_program" -w </dev/null >/dev/null 2>&1
  fi
  # Paths given to the Windows simulator go through the Z: drive.
  [ -e "$prefix/dosdevices/z:" ] || die "the Wine prefix $prefix has no Z: drive for the file system root"

  start_server || die "cannot start the Wine server"
  echo "Wine ready: $("$wine_program" --version </dev/null 2>/dev/null), prefix $prefix"
}

# Runs one simulator command line on both platforms; leaves OUT/NAME.linux.*
# and OUT/NAME.windows.* (out, err, status) behind for a look after a failure.
run_both() {
  local out=$1 name=$2
  shift 2
  # Keeps the server up when other tests ran long since the last Wine run.
  start_server || true
  "$linux_sim" "$@" >"$out/$name.linux.out" 2>"$out/$name.linux.err"
  echo $? >"$out/$name.linux.status"
  "$wine_program" "$windows_bin/ambleworks-sim.exe" "$@" </dev/null >"$out/$name.windows.out" 2>"$out/$name.windows.err"
  echo $? >"$out/$name.windows.status"
}

# Compares what both platforms left behind for NAME; prints each difference.
compare_both() {
  local out=$1 name=$2 differences=0
  for part in out err status; do
    if ! cmp -s "$out/$name.linux.$part" "$out/$name.windows.$part"; then
      differences=$((differences + 1))
      echo "FAIL: $name: the $part of the Windows run differs from Linux (< Linux, > Windows under Wine):" >&2
      diff "$out/$name.linux.$part" "$out/$name.windows.$part" | head -n 40 >&2
      if grep -q $'\r' "$out/$name.windows.$part"; then
        echo "  (the Windows $part contains CR characters)" >&2
      fi
    fi
  done
  return $differences
}

case "$command" in
  prepare)
    prepare
    ;;
  trace)
    linux_sim=$1 out=$2 scenario=$3
    mkdir -p "$out"
    name=$(basename "$scenario" .scn)
    run_both "$out" "$name" run "$scenario"
    compare_both "$out" "$name" || exit 1
    status=$(cat "$out/$name.linux.status")
    # A scenario that cannot even be played compares nothing.
    if [ "$status" -ge 2 ]; then
      echo "FAIL: $scenario cannot be played (exit status $status):" >&2
      cat "$out/$name.linux.err" >&2
      exit 1
    fi
    if [ ! -s "$out/$name.linux.out" ]; then
      die "$scenario gave an empty trace"
    fi
    echo "$scenario: $(wc -l <"$out/$name.linux.out") trace lines, the same under Wine (exit status $status on both)"
    ;;
  check)
    linux_sim=$1 out=$2 name=$3 expected=$4
    shift 4
    mkdir -p "$out"
    run_both "$out" "$name" check "$@"
    compare_both "$out" "$name" || exit 1
    cat "$out/$name.windows.out"
    status=$(cat "$out/$name.windows.status")
    if [ "$status" != "$expected" ]; then
      cat "$out/$name.windows.err" >&2
      die "check exited with status $status under Wine and on Linux; expected $expected"
    fi
    ;;
  *)
    echo "usage: $0 prepare|trace|check PREFIX WINDOWS_BIN ..." >&2
    exit 2
    ;;
esac
