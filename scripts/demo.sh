#!/usr/bin/env bash
# Installs what is missing, builds and runs the demo scene (OBJ files land in demo_out/).
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
"$root/scripts/setup.sh"
"$root/scripts/build.sh"
"${BUILD_DIR:-$root/build}/app/kivo" demo --out "${DEMO_OUT:-$root/demo_out}"
