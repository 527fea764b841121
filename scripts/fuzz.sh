#!/usr/bin/env bash
# Installs what is missing, builds the libFuzzer targets of tests/fuzz with clang into build-fuzz/
# (FUZZ_BUILD_DIR overrides) and runs each for SECONDS (default 30), starting from its seeds in the
# tree. Inputs that reach new code collect in build-fuzz/corpus/, so later runs go on from there.
# Exits non-zero when any target crashed, leaked, ran out of memory or hung; the input that did it is
# kept in build-fuzz/artifacts/ and the target's output in build-fuzz/logs/.
#
#   scripts/fuzz.sh [SECONDS] [TARGET...]     targets: parse scene python obj items items_gpu
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
build="${FUZZ_BUILD_DIR:-$root/build-fuzz}"
seconds="${1:-30}"
shift $(($# > 0 ? 1 : 0))
targets=("$@")
[ ${#targets[@]} -gt 0 ] || targets=(parse scene python obj items items_gpu)

"$root/scripts/setup.sh"
BUILD_DIR="$build" BUILD_TYPE=RelWithDebInfo "$root/scripts/build.sh" \
  -DCMAKE_CXX_COMPILER=clang++ -DKIVO_FUZZ=ON

seeds="$root/tests/fuzz/corpus"
mkdir -p "$build/artifacts" "$build/logs"
# Scripts under test may save or export files: they land in a scratch folder, not in the tree. The
# targets' own temporary files go there too, since a target that crashes cannot remove them.
scratch="$(mktemp -d)"
trap 'rm -rf "$scratch"' EXIT
# A 2 MB stack instead of 8: recursion as deep as the input is long then overflows within the 4 KB
# inputs libFuzzer makes (a couple of thousand nested brackets under ASan), not only past 16 KB.
ulimit -s 2048

failed=()
for target in "${targets[@]}"; do
  mkdir -p "$build/corpus/$target"
  options=(-max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 -malloc_limit_mb=1024
           -artifact_prefix="$build/artifacts/$target-" -print_final_stats=1)
  case "$target" in
    parse | scene) options+=(-dict="$root/tests/fuzz/script.dict") ;;
    python | obj) options+=(-dict="$root/tests/fuzz/$target.dict") ;;
  esac
  # items_gpu starts from the seeds of items: the same inputs, evaluated through the GPU override.
  seed="$seeds/${target%_gpu}"
  log="$build/logs/$target.log"
  echo "fuzz_$target: ${seconds}s"
  if (cd "$scratch" && TMPDIR="$scratch" "$build/tests/fuzz/fuzz_$target" "${options[@]}" \
      "$build/corpus/$target" "$seed") >"$log" 2>&1; then
    grep -E "stat::number_of_executed_units|Done [0-9]+ runs" "$log" | tail -n 1
  else
    tail -n 60 "$log"
    failed+=("$target")
  fi
done

if [ ${#failed[@]} -gt 0 ]; then
  echo "fuzz targets that failed: ${failed[*]} (inputs in $build/artifacts, logs in $build/logs)"
  exit 1
fi
