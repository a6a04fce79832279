#!/usr/bin/env bash
# run_wine.sh - runs the 32-bit Windows test program once under Wine against Tagwright.dll
# (after keeping the Linux tool's outputs for it to compare with), then one tagwright.exe
# listing of the example book as a smoke run. Two Windows processes in all: under qemu each
# one takes about a minute to start.
# Usage: tests/windows/run_wine.sh [WINDOWS-BUILD-DIR] [LINUX-TAGWRIGHT]
set -euo pipefail
here="$(cd "$(dirname "$0")" && pwd)"
root="$(cd "$here/../.." && pwd)"
build="$(cd "${1:-$root/build/windows}" && pwd)"
linux_tool="${2:-$root/build/default/cli/tagwright}"
fail() { echo "run_wine: $*" >&2; exit 1; }

program="$build/tests/windows_tests.exe"
tool="$build/install/tagwright.exe"
[ -f "$program" ] || fail "$program is not built (TAGWRIGHT_WINDOWS_ICU unset when build/windows was configured?)"
[ -f "$tool" ] || fail "$tool is not built"
[ -x "$linux_tool" ] || fail "the Linux tool $linux_tool is not built"

"$root/scripts/wine-check"

cache="${TAGWRIGHT_CACHE:-${XDG_CACHE_HOME:-$HOME/.cache}/tagwright}"
export WINEPREFIX="$cache/wine-prefix"
export WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree=;mshtml=" # no .NET or browser engine wanted in the prefix
# The test program is a host that links ICU itself: its ICU comes from the installation
# folder through the search path, while its own folder holds none.
export WINEPATH="Z:${build//\//\\}\\install"
mkdir -p "$WINEPREFIX"

"$here/linux_outputs.sh" "$linux_tool" "$build/linux-outputs"

start=$SECONDS
status=0
(cd "$build/tests" && wine "$program" --gtest_color=no </dev/null) || status=$?
echo "run_wine: the Windows test program took $((SECONDS - start)) s"
[ "$status" -eq 0 ] || fail "the Windows test program failed (exit $status)"

# Smoke run: the tool as a user starts it, beside the host's ICU and converters.
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
cp -r "$root/examples/book" "$work/book"
start=$SECONDS
(cd "$work" && wine "$tool" usage book/Example.book.mif </dev/null >"$work/listing.txt" 2>"$work/errors.txt") ||
  fail "tagwright.exe usage failed: $(cat "$work/errors.txt")"
echo "run_wine: tagwright.exe took $((SECONDS - start)) s"
# The console writes Windows line ends; the text is otherwise the Linux tool's.
tr -d '\r' <"$work/listing.txt" >"$work/listing-lf.txt"
if ! cmp -s "$work/listing-lf.txt" "$build/linux-outputs/usage/stdout"; then
  diff "$build/linux-outputs/usage/stdout" "$work/listing-lf.txt" | head -20 >&2
  fail "tagwright.exe usage listing differs from the Linux tool's"
fi
echo "run_wine: tagwright.exe usage listing matches the Linux tool's ($(wc -l <"$work/listing-lf.txt") lines)"
wineserver -w 2>/dev/null || true
