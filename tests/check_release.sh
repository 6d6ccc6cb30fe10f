#!/usr/bin/env bash
# Makes the player's release zip from the Windows build, unpacks it as a
# player would, and checks what is inside: exactly Ambleworks.asi,
# AmbleworksDoctor.exe, Ambleworks.ini and README.txt at the top; the INI is
# the shipped one and both text files have Windows (CR LF) line ends; the
# README covers every INI key and hotkey; the .asi meets the host boundary;
# the doctor needs no DLL a game folder lacks; both programs carry a version
# resource with the project's version.
#
#   check_release.sh WINDOWS_BUILD_DIR SOURCE_DIR ARTIFACT_CHECKER WORKDIR
set -uo pipefail
export LC_ALL=C

build=$1 source=$2 checker=$3 work=$4
failures=0
fail() { echo "FAIL: $*" >&2; failures=$((failures + 1)); }

rm -rf "$work" && mkdir -p "$work/unpacked"
if ! cpack --config "$build/CPackConfig.cmake" -B "$work" >"$work/cpack.log" 2>&1; then
  cat "$work/cpack.log" >&2
  echo "FAIL: cpack could not make the release" >&2
  exit 1
fi

version=$(sed -n 's/^set(CPACK_PACKAGE_VERSION "\(.*\)")$/\1/p' "$build/CPackConfig.cmake")
zip="$work/Ambleworks-$version.zip"
[ -n "$version" ] || fail "no package version in $build/CPackConfig.cmake"
[ -f "$zip" ] || { echo "FAIL: $zip was not made" >&2; exit 1; }

contents=$(unzip -Z1 "$zip" | sort | tr '\n' ' ')
[ "$contents" = "Ambleworks.asi Ambleworks.ini AmbleworksDoctor.exe README.txt " ] ||
  fail "the zip holds [$contents], not exactly Ambleworks.asi, Ambleworks.ini, AmbleworksDoctor.exe, README.txt"

unzip -q "$zip" -d "$work/unpacked" || fail "the zip does not unpack"
cmp -s "$work/unpacked/Ambleworks.ini" <(sed 's/\r$//; s/$/\r/' "$source/Ambleworks.ini") ||
  fail "the zip's Ambleworks.ini differs from the shipped one (with CR LF line ends)"
for text in Ambleworks.ini README.txt; do
  lines=$(wc -l <"$work/unpacked/$text")
  crlf=$(grep -c $'\r$' "$work/unpacked/$text")
  [ "$lines" -gt 0 ] && [ "$lines" = "$crlf" ] ||
    fail "$text: $crlf of its $lines lines end in CR LF"
done

readme="$work/unpacked/README.txt"
for key in ENABLED MOUSE_WHEEL_ENABLED SPEED_INCREMENT SHIFT_TAP_ENABLED \
    SHIFT_TAP_LIGHT_RUN_ENABLED SHIFT_TAP_CUSTOM_SPEED SHIFT_TAP_STOP_RUNNING \
    WALK_CONTROL_ENABLED FAST_WALK_ENABLED FAST_WALK_CUSTOM_SPEED SLOW_WALK_ENABLED \
    SLOW_WALK_CUSTOM_SPEED WALK_CONTROL_KEY REMEMBER_FAST_WALK \
    KEEP_CUSTOM_SPEED_AFTER_STOPPING_MODE RESPECT_BOUNDARIES ABLE_TO_OVERRIDE_BOUNDARIES \
    DISABLE_AUTO_RUN_IN_FIRST_PERSON_CAMERA MINIMUM_SPEED; do
  grep -q "^  $key = " "$readme" || fail "README.txt does not describe $key with its default"
  grep -qi "^$key *=" "$work/unpacked/Ambleworks.ini" || fail "Ambleworks.ini lacks $key"
done
for text in "End + Numpad 1" "End + Numpad 2" "End + Numpad 3" "ScriptHookRDR2.dll" \
    "INSTALLING" "TROUBLESHOOTING" "AmbleworksDoctor.exe"; do
  grep -qF "$text" "$readme" || fail "README.txt does not mention '$text'"
done

bash "$checker" windows "$work/unpacked/Ambleworks.asi" || fail "the packed Ambleworks.asi breaks the host boundary"

# The doctor is a 64-bit console program that a game folder can run: no DLL
# beyond the system's (the MinGW runtimes are inside it).
objdump=${OBJDUMP:-x86_64-w64-mingw32-objdump}
doctor="$work/unpacked/AmbleworksDoctor.exe"
dump=$("$objdump" -p "$doctor" 2>&1) || fail "objdump cannot read AmbleworksDoctor.exe: $dump"
grep -q 'file format pei-x86-64' <<<"$dump" || fail "AmbleworksDoctor.exe is not a 64-bit Windows program"
grep -q 'Subsystem.*(Windows CUI)' <<<"$dump" || fail "AmbleworksDoctor.exe is not a console program"
for dll in $(grep -E '^[[:space:]]*DLL Name:' <<<"$dump" | awk '{ print $3 }' | sort -u); do
  case "$(tr '[:upper:]' '[:lower:]' <<<"$dll")" in
    kernel32.dll|msvcrt.dll|ucrtbase.dll|api-ms-win-crt-*.dll) ;;
    *) fail "AmbleworksDoctor.exe imports $dll, which a game folder does not have" ;;
  esac
done

# The version resource, as Explorer's Properties show it: the strings (UTF-16
# in the resource section, read here without their zero bytes) and the fixed
# file version, four 16-bit numbers after the signature FEEF04BD.
objcopy=${OBJCOPY:-x86_64-w64-mingw32-objcopy}
IFS=. read -r major minor patch <<<"$version"
for program in Ambleworks.asi AmbleworksDoctor.exe; do
  rsrc="$work/$program.rsrc"
  "$objcopy" -O binary --only-section=.rsrc "$work/unpacked/$program" "$rsrc" 2>/dev/null ||
    { fail "$program has no resource section"; continue; }
  strings=$(tr -d '\000' <"$rsrc")
  for pair in "ProductNameAmbleworks" "ProductVersion$version" "FileVersion$version" \
      "OriginalFilename$program" "FileDescriptionAmbleworks"; do
    grep -aqF "$pair" <<<"$strings" || fail "$program: the version resource lacks ${pair} (name and value)"
  done
  fixed=$(od -An -v -tx1 "$rsrc" | tr -d ' \n' | grep -o 'bd04effe00000100.\{16\}' | head -1)
  want=$(printf '%04x%04x%04x%04x' "$minor" "$major" 0 "$patch" |
    sed 's/\(..\)\(..\)\(..\)\(..\)\(..\)\(..\)\(..\)\(..\)/\2\1\4\3\6\5\8\7/')
  [ "${fixed:16}" = "$want" ] || fail "$program: the fixed file version is ${fixed:16}, not $version ($want)"
done

if [ "$failures" -ne 0 ]; then
  echo "$failures problem(s) with the release" >&2
  exit 1
fi
echo "release $zip: contents and Ambleworks.asi as required"
