# The Windows build of the command parser, its number reader and the text
# readability test, run under Wine: the test program tests/windows,
# cross-built with mingw-w64 into out/windows-tests, reads a corpus of range
# texts with the values glibc gives them (written by a small Linux program)
# and compares bit for bit. Wine runs in a private prefix inside the build
# folder, without a display; the first run creates it.
set -euo pipefail

build=out/windows-tests
start=$SECONDS

fail() {
  echo "FAIL: $*" >&2
  exit 1
}

# Debian's wine64 package puts the loader in /usr/lib/wine, not always on PATH.
find_wine_program() {
  local name=$1
  if command -v "$name" >/dev/null; then
    command -v "$name"
  elif [[ -x /usr/lib/wine/$name ]]; then
    echo "/usr/lib/wine/$name"
  else
    fail "no $name on PATH or in /usr/lib/wine (Debian: wine64; run tools/install-deps)"
  fi
}
wine=$(find_wine_program wine64)
wineserver=$(find_wine_program wineserver)

# The test program, warnings as errors.
cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=Release -DVARNELO_WERROR=ON \
  -DVARNELO_WINDOWS_TESTS=ON -DCMAKE_TOOLCHAIN_FILE="$PWD/cmake/mingw-w64-x86_64.cmake"
cmake --build "$build" -j2 --target varnelo_windows_tests
program=bin/varnelo_windows_tests.exe
[[ -f $build/$program ]] || fail "$build/$program was not built"

# The corpus and glibc's readings of it, made on this machine.
g++ -std=c++17 -O2 -Wall -Wextra -Werror -ffp-contract=off -Itests/sequencer -Itests/windows \
  tests/windows/MakeNumberCorpus.cpp -o "$build/make-number-corpus"
corpus_report=$("$build/make-number-corpus" "$build/number-corpus.bin")
echo "$corpus_report"
corpus_texts=$(awk '{print $2}' <<<"$corpus_report")
built=$SECONDS

# Wine: its own prefix, no messages of its own, no window, and no offer to
# install Mono or Gecko, which nothing here uses.
export WINEPREFIX=$PWD/$build/wineprefix
export WINEDEBUG=-all WINEARCH=win64 WINEDLLOVERRIDES="mscoree,mshtml="
export DISPLAY=
unset WAYLAND_DISPLAY
# Whatever happens below, no Wine process of this prefix outlives the stage.
trap '"$wineserver" -k 2>/dev/null || true' EXIT

# A prefix is ready once its first start has ended; an interrupted one is
# made again.
ready=$WINEPREFIX/.varnelo-ready
if [[ ! -f $ready ]]; then
  echo "creating the Wine prefix $WINEPREFIX"
  rm -rf "$WINEPREFIX"
  log=$build/wineboot.log
  if ! timeout 300 "$wine" wineboot -i >"$log" 2>&1 || ! timeout 60 "$wineserver" -w; then
    cat "$log" >&2
    fail "Wine could not create its prefix in $WINEPREFIX (its output above)"
  fi
  touch "$ready"
fi
prefixed=$SECONDS

# Wine maps / to drive Z: and starts in the current folder, so the
# program finds the corpus by its relative name.
status=0
output=$(cd "$build" && timeout 300 "$wine" "$program" --gtest_brief=1 \
  --gtest_color=no number-corpus.bin 2>&1) || status=$?
output=${output//$'\r'/}  # a Windows program ends its lines with CR LF
echo "$output"
# GoogleTest's summary: "[  PASSED  ] <n> tests." and, when some were
# skipped, "[  SKIPPED ] <n> tests."
count_of() { sed -n "s/^\[  $1 *\] \([0-9]*\) tests\?\.\$/\1/p" <<<"$output"; }
passed=$(count_of PASSED)
skipped=$(count_of SKIPPED)
if ((status != 0)) || [[ -z $passed ]] || grep -q '^\[  FAILED  \]' <<<"$output"; then
  fail "the Windows tests failed under Wine (exit status $status; the failures above)"
fi

echo "Windows tests under Wine: ${passed} tests passed, ${skipped:-0} skipped;" \
  "number corpus ${corpus_texts} texts; $((SECONDS - start)) s" \
  "(build and corpus $((built - start)) s, Wine prefix $((prefixed - built)) s," \
  "run $((SECONDS - prefixed)) s)"
