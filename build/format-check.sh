#!/usr/bin/env bash
# Checks that the native programs' C and C++ lines changed since a base revision follow the
# .clang-format of their folder (the root's, or the installer's own); lines not changed are left
# alone. The engine, formatted by hand before its .clang-format, is not checked. Prints the
# differences and fails when there are any.
# usage: build/format-check.sh [BASE]   (default: the merge base with origin/main, else HEAD~1)
set -euo pipefail
cd "$(dirname "$0")/.."

base=${1:-$(git merge-base HEAD origin/main 2>/dev/null || git rev-parse HEAD~1)}
folders=(common installer loader server shell)

out=$(git clang-format --diff --extensions c,cc,cpp,h,hpp "$base" -- "${folders[@]}" 2>&1) || true
case $out in
  "" | "no modified files to format" | "clang-format did not modify any files")
    echo "format: the lines changed since $base follow .clang-format"
    ;;
  *)
    printf '%s\n' "$out"
    echo "format: the lines above do not follow .clang-format (git clang-format $base rewrites them)" >&2
    exit 1
    ;;
esac
