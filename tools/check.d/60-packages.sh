# The release packages, from the release build (10-release.sh) and the
# Windows cross-build (40-windows.sh): each archive must hold exactly its
# one folder with the four plug-ins, README.md and LICENSE (and, for
# Windows, LIBLO.txt), and carry the project's version in its name.
set -euo pipefail

version=$(sed -n 's/^project(Varnelo VERSION \([0-9.]*\).*/\1/p' CMakeLists.txt)
[[ -n $version ]] || { echo "no version in CMakeLists.txt" >&2; exit 1; }

failures=0
fail() {
  echo "FAIL: $*" >&2
  failures=$((failures + 1))
}

# check_contents <archive> <listing> <expected names, one per line>
check_contents() {
  local archive=$1 listing=$2 expected=$3
  if [[ $listing != "$expected" ]]; then
    fail "$archive holds:"$'\n'"$listing"$'\n'"expected:"$'\n'"$expected"
  else
    echo "$archive:"; sed 's/^/  /' <<<"$listing"
  fi
}

expected_names() {  # <folder> <plug-in suffix> [extra files...]
  local folder=$1 suffix=$2
  shift 2
  printf '%s\n' "$folder/LICENSE" "$folder/README.md" "$@" \
    "$folder/Varnelo16$suffix" "$folder/Varnelo32$suffix" "$folder/Varnelo4$suffix" \
    "$folder/Varnelo8$suffix" | sort
}

linux=Varnelo-$version-Linux-x86_64
rm -rf out/release/packages
cmake --build out/release -j"$(nproc)" --target package
archive=out/release/packages/$linux.tar.gz
if [[ -f $archive ]]; then
  listing=$(tar -tzf "$archive" | grep -v '/$' | sort)
  check_contents "$archive" "$listing" "$(expected_names "$linux" .so)"
else
  fail "$archive was not made"
fi

windows=Varnelo-$version-win64
rm -rf out/windows/packages
cmake --build out/windows -j"$(nproc)" --target package
archive=out/windows/packages/$windows.zip
if [[ -f $archive ]]; then
  listing=$(python3 -c 'import sys, zipfile
print("\n".join(n for n in zipfile.ZipFile(sys.argv[1]).namelist() if not n.endswith("/")))' \
    "$archive" | sort)
  check_contents "$archive" "$listing" "$(expected_names "$windows" .dll "$windows/LIBLO.txt")"
else
  fail "$archive was not made"
fi

((failures == 0)) || { echo "$failures package check(s) failed" >&2; exit 1; }
echo "packages: $linux.tar.gz and $windows.zip"
