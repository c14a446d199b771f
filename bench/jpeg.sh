#!/bin/sh
# JPEG decode benchmark: the picture class (jpegbench) against the floor of
# bare libjpeg with the same settings (jpegfloor), on generated 640 x 480,
# 1920 x 1080 and 5500 x 5500 pictures, baseline and progressive.
# Paired runs pinned to one core; prints medians and ratios, and the peak
# memory of both programs for the largest picture. Builds nothing: build the
# project first (cmake --build build).
#
#   bench/jpeg.sh [BUILD_DIR] [RUNS]
set -eu
build=${1:-build}
runs=${2:-7}
bench=$build/bench
for tool in "$bench/jpegbench" "$bench/jpegfloor" cjpeg taskset; do
    command -v "$tool" >/dev/null 2>&1 || { echo "missing: $tool" >&2; exit 2; }
done
work=${TMPDIR:-/tmp}/nubivu-jpeg-bench
mkdir -p "$work"

median() { sort -g | awk '{ v[NR] = $1 } END { print (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2 }'; }

printf '%-22s %10s %10s %7s\n' picture class_s floor_s ratio
for size in 640x480 1920x1080 5500x5500; do
    w=${size%x*}
    h=${size#*x}
    [ -f "$work/$size.ppm" ] || "$bench/jpegbench" --pattern "$w" "$h" "$work/$size.ppm"
    for mode in baseline progressive; do
        jpg=$work/$size-$mode.jpg
        if [ ! -f "$jpg" ]; then
            if [ "$mode" = progressive ]; then
                cjpeg -quality 90 -progressive "$work/$size.ppm" >"$jpg"
            else
                cjpeg -quality 90 "$work/$size.ppm" >"$jpg"
            fi
        fi
        : >"$work/class" && : >"$work/floor" && : >"$work/class_rss" && : >"$work/floor_rss"
        i=0
        while [ "$i" -lt "$runs" ]; do
            set -- $(taskset -c 0 "$bench/jpegbench" "$jpg")
            echo "$1" >>"$work/class" && echo "$2" >>"$work/class_rss"
            set -- $(taskset -c 0 "$bench/jpegfloor" "$jpg")
            echo "$1" >>"$work/floor" && echo "$2" >>"$work/floor_rss"
            i=$((i + 1))
        done
        c=$(median <"$work/class")
        f=$(median <"$work/floor")
        printf '%-22s %10.4f %10.4f %7.3f\n' "$size $mode" "$c" "$f" "$(echo "$c $f" | awk '{ print $1 / $2 }')"
        if [ "$size" = 5500x5500 ]; then
            cr=$(median <"$work/class_rss")
            fr=$(median <"$work/floor_rss")
            printf '  peak memory %s: class %d kB, floor %d kB, ratio %.3f\n' "$mode" "$cr" "$fr" \
                "$(echo "$cr $fr" | awk '{ print $1 / $2 }')"
        fi
    done
done
