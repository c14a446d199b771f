#!/usr/bin/env bash
# Builds and runs the plug-in decoding benchmark (niced: it shares the machine).
# Usage: bench/plugins/run.sh [rounds]
set -euo pipefail
cd "$(dirname "$0")/../.."
cmake -S . -B build -G Ninja >/dev/null
cmake --build build --target bench_plugins ifpng ifgif iftiff ifwebp >/dev/null
QT_QPA_PLATFORM=offscreen nice build/bench/bench_plugins "$@"
