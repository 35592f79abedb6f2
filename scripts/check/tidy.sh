#!/usr/bin/env bash
# clang-tidy (the checks of .clang-tidy, every finding an error) over the
# product's POSIX sources: the C++ files of platform/, serial/, terminal/,
# engine/, shell/ and sim/ that the Linux build compiles (so the _win32 halves
# stay out), and the headers they include from those folders.
#
#   scripts/check/tidy.sh BUILD_DIR [JOBS]
#
# BUILD_DIR holds the compile_commands.json of a Linux configuration.
set -euo pipefail
cd "$(dirname "$0")/../.."
build=${1:?usage: tidy.sh BUILD_DIR [JOBS]}
jobs=${2:-2}
top=$PWD
folders='platform|serial|terminal|engine|shell|sim'

compiled=$(sed -n 's/^ *"file": "\(.*\)",\{0,1\}$/\1/p' "$build/compile_commands.json")
mapfile -t files < <(scripts/check/sources.sh | grep -E "^($folders)/.*\.(cpp|cc|cxx)$" |
    while IFS= read -r f; do grep -qxF "$top/$f" <<<"$compiled" && printf '%s\n' "$f"; done)
[ ${#files[@]} -gt 0 ] || { echo "lint: no sources in $build/compile_commands.json" >&2; exit 1; }

echo "lint: clang-tidy over ${#files[@]} files"
# clang-tidy counts the warnings it hid from system headers on standard error.
printf '%s\n' "${files[@]}" |
    xargs -P "$jobs" -n 4 clang-tidy -p "$build" --quiet --header-filter="^$top/($folders)/" \
        2> >(grep -v 'warnings\? generated\.$\|^Suppressed [0-9]* warnings\|^Use -header-filter\|NOLINT' >&2) ||
    { echo "lint: clang-tidy found something (above); fix it, or say in .clang-tidy why a check is left out" >&2; exit 1; }
echo "lint: clean"
