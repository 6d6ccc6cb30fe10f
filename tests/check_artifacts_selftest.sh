#!/usr/bin/env bash
# Shows that check_artifacts.sh catches the faults it is there for: builds
# small libraries that break the host boundary in known ways and requires the
# checker to reject each one with the finding that names the fault.
#
#   check_artifacts_selftest.sh CHECKER WORKDIR
set -euo pipefail

checker=$1
work=$2
rm -rf "$work"
mkdir -p "$work"
cd "$work"

CXX=${CXX:-g++}
MINGW_CXX=${MINGW_CXX:-x86_64-w64-mingw32-g++}
problems=0

# Runs the checker on ARTIFACT and requires it to fail and print every
# expected text.
expect_rejected() {
  local mode=$1 artifact=$2
  shift 2
  local out
  if out=$("$checker" "$mode" "$artifact" 2>&1); then
    echo "checker accepted $artifact, which it must reject" >&2
    problems=$((problems + 1))
    return
  fi
  for text in "$@"; do
    if ! grep -qF -- "$text" <<<"$out"; then
      echo "checker output for $artifact lacks: $text" >&2
      echo "$out" | sed 's/^/    /' >&2
      problems=$((problems + 1))
    fi
  done
}

# Linux: a second exported symbol, a foreign import, two imports missing, and
# a library that is neither the C nor the C++ runtime.
cat >leaky.cpp <<'EOF'
#include <cstdint>
extern "C" {
void scriptRegister(void*, void (*)(void));
void scriptUnregister(void*);
void scriptWait(uint32_t);
void keyboardHandlerRegister(void*);
void keyboardHandlerUnregister(void*);
void nativeInit(uint64_t);
uint64_t* nativeCall(void);
void hostExtra(void);
__attribute__((visibility("default"))) int32_t DllMain(void* m, uint32_t r, void*)
{
    if (r == 1) { scriptRegister(m, nullptr); keyboardHandlerRegister(nullptr); }
    if (r == 0) { scriptUnregister(m); keyboardHandlerUnregister(nullptr); }
    scriptWait(0); nativeInit(1); hostExtra();
    return static_cast<int32_t>(*nativeCall());
}
__attribute__((visibility("default"))) int32_t leakedHelper(void) { return 7; }
}
EOF
"$CXX" -shared -fPIC -fvisibility=hidden -o leaky.so leaky.cpp -Wl,--no-as-needed -lz 2>/dev/null \
  || "$CXX" -shared -fPIC -fvisibility=hidden -o leaky.so leaky.cpp -Wl,--no-as-needed -ldl
expect_rejected linux leaky.so \
  "exported symbols: unexpected: leakedHelper" \
  "missing: GetTickCount nativePush64" \
  "unexpected: hostExtra" \
  "needed library beyond the C and C++ runtime"

# Windows: the hook functions imported under their plain names (an import
# library without the decorated bindings), the C++ runtime as DLLs, no clock,
# and a second export.
cat >leaky_win.cpp <<'EOF'
#include <cstdint>
#include <string>
extern "C" {
__declspec(dllimport) void scriptRegister(void*, void (*)(void));
__declspec(dllimport) void scriptWait(uint32_t);
__declspec(dllexport) int __stdcall DllMain(void* m, unsigned long r, void*)
{
    if (r == 1) scriptRegister(m, nullptr);
    scriptWait(0);
    return static_cast<int>(std::to_string(r).size());
}
__declspec(dllexport) int leakedHelper(void) { return 7; }
}
EOF
cat >plain.def <<'EOF'
LIBRARY ScriptHookRDR2.dll
EXPORTS
    scriptRegister
    scriptWait
EOF
x86_64-w64-mingw32-dlltool --input-def plain.def --dllname ScriptHookRDR2.dll --output-lib libplain.a
"$MINGW_CXX" -shared -o leaky.asi leaky_win.cpp -L. -lplain -shared-libgcc
expect_rejected windows leaky.asi \
  "imports from ScriptHookRDR2.dll: missing:" \
  "unexpected: scriptRegister scriptWait" \
  "GetTickCount is not imported from KERNEL32.dll" \
  "imports the MinGW runtime DLL libstdc++-6.dll" \
  "exported names: unexpected: leakedHelper"

# Not a library of the right kind at all.
printf 'not a library\n' >garbage.asi
expect_rejected windows garbage.asi "objdump could not read"
expect_rejected linux missing.so "does not exist"

if [ "$problems" -ne 0 ]; then
  echo "$problems fault(s) slipped past the artifact checker" >&2
  exit 1
fi
echo "artifact checker rejects every faulty library"
