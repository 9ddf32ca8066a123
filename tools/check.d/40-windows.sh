# The 64-bit Windows plug-ins, cross-built with mingw-w64, warnings as
# errors, in two forms:
# - out/windows: against liblo-7.dll (no Windows liblo is in Debian: an
#   import library made from cmake/windows/liblo.def). Each DLL must
#   import exactly the functions of liblo.def from liblo-7.dll.
# - out/windows-static: with VARNELO_LIBLO_STATIC=ON against a prefix
#   holding both lib/liblo.a and lib/liblo.dll.a, as MSYS2 lays them out.
#   Its liblo.a is a stand-in made here, one empty function per name of
#   liblo.def (a real static Windows liblo is not in Debian): it shows the
#   static library taken and linked in, not a working liblo. Each DLL must
#   import no liblo DLL.
# In both, each DLL must export plugMain alone and import only opengl32
# and Windows' own DLLs (and liblo-7.dll in the first): no compiler
# runtime DLL. The headers read must be liblo's copied lo/ folder with its
# Winsock branch taken, never the Linux /usr/include, and the build's
# THIRD-PARTY-NOTICES.txt must name every library that put code into a DLL
# (cmake/windows/carried-code.sh).
set -euo pipefail

objdump=x86_64-w64-mingw32-objdump
toolchain=$PWD/cmake/mingw-w64-x86_64.cmake

# The functions of liblo-7.dll that the plug-ins use, one per line.
liblo_names=$(sed -n '/^EXPORTS/,$p' cmake/windows/liblo.def | sed '1d; s/^[[:space:]]*//; /^$/d')

failures=0
fail() {
  echo "FAIL: $*" >&2
  failures=$((failures + 1))
}

# build <folder> [configure options...]: the four plug-ins.
build() {
  local folder=$1
  shift
  cmake -S . -B "$folder" -DCMAKE_BUILD_TYPE=Release -DVARNELO_WERROR=ON \
    -DCMAKE_TOOLCHAIN_FILE="$toolchain" "$@"
  cmake --build "$folder" -j2 --target Varnelo4 Varnelo8 Varnelo16 Varnelo32
}

# make_static_prefix <folder>: include/lo from Debian's liblo-dev (it
# carries the Windows includes), lib/liblo.a as the stand-in described
# above, lib/liblo.dll.a for liblo-7.dll beside it, and a liblo.pc whose
# version says what it is. Files that come out the same are left as they
# were, so that a second run rebuilds nothing.
make_static_prefix() {
  local prefix=$1 work=$1/stand-in
  mkdir -p "$prefix/include/lo" "$prefix/lib/pkgconfig" "$work"
  cp -p /usr/include/lo/*.h "$prefix/include/lo/"
  awk '{print "void " $1 "(void) {}"}' <<<"$liblo_names" >"$work/liblo.c"
  x86_64-w64-mingw32-gcc-posix -c "$work/liblo.c" -o "$work/liblo.o"
  rm -f "$work/liblo.a"
  x86_64-w64-mingw32-ar rcsD "$work/liblo.a" "$work/liblo.o"
  x86_64-w64-mingw32-dlltool --input-def cmake/windows/liblo.def --dllname liblo-7.dll \
    --output-lib "$work/liblo.dll.a"
  printf 'Name: liblo\nVersion: stand-in\nLibs: -llo\n' >"$work/liblo.pc"
  local made
  for made in lib/liblo.a lib/liblo.dll.a lib/pkgconfig/liblo.pc; do
    cmp -s "$work/${made##*/}" "$prefix/$made" || cp "$work/${made##*/}" "$prefix/$made"
  done
}

# check_headers <folder>: every header the build read, from its
# dependency files.
check_headers() {
  local folder=$1 headers
  local -a depfiles
  mapfile -t depfiles < <(find "$folder" -name '*.obj.d')
  if ((${#depfiles[@]} == 0)); then
    fail "no dependency files in $folder"
    return
  fi
  headers=$(cat "${depfiles[@]}" | tr ' \\' '\n\n' | sed '/^$/d; /:$/d' | sort -u)
  if grep -E '^/usr/(local/)?include/' <<<"$headers"; then
    fail "Linux system headers in $folder (above)"
  fi
  grep -q "/lo/lo\.h$" <<<"$headers" || fail "$folder: lo/lo.h was not read"
  grep -qi '/winsock2\.h$' <<<"$headers" || fail "$folder: lo/lo.h did not take its Winsock branch"
}

expected_liblo=$(sort <<<"$liblo_names")

# check_dlls <folder> <import|static>: the four DLLs' exports and imports,
# and the notices against their link maps.
check_dlls() {
  local folder=$1 liblo_form=$2 step_count dll dump exports liblo imported
  local -a dlls carried_pairs=()
  for step_count in 4 8 16 32; do
    dll="$folder/plugins/Varnelo$step_count.dll"
    if [[ ! -f $dll ]]; then
      fail "$dll was not built"
      continue
    fi
    dump=$("$objdump" -p "$dll")

    grep -q 'file format pei-x86-64' <<<"$("$objdump" -f "$dll")" || fail "$dll is not 64-bit"

    # The export table's name list: "[ordinal] name" lines after its header.
    exports=$(sed -n '/^\[Ordinal\/Name Pointer\] Table/,/^$/p' <<<"$dump" |
              sed -n 's/^[[:space:]]*\[[[:space:]]*[0-9]*\][[:space:]]*//p')
    [[ $exports == plugMain ]] || fail "$dll exports: ${exports:-nothing}, not plugMain alone"

    mapfile -t dlls < <(sed -n 's/^[[:space:]]*DLL Name: //p' <<<"$dump")
    imported=$(printf '%s\n' "${dlls[@]}" | tr 'A-Z' 'a-z')
    for name in "${dlls[@]}"; do
      case "${name,,}" in
        liblo-7.dll) [[ $liblo_form == import ]] || fail "$dll imports $name" ;;
        opengl32.dll | kernel32.dll | ws2_32.dll | iphlpapi.dll | msvcrt.dll | api-ms-win-crt-*.dll) ;;
        *) fail "$dll imports $name" ;;
      esac
    done
    # Here-strings, not a pipe into grep -q: grep -q leaves at its first
    # match, and under pipefail the writer's SIGPIPE would fail the test.
    grep -qx 'opengl32.dll' <<<"$imported" || fail "$dll does not import opengl32.dll"
    if [[ $liblo_form == import ]]; then
      grep -qx 'liblo-7.dll' <<<"$imported" || fail "$dll does not import liblo-7.dll"
      # The functions taken from liblo-7.dll: its block of the import
      # table, one "hint name" line per function, up to the next block.
      liblo=$(awk '/DLL Name: /{inlo = ($3 == "liblo-7.dll"); next}
                   inlo && /^[[:space:]]*[0-9a-f]+[[:space:]]+[0-9]+[[:space:]]+[A-Za-z_]/{print $NF}' \
              <<<"$dump" | sort)
      [[ $liblo == "$expected_liblo" ]] ||
        fail "$dll imports from liblo-7.dll:"$'\n'"$liblo"$'\n'"cmake/windows/liblo.def lists:"$'\n'"$expected_liblo"
    elif grep -q '^liblo' <<<"$imported"; then
      fail "$dll imports a liblo DLL, though liblo was to be linked in"
    fi

    echo "$dll: exports $exports; imports ${dlls[*]}"
    carried_pairs+=("$dll" "$folder/variants/Varnelo$step_count.map")
  done
  if ((${#carried_pairs[@]})); then
    bash cmake/windows/carried-code.sh "$objdump" "$folder/packaging/THIRD-PARTY-NOTICES.txt" \
      "${carried_pairs[@]}" || fail "$folder: THIRD-PARTY-NOTICES.txt misses code the DLLs carry"
  fi
}

build out/windows
check_headers out/windows
check_dlls out/windows import

static_prefix=$PWD/out/windows-static/liblo-prefix
make_static_prefix "$static_prefix"
configure_log=$(build out/windows-static -DVARNELO_LIBLO_STATIC=ON -DLIBLO_ROOT="$static_prefix")
echo "$configure_log"
grep -qF "liblo for Windows: $static_prefix/lib/liblo.a" <<<"$configure_log" ||
  fail "out/windows-static did not take $static_prefix/lib/liblo.a"
check_headers out/windows-static
check_dlls out/windows-static static

((failures == 0)) || { echo "$failures Windows check(s) failed" >&2; exit 1; }
echo "Windows: four DLLs against liblo-7.dll and four with liblo linked in," \
  "each exporting plugMain alone"
