#!/usr/bin/env bash
# Makes the player's release zip from the Windows build, unpacks it as a
# player would, and checks what is inside: exactly Ambleworks.asi,
# AmbleworksDoctor.exe, Ambleworks.ini, README.txt, CHANGELOG.txt and
# SHA256SUMS.txt at the top, and AmbleworksSettings.html when the build names
# the page (AMBLEWORKS_SETTINGS_PAGE), byte for byte that file; the INI and
# the CHANGELOG are the shipped ones, the CHANGELOG has an entry for this
# version, and every text file has Windows (CR LF) line ends; SHA256SUMS.txt
# lists every other file once and `sha256sum -c` passes in the unpacked
# folder; Ambleworks-<version>.zip.sha256 stands beside the zip and checks
# it; the README covers every INI key and hotkey; the .asi meets the host
# boundary; the doctor needs no DLL a game folder lacks; both programs carry
# a version resource with the project's version.
#
#   check_release.sh WINDOWS_BUILD_DIR SOURCE_DIR ARTIFACT_CHECKER WORKDIR
set -uo pipefail
export LC_ALL=C

build=$1 source=$2 checker=$3 work=$4
failures=0
fail() { echo "FAIL: $*" >&2; failures=$((failures + 1)); }

rm -rf "$work" && mkdir -p "$work/unpacked"
page=$(sed -n 's/^AMBLEWORKS_SETTINGS_PAGE:FILEPATH=//p' "$build/CMakeCache.txt")
if [ -n "$page" ] && [ ! -f "$page" ]; then
  echo "FAIL: the Windows build packs the settings page $page, which is not built:" \
    "cmake --preset web && cmake --build --preset settings-page (or configure the windows" \
    "build with -DAMBLEWORKS_SETTINGS_PAGE= for a zip without the page)" >&2
  exit 1
fi
if ! cpack --config "$build/CPackConfig.cmake" -B "$work" >"$work/cpack.log" 2>&1; then
  cat "$work/cpack.log" >&2
  echo "FAIL: cpack could not make the release" >&2
  exit 1
fi

version=$(sed -n 's/^set(CPACK_PACKAGE_VERSION "\(.*\)")$/\1/p' "$build/CPackConfig.cmake")
zip="$work/Ambleworks-$version.zip"
[ -n "$version" ] || fail "no package version in $build/CPackConfig.cmake"
[ -f "$zip" ] || { echo "FAIL: $zip was not made" >&2; exit 1; }

expected="Ambleworks.asi Ambleworks.ini AmbleworksDoctor.exe CHANGELOG.txt README.txt SHA256SUMS.txt "
[ -n "$page" ] && expected="Ambleworks.asi Ambleworks.ini AmbleworksDoctor.exe AmbleworksSettings.html CHANGELOG.txt README.txt SHA256SUMS.txt "
contents=$(unzip -Z1 "$zip" | sort | tr '\n' ' ')
[ "$contents" = "$expected" ] || fail "the zip holds [$contents], not exactly [$expected]"

unzip -q "$zip" -d "$work/unpacked" || fail "the zip does not unpack"
for text in Ambleworks.ini CHANGELOG.txt; do
  shipped=$source/$text
  [ "$text" = CHANGELOG.txt ] && shipped=$source/docs/player/CHANGELOG.txt
  cmp -s "$work/unpacked/$text" <(sed 's/\r$//; s/$/\r/' "$shipped") ||
    fail "the zip's $text differs from the shipped one (with CR LF line ends)"
done
for text in Ambleworks.ini README.txt CHANGELOG.txt SHA256SUMS.txt; do
  lines=$(wc -l <"$work/unpacked/$text")
  crlf=$(grep -c $'\r$' "$work/unpacked/$text")
  [ "$lines" -gt 0 ] && [ "$lines" = "$crlf" ] ||
    fail "$text: $crlf of its $lines lines end in CR LF"
done
grep -qx "$version"$'\r' "$work/unpacked/CHANGELOG.txt" || fail "CHANGELOG.txt has no entry for $version"
if [ -n "$page" ]; then
  cmp -s "$work/unpacked/AmbleworksSettings.html" "$page" ||
    fail "the zip's AmbleworksSettings.html is not the page's build ($page)"
fi

# The checksums: one line for each other file, checked as a player would.
sums="$work/unpacked/SHA256SUMS.txt"
listed=$(sed 's/\r$//; s/^[0-9a-f]\{64\}  //' "$sums" | sort | tr '\n' ' ')
[ "$listed" = "${expected/SHA256SUMS.txt /}" ] ||
  fail "SHA256SUMS.txt lists [$listed], not each other file of the zip once"
(cd "$work/unpacked" && sha256sum --check --strict --quiet SHA256SUMS.txt) ||
  fail "sha256sum -c SHA256SUMS.txt fails in the unpacked zip"
beside="$zip.sha256"
if [ -f "$beside" ]; then
  grep -qx "[0-9a-f]\{64\}  Ambleworks-$version.zip" "$beside" ||
    fail "$(basename "$beside") is not the one line '<sha256>  Ambleworks-$version.zip'"
  (cd "$work" && sha256sum --check --strict --quiet "$(basename "$beside")") ||
    fail "$(basename "$beside") does not match the zip"
else
  fail "no $(basename "$beside") beside the zip"
fi

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
