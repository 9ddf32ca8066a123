# The 1,000-cycle leak test under valgrind memcheck, from a plain build with
# debug information in out/valgrind: no byte definitely or indirectly lost,
# descriptors back where they started.
set -euo pipefail
cmake -S . -B out/valgrind -DCMAKE_BUILD_TYPE=RelWithDebInfo -DVARNELO_VALGRIND=ON \
  -DVARNELO_WERROR=ON -DVARNELO_TESTS=ON -DVARNELO_BENCHMARKS=OFF -DVARNELO_TOOLS=OFF
cmake --build out/valgrind -j"$(nproc)" --target hardening_leak_test
ctest --test-dir out/valgrind --output-on-failure -L valgrind
