# The release packages, from the release build (10-release.sh, with
# varnelo-host) and the two Windows cross-builds (40-windows.sh). Each
# archive must hold exactly its one folder with the files below, carry the
# project's version in its name, and:
#   Linux:   plugins/ (the four .so), bin/varnelo-host, README.md, LICENSE,
#            RUNTIME-LIBRARIES.txt; the unpacked varnelo-host finds and
#            lists the unpacked plug-ins.
#   Windows: the four DLLs, README-Windows.txt, LICENSE,
#            THIRD-PARTY-NOTICES.txt, and LIBLO.txt where the DLLs need
#            liblo-7.dll (the -needs-liblo zip); the .txt files with CR LF
#            line ends; the notices name winpthreads, and with liblo
#            inside: liblo's version, its licence with the full text, and
#            where its source is.
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

# in_folder <folder> <name>...: the names inside the folder, sorted.
in_folder() {
  local folder=$1
  shift
  printf "$folder/%s\n" "$@" | sort
}

# make_package <build>: the build's package, made afresh.
make_package() {
  rm -rf "$1/packages"
  cmake --build "$1" -j"$(nproc)" --target package
}

# The Linux tarball.
linux=Varnelo-$version-Linux-x86_64
make_package out/release
archive=out/release/packages/$linux.tar.gz
if [[ -f $archive ]]; then
  listing=$(tar -tzf "$archive" | grep -v '/$' | sort)
  check_contents "$archive" "$listing" "$(in_folder "$linux" LICENSE README.md \
    RUNTIME-LIBRARIES.txt bin/varnelo-host plugins/Varnelo4.so plugins/Varnelo8.so \
    plugins/Varnelo16.so plugins/Varnelo32.so)"
  unpacked=out/release/packages/unpacked
  mkdir -p "$unpacked"
  tar -xzf "$archive" -C "$unpacked"
  host=$unpacked/$linux/bin/varnelo-host
  info=$("$host" Varnelo32 --info 2>&1) || fail "$host Varnelo32 --info failed:"$'\n'"$info"
  grep -qF "$unpacked/$linux/plugins/Varnelo32.so\"" <<<"$info" ||
    fail "the unpacked varnelo-host did not load the unpacked Varnelo32.so:"$'\n'"$info"
else
  fail "$archive was not made"
fi

# zip_names <archive>, zip_text <archive> <member>: a zip's file names,
# one of its files (bytes as they are, CR LF kept).
zip_names() {
  python3 -c 'import sys, zipfile
print("\n".join(n for n in zipfile.ZipFile(sys.argv[1]).namelist() if not n.endswith("/")))' "$1"
}
zip_text() {
  python3 -c 'import sys, zipfile
sys.stdout.buffer.write(zipfile.ZipFile(sys.argv[1]).read(sys.argv[2]))' "$1" "$2"
}

# require <archive> <member> <text> <words>...: each of the words in the text.
require() {
  local archive=$1 member=$2 text=$3 word
  shift 3
  for word in "$@"; do
    grep -qF -- "$word" <<<"$text" || fail "$archive: $member does not say \"$word\""
  done
}

# check_windows_zip <build> <static|needs-liblo>
check_windows_zip() {
  local build=$1 form=$2 name archive member text folder
  local -a texts=(README-Windows.txt THIRD-PARTY-NOTICES.txt)
  name=Varnelo-$version-win64
  [[ $form == static ]] || { name+=-needs-liblo; texts+=(LIBLO.txt); }
  archive=$build/packages/$name.zip
  make_package "$build"
  if [[ ! -f $archive ]]; then
    fail "$archive was not made"
    return
  fi
  check_contents "$archive" "$(zip_names "$archive" | sort)" "$(in_folder "$name" LICENSE \
    "${texts[@]}" Varnelo4.dll Varnelo8.dll Varnelo16.dll Varnelo32.dll)"

  for member in "${texts[@]}"; do
    text=$(zip_text "$archive" "$name/$member")
    # Every line ends in CR LF: no LF without its CR before it.
    if [[ $(tr -cd '\n' <<<"$text" | wc -c) != $(grep -c $'\r$' <<<"$text") ]]; then
      fail "$archive: $member has line ends other than CR LF"
    fi
  done

  text=$(zip_text "$archive" "$name/THIRD-PARTY-NOTICES.txt" | tr -d '\r')
  require "$archive" THIRD-PARTY-NOTICES.txt "$text" "winpthreads" "mingw-w64" \
    "GCC Runtime Library Exception"
  if [[ $form == static ]]; then
    # The version the build took from the prefix's liblo.pc.
    liblo_version=$(sed -n 's/^Version:[[:space:]]*//p' "$build/liblo-prefix/lib/pkgconfig/liblo.pc")
    require "$archive" THIRD-PARTY-NOTICES.txt "$text" "liblo (liblo.a)" \
      "Version: $liblo_version." "GNU Lesser General Public License" "version 2.1" \
      "https://github.com/radarsat1/liblo" "source archive" \
      "GNU LESSER GENERAL PUBLIC LICENSE" "How to Apply These Terms to Your New Libraries"
    require "$archive" README-Windows.txt "$(zip_text "$archive" "$name/README-Windows.txt")" \
      "is inside each DLL"
  else
    require "$archive" THIRD-PARTY-NOTICES.txt "$text" "liblo (not inside)"
    require "$archive" README-Windows.txt "$(zip_text "$archive" "$name/README-Windows.txt")" \
      "need liblo-7.dll, which is not in this zip"
  fi
  echo "$archive: texts with CR LF line ends, notices as required"
}

check_windows_zip out/windows needs-liblo
check_windows_zip out/windows-static static

((failures == 0)) || { echo "$failures package check(s) failed" >&2; exit 1; }
echo "packages: $linux.tar.gz, Varnelo-$version-win64-needs-liblo.zip and" \
  "Varnelo-$version-win64.zip (liblo stand-in)"
