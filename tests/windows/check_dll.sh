#!/usr/bin/env bash
# check_dll.sh - checks a Windows plug-in as a host would find it, without running it: the file
# kind and machine type, the one export (decorated on 32-bit Windows, plain on 64-bit), the DLLs
# it imports from (no ICU: that is bound at run time), and the version resource that carries
# the client description.
# Usage: tests/windows/check_dll.sh [DLL] [x86|x64]   (default build/windows/Tagwright.dll x86)
set -uo pipefail

dll="${1:-build/windows/Tagwright.dll}"
arch="${2:-x86}"
case "$arch" in
  x86) # i386, PE32, the stdcall entry under its decorated name
    tools=i686-w64-mingw32 format=pei-i386 magic='010b[[:space:]]+\(PE32\)' machine=014c entry=_F_ApiClientInit@16 ;;
  x64) # x86-64 (AMD64), PE32+, the entry under its plain name
    tools=x86_64-w64-mingw32 format=pei-x86-64 magic='020b[[:space:]]+\(PE32\+\)' machine=8664 entry=F_ApiClientInit ;;
  *) echo "check_dll: unknown architecture $arch (x86 or x64)" >&2; exit 2 ;;
esac
objdump="$tools-objdump"
objcopy="$tools-objcopy"
strings="$tools-strings"

passed=0
failed=0
check() { # check NAME DETAIL COMMAND...
  local name="$1" detail="$2"
  shift 2
  if "$@"; then
    echo "PASS: $name"
    passed=$((passed + 1))
  else
    echo "FAIL: $name${detail:+ ($detail)}"
    failed=$((failed + 1))
  fi
}

finish() {
  echo "check_dll: $passed passed, $failed failed"
  [ "$failed" -eq 0 ]
  exit $?
}

if [ ! -f "$dll" ]; then
  check "$dll exists" "not built" false
  finish
fi

work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
"$objdump" -p "$dll" >"$work/headers" 2>&1

# Lines of one objdump section: from the line matching $1 up to the next empty line.
section() { awk -v start="$1" 'index($0, start) { on = 1; next } on && /^[[:space:]]*$/ { exit } on' "$work/headers"; }

# ---- a DLL for the architecture, by its headers and the machine field itself -----------------
is_pe_dll() {
  grep -q "file format $format\$" "$work/headers" &&
    grep -Eq "^Magic[[:space:]]+$magic" "$work/headers" &&
    section 'Characteristics' | grep -qx $'\tDLL'
}
check "$format DLL" "$(grep -m1 'file format' "$work/headers")" is_pe_dll

# The COFF header's Machine, read from the file: "PE\0\0" at the offset stored at 0x3c, then
# two little-endian bytes.
machine_of() {
  local pe
  pe=$(od -An -tu4 -j60 -N4 "$dll" | tr -d ' ')
  [ "$(od -An -c -j"$pe" -N2 "$dll" | tr -d ' ')" = PE ] || return 1
  od -An -tx1 -j$((pe + 4)) -N2 "$dll" | awk '{ print $2 $1 }'
}
check "machine type $machine" "machine: $(machine_of)" test "$(machine_of)" = "$machine"

# ---- exactly one export: the entry under the name the host looks up -------------------------
exports="$(section '[Ordinal/Name Pointer] Table' | sed -E 's/^[[:space:]]*\[[[:space:]]*[0-9]+\][[:space:]]+//')"
check "exports exactly $entry" "exports: $(echo $exports)" test "$exports" = "$entry"

# ---- imports: the system's DLLs only; the host's ICU is bound at run time -------------------
imports="$(sed -n 's/^[[:space:]]*DLL Name: //p' "$work/headers")"
unexpected=()
for name in $imports; do
  case "$(echo "$name" | tr '[:upper:]' '[:lower:]')" in
    kernel32.dll | ole32.dll | version.dll | msvcrt.dll | api-ms-win-*.dll) ;;
    *) unexpected+=("$name") ;;
  esac
done
check "imports only from system DLLs (ICU is bound at run time)" "also imports: ${unexpected[*]:-}" \
  test ${#unexpected[@]} -eq 0

# The names the run-time binding looks for are in the library.
check "names the ICU library it looks for (icuuc*.dll)" "" grep -qa 'icuuc\*\.dll' "$dll"

# ---- the version resource and its client description --------------------------------------
has_version_resource() {
  section 'The .rsrc Resource Directory section' | grep -Eq '^[0-9a-f]+[[:space:]]+Entry: ID: 0x000010,'
}
check "version resource (RT_VERSION) present" "no resource of type 16" has_version_resource

"$objcopy" -O binary --only-section=.rsrc "$dll" "$work/rsrc" 2>/dev/null || : >"$work/rsrc"
"$strings" -el "$work/rsrc" >"$work/rsrc-strings" 2>/dev/null
# A value of the string table: the UTF-16 key followed by the UTF-16 value.
has_value() { grep -A1 -x -F "$1" "$work/rsrc-strings" | tail -n +2 | grep -qx -F "$2"; }
check "version resource: FileDescription \"Tagwright (Frame 2017)\"" "" \
  has_value FileDescription "Tagwright (Frame 2017)"
check "version resource: ClientProducts \"Maker MakerSGML\"" "" \
  has_value ClientProducts "Maker MakerSGML"
check "version resource: string table 040904b0" "" grep -qx 040904b0 "$work/rsrc-strings"

finish
