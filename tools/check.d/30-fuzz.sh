# The host-call fuzzer (tests/fuzz) with AddressSanitizer and UBSan in
# out/fuzz: the seed corpus replayed, then a bounded run of 60 seconds per
# library size it covers (N = 4 and N = 32). A crash fails the stage and
# leaves its input in out/fuzz/crashes/ to become a test in tests/hardening/crashes.
# The fuzzer runs in a network namespace of its own: a command it makes up
# may name any destination, and nothing it sends may leave the machine.
set -euo pipefail
export ASAN_OPTIONS="detect_leaks=1"
export UBSAN_OPTIONS="halt_on_error=1:print_stacktrace=1"
seconds=${VARNELO_FUZZ_SECONDS:-60}
unshare --net --map-root-user true 2>/dev/null || unshare --net true 2>/dev/null ||
  { echo "the fuzz run needs a network namespace of its own (unshare --net)" >&2; exit 1; }
cmake -S . -B out/fuzz -DCMAKE_CXX_COMPILER=clang++ -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DVARNELO_SANITIZE=address,undefined -DVARNELO_FUZZ=ON -DVARNELO_WERROR=ON \
  -DVARNELO_TESTS=ON -DVARNELO_BENCHMARKS=OFF -DVARNELO_TOOLS=OFF
cmake --build out/fuzz -j"$(nproc)" --target varnelo_fuzz_4 varnelo_fuzz_32
mkdir -p out/fuzz/crashes
for steps in 4 32; do
  fuzzer=out/fuzz/tests/fuzz/varnelo_fuzz_$steps
  work=out/fuzz/corpus-$steps
  mkdir -p "$work"
  echo "--- N = $steps: seed corpus"
  hostkit/own-network.sh "$fuzzer" -runs=0 tests/fuzz/corpus tests/hardening/crashes
  echo "--- N = $steps: ${seconds} s"
  hostkit/own-network.sh "$fuzzer" -max_total_time="$seconds" -max_len=8192 -timeout=10 -rss_limit_mb=2048 \
    -print_final_stats=1 -artifact_prefix=out/fuzz/crashes/ "$work" tests/fuzz/corpus
done
