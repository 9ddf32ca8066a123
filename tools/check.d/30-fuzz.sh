# The host-call fuzzer (tests/fuzz) with AddressSanitizer and UBSan in
# out/fuzz: the seed corpus replayed, then a bounded run of 60 seconds per
# library size it covers (N = 4 and N = 32). A crash fails the stage and
# leaves its input in out/fuzz/crashes/ to become a test in tests/hardening/crashes.
# The fuzzer runs in a network namespace of its own: a command it makes up
# may name any destination, and nothing it sends may leave the machine.
# libFuzzer keeps to one core, so the two sizes fuzz side by side, each for
# its whole time, each with its log in out/fuzz/fuzz-<N>.log.
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

# fuzz <N>: the seed corpus, then the bounded run, into out/fuzz/fuzz-<N>.log.
fuzz() {
  local fuzzer=out/fuzz/tests/fuzz/varnelo_fuzz_$1 work=out/fuzz/corpus-$1
  mkdir -p "$work"
  {
    echo "--- N = $1: seed corpus"
    hostkit/own-network.sh "$fuzzer" -runs=0 tests/fuzz/corpus tests/hardening/crashes &&
      echo "--- N = $1: ${seconds} s" &&
      hostkit/own-network.sh "$fuzzer" -max_total_time="$seconds" -max_len=8192 -timeout=10 \
        -rss_limit_mb=2048 -print_final_stats=1 -artifact_prefix=out/fuzz/crashes/ \
        "$work" tests/fuzz/corpus
  } >"out/fuzz/fuzz-$1.log" 2>&1
}

declare -A runs
for steps in 4 32; do
  fuzz "$steps" &
  runs[$steps]=$!
done
failures=0
for steps in 4 32; do
  if wait "${runs[$steps]}"; then
    # The seed replay's last line and the run's final statistics.
    grep -E '^(--- |Done |stat::number_of_executed_units|stat::peak_rss_mb)' "out/fuzz/fuzz-$steps.log"
  else
    echo "FAIL: the fuzz run for N = $steps (out/fuzz/fuzz-$steps.log):" >&2
    tail -n 60 "out/fuzz/fuzz-$steps.log" >&2
    failures=$((failures + 1))
  fi
done
((failures == 0))
