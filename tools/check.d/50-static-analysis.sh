# clang-tidy (.clang-tidy) and cppcheck over the plug-in's and the tools'
# own sources, warning-free, with the compile commands of out/tidy.
set -euo pipefail
cmake -S . -B out/tidy -DCMAKE_CXX_COMPILER=clang++ -DCMAKE_EXPORT_COMPILE_COMMANDS=ON \
  -DVARNELO_TESTS=OFF -DVARNELO_BENCHMARKS=OFF -DVARNELO_TOOLS=ON >/dev/null
database=out/tidy/compile_commands.json

# The sources of the plug-in, the host kit and the tools that this platform
# compiles.
mapfile -t sources < <(python3 - "$database" "$PWD" <<'PY'
import json, os, sys
root = sys.argv[2]
seen = []
for entry in json.load(open(sys.argv[1])):
    path = os.path.relpath(os.path.join(entry["directory"], entry["file"]), root)
    top = path.split(os.sep)[0]
    if top in ("platform", "host", "sequencer", "hostkit", "tools") and path not in seen:
        seen.append(path)
print("\n".join(sorted(seen)))
PY
)
echo "clang-tidy: ${#sources[@]} files"
log=out/tidy/clang-tidy.log
tidy_status=0
printf '%s\n' "${sources[@]}" |
  xargs -P"$(nproc)" -n1 clang-tidy -p out/tidy --quiet >"$log" 2>&1 || tidy_status=$?
grep -v ' warnings\? generated\.$' "$log" || true
if ((tidy_status != 0)); then
  echo "clang-tidy found problems (see above)" >&2
  exit 1
fi

echo "cppcheck: ${#sources[@]} files"
# Each sequencer source is compiled once per step count; N = 4 stands for all.
# passedByValue is off for TextureUnit.h, whose Loader is three function
# pointers: cheaper copied than referenced in a constexpr constructor.
cppcheck --std=c++17 --language=c++ --enable=warning,performance,portability \
  --inline-suppr --error-exitcode=1 --quiet -j"$(nproc)" \
  -Iplatform -Ihost -Isequencer -Ihostkit -DSTEP_COUNT=4 \
  --suppress=missingIncludeSystem --suppress=unmatchedSuppression \
  --suppress=passedByValue:sequencer/TextureUnit.h \
  "${sources[@]}"
