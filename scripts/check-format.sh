#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Checks that the C and C++ files are formatted as .clang-format says (the C
# plug-ins have their own file in plugins/). Reports only, until
# NUBIVU_FORMAT_CHECK=1 makes a difference fail the run.
set -euo pipefail
cd "$(dirname "$0")/.."
mapfile -t files < <(git ls-files '*.c' '*.h' '*.cpp')
changed=()
for f in "${files[@]}"; do
  clang-format --dry-run -Werror "$f" >/dev/null 2>&1 || changed+=("$f")
done
if ((${#changed[@]} == 0)); then
  echo "format: ${#files[@]} files as .clang-format says"
  exit 0
fi
echo "format: ${#changed[@]} of ${#files[@]} files differ from .clang-format (clang-format -i FILE fixes one):"
printf '  %s\n' "${changed[@]}"
if [ "${NUBIVU_FORMAT_CHECK:-0}" = 1 ]; then exit 1; fi
echo "format: report only (NUBIVU_FORMAT_CHECK=1 makes this fail)"
