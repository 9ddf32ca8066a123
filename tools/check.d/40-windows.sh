# The 64-bit Windows plug-ins, cross-built with mingw-w64 into out/windows,
# warnings as errors. Each DLL must export plugMain alone and import only
# liblo-7.dll (exactly the functions of cmake/windows/liblo.def), opengl32
# and the system's socket and C runtime DLLs: no compiler runtime DLL.
set -euo pipefail

build=out/windows
objdump=x86_64-w64-mingw32-objdump

cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=Release -DVARNELO_WERROR=ON \
  -DCMAKE_TOOLCHAIN_FILE="$PWD/cmake/mingw-w64-x86_64.cmake"
cmake --build "$build" -j2 --target Varnelo4 Varnelo8 Varnelo16 Varnelo32

failures=0
fail() {
  echo "FAIL: $*" >&2
  failures=$((failures + 1))
}

# Every header the cross build read: liblo's from the copied lo/ folder,
# with its Winsock branch taken, and nothing from the Linux /usr/include.
mapfile -t depfiles < <(find "$build" -name '*.obj.d')
((${#depfiles[@]})) || fail "no dependency files in $build"
headers=$(cat "${depfiles[@]}" | tr ' \\' '\n\n' | sed '/^$/d; /:$/d' | sort -u)
if grep -E '^/usr/(local/)?include/' <<<"$headers"; then
  fail "Linux system headers in the Windows build (above)"
fi
grep -q "/lo/lo\.h$" <<<"$headers" ||
  fail "lo/lo.h was not read"
grep -qi '/winsock2\.h$' <<<"$headers" || fail "lo/lo.h did not take its Winsock branch"

expected_liblo=$(sed -n '/^EXPORTS/,$p' cmake/windows/liblo.def | sed '1d; s/^[[:space:]]*//; /^$/d' | sort)

for step_count in 4 8 16 32; do
  dll="$build/plugins/Varnelo$step_count.dll"
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
  for imported in "${dlls[@]}"; do
    case "${imported,,}" in
      liblo-7.dll | opengl32.dll | kernel32.dll | ws2_32.dll | msvcrt.dll | api-ms-win-crt-*.dll) ;;
      *) fail "$dll imports $imported" ;;
    esac
  done
  printf '%s\n' "${dlls[@]}" | grep -qx 'liblo-7.dll' || fail "$dll does not import liblo-7.dll"
  printf '%s\n' "${dlls[@]}" | grep -qix 'opengl32.dll' || fail "$dll does not import opengl32.dll"

  # The functions taken from liblo-7.dll: its block of the import table,
  # one "hint name" line per function, up to the next block.
  liblo=$(awk '/DLL Name: /{inlo = ($3 == "liblo-7.dll"); next}
               inlo && /^[[:space:]]*[0-9a-f]+[[:space:]]+[0-9]+[[:space:]]+[A-Za-z_]/{print $NF}' \
          <<<"$dump" | sort)
  [[ $liblo == "$expected_liblo" ]] ||
    fail "$dll imports from liblo-7.dll:"$'\n'"$liblo"$'\n'"cmake/windows/liblo.def lists:"$'\n'"$expected_liblo"

  echo "$dll: exports $exports; imports ${dlls[*]}"
done

((failures == 0)) || { echo "$failures Windows check(s) failed" >&2; exit 1; }
echo "Windows: four DLLs, each exporting plugMain alone"
