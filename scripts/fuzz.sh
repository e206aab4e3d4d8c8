#!/usr/bin/env bash
# Fuzzes the parsers with clang's libFuzzer, one target at a time at the
# lowest priority (the machine is shared):
#   scripts/fuzz.sh [SECONDS] [--merge] [TARGET...]
# SECONDS per target (default 600). Every target runs over its stored inputs
# in fuzz/corpus/<target>; new inputs go to $KORVID_FUZZ_SCRATCH/<target>
# (default build-fuzz/new-inputs), logs and any crashing input to
# $KORVID_FUZZ_LOGS (default build-fuzz/logs). --merge afterwards adds to the
# stored inputs only the new ones that reach code the stored ones do not,
# and none larger than $KORVID_FUZZ_MERGE_MAX_BYTES (default 16384), so
# that the repository stays small.
# Exits non-zero when a target found a crash, a hang, a leak or undefined
# behaviour.
set -euo pipefail
cd "$(dirname "$0")/.."

seconds=600
merge=0
targets=()
for arg in "$@"; do
  case "$arg" in
    --merge) merge=1 ;;
    ''|*[!0-9]*) targets+=("$arg") ;;
    *) seconds="$arg" ;;
  esac
done
if [ ${#targets[@]} -eq 0 ]; then
  for source in fuzz/*_fuzz.cpp; do targets+=("$(basename "$source" .cpp)"); done
fi
scratch="${KORVID_FUZZ_SCRATCH:-build-fuzz/new-inputs}"
logs="${KORVID_FUZZ_LOGS:-build-fuzz/logs}"
merge_max_bytes="${KORVID_FUZZ_MERGE_MAX_BYTES:-16384}"

bash scripts/setup.sh fuzz
CC=clang CXX=clang++ cmake -S . -B build-fuzz -DKORVID_BUILD_FUZZ=ON -DKORVID_BUILD_TESTS=OFF \
  -DKORVID_BUILD_BENCH=OFF -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
nice -n 19 cmake --build build-fuzz -j"$(nproc)" --target "${targets[@]}"
mkdir -p "$logs"

failed=0
printf '%-20s %8s %12s %8s %8s  %s\n' target seconds executions cov ft verdict
for target in "${targets[@]}"; do
  corpus="fuzz/corpus/$target"
  mkdir -p "$scratch/$target" "$corpus"
  log="$logs/$target.log"
  verdict=ok
  # -timeout: an input taking longer is a hang; leaks are reported by default.
  if ! nice -n 19 "build-fuzz/fuzz/$target" -max_total_time="$seconds" -print_final_stats=1 \
      -timeout=10 -rss_limit_mb=2048 -artifact_prefix="$logs/$target-" \
      "$scratch/$target" "$corpus" >"$log" 2>&1; then
    verdict="FAILED (see $log)"
    failed=1
  fi
  executions=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log" | tail -n 1)
  coverage=$(grep -E '^#[0-9]+' "$log" | tail -n 1 | sed -n 's/.* cov: \([0-9]*\) ft: \([0-9]*\).*/\1 \2/p')
  printf '%-20s %8s %12s %8s %8s  %s\n' "$target" "$seconds" "${executions:-?}" \
    "${coverage% *}" "${coverage#* }" "$verdict"
  if [ "$merge" = 1 ] && [ "$verdict" = ok ]; then
    candidates="$scratch/$target.small"
    rm -rf "$candidates"
    mkdir -p "$candidates"
    find "$scratch/$target" -type f -size -"$((merge_max_bytes + 1))"c -exec cp {} "$candidates" \;
    nice -n 19 "build-fuzz/fuzz/$target" -merge=1 "$corpus" "$candidates" >"$logs/$target.merge.log" 2>&1
    echo "$target: $(grep -o '[0-9]* new files with [0-9]* new features added' "$logs/$target.merge.log" || echo 'merge failed')"
  fi
done
exit "$failed"
