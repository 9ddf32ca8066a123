# The hosting service's workflows in .github/workflows (the Windows release:
# release.yml) checked against the workflow schema by action-validator
# (npm's @action-validator/cli, at the version tools/install-deps pins).
# Only their form is checked here: they run on the hosting service (a
# Windows runner with MSYS2 MINGW64), not in tools/check. A workflow that
# the schema refuses, made here, must fail, so that a validator that
# passes everything cannot go unnoticed.
set -euo pipefail

validator=$(command -v action-validator) ||
  { echo "no action-validator on PATH: run tools/install-deps" >&2; exit 1; }
package=$(dirname "$(readlink -f "$validator")")/package.json
version=$(sed -n 's/^[[:space:]]*"version":[[:space:]]*"\([^"]*\)".*/\1/p' "$package")
echo "action-validator ${version:-(version unknown)}"

failures=0
shopt -s nullglob
workflows=(.github/workflows/*.yml .github/workflows/*.yaml)
((${#workflows[@]})) || { echo "no workflow in .github/workflows" >&2; exit 1; }
for workflow in "${workflows[@]}"; do
  if action-validator "$workflow"; then
    echo "$workflow: valid"
  else
    echo "FAIL: $workflow does not pass the workflow schema (above)" >&2
    failures=$((failures + 1))
  fi
done

# A job without "runs-on" or "uses" is no job.
refused=out/workflows/refused.yml
mkdir -p "${refused%/*}"
printf 'on: push\njobs:\n  build:\n    steps:\n      - run: "true"\n' >"$refused"
if action-validator "$refused" >/dev/null 2>&1; then
  echo "FAIL: action-validator passed $refused, which the schema refuses" >&2
  failures=$((failures + 1))
fi

((failures == 0)) || exit 1
echo "workflows: ${#workflows[@]} valid"
