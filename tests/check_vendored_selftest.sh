#!/usr/bin/env bash
# Shows that scripts/check-vendored catches what it is there for: on a copy
# of third_party/ and the two scripts, each case breaks the copy in one way
# and requires the checker to reject it with the words that name the fault.
#
#   check_vendored_selftest.sh SOURCE_DIR WORKDIR
set -euo pipefail

source_dir=$1
work=$2
problems=0

# A fresh copy of what the checker reads, in WORKDIR/tree.
fresh_copy() {
  rm -rf "$work"
  mkdir -p "$work/tree/scripts"
  cp -r "$source_dir/third_party" "$work/tree/"
  cp "$source_dir/scripts/check-vendored" "$source_dir/scripts/amalgamate-json" "$work/tree/scripts/"
}

# Runs the checker on the copy; with "accepted" it must pass, otherwise fail
# and print every text given.
expect() {
  local verdict=$1 what=$2
  shift 2
  local out status=0
  out=$("$work/tree/scripts/check-vendored" 2>&1) || status=$?
  if [ "$verdict" = accepted ] && [ "$status" -ne 0 ]; then
    echo "checker rejected $what:" >&2
    echo "$out" | sed 's/^/    /' >&2
    problems=$((problems + 1))
  elif [ "$verdict" = rejected ] && [ "$status" -eq 0 ]; then
    echo "checker accepted $what, which it must reject" >&2
    problems=$((problems + 1))
  fi
  for text in "$@"; do
    if ! grep -qF -- "$text" <<<"$out"; then
      echo "checker output for $what lacks: $text" >&2
      echo "$out" | sed 's/^/    /' >&2
      problems=$((problems + 1))
    fi
  done
}

installed() {
  dpkg-query -W -f='${Status}' "$1" 2>/dev/null | grep -q "install ok installed"
}

fresh_copy
expect accepted "third_party/ as it is" "files as recorded"

fresh_copy
sed -i '0,/parse_error/s//parse_fault/' "$work/tree/third_party/nlohmann/include/nlohmann/json.hpp"
expect rejected "a reworded json.hpp" "nlohmann/include/nlohmann/json.hpp differs from its recorded SHA-256"

fresh_copy
echo "// ours" >"$work/tree/third_party/CLI11/include/CLI/Extra.hpp"
expect rejected "a file added to third_party/" "third_party/CLI11/include/CLI/Extra.hpp is not listed"

fresh_copy
rm "$work/tree/third_party/CLI11/LICENSE"
expect rejected "a vendored file taken out" "third_party/CLI11/LICENSE is listed in third_party/vendored.txt but missing"

# An edit recorded as the new hash is still caught where the package is
# installed: the file is no longer what the package gives.
if installed libcli11-dev && installed nlohmann-json3-dev; then
  fresh_copy
  header=$work/tree/third_party/CLI11/include/CLI/Version.hpp
  old=$(sha256sum <"$header" | cut -d' ' -f1)
  echo "// edited" >>"$header"
  new=$(sha256sum <"$header" | cut -d' ' -f1)
  sed -i "s/$old/$new/" "$work/tree/third_party/vendored.txt"
  expect rejected "an edit with its hash recorded" \
    "third_party/CLI11/include/CLI/Version.hpp differs from what libcli11-dev 2.1.2+ds-1 gives"
else
  echo "libcli11-dev or nlohmann-json3-dev is not installed: the comparison with the packages is not shown"
fi

rm -rf "$work"
if [ "$problems" -gt 0 ]; then
  echo "FAIL: $problems problems" >&2
  exit 1
fi
echo "check-vendored rejects every fault shown, and accepts third_party/ as it is"
