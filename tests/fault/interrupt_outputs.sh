#!/bin/bash
# Interrupts (SIGINT, SIGTERM) conversions (unattended and in the window),
# sound extraction, scene writing, the frame exports and the example
# plug-in's scene split at several moments and checks what is left:
#  - no temporary file at all: the stopped command removed its own;
#  - the exit status is 128 + the signal (or 0 when the run had ended);
#  - the source's checksum is unchanged;
#  - an output's name holds the previous output, a complete new one, or a
#    shorter one a stopped conversion finished (each read by ffprobe
#    without error), or nothing when there was none before.
# usage: interrupt_outputs.sh KORVID KORVID-SAMPLES
set -u

korvid=$1
samples=$2
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir -p "$work/home" "$work/videos"
export ASAN_OPTIONS=${ASAN_OPTIONS:-detect_leaks=0}
failures=0

fail() {
  echo "FAIL: $*"
  failures=$((failures + 1))
}

checksum() { sha256sum "$1" | cut -d' ' -f1; }

# The program's own temporaries and the split plug-in's scene parts.
temporaries() { find "$work/videos" \( -name '.*.korvid-*' -o -name '.*.part.avi' \) | tr '\n' ' '; }

now_ms() { echo $(($(date +%s%N) / 1000000)); }

probe_ok() {
  local errors
  errors=$(ffprobe -v error -show_entries format=duration -of csv=p=0 "$1" 2>&1 >/dev/null)
  [ -z "$errors" ]
}

# Replaces the calling shell with Korvid running `switch` over `file`,
# unattended or in the window on the offscreen platform (no questions,
# closing when done). Standard error goes to "$work/err".
exec_korvid() {
  local mode=$1 switch=$2 file=$3
  if [ "$mode" = window ]; then
    exec env -u WAYLAND_DISPLAY DISPLAY=:999 QT_QPA_PLATFORM=offscreen HOME="$work/home" \
      XDG_CONFIG_HOME="$work/home/.config" "$korvid" +m "$switch" +c "$file" </dev/null >/dev/null 2>"$work/err"
  fi
  exec env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM HOME="$work/home" XDG_CONFIG_HOME="$work/home/.config" \
    "$korvid" +h "$switch" "$file" </dev/null >/dev/null 2>"$work/err"
}

"$samples" --long 12 "$work/videos/clip.avi" --type1 --scenes 4 >/dev/null || { echo "cannot make the sample"; exit 1; }
source_sum=$(checksum "$work/videos/clip.avi")

# One command: a clean run, then runs interrupted at several moments,
# SIGINT and SIGTERM in turn, half of them over the previous output.
interrupt_command() {
  local mode=$1 switch=$2 output=$3 probe=$4
  local start took reference moment pid status signal number
  rm -f "$output"
  start=$(now_ms)
  (exec_korvid "$mode" "$switch" "$work/videos/clip.avi")
  took=$(($(now_ms) - start))
  [ -f "$output" ] || { fail "$switch: the clean run wrote no $output"; return; }
  reference=$(checksum "$output")
  cp "$output" "$work/reference"
  for percent in 10 25 40 55 70 85; do
    if [ $((percent % 2)) -eq 1 ]; then rm -f "$output"; else cp "$work/reference" "$output"; fi
    if [ $((percent / 5 % 2)) -eq 0 ]; then signal=INT number=2; else signal=TERM number=15; fi
    moment=$((took * percent / 100))
    exec_korvid "$mode" "$switch" "$work/videos/clip.avi" &
    pid=$!
    sleep "$(printf '%d.%03d' $((moment / 1000)) $((moment % 1000)))"
    kill -"$signal" "$pid" 2>/dev/null
    wait "$pid"
    status=$?
    local at="$switch ($mode) at $percent%, SIG$signal"
    [ "$status" -eq 0 ] || [ "$status" -eq $((128 + number)) ] || fail "$at: exit status $status"
    if [ "$status" -ne 0 ] && grep -q "stopped by" "$work/err" && ! grep -q "stopped by SIG$signal" "$work/err"; then
      fail "$at: the message names another signal: $(cat "$work/err")"
    fi
    [ -z "$(temporaries)" ] || fail "$at: left $(temporaries)"
    [ "$(checksum "$work/videos/clip.avi")" = "$source_sum" ] || fail "$at: the source changed"
    if [ -e "$output" ]; then
      if [ "$probe" = probe ] && ! probe_ok "$output"; then fail "$at: ffprobe cannot read $output"; fi
    elif [ $((percent % 2)) -eq 0 ]; then
      fail "$at: the previous $output is gone"
    fi
    find "$work/videos" \( -name '.*.korvid-*' -o -name '.*.part.avi' \) -delete
  done
  [ "$reference" = "$(checksum "$work/reference")" ] || fail "$switch: the reference changed"
  echo "$switch ($mode): clean run ${took} ms, interrupted at 6 moments"
}

interrupt_command hidden +2 "$work/videos/clip_type2.avi" probe
interrupt_command window +2 "$work/videos/clip_type2.avi" probe
interrupt_command hidden +w "$work/videos/clip.wav" probe
interrupt_command hidden +s "$work/videos/clip.scn" noprobe
interrupt_command hidden +y "$work/videos/clip.srt" noprobe
interrupt_command hidden +f "$work/videos/clip_frames.csv" noprobe
rm -f "$work/videos/clip_type2.avi" "$work/videos/clip.wav" "$work/videos/clip.srt" "$work/videos/clip_frames.csv"

# The example plug-in's split, over the scene file of a clean +s: stopped
# at any moment, its scene parts are gone and each scene file is whole.
split_outputs() { find "$work/videos" -maxdepth 1 -name 'ClipDV_*.avi' | sort; }
(exec_korvid hidden +s "$work/videos/clip.avi")
start=$(now_ms)
(exec_korvid hidden +u "$work/videos/clip.avi")
took=$(($(now_ms) - start))
if [ "$(split_outputs | wc -l)" -ne 4 ]; then
  fail "+u: the clean run wrote $(split_outputs | wc -l) scenes instead of 4"
else
  split_outputs | xargs -d '\n' sha256sum | cut -d' ' -f1 | sort >"$work/split.sums"
  for percent in 15 35 55 75; do
    split_outputs | xargs -r -d '\n' rm -f
    moment=$((took * percent / 100))
    exec_korvid hidden +u "$work/videos/clip.avi" &
    pid=$!
    sleep "$(printf '%d.%03d' $((moment / 1000)) $((moment % 1000)))"
    kill -INT "$pid" 2>/dev/null
    wait "$pid"
    status=$?
    [ "$status" -eq 0 ] || [ "$status" -eq 130 ] || fail "+u at $percent%: exit status $status"
    [ -z "$(temporaries)" ] || fail "+u at $percent%: left $(temporaries)"
    while read -r file; do
      grep -qx "$(checksum "$file")" "$work/split.sums" || fail "+u at $percent%: $(basename "$file") is not a whole scene"
    done < <(split_outputs)
  done
  echo "+u: clean run ${took} ms, interrupted at 4 moments"
fi

[ "$(checksum "$work/videos/clip.avi")" = "$source_sum" ] || fail "the source changed"
if [ "$failures" -ne 0 ]; then
  echo "$failures failures"
  exit 1
fi
echo "interrupted runs: no temporary left, every output whole"
