#!/usr/bin/env bash
# Makes the player's release zip from the Windows build, unpacks it as a
# player would, and checks what is inside: exactly Ambleworks.asi,
# Ambleworks.ini and README.txt at the top; the INI is the shipped one; the
# README covers every INI key and hotkey; the .asi meets the host boundary.
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
[ "$contents" = "Ambleworks.asi Ambleworks.ini README.txt " ] ||
  fail "the zip holds [$contents], not exactly Ambleworks.asi, Ambleworks.ini, README.txt"

unzip -q "$zip" -d "$work/unpacked" || fail "the zip does not unpack"
cmp -s "$work/unpacked/Ambleworks.ini" "$source/Ambleworks.ini" ||
  fail "the zip's Ambleworks.ini differs from the shipped one"

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
for text in "End + Numpad1" "End + Numpad2" "End + Numpad3" "ScriptHookRDR2.dll" \
    "INSTALLING" "TROUBLESHOOTING" "AmbleworksDoctor.exe"; do
  grep -qF "$text" "$readme" || fail "README.txt does not mention '$text'"
done

bash "$checker" windows "$work/unpacked/Ambleworks.asi" || fail "the packed Ambleworks.asi breaks the host boundary"

if [ "$failures" -ne 0 ]; then
  echo "$failures problem(s) with the release" >&2
  exit 1
fi
echo "release $zip: contents and Ambleworks.asi as required"
