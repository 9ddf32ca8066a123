# The release build of every target, and every test against it.
set -euo pipefail
# Every part on (a missing package is an error) and warnings as errors.
cmake -S . -B out/release -DCMAKE_BUILD_TYPE=Release -DVARNELO_WERROR=ON \
  -DVARNELO_TESTS=ON -DVARNELO_BENCHMARKS=ON -DVARNELO_TOOLS=ON
cmake --build out/release -j"$(nproc)"
# Twice as many tests as cores: no test holds a shared port, and many spend
# their time waiting for a datagram.
ctest --test-dir out/release --output-on-failure -j"$((2 * $(nproc)))"
