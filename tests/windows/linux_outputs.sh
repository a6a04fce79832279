#!/usr/bin/env bash
# linux_outputs.sh - runs each line of tool_commands.txt with the Linux tagwright on a fresh
# copy of examples/book and keeps what it printed, its exit status and the files it left, for
# the Windows test program to compare with; then, where the publishing program's sample files
# are, each line of sample_commands.txt on a fresh copy of them (OUTPUT-DIR/samples/<name>).
# Usage: linux_outputs.sh TOOL OUTPUT-DIR [SAMPLES-DIR]
set -euo pipefail
tool="$(realpath "${1:?usage: linux_outputs.sh TOOL OUTPUT-DIR}")"
out="${2:?usage: linux_outputs.sh TOOL OUTPUT-DIR}"
here="$(cd "$(dirname "$0")" && pwd)"
source_dir="$(cd "$here/../.." && pwd)"
rm -rf "$out"
mkdir -p "$out"
out="$(cd "$out" && pwd)"
count=0
while IFS=$'\t' read -r name args; do
  case "$name" in '' | '#'*) continue ;; esac
  work="$out/$name/files"
  mkdir -p "$work"
  cp -r "$source_dir/examples/book" "$work/book"
  : >"$out/$name/stdout"
  : >"$out/$name/stderr"
  : >"$out/$name/exit"
  # One run after another on the same copy; " ; " separates them.
  while [ -n "$args" ]; do
    run="${args%% ; *}"
    if [ "$run" = "$args" ]; then args=""; else args="${args#* ; }"; fi
    read -r -a argv <<<"$run"
    status=0
    (cd "$work" && "$tool" "${argv[@]}" >>"$out/$name/stdout" 2>>"$out/$name/stderr" </dev/null) || status=$?
    echo "$status" >>"$out/$name/exit"
  done
  count=$((count + 1))
done <"$here/tool_commands.txt"
echo "linux_outputs: $count runs kept in $out"

samples="${3:-$source_dir/../shared/mif-samples}"
if [ ! -d "$samples" ]; then
  echo "linux_outputs: no samples in $samples: the sample runs are left out"
  exit 0
fi
names=()
while IFS= read -r f; do names+=("$f"); done < <(cd "$samples" && LC_ALL=C ls -- *.mif)
count=0
while IFS=$'\t' read -r name args; do
  case "$name" in '' | '#'*) continue ;; esac
  work="$out/samples/$name/files"
  mkdir -p "$work/samples"
  cp "$samples"/*.mif "$work/samples/"
  chmod -R u+w "$work/samples"
  : >"$out/samples/$name/stdout"
  : >"$out/samples/$name/stderr"
  : >"$out/samples/$name/exit"
  for sample in "${names[@]}"; do
    read -r -a argv <<<"${args//SAMPLE/samples/$sample}"
    status=0
    (cd "$work" && "$tool" "${argv[@]}" >>"$out/samples/$name/stdout" 2>>"$out/samples/$name/stderr" </dev/null) ||
      status=$?
    echo "$status" >>"$out/samples/$name/exit"
  done
  count=$((count + 1))
done <"$here/sample_commands.txt"
echo "linux_outputs: $count sample commands on ${#names[@]} samples kept in $out/samples"
