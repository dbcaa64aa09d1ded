#!/usr/bin/env bash
# Every test suite: native (GoogleTest), Windows programs under Wine, cloud rules in PostgreSQL, site files and the site in Chromium.
set -euo pipefail
cd "$(dirname "$0")/.."

bash build/deps.sh
cmake --preset native
cmake --build --preset native
cmake --preset windows
cmake --build --preset windows

# The native lines changed by the last commit (a merge: by the branch it brought) follow .clang-format.
if git rev-parse -q --verify HEAD~1 >/dev/null; then bash build/format-check.sh HEAD~1; fi
ctest --preset native
ctest --preset windows
bash tests/sql/run.sh
mapfile -t suites < <(find tests/site tests/browser -name '*.test.mjs' | sort)
node --test --test-concurrency=1 "${suites[@]}"
