#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Runs every fuzz target for FUZZ_SECONDS (60) on seeds from the picture
# corpus (../shared/corpus or $NUBIVU_CORPUS), two at a time. A crash, a leak,
# a hang, a sanitizer report or a single allocation beyond 2 GB (more than the
# largest picture the readers accept; a few bytes claiming gigabytes) fails
# the run. Uses build-asan, which
# scripts/test-sanitized.sh builds; builds the fuzz targets there if missing.
set -euo pipefail
cd "$(dirname "$0")/.."
source scripts/sanitizer-env.sh
sanitizer_logs_reset
seconds=${FUZZ_SECONDS:-60}
corpus=${NUBIVU_CORPUS:-../shared/corpus}
work=build-asan/fuzz-work

targets=$(sed -n 's/^add_executable(\(fuzz_[a-z]*\).*/\1/p; s/^foreach(target \(.*\))$/\1/p' fuzz/CMakeLists.txt | tr ' ' '\n' | grep '^fuzz_' | sort -u)
if [ ! -f build-asan/build.ninja ]; then
  CC=clang CXX=clang++ cmake -S . -B build-asan -G Ninja -DNUBIVU_FUZZ=ON -DBUILD_TESTING=OFF \
    -DNUBIVU_WERROR="${NUBIVU_WERROR:-OFF}" >/dev/null
fi
# shellcheck disable=SC2086
cmake --build build-asan --target $targets tiffseeds

rm -rf "$work"
mkdir -p "$work"
have_corpus=1
[ -f "$corpus/FILES.tsv" ] || {
  have_corpus=0
  echo "fuzz smoke: no corpus at $corpus, the picture targets start from nothing"
}

# seeds TARGET PATTERN...: the corpus files of those kinds, copied, so that
# the fuzzers never write into the corpus.
seeds() {
  local dir=$work/$1/seeds
  shift
  mkdir -p "$dir"
  [ $have_corpus = 1 ] || return 0
  local pattern
  for pattern in "$@"; do
    find "$corpus" -type f -iname "$pattern" -size -1024k -exec cp -t "$dir" {} + 2>/dev/null || true
  done
}
seeds fuzz_bitmap '*.bmp'
seeds fuzz_icon '*.ico' '*.cur'
seeds fuzz_jpeg '*.jpg' '*.jpeg'
seeds fuzz_metafile '*.wmf' '*.emf'
mkdir -p "$work/fuzz_datalistfile/seeds" && cp samples/lesson.NV2 "$work/fuzz_datalistfile/seeds/"
seeds fuzz_exiftime '*.jpg' '*.jpeg'
# A name of each stamp form the file-name reader knows.
mkdir -p "$work/fuzz_filenametime/seeds"
for name in himawari_202405100900.png IMG_20240510_093015.jpg radar-20240510-0905.gif \
  map_2024-05-10_09-00-30.png sky_2024-05-10T09:00:45.jpg; do
  printf '%s' "$name" >"$work/fuzz_filenametime/seeds/$name"
done
# The plug-in target takes the plug-in's number first: 0 PNG, 1 GIF, 2 TIFF, 3 WebP.
mkdir -p "$work/fuzz_plugins/seeds"
if [ $have_corpus = 1 ]; then
  n=0
  for kind in png:0 gif:1 tif:2 tiff:2 webp:3; do
    while IFS= read -r -d '' f; do
      n=$((n + 1))
      { printf "\\x0${kind#*:}"; cat "$f"; } > "$work/fuzz_plugins/seeds/$n"
    done < <(find "$corpus" -type f -iname "*.${kind%%:*}" -size -1024k -print0)
  done
fi
# A TIFF of every compression the plug-in reads, corpus or not.
build-asan/bin/tiffseeds "$work/fuzz_plugins/seeds" 2 | tail -n 1
for t in $targets; do mkdir -p "$work/$t/seeds" "$work/$t/new"; done

run() {
  local t=$1 log=$work/$1/fuzz.log
  # New inputs go into new/, the seeds stay as they are; -timeout makes a hang a failure.
  if build-asan/bin/"$t" "$work/$t/new" "$work/$t/seeds" -max_total_time="$seconds" \
      -max_len=65536 -timeout=25 -malloc_limit_mb=2048 -rss_limit_mb=2560 -print_final_stats=1 \
      -artifact_prefix="$work/$t/" >"$log" 2>&1; then
    echo "$t: $(grep -m1 -o 'stat::number_of_executed_units: *[0-9]*' "$log" | grep -o '[0-9]*$') runs, $(ls "$work/$t/seeds" | wc -l) seeds, no finding"
  else
    echo "$t: FAILED (log $log)"
    tail -n 40 "$log"
    return 1
  fi
}
export -f run
export work seconds
# libFuzzer prints its reports on stderr, not into the sanitizer log folder.
status=0
printf '%s\n' $targets | ASAN_OPTIONS="${ASAN_OPTIONS/log_path=*\/asan/log_path=stderr}" \
  UBSAN_OPTIONS="${UBSAN_OPTIONS/log_path=*\/ubsan/log_path=stderr}" \
  xargs -P 2 -I{} bash -c 'run {}' || status=1
sanitizer_logs_check || status=1
exit $status
