#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Checks that the C and C++ files are formatted as .clang-format says (the C
# plug-ins have their own file in plugins/). Any difference fails the run;
# NUBIVU_FORMAT_CHECK=0 only reports it (for a machine with another
# clang-format, whose output may differ in small ways).
set -euo pipefail
cd "$(dirname "$0")/.."
command -v clang-format >/dev/null || { echo "format: clang-format is not installed"; exit 1; }
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
if [ "${NUBIVU_FORMAT_CHECK:-1}" = 0 ]; then
  echo "format: report only (NUBIVU_FORMAT_CHECK=0)"
  exit 0
fi
exit 1
