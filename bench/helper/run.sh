#!/usr/bin/env bash
# Builds and runs the helper process benchmark (niced: it shares the machine).
# Usage: bench/helper/run.sh [rounds]
set -euo pipefail
cd "$(dirname "$0")/../.."
cmake -S . -B build -G Ninja >/dev/null
cmake --build build --target bench_helper >/dev/null
QT_QPA_PLATFORM=offscreen nice build/bench/bench_helper "$@"
