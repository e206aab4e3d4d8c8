#!/usr/bin/env bash
# Whole-process times of unattended korvid runs against programs doing
# comparable work on the same files:
#   type 1 -> 2 of a 1 GiB dvgrab file    vs cp and ffmpeg -c copy
#   scene scan (+s) of 45,000 frames      vs ffmpeg reading the video (-f null)
#   PAL -> NTSC (+n) of a 30-second clip  vs ffmpeg scale + fps + DV encode
#   datecode inlay (+i) of the same clip  vs ffmpeg drawtext + DV encode
# The files (about 8 GB) go to $KORVID_BENCH_DIR, by default under /tmp,
# and are made once. Each pair runs three times after a warm-up run, with
# /usr/bin/time; `--commands` prints the pairs only, for another harness,
# and `--prepare` only makes the files.
#
# Usage: bench/headless_vs_ffmpeg.sh [--commands|--prepare] [korvid binary]
# (the binary of a Release build: build-bench/src/korvid by default)
set -euo pipefail

mode=run
if [[ "${1:-}" == --commands || "${1:-}" == --prepare ]]; then
  mode=${1#--}
  shift
fi
root="$(cd "$(dirname "$0")/.." && pwd)"
korvid="$(realpath -m "${1:-$root/build-bench/src/korvid}")"
dir="${KORVID_BENCH_DIR:-${TMPDIR:-/tmp}/korvid-headless-bench}"
mkdir -p "$dir/home"
font=$(fc-match -f '%{file}' sans)

# Raw DV with recording dates: ten seconds encoded once, repeated.
raw_dv() {  # system seconds output
  local size rate chroma  # PAL as 4:1:1 would be DVCPRO, not consumer DV
  if [[ $1 == pal ]]; then size=720x576 rate=25 chroma=yuv420p; else size=720x480 rate=30000/1001 chroma=yuv411p; fi
  ffmpeg -nostdin -v error -y -f lavfi -i "testsrc=size=$size:rate=$rate:duration=10" \
    -f lavfi -i "sine=frequency=440:sample_rate=48000:duration=10" -ac 2 \
    -c:v dvvideo -pix_fmt $chroma -c:a pcm_s16le -ar 48000 \
    -metadata creation_time=2005-08-14T15:02:11 -timecode 00:00:00:00 -f dv "$dir/ten.dv"
  : > "$3"
  for ((i = 0; i < $2 / 10; ++i)); do cat "$dir/ten.dv" >> "$3"; done
  rm "$dir/ten.dv"
}

# dvgrab hangs now and then after its input: killed, and tried again.
dvgrab_avi() {  # raw format output
  for _ in 1 2 3; do
    rm -f "${3%.avi}"001.avi
    timeout -s KILL 300 dvgrab -input "$1" -format "$2" -opendml -size 0 "${3%.avi}" </dev/null >/dev/null 2>&1 || true
    if [[ -s "${3%.avi}001.avi" ]]; then
      mv "${3%.avi}001.avi" "$3"
      return
    fi
  done
  echo "dvgrab could not write $3" >&2
  exit 1
}

prepare() {
  if [[ ! -s "$dir/big.avi" ]]; then  # 7460 PAL frames: 1 GiB of DV
    raw_dv pal 300 "$dir/big.dv"
    head -c $((7460 * 144000)) "$dir/big.dv" > "$dir/big1g.dv" && rm "$dir/big.dv"
    dvgrab_avi "$dir/big1g.dv" dv1 "$dir/big.avi" && rm "$dir/big1g.dv"
  fi
  if [[ ! -s "$dir/long.avi" ]]; then  # 45,000 NTSC frames
    raw_dv ntsc 1510 "$dir/long.dv"
    head -c $((45000 * 120000)) "$dir/long.dv" > "$dir/long45k.dv" && rm "$dir/long.dv"
    dvgrab_avi "$dir/long45k.dv" dv2 "$dir/long.avi" && rm "$dir/long45k.dv"
  fi
  if [[ ! -s "$dir/clip.avi" ]]; then  # 30 seconds of PAL, type 2
    raw_dv pal 30 "$dir/clip.dv"
    dvgrab_avi "$dir/clip.dv" dv2 "$dir/clip.avi" && rm "$dir/clip.dv"
  fi
}

run_korvid="env HOME=$dir/home XDG_CONFIG_HOME=$dir/home/.config $korvid +h"
pairs=(
  "$run_korvid +2 $dir/big.avi|cp $dir/big.avi $dir/big_cp.avi"
  "$run_korvid +2 $dir/big.avi|ffmpeg -nostdin -v error -y -i $dir/big.avi -map 0 -c copy $dir/big_ff.avi"
  "$run_korvid +s $dir/long.avi|ffmpeg -nostdin -v error -i $dir/long.avi -map 0:v -c copy -f null -"
  "$run_korvid +n $dir/clip.avi|ffmpeg -nostdin -v error -y -i $dir/clip.avi -vf scale=720:480,fps=30000/1001 -c:v dvvideo -pix_fmt yuv411p -c:a pcm_s16le $dir/clip_ff_ntsc.avi"
  "$run_korvid +i $dir/clip.avi|ffmpeg -nostdin -v error -y -i $dir/clip.avi -vf drawtext=fontfile=$font:text=%{pts}:x=40:y=520:fontsize=24:fontcolor=white -c:v dvvideo -pix_fmt yuv420p -c:a copy $dir/clip_ff_in.avi"
)

if [[ $mode == commands ]]; then
  printf '%s\n' "${pairs[@]}"
  exit 0
fi
prepare
[[ $mode == prepare ]] && exit 0
for pair in "${pairs[@]}"; do
  for side in "${pair%%|*}" "${pair#*|}"; do
    echo "$side"
    $side >/dev/null 2>&1  # warm-up, and the page cache
    for _ in 1 2 3; do /usr/bin/time -f "  %e s wall  %U s user  %M KB" $side >/dev/null 2>"$dir/time.txt" || true; tail -1 "$dir/time.txt"; done
  done
done
