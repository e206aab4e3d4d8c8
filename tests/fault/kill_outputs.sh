#!/bin/bash
# Kills (SIGKILL) conversions (unattended and in the window), sound
# extraction, scene writing, the example plug-in's scene split and header
# fixes at several moments and checks what is left on disk:
#  - the source's checksum is unchanged;
#  - an output's name holds the previous output or a complete new one that
#    ffprobe reads without error (the outputs are made the same way every
#    time, so both are the clean run's bytes), or nothing when there was
#    none before;
#  - a patched header holds one setting or the other, never a mix;
#  - no temporary file is left after a clean run.
# usage: kill_outputs.sh KORVID KORVID-SAMPLES KORVID-HEADER-FIX
set -u

korvid=$1
samples=$2
header_fix=$3
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
temporaries() { find "$work/videos" \( -name '.*.korvid-*' -o -name '.*.part.avi' \) | wc -l; }

now_ms() { echo $(($(date +%s%N) / 1000000)); }

run_korvid() {
  env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM HOME="$work/home" XDG_CONFIG_HOME="$work/home/.config" \
    "$korvid" "$@" </dev/null >/dev/null 2>&1
}

run_korvid_output() {
  env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM HOME="$work/home" XDG_CONFIG_HOME="$work/home/.config" \
    "$korvid" "$@" </dev/null 2>/dev/null
}

# Replaces the calling shell with Korvid running `switch` over `file`:
# unattended (+h), or in the window on the offscreen platform with no
# questions (+m) and closing when done (+c). Run it in a subshell or in the
# background, where $! is then Korvid itself.
exec_korvid() {
  local mode=$1 switch=$2 file=$3
  if [ "$mode" = window ]; then
    exec env -u WAYLAND_DISPLAY DISPLAY=:999 QT_QPA_PLATFORM=offscreen HOME="$work/home" \
      XDG_CONFIG_HOME="$work/home/.config" "$korvid" +m "$switch" +c "$file" </dev/null >/dev/null 2>&1
  fi
  exec env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM HOME="$work/home" XDG_CONFIG_HOME="$work/home/.config" \
    "$korvid" +h "$switch" "$file" </dev/null >/dev/null 2>&1
}

probe_ok() {
  local errors
  errors=$(ffprobe -v error -show_entries format=duration -of csv=p=0 "$1" 2>&1 >/dev/null)
  [ -z "$errors" ]
}

"$samples" --long 12 "$work/videos/clip.avi" --type1 --scenes 4 >/dev/null || { echo "cannot make the sample"; exit 1; }
# The header fixes work on type 2 files.
"$samples" --long 4 "$work/videos/type2.avi" >/dev/null || { echo "cannot make the sample"; exit 1; }
source_sum=$(checksum "$work/videos/clip.avi")

# One command: a clean run gives the reference output, then runs killed at
# several moments, half of them over the previous output, half without one.
kill_command() {
  local mode=$1 switch=$2 output=$3 probe=$4
  local start end took reference moment pid sum
  rm -f "$output"
  start=$(now_ms)
  (exec_korvid "$mode" "$switch" "$work/videos/clip.avi")
  end=$(now_ms)
  took=$((end - start))
  [ -f "$output" ] || { fail "$switch: the clean run wrote no $output"; return; }
  [ "$(temporaries)" -eq 0 ] || fail "$switch: temporary files left after a clean run"
  if [ "$probe" = probe ] && ! probe_ok "$output"; then fail "$switch: ffprobe cannot read the clean output"; fi
  reference=$(checksum "$output")
  cp "$output" "$work/reference"
  for percent in 5 20 35 50 65 80 95; do
    if [ $((percent % 2)) -eq 1 ]; then rm -f "$output"; else cp "$work/reference" "$output"; fi
    moment=$((took * percent / 100))
    exec_korvid "$mode" "$switch" "$work/videos/clip.avi" &
    pid=$!
    sleep "$(printf '%d.%03d' $((moment / 1000)) $((moment % 1000)))"
    kill -KILL "$pid" 2>/dev/null
    wait "$pid" 2>/dev/null
    [ "$(checksum "$work/videos/clip.avi")" = "$source_sum" ] || fail "$switch at $percent%: the source changed"
    if [ -e "$output" ]; then
      sum=$(checksum "$output")
      [ "$sum" = "$reference" ] || fail "$switch at $percent%: $output is neither the previous nor a complete output"
      if [ "$probe" = probe ] && ! probe_ok "$output"; then fail "$switch at $percent%: ffprobe cannot read $output"; fi
    elif [ $((percent % 2)) -eq 0 ]; then
      fail "$switch at $percent%: the previous $output is gone"
    fi
    find "$work/videos" \( -name '.*.korvid-*' -o -name '.*.part.avi' \) -delete
  done
  echo "$switch ($mode): clean run ${took} ms, killed at 7 moments"
}

kill_command hidden +2 "$work/videos/clip_type2.avi" probe
kill_command window +2 "$work/videos/clip_type2.avi" probe
kill_command hidden +w "$work/videos/clip.wav" probe
kill_command hidden +s "$work/videos/clip.scn" noprobe
rm -f "$work/videos/clip_type2.avi" "$work/videos/clip.wav"

# The example plug-in writes one AVI per scene of the scene file left by
# +s. Killed at any moment, each scene file is whole or absent, and the
# scenes an earlier run wrote stay as they were (a new run writes beside
# them under other names).
split_outputs() { find "$work/videos" -maxdepth 1 -name 'ClipDV_*.avi' | sort; }
# The last killed +s run may have left no scene file.
run_korvid +h +s "$work/videos/clip.avi"
start=$(now_ms)
run_korvid +h +u "$work/videos/clip.avi"
took=$(($(now_ms) - start))
split_outputs >"$work/split.names"
if [ "$(wc -l <"$work/split.names")" -ne 4 ]; then
  fail "+u: the clean run wrote $(wc -l <"$work/split.names") scenes instead of 4"
else
  [ "$(temporaries)" -eq 0 ] || fail "+u: temporary files left after a clean run"
  mkdir -p "$work/split"
  while read -r file; do mv "$file" "$work/split/"; done <"$work/split.names"
  (cd "$work/split" && sha256sum ./* | cut -d' ' -f1 | sort) >"$work/split.sums"
  for percent in 10 25 40 55 70 85; do
    [ $((percent % 2)) -eq 0 ] && cp "$work/split"/* "$work/videos/"
    moment=$((took * percent / 100))
    env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM HOME="$work/home" XDG_CONFIG_HOME="$work/home/.config" \
      "$korvid" +h +u "$work/videos/clip.avi" </dev/null >/dev/null 2>&1 &
    pid=$!
    sleep "$(printf '%d.%03d' $((moment / 1000)) $((moment % 1000)))"
    kill -KILL "$pid" 2>/dev/null
    wait "$pid" 2>/dev/null
    while read -r file; do
      grep -qx "$(checksum "$file")" "$work/split.sums" || fail "+u at $percent%: $(basename "$file") is not a whole scene"
    done < <(split_outputs)
    if [ $((percent % 2)) -eq 0 ]; then
      for file in "$work/split"/*; do
        cmp -s "$file" "$work/videos/$(basename "$file")" || fail "+u at $percent%: the earlier $(basename "$file") changed"
      done
    fi
    find "$work/videos" -maxdepth 1 \( -name 'ClipDV_*.avi' -o -name '.*.korvid-*' -o -name '.*.part.avi' \) -delete
  done
  echo "+u: clean run ${took} ms, killed at 6 moments"
fi

# Header fixes in place: the frame rate and the codec code are patched over
# and over; wherever the kill lands, they hold one setting or the other and
# nothing else in the file changed.
cp "$work/videos/type2.avi" "$work/videos/fixed.avi"
"$header_fix" "$work/videos/fixed.avi" 1 || fail "the header fix does not run"
for moment in 0.05 0.15 0.3 0.45 0.6; do
  "$header_fix" "$work/videos/fixed.avi" &
  pid=$!
  sleep "$moment"
  kill -KILL "$pid" 2>/dev/null
  wait "$pid" 2>/dev/null
  rate=$(ffprobe -v error -select_streams v:0 -show_entries stream=avg_frame_rate -of csv=p=0 \
    "$work/videos/fixed.avi" 2>&1)
  case "$rate" in
    "25/1" | "1000000/33367") ;;
    *) fail "header fix killed after ${moment}s: the frame rate reads '$rate'" ;;
  esac
  codec=$(run_korvid_output --info --json "$work/videos/fixed.avi" | grep -o '"codec": "[^"]*"')
  case "$codec" in
    '"codec": "dvsd"' | '"codec": "CDVC"') ;;
    *) fail "header fix killed after ${moment}s: the codec reads '$codec'" ;;
  esac
  changed=$(cmp -l "$work/videos/type2.avi" "$work/videos/fixed.avi" | wc -l)
  [ "$changed" -le 12 ] || fail "header fix killed after ${moment}s: $changed bytes changed"
  probe_ok "$work/videos/fixed.avi" || fail "header fix killed after ${moment}s: ffprobe cannot read the file"
done
echo "header fix: killed at 5 moments"

[ "$(checksum "$work/videos/clip.avi")" = "$source_sum" ] || fail "the source changed"
if [ "$failures" -ne 0 ]; then
  echo "$failures failures"
  exit 1
fi
echo "all outputs whole or absent"
