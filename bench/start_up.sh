#!/usr/bin/env bash
# Start-up of the report options against mediainfo, whole processes, warm
# cache: the median of 20 runs of each, after one warm-up run.
#   korvid --version         vs mediainfo --Version
#   korvid --info FILE.avi   vs mediainfo FILE.avi   (one generated DV AVI)
# and, for the record, what a hidden run without a command costs.
#
# Usage: bench/start_up.sh [korvid binary] [FILE.avi]
# (the binary of a Release build: build-bench/src/korvid by default; the
# file a generated PAL type-2 clip unless one is named)
set -euo pipefail

root="$(cd "$(dirname "$0")/.." && pwd)"
korvid="$(realpath -m "${1:-$root/build-bench/src/korvid}")"
samples="$(dirname "$korvid")/../tools/korvid-samples"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir -p "$work/home"
export HOME="$work/home" XDG_CONFIG_HOME="$work/home/.config" XDG_DATA_HOME="$work/home/.local/share"
unset DISPLAY WAYLAND_DISPLAY

file=${2:-}
if [[ -z "$file" ]]; then
  "$samples" "$work/samples" >/dev/null
  file="$work/samples/pal_type2.avi"
fi
runs=20

# Median wall time in milliseconds of `runs` runs of the command.
median_ms() {
  "$@" >/dev/null 2>&1 || true
  local times=() start end
  for ((i = 0; i < runs; ++i)); do
    start=$EPOCHREALTIME
    "$@" >/dev/null 2>&1 || true
    end=$EPOCHREALTIME
    times+=("$(awk -v a="$start" -v b="$end" 'BEGIN { printf "%.3f", (b - a) * 1000 }')")
  done
  printf '%s\n' "${times[@]}" | sort -g | awk '{ t[NR] = $1 } END { printf "%.1f", (NR % 2) ? t[(NR + 1) / 2] : (t[NR / 2] + t[NR / 2 + 1]) / 2 }'
}

row() {  # label korvid-command... -- anchor-command...
  local label=$1
  shift
  local mine=() theirs=()
  while [[ $1 != -- ]]; do mine+=("$1"); shift; done
  shift
  theirs=("$@")
  local a b
  a=$(median_ms "${mine[@]}")
  if [[ ${#theirs[@]} -gt 0 ]] && command -v "${theirs[0]}" >/dev/null; then
    b=$(median_ms "${theirs[@]}")
    printf '%-26s korvid %7.1f ms   %-22s %7.1f ms   ratio %.2f\n' "$label" "$a" "${theirs[0]} ${theirs[1]:-}" "$b" \
      "$(awk -v a="$a" -v b="$b" 'BEGIN { print a / b }')"
  else
    printf '%-26s korvid %7.1f ms\n' "$label" "$a"
  fi
}

echo "median of $runs runs; $(basename "$file"), $(stat -c %s "$file") bytes"
row "--version" "$korvid" --version -- mediainfo --Version
row "--info FILE" "$korvid" --info "$file" -- mediainfo "$file"
row "--info --json FILE" "$korvid" --info --json "$file" -- mediainfo --Output=JSON "$file"
row "+h FILE (no command)" "$korvid" +h "$file" --
