#!/usr/bin/env bash
# AmbleworksDoctor.exe from the unpacked release zip, run under Wine as a
# player runs it: double-clicked (no argument, started from another folder:
# it reads Ambleworks.ini beside itself), from a command prompt, with a file
# dragged onto it (a path with spaces), with --json, with no INI beside it,
# and pointed at Ambleworks.asi. Checks the exit status and the report, that
# the report is plain ASCII on CR LF lines, and that it says what the Linux
# doctor says of the same files, word for word.
#
#   doctor_exe_wine.sh PREFIX UNPACKED_ZIP_DIR WORKDIR LINUX_SIM
set -uo pipefail
export LC_ALL=C

export WINEPREFIX=$1 WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml=" WINEARCH=win64
unpacked=$2 work=$3 linux_sim=$4
wine=${WINE:-wine}
failures=0
fail() { echo "FAIL: $*" >&2; failures=$((failures + 1)); }

[ -f "$unpacked/AmbleworksDoctor.exe" ] || { echo "FAIL: no $unpacked/AmbleworksDoctor.exe (run release_zip first)" >&2; exit 1; }
rm -rf "$work" && mkdir -p "$work/game" "$work/elsewhere" "$work/my files"
cp "$unpacked"/* "$work/game/"
"${WINESERVER:-wineserver}" -p30 </dev/null >/dev/null 2>&1

# run NAME EXPECTED_STATUS ARGS...: runs the doctor from $work/elsewhere.
run() {
  local name=$1 expected=$2
  shift 2
  (cd "$work/elsewhere" && "$wine" "$@" </dev/null >"$work/$name.out" 2>"$work/$name.err")
  local status=$?
  [ "$status" = "$expected" ] || fail "$name: exit status $status, expected $expected ($(head -c 300 "$work/$name.out"))"
  if LC_ALL=C grep -q $'[^\r -~]' "$work/$name.out"; then
    fail "$name: the report holds bytes beyond printable ASCII"
  fi
  if grep -q $'[^\r]$' "$work/$name.out" || [ ! -s "$work/$name.out" ]; then
    fail "$name: the report's lines do not all end in CR LF"
  fi
  grep -q "Press Enter" "$work/$name.out" && fail "$name: waits for Enter, though it shares its console"
}

expect() {
  local name=$1 text=$2
  grep -qF "$text" "$work/$name.out" || fail "$name: the report lacks \"$text\""
}

exe_windows=$(winepath -w "$work/game/AmbleworksDoctor.exe" 2>/dev/null)

run double-click 0 "$work/game/AmbleworksDoctor.exe"
expect double-click "Ambleworks.ini doctor: $(winepath -w "$work/game/Ambleworks.ini" 2>/dev/null)"
expect double-click "The file loads whole ("
run command-prompt 0 cmd /c "$exe_windows"
expect command-prompt "The file loads whole ("

printf '[MouseWheel]\r\nSPEED_INCREMENT = 0,1\r\n[Shift]\r\nSHIFT_TAP_CUSTOM_SPEED = fast\r\n[WalkControl]\r\nWALK_CONTROL_KEY = Left Alt ; either\r\n' >"$work/my files/Ambleworks (copy).ini"
dragged=$(winepath -w "$work/my files/Ambleworks (copy).ini" 2>/dev/null)
run dragged 1 "$work/game/AmbleworksDoctor.exe" "$dragged"
expect dragged "SPEED_INCREMENT = 0,1 reads as 0.1: a comma between two digits counts as the decimal point."
expect dragged "WALK_CONTROL_KEY = Left Alt reads as Alt, 0x12"
expect dragged "The file loads, but line 4 cannot be read"
run json 1 "$work/game/AmbleworksDoctor.exe" --json "$dragged"
expect json '"exitStatus": 1'
expect json '"kind": "decimal-comma"'
expect json '"error": "invalid stof argument"'

run the-asi 1 "$work/game/AmbleworksDoctor.exe" "$(winepath -w "$work/game/Ambleworks.asi" 2>/dev/null)"
expect the-asi "This is not a settings file: it is a program file"

# The same verdict as the Linux build, but for the file's name on the first line.
same_as_linux() {
  local name=$1 file=$2
  shift 2
  "$linux_sim" doctor "$file" "$@" >"$work/$name.linux" 2>&1
  diff <(tr -d '\r' <"$work/$name.out" | sed 1d) <(sed 1d "$work/$name.linux") >"$work/$name.diff" ||
    fail "$name: the report differs from the Linux doctor's (see $work/$name.diff)"
}
same_as_linux double-click "$work/game/Ambleworks.ini"
same_as_linux dragged "$work/my files/Ambleworks (copy).ini"
same_as_linux the-asi "$work/game/Ambleworks.asi"
tr -d '\r' <"$work/json.out" | sed 's/"file": .*//' >"$work/json.windows"
"$linux_sim" doctor "$work/my files/Ambleworks (copy).ini" --json | sed 's/"file": .*//' >"$work/json.linux"
cmp -s "$work/json.windows" "$work/json.linux" || fail "json: differs from the Linux doctor's"

rm "$work/game/Ambleworks.ini"
run missing 2 "$work/game/AmbleworksDoctor.exe"
expect missing "Cannot read the file."

if [ "$failures" -ne 0 ]; then
  echo "$failures problem(s) with AmbleworksDoctor.exe under Wine (outputs in $work)" >&2
  exit 1
fi
echo "AmbleworksDoctor.exe under Wine: double-click, command prompt, dragged file, --json, the .asi, missing INI as expected"
