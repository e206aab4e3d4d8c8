#!/usr/bin/env bash
# Builds Korvid and runs its main job on sample footage it makes itself.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh
cmake -S . -B build -DCMAKE_BUILD_TYPE=Release -DKORVID_BUILD_TESTS=OFF
cmake --build build -j"$(nproc)"
samples=build/samples
mkdir -p "$samples"
# A short PAL DV clip whose frames carry a recording date, time and timecode.
ffmpeg -loglevel error -y -f lavfi -i testsrc=size=720x576:rate=25:duration=2 \
  -f lavfi -i sine=frequency=440:sample_rate=48000:duration=2 \
  -c:v dvvideo -pix_fmt yuv420p -c:a pcm_s16le -ac 2 \
  -metadata creation_time=2005-08-14T15:02:11 -timecode 01:02:03:04 \
  -f dv "$samples/ffmpeg_pal.dv"
ffmpeg -loglevel error -y -i "$samples/ffmpeg_pal.dv" -c copy "$samples/ffmpeg_pal.avi"
build/src/korvid --datecode "$samples"/*.avi
