#!/usr/bin/env bash
# check_package.sh - checks the release zip as a user unpacks it: the files it holds, the
# plug-in being the one built, the converter readable by ICU from the folder layout it is in,
# and the installation notes. Each plug-in is in the folder named for its architecture and
# passes check_dll.sh for it (machine type and export).
# Usage: tests/windows/check_package.sh dist/Tagwright-<v>-windows.zip [X86-DLL] [X64-DLL]
set -uo pipefail

here="$(cd "$(dirname "$0")" && pwd)"
zip="${1:?usage: check_package.sh ZIP [X86-DLL] [X64-DLL]}"
declare -A dlls=([x86]="${2:-build/windows/Tagwright.dll}" [x64]="${3:-build/windows64/Tagwright.dll}")
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
  echo "check_package: $passed passed, $failed failed"
  [ "$failed" -eq 0 ]
  exit $?
}

check "$zip exists" "" test -f "$zip"
[ -f "$zip" ] || finish
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
unzip -q "$zip" -d "$work" || { check "unzips" "" false; finish; }

top="$(basename "$zip" .zip)"
files="$(cd "$work" && find . -type f | sed 's|^\./||' | sort)"
icu_major="$(dpkg-query -W -f='${Version}' libicu-dev)"
icu_major="${icu_major%%.*}"
expected="$(printf '%s\n' "$top/INSTALL.txt" "$top/x86/Tagwright.dll" "$top/x64/Tagwright.dll" \
  "$top/icu_data/icudt51l/adobe-fm-roman-windows.cnv" \
  "$top/icu_data/icudt${icu_major}l/adobe-fm-roman-windows.cnv" | sort -u)"
check "holds exactly the two plug-ins, the converter folders and INSTALL.txt" "holds: $(echo $files)" \
  test "$files" = "$expected"

for arch in x86 x64; do
  check "$arch/Tagwright.dll is the built plug-in ${dlls[$arch]}" "" cmp -s "$work/$top/$arch/Tagwright.dll" "${dlls[$arch]}"
  status=0
  "$here/check_dll.sh" "$work/$top/$arch/Tagwright.dll" $arch >"$work/check_dll.$arch" 2>&1 || status=$?
  check "$arch/Tagwright.dll has the $arch machine type and export (check_dll.sh)" \
    "$(grep FAIL "$work/check_dll.$arch" | tr '\n' ' ')" test "$status" -eq 0
done

# ICU itself reads the converter from the layout the zip gives it: FrameRoman 0xA5 is the
# bullet, 0xD0 the en dash.
converts() {
  local got
  got="$(printf 'A\xa5\xd0' | ICU_DATA="$work/$top/icu_data" uconv -f adobe-fm-roman-windows -t UTF-8 2>&1)"
  [ "$got" = "A•–" ] || { echo "  uconv gave: $got"; return 1; }
}
check "the converter works from icu_data/icudt${icu_major}l (uconv)" "" converts

install="$work/$top/INSTALL.txt"
check "INSTALL.txt has Windows line ends" "" grep -q $'\r$' "$install"
check "INSTALL.txt names the plug-in folder" "" grep -q 'fminit\\Plugins\\Tagwright.dll' "$install"
check "INSTALL.txt names the initialisation file entry" "" \
  grep -q "maker.ini" "$install"
check "INSTALL.txt gives the [APIClients] line" "" grep -q 'Tagwright=Standard, .*Tagwright.dll' "$install"
check "INSTALL.txt says how to uninstall" "" grep -q '^Uninstalling' "$install"
check "INSTALL.txt says which plug-in a 64-bit FrameMaker takes" "" \
  grep -q 'FrameMaker 2019 (version 15) and every later release are 64-bit: take x64' "$install"
check "INSTALL.txt says which plug-in a 32-bit FrameMaker takes" "" \
  grep -q '2017 (version 14) and earlier releases are 32-bit: take x86' "$install"
check "INSTALL.txt says how to tell a 32-bit FrameMaker" "" grep -q '(32 bit)' "$install"
finish
