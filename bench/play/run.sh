#!/usr/bin/env bash
# Play throughput of the slide show, baseline then progressive JPEG files.
# usage: bench/play/run.sh [BUILD_DIR] [ROWS] [RUNS] [MEMORY_ROWS]
# Builds the bench, makes ROWS rows (at least 60) of three different 1920x1080
# JPEG files with cjpeg, and plays them headless pinned to one core.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
build=${1:-$here/../../build}
rows=${2:-60}
runs=${3:-7}
memory_rows=${4:-2000}
cmake --build "$build" --target nubivu_playbench >/dev/null
bench="$build/bin/nubivu_playbench"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

mkdir -p "$work/baseline" "$work/progressive"
index=0
for ((r = 1; r <= rows; r++)); do
  for s in k n a; do
    index=$((index + 1)) # every file a different picture
    "$bench" --make-ppm "$work/src.ppm" "$index"
    name=$(printf 'row%03d_%s.jpg' "$r" "$s")
    cjpeg -quality 85 -outfile "$work/baseline/$name" "$work/src.ppm"
    cjpeg -quality 85 -progressive -outfile "$work/progressive/$name" "$work/src.ppm"
  done
done
rm -f "$work/src.ppm"

for mode in baseline progressive; do
  QT_QPA_PLATFORM=offscreen nice taskset -c 0 "$bench" "$work/$mode" "$mode" "$runs" "$memory_rows"
done
