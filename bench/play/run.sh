#!/usr/bin/env bash
# Play throughput, lateness and memory of the slide show, baseline then
# progressive JPEG files.
# usage: bench/play/run.sh [BUILD_DIR] [ROWS] [RUNS] [PACED_ROWS]
# Builds the bench, makes ROWS rows (at least 2) of three different
# 1920x1080 JPEG files with cjpeg, and plays them headless. The bench pins
# itself to one core, and to two for the two-core figures.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
build=${1:-$here/../../build}
rows=${2:-60}
runs=${3:-3}
paced_rows=${4:-2000}
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

# Each run has a runtime folder of its own, so that the program's one-copy
# guard never meets another copy on the machine, and a settings folder of
# its own, so that no remembered setting changes what is measured.
play() {
  local home
  home=$(mktemp -d -p "$work") # mode 0700
  mkdir -m 0700 "$home/runtime" "$home/config"
  XDG_RUNTIME_DIR="$home/runtime" XDG_CONFIG_HOME="$home/config" QT_QPA_PLATFORM=offscreen \
    nice "$bench" "$@" 2> >(grep -v 'propagateSizeHints' >&2)
  rm -rf "$home"
}

play "$work/baseline" baseline "$runs" --two-core --paced "$paced_rows" --fullscreen
play "$work/progressive" progressive "$runs"
