#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Lints every Markdown file of the tree (mdl, Debian's ruby-mdl), so that a
# code block left open or a broken table shows up before anyone reads it.
set -euo pipefail
cd "$(dirname "$0")/.."
mapfile -t files < <(git ls-files '*.md' 2>/dev/null || find . -name '*.md' -not -path './build*')
mdl --style scripts/mdl-style.rb "${files[@]}"
echo "markdown: ${#files[@]} files clean"
