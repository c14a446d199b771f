#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Checks that the areas under src/ include only the areas below them, as the
# README's dependency line says, and that nothing below ui includes a
# QtWidgets header (those areas are linked by tests, fuzzers and benchmarks
# without any window).
set -euo pipefail
cd "$(dirname "$0")/.."

# What each area may include besides itself: the areas below it, all the way down.
declare -A allowed=(
  [core]=""
  [datalist]="core"
  [pictures]="core"
  [spi]="pictures core"
  [ui]="datalist spi pictures core"
  [slideshow]="ui datalist spi pictures core"
  [editor]="ui datalist spi pictures core"
  [sitephotos]="ui datalist spi pictures core"
  [app]="slideshow editor sitephotos ui datalist spi pictures core"
)
no_widgets=(core datalist pictures spi)

problems=0
for dir in src/*/; do
  area=$(basename "$dir")
  if [ -z "${allowed[$area]+set}" ]; then
    echo "layering: src/$area is a new area; give it its place in scripts/check-layering.sh"
    problems=1
    continue
  fi
  while IFS=: read -r file line target; do
    case " $area ${allowed[$area]} " in
    *" $target "*) ;;
    *)
      echo "layering: $file:$line: $area includes $target"
      problems=1
      ;;
    esac
  done < <(grep -rnoE '^#include "[a-z]+/' "$dir" | sed -E 's|#include "([a-z]+)/$|\1|')
done

headers=$(qtpaths6 --query QT_INSTALL_HEADERS 2>/dev/null || true)
if [ -z "$headers" ] || [ ! -d "$headers/QtWidgets" ]; then
  echo "layering: QtWidgets headers not found (qtpaths6); the QtWidgets check is skipped"
else
  for area in "${no_widgets[@]}"; do
    while IFS=: read -r file line header; do
      if [[ $header == QtWidgets || $header == QtWidgets/* ]] || [ -e "$headers/QtWidgets/$header" ]; then
        echo "layering: $file:$line: $area includes the QtWidgets header <$header>"
        problems=1
      fi
    done < <(grep -rnoE '^#include <[A-Za-z_/.]+>' "src/$area" | sed -E 's|#include <([^>]+)>$|\1|')
  done
fi

if ((problems == 0)); then echo "layering: every include points down"; fi
exit $problems
