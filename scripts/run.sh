#!/usr/bin/env bash
# Installs what is missing, builds, and starts the program on the sample lesson.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh
lesson=samples/lesson.NV2
if [ -f "$lesson" ]; then exec build/bin/nubivu "$lesson"; else exec build/bin/nubivu; fi
