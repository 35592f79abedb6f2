#!/usr/bin/env bash
# Prints the tree's C++ sources, one path a line relative to the top: every
# file git knows or would add (tracked, and new files not ignored), so a file
# checked here is one that would be committed. Outside a git work tree (an
# unpacked source archive) it falls back to every C++ file outside build/.
set -euo pipefail
cd "$(dirname "$0")/../.."

patterns=('*.cpp' '*.h' '*.hpp' '*.cc' '*.cxx' '*.hxx' '*.inl')
if git rev-parse --is-inside-work-tree >/dev/null 2>&1; then
    git ls-files --cached --others --exclude-standard -- "${patterns[@]}" |
        sort -u | while IFS= read -r f; do [ -f "$f" ] && printf '%s\n' "$f"; done
else
    names=()
    for p in "${patterns[@]}"; do names+=(-o -name "$p"); done
    find . -path ./build -prune -o -path './build-*' -prune -o -type f \( "${names[@]:1}" \) -print |
        sed 's|^\./||' | sort
fi
