# Every target built again with AddressSanitizer and UndefinedBehaviorSanitizer
# (clang, no recovery: any finding fails) in out/asan, and every test of the
# code built there run.
set -euo pipefail
export ASAN_OPTIONS="detect_leaks=1:abort_on_error=0:strict_init_order=1:detect_stack_use_after_return=1:check_initialization_order=1"
export UBSAN_OPTIONS="halt_on_error=1:print_stacktrace=1"
# Suppressions for third-party libraries only, kept in the repository.
export LSAN_OPTIONS="suppressions=$PWD/tests/hardening/lsan.supp:print_suppressions=0"
cmake -S . -B out/asan -DCMAKE_CXX_COMPILER=clang++ -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DVARNELO_SANITIZE=address,undefined -DVARNELO_WERROR=ON -DCMAKE_EXPORT_COMPILE_COMMANDS=ON \
  -DVARNELO_TESTS=ON -DVARNELO_TOOLS=ON -DVARNELO_BENCHMARKS=OFF
cmake --build out/asan -j"$(nproc)"
# The "configure" tests run CMake scripts, which no sanitizer changes: the
# release stage runs them.
ctest --test-dir out/asan --output-on-failure -j"$((2 * $(nproc)))" --timeout 600 -LE configure
