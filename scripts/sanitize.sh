#!/usr/bin/env bash
# Installs what is missing, builds with AddressSanitizer and UndefinedBehaviorSanitizer into build-asan/
# (ASAN_BUILD_DIR overrides) and runs every test suite there. A Debug build: it compiles several
# times faster than an optimised one with sanitizers, and the suites take seconds either way.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
build="${ASAN_BUILD_DIR:-$root/build-asan}"
"$root/scripts/setup.sh"
BUILD_DIR="$build" BUILD_TYPE=Debug "$root/scripts/build.sh" -DKIVO_SANITIZE=address,undefined
cd "$build"
ctest --output-on-failure -j "$(nproc)"
