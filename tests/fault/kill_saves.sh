#!/bin/bash
# Kills (SIGKILL) playlist and preference saves at random moments while
# they save two contents in turn, and checks that the file always holds
# one content or the other, whole.
# usage: kill_saves.sh KORVID-SAVE-LOOP KORVID-SAMPLES
set -u

loop=$1
samples=$2
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
export ASAN_OPTIONS=${ASAN_OPTIONS:-detect_leaks=0}
failures=0

fail() {
  echo "FAIL: $*"
  failures=$((failures + 1))
}

# A list long enough that one save writes several pages.
mkdir -p "$work/clips" "$work/config"
"$samples" --long 1 "$work/clips/clip000.avi" >/dev/null || { echo "cannot make the sample"; exit 1; }
for i in $(seq -w 1 119); do ln "$work/clips/clip000.avi" "$work/clips/clip$i.avi"; done
clips=("$work/clips"/*.avi)

# KIND: "playlist" or "preferences"; the rest: the save's and the check's
# arguments. One clean round first, so there is always a file to find.
kill_saves() {
  local kind=$1 target=$2
  shift 2
  local pid seen=""
  "$loop" "$kind" "$target" 1 "$@" >/dev/null || { fail "$kind: the clean save fails"; return; }
  # The moments count from the first save, not from the program's start.
  for moment in 0.01 0.05 0.09 0.13 0.18 0.23; do
    "$loop" "$kind" "$target" 0 "$@" >"$work/started" &
    pid=$!
    for _ in $(seq 200); do [ -s "$work/started" ] && break; sleep 0.02; done
    sleep "$moment"
    kill -KILL "$pid" 2>/dev/null
    wait "$pid" 2>/dev/null
    result=$("$loop" "$kind-check" "$target" "$@") || fail "$kind killed after ${moment}s: $result"
    seen="$seen $result"
  done
  echo "$kind: killed at 6 moments, found:$seen"
}

kill_saves playlist "$work/PlayList.txt" "${clips[@]}"
kill_saves preferences "$work/config"

if [ "$failures" -ne 0 ]; then
  echo "$failures failures"
  exit 1
fi
echo "every save whole"
