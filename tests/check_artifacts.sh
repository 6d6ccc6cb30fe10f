#!/usr/bin/env bash
# Checks that a built plug-in meets its host boundary: what it exports, what
# it imports and from where, and which libraries it needs at load time.
#
#   check_artifacts.sh linux   Ambleworks.so
#   check_artifacts.sh windows Ambleworks.asi
#
# Prints every finding and exits non-zero when there is any. Tool names can be
# overridden with NM, READELF and OBJDUMP.
set -uo pipefail
export LC_ALL=C

mode=${1:-}
artifact=${2:-}

fail() { echo "FAIL: $*" >&2; failures=$((failures + 1)); }
failures=0

if [ -z "$mode" ] || [ -z "$artifact" ]; then
  echo "usage: $0 linux|windows ARTIFACT" >&2
  exit 2
fi
if [ ! -f "$artifact" ]; then
  echo "FAIL: $artifact does not exist (build it first)" >&2
  exit 1
fi

# The eight hook functions under the names ScriptHookRDR2.dll exports them.
decorated_imports=(
  '?scriptRegister@@YAXPEAUHINSTANCE__@@P6AXXZ@Z'
  '?scriptUnregister@@YAXPEAUHINSTANCE__@@@Z'
  '?scriptWait@@YAXK@Z'
  '?keyboardHandlerRegister@@YAXP6AXKGEHHHH@Z@Z'
  '?keyboardHandlerUnregister@@YAXP6AXKGEHHHH@Z@Z'
  '?nativeInit@@YAX_K@Z'
  '?nativePush64@@YAX_K@Z'
  '?nativeCall@@YAPEA_KXZ'
)
# The same eight as plain C symbols, plus the clock: the Linux imports.
plain_imports=(
  scriptRegister scriptUnregister scriptWait
  keyboardHandlerRegister keyboardHandlerUnregister
  nativeInit nativePush64 nativeCall
  GetTickCount
)

# Compares two newline-separated name lists; reports what is missing from
# the second and what is there beyond the first.
compare_sets() {
  local what=$1 expected=$2 actual=$3
  local missing extra
  missing=$(comm -23 <(sort -u <<<"$expected" | sed '/^$/d') <(sort -u <<<"$actual" | sed '/^$/d'))
  extra=$(comm -13 <(sort -u <<<"$expected" | sed '/^$/d') <(sort -u <<<"$actual" | sed '/^$/d'))
  if [ -n "$missing" ]; then
    fail "$what: missing: $(paste -sd' ' <<<"$missing")"
  fi
  if [ -n "$extra" ]; then
    fail "$what: unexpected: $(paste -sd' ' <<<"$extra")"
  fi
}

check_linux() {
  local nm=${NM:-nm} readelf=${READELF:-readelf}
  local defined undefined ours needed

  if ! defined=$("$nm" -D --defined-only "$artifact" 2>&1); then
    fail "nm could not read $artifact: $defined"
    return
  fi
  # Defined dynamic symbols: DllMain and nothing else.
  compare_sets "exported symbols" "DllMain" "$(awk 'NF >= 3 { print $3 }' <<<"$defined")"

  undefined=$("$nm" -D --undefined-only "$artifact")
  # Everything the C and C++ runtimes provide carries their symbol versions;
  # the four weak hooks that every shared object refers to carry none.
  ours=$(awk '{ print $NF }' <<<"$undefined" \
    | grep -Ev '@(GLIBC|GLIBCXX|CXXABI|GCC)_[0-9.]+$' \
    | grep -Ev '^(_ITM_deregisterTMCloneTable|_ITM_registerTMCloneTable|__gmon_start__|__cxa_finalize)$')
  compare_sets "imported symbols (apart from the C and C++ runtime)" \
    "$(printf '%s\n' "${plain_imports[@]}")" "$ours"

  # The plug-in is linked against no host library: any host that exports the
  # nine can load it.
  needed=$("$readelf" -d "$artifact" | sed -n 's/.*(NEEDED).*\[\(.*\)\]/\1/p')
  while IFS= read -r lib; do
    [ -z "$lib" ] && continue
    case "$lib" in
      libc.so.*|libm.so.*|libstdc++.so.*|libgcc_s.so.*) ;;
      *) fail "needed library beyond the C and C++ runtime: $lib" ;;
    esac
  done <<<"$needed"
}

# Prints "DLL<TAB>name" for every import in objdump's import tables.
pe_imports() {
  awk '
    /^[[:space:]]*DLL Name:/ { dll = $3; inlist = 0; next }
    dll != "" && /Member-Name/ { inlist = 1; next }
    inlist && /^[[:space:]]*$/ { inlist = 0; dll = ""; next }
    inlist { print dll "\t" $NF }
  ' <<<"$1"
}

# Prints the names in objdump's export name table.
pe_exports() {
  awk '
    /^\[Ordinal\/Name Pointer\] Table/ { inlist = 1; next }
    inlist && /^[[:space:]]*$/ { inlist = 0; next }
    inlist { print $NF }
  ' <<<"$1"
}

check_windows() {
  local objdump=${OBJDUMP:-x86_64-w64-mingw32-objdump}
  local dump imports dlls

  if ! dump=$("$objdump" -p "$artifact" 2>&1); then
    fail "objdump could not read $artifact: $dump"
    return
  fi
  if ! grep -q 'file format pei-x86-64' <<<"$dump"; then
    fail "not a 64-bit Windows PE file"
  fi
  if ! sed -n '/^Characteristics/,/^$/p' <<<"$dump" | grep -qx '[[:space:]]*DLL'; then
    fail "not a DLL"
  fi

  imports=$(pe_imports "$dump")

  compare_sets "imports from ScriptHookRDR2.dll" \
    "$(printf '%s\n' "${decorated_imports[@]}")" \
    "$(awk -F'\t' '$1 == "ScriptHookRDR2.dll" { print $2 }' <<<"$imports")"

  if ! awk -F'\t' 'toupper($1) == "KERNEL32.DLL" && $2 == "GetTickCount" { found = 1 } END { exit !found }' <<<"$imports"; then
    fail "GetTickCount is not imported from KERNEL32.dll"
  fi
  local elsewhere
  elsewhere=$(awk -F'\t' 'toupper($1) != "KERNEL32.DLL" && $2 == "GetTickCount" { print $1 }' <<<"$imports")
  if [ -n "$elsewhere" ]; then
    fail "GetTickCount is also imported from: $elsewhere"
  fi

  # A game folder holds the host's library and the system's, nothing else:
  # the MinGW runtimes must be inside the plug-in.
  dlls=$(grep -E '^[[:space:]]*DLL Name:' <<<"$dump" | awk '{ print $3 }' | sort -u)
  while IFS= read -r dll; do
    [ -z "$dll" ] && continue
    case "$(tr '[:upper:]' '[:lower:]' <<<"$dll")" in
      libstdc++-6.dll|libgcc_s_seh-1.dll|libwinpthread-1.dll|libgcc_s_*.dll)
        fail "imports the MinGW runtime DLL $dll (link it statically)" ;;
      scripthookrdr2.dll|kernel32.dll|msvcrt.dll|ucrtbase.dll|api-ms-win-crt-*.dll) ;;
      *) fail "imports $dll, which a game folder does not have" ;;
    esac
  done <<<"$dlls"

  compare_sets "exported names" "DllMain" "$(pe_exports "$dump")"
}

case "$mode" in
  linux) check_linux ;;
  windows) check_windows ;;
  *) echo "usage: $0 linux|windows ARTIFACT" >&2; exit 2 ;;
esac

if [ "$failures" -ne 0 ]; then
  echo "$artifact: $failures problem(s) at the host boundary" >&2
  exit 1
fi
echo "$artifact: host boundary as expected"
