# The release build of every target, and every test against it.
set -euo pipefail
cmake -S . -B out/release -DCMAKE_BUILD_TYPE=Release
cmake --build out/release -j"$(nproc)"
ctest --test-dir out/release --output-on-failure -j"$(nproc)"
