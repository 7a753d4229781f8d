#!/usr/bin/env bash
# The C++ sources follow .clang-format: lists the files that do not, and fails.
# With --fix it formats them instead.
set -euo pipefail
cd "$(dirname "$0")/.."
mapfile -t files < <(git ls-files '*.cpp' '*.h')
if [ "${1:-}" = "--fix" ]; then
  clang-format -i "${files[@]}"
  exit 0
fi
bad=()
for f in "${files[@]}"; do
  clang-format --dry-run --Werror "$f" >/dev/null 2>&1 || bad+=("$f")
done
if [ ${#bad[@]} -gt 0 ]; then
  printf 'not formatted (tools/check_format.sh --fix): %s\n' "${bad[@]}"
  exit 1
fi
echo "${#files[@]} files formatted"
