#!/usr/bin/env bash
# Checks (or with --fix, applies) the tree's one code style, .clang-format,
# on every C and C++ file that git tracks. Generated files (their first lines
# says "Generated ... do not edit") are left as their generators write them.
#
#   tools/style/check_format.sh          exit 1 and list the files that differ
#   tools/style/check_format.sh --fix    reformat them in place
set -euo pipefail
cd "$(dirname "$0")/../.."

files=()
while IFS= read -r f; do
  head -n 2 "$f" | tr "\n" " " | grep -qi 'generated.*do not edit' && continue
  files+=("$f")
done < <(git ls-files '*.c' '*.cc' '*.cpp' '*.h' '*.hpp')

if [ "${1:-}" = "--fix" ]; then
  clang-format -i "${files[@]}"
  exit 0
fi

bad=()
for f in "${files[@]}"; do
  clang-format --dry-run -Werror "$f" >/dev/null 2>&1 || bad+=("$f")
done
if [ ${#bad[@]} -gt 0 ]; then
  echo "These files differ from .clang-format (run 'make format'):"
  printf '  %s\n' "${bad[@]}"
  exit 1
fi
echo "format: ${#files[@]} files follow .clang-format"
