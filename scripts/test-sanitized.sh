#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Builds everything, the tests and the fuzz targets included, with clang,
# AddressSanitizer, UndefinedBehaviorSanitizer and libFuzzer's instrumentation
# into build-asan, and runs every test there. Any sanitizer report, from a
# test or from a program a test starts, fails the run. Arguments go to ctest.
set -euo pipefail
cd "$(dirname "$0")/.."
source scripts/sanitizer-env.sh
# The build runs a sanitized program too (the icon painter).
sanitizer_logs_reset

# -O1 and line tables only: the build is the slow part on two cores.
CC=clang CXX=clang++ cmake -S . -B build-asan -G Ninja -DNUBIVU_FUZZ=ON -DBUILD_TESTING=ON \
  -DNUBIVU_WERROR="${NUBIVU_WERROR:-OFF}" -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DCMAKE_C_FLAGS_RELWITHDEBINFO="-O1 -gline-tables-only" \
  -DCMAKE_CXX_FLAGS_RELWITHDEBINFO="-O1 -gline-tables-only" >/dev/null
cmake --build build-asan

sanitizer_logs_reset
status=0
(cd build-asan && QT_QPA_PLATFORM=offscreen ctest --output-on-failure --timeout 1200 "$@") || status=1
sanitizer_logs_check || status=1
exit $status
