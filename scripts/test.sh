#!/usr/bin/env bash
# README's test command, and all that CI runs. Installs what is missing,
# builds, and runs every test headless; then builds the tests and the fuzz
# targets with clang, AddressSanitizer and UndefinedBehaviorSanitizer, runs
# every test there, runs each fuzz target for a minute on the corpus seeds,
# lints the Markdown, checks the formatting and that includes point down. Every step runs; the command
# fails when any step failed, and ends with one line per step.
#   NUBIVU_QUICK=1     only the first build and its tests
#   NUBIVU_WERROR=ON   warnings are errors (CI sets it)
#   extra arguments go to both ctest runs (for instance -R app)
set -euo pipefail
cd "$(dirname "$0")/.."
start=$SECONDS
bash scripts/setup.sh

summary=()
failed=0
step() {
  local name=$1 began=$SECONDS result=ok
  shift
  echo
  echo "=== $name"
  "$@" || { result=FAILED; failed=1; }
  summary+=("$(printf '%-28s %-7s %4d s' "$name" "$result" $((SECONDS - began)))")
}

step "tests" bash -c 'cd build && QT_QPA_PLATFORM=offscreen ctest --output-on-failure --timeout 1200 "$@"' _ "$@"
if [ "${NUBIVU_QUICK:-0}" != 1 ]; then
  step "sanitizer build and tests" bash scripts/test-sanitized.sh "$@"
  step "fuzz smoke" bash scripts/fuzz-smoke.sh
  step "markdown lint" bash scripts/check-markdown.sh
  step "format check" bash scripts/check-format.sh
  step "layering check" bash scripts/check-layering.sh
fi

echo
echo "=== summary"
printf '%s\n' "${summary[@]}"
echo "total $((SECONDS - start)) s (set-up and build included)"
exit $failed
