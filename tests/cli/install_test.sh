#!/usr/bin/env bash
# install_test.sh BUILD_DIR SOURCE_DIR - `cmake --install` into a temporary prefix, then moved
# elsewhere: the installed tool loads the installed plug-in and lists the example book as the
# built tool does; the manual page and the bash completion are installed and work.
set -euo pipefail
build=$1 source=$2
work=$(mktemp -d /tmp/tagwright-install-XXXXXX)
trap 'rm -rf "$work"' EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }

cmake --install "$build" --prefix "$work/prefix" >/dev/null
mv "$work/prefix" "$work/moved" # any prefix: nothing points back at the first one
prefix=$work/moved
tool=$prefix/bin/tagwright
[ -x "$tool" ] || fail "no $tool"

cp -r "$source/examples/book" "$work/book"
"$tool" usage "$work/book/Example.book.mif" >"$work/installed.txt" || fail "the installed tool failed"
"$build/cli/tagwright" usage "$work/book/Example.book.mif" >"$work/built.txt"
cmp -s "$work/installed.txt" "$work/built.txt" || fail "the installed tool lists the book differently"
# The plug-in it loaded is the installed one, not the build's.
loaded=$(LD_DEBUG=files "$tool" about 2>&1 >/dev/null)
grep -q "file=$prefix/lib/tagwright/libTagwright.so" <<<"$loaded" ||
    fail "the installed tool did not load $prefix/lib/tagwright/libTagwright.so"
# ... and its host folder (converters, output template) is the installed one.
if command -v strace >/dev/null; then
    # LeakSanitizer (the sanitize build) does not run under ptrace: leaks are checked elsewhere.
    opened=$(ASAN_OPTIONS="${ASAN_OPTIONS:-}:detect_leaks=0" strace -f -e trace=openat,newfstatat,stat "$tool" usage "$work/book/Intro.mif" 2>&1 >/dev/null)
    grep -q "$prefix/share/tagwright/" <<<"$opened" || fail "the installed host folder was not used"
fi

# The manual page holds every command and every option that --help shows.
man=$prefix/share/man/man1/tagwright.1
[ -s "$man" ] || fail "no manual page"
for command in $("$tool" --help | awk '/^Subcommands:/ { on = 1; next } on && !NF { exit } on { print $1 }'); do
    grep -qF -- ".SS \"$(sed 's/-/\\-/g' <<<"$command")" "$man" || fail "the manual page has no section for $command"
done
for option in $("$tool" --help | grep -o -- '--[a-z-]*' | sort -u); do
    pattern="\\fB$(sed 's/-/\\-/g' <<<"$option")\\fR"
    grep -qF -- "$pattern" "$man" || fail "the manual page does not list $option"
done

# The completion completes commands, options and option values.
completion=$prefix/share/bash-completion/completions/tagwright
complete_words() {
    bash -c 'source "$1"; shift; COMP_WORDS=("$@"); COMP_CWORD=$(($# - 1)); _tagwright; echo "${COMPREPLY[*]}"' \
        _ "$completion" "$@"
}
[ "$(complete_words tagwright make-c)" = "make-conversion" ] || fail "no command completion"
[ "$(complete_words tagwright make-list --ch)" = "--choice" ] || fail "no option completion"
[ "$(complete_words tagwright make-list --choice "")" = "empty in-use all" ] || fail "no value completion"
echo "installed, moved and run: 1 passed, 0 failed"
