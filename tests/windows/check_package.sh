#!/usr/bin/env bash
# check_package.sh - checks the release zip as a user unpacks it: the files it holds, the
# plug-in being the one built, the converter readable by ICU from the folder layout it is in,
# and the installation notes. Usage: tests/windows/check_package.sh dist/Tagwright-<v>-win32.zip [Tagwright.dll]
set -uo pipefail

zip="${1:?usage: check_package.sh ZIP [DLL]}"
dll="${2:-build/windows/Tagwright.dll}"
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
expected="$(printf '%s\n' "$top/INSTALL.txt" "$top/Tagwright.dll" \
  "$top/icu_data/icudt51l/adobe-fm-roman-windows.cnv" \
  "$top/icu_data/icudt${icu_major}l/adobe-fm-roman-windows.cnv" | sort -u)"
check "holds exactly the plug-in, the converter folders and INSTALL.txt" "holds: $(echo $files)" \
  test "$files" = "$expected"

check "Tagwright.dll is the built plug-in" "" cmp -s "$work/$top/Tagwright.dll" "$dll"

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
finish
