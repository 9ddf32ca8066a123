#!/usr/bin/env bash
# Holds a Windows build's THIRD-PARTY-NOTICES.txt against what the linker
# put into its DLLs: every library archive that gave a DLL code, and every
# start-up object linked in, must be named in the notices by its file
# name. Import libraries (lib<name>.a for an imported <name>.dll, and any
# *.dll.a) give only the names of imported functions and are left out, as
# are the build's own archives.
#
#   carried-code.sh <objdump> <THIRD-PARTY-NOTICES.txt> <dll> <link map> [<dll> <link map> ...]
#
# The link maps are those that cmake/windows/Dependencies.cmake has the
# linker write. Prints what each DLL carries; exits 1 when the notices miss
# something. Used by tools/check.d/40-windows.sh and the release workflow.
set -euo pipefail

if (($# < 4 || ($# - 2) % 2)); then
  echo "usage: $0 <objdump> <notices> <dll> <map> [<dll> <map> ...]" >&2
  exit 2
fi
objdump=$1
notices=$(tr -d '\r' <"$2")
shift 2

missing=0
while (($#)); do
  dll=$1 map=$2
  shift 2
  imported=$("$objdump" -p "$dll" | sed -n 's/^[[:space:]]*DLL Name: //p' | tr 'A-Z' 'a-z')

  # "archive(member)" at the start of the lines of the map's first section,
  # and the objects it loaded whole.
  archives=$(sed -n '/^Archive member included/,/^Discarded input sections/p' "$map" |
             sed -n 's/^\([^[:space:]]*\.a\)(.*/\1/p' | sort -u)
  objects=$(sed -n 's/^LOAD \(.*\.o\)$/\1/p' "$map" | sort -u)

  carried=()
  while IFS= read -r path; do
    [[ -n $path ]] || continue
    name=${path##*[/\\]}
    lower=${name,,}
    case $lower in
      objects.a | libvarnelo*.a | *.dll.a) continue ;;
    esac
    stem=${lower#lib}
    stem=${stem%.a}
    grep -qxF "$stem.dll" <<<"$imported" && continue
    carried+=("$name")
  done <<<"$archives"$'\n'"$objects"

  echo "$dll carries code from: ${carried[*]}"
  for name in "${carried[@]}"; do
    if ! grep -qF "$name" <<<"$notices"; then
      echo "FAIL: $dll carries code from $name, which THIRD-PARTY-NOTICES.txt does not name" >&2
      missing=$((missing + 1))
    fi
  done
done
((missing == 0))
