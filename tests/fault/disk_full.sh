#!/bin/bash
# Commands that write into a full file system: each fails with a message
# that says so, leaves no partial or temporary file, and the source stays
# as it was; playlist and preference saves keep the file they would have
# replaced. The file system is a small tmpfs mounted in a mount namespace
# of its own; where the machine allows none, the test is skipped (77).
# usage: disk_full.sh KORVID KORVID-SAMPLES KORVID-SAVE-LOOP
set -u

if [ -z "${KORVID_DISK_FULL_NAMESPACE:-}" ]; then
  for unshare_options in -m -rm; do
    if unshare "$unshare_options" sh -c 'mount -t tmpfs -o size=1m tmpfs /mnt' 2>/dev/null; then
      KORVID_DISK_FULL_NAMESPACE=1 exec unshare "$unshare_options" "$0" "$@"
    fi
  done
  echo "SKIP: no mount namespace with a tmpfs can be made here"
  exit 77
fi

korvid=$1
samples=$2
save_loop=$3
work=$(mktemp -d)
trap 'umount "$work/disk" 2>/dev/null; rm -rf "$work"' EXIT
export ASAN_OPTIONS=${ASAN_OPTIONS:-detect_leaks=0}
failures=0

fail() {
  echo "FAIL: $*"
  failures=$((failures + 1))
}

mkdir -p "$work/home" "$work/disk"
"$samples" --long 4 "$work/clip.avi" --type1 --scenes 2 >/dev/null || { echo "cannot make the sample"; exit 1; }
bytes=$(stat -c %s "$work/clip.avi")
# Room for the source, its scene file and a little more: no output of a
# command below fits.
mount -t tmpfs -o size=$((bytes + 256 * 1024)) tmpfs "$work/disk" || { echo "SKIP: tmpfs cannot be mounted"; exit 77; }
cp "$work/clip.avi" "$work/disk/clip.avi"
env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM HOME="$work/home" XDG_CONFIG_HOME="$work/home/.config" \
  "$korvid" +h +s "$work/disk/clip.avi" </dev/null >/dev/null 2>&1 || fail "the scene file does not fit"
source_sum=$(sha256sum "$work/disk/clip.avi" | cut -d' ' -f1)

for switch in +2 +w +u; do
  before=$(ls -A "$work/disk")
  output=$(env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM HOME="$work/home" \
    XDG_CONFIG_HOME="$work/home/.config" "$korvid" +h "$switch" "$work/disk/clip.avi" </dev/null 2>&1)
  status=$?
  echo "$switch: $output"
  [ "$status" -eq 1 ] || fail "$switch: exit status $status on a full disk"
  grep -qi "no space left" <<<"$output" || fail "$switch: the message does not say the disk is full"
  [ "$(ls -A "$work/disk")" = "$before" ] || fail "$switch: left $(ls -A "$work/disk" | tr '\n' ' ')"
  [ "$(sha256sum "$work/disk/clip.avi" | cut -d' ' -f1)" = "$source_sum" ] || fail "$switch: the source changed"
  find "$work/disk" -name '.*.korvid-*' -delete
done

# Saves of whole files on a disk with no byte left: the old file stays as
# it was, a playlist save says why it failed, and no temporary is left.
"$save_loop" playlist "$work/disk/PlayList.txt" 1 "$work/disk/clip.avi" >/dev/null || fail "the first playlist save"
"$save_loop" preferences "$work/disk/config" 1 >/dev/null || fail "the first preference save"
dd if=/dev/zero of="$work/disk/filler" bs=64k 2>/dev/null
playlist_sum=$(sha256sum "$work/disk/PlayList.txt" | cut -d' ' -f1)
preferences_sum=$(sha256sum "$work/disk/config/Marovec/Korvid.conf" | cut -d' ' -f1)
before=$(ls -A "$work/disk" "$work/disk/config/Marovec")
# (A list that differs from the saved one: the same bytes need no writing.)
if output=$("$save_loop" playlist "$work/disk/PlayList.txt" 1 "$work/disk/clip.avi" "$work/clip.avi" 2>&1); then
  fail "playlist: a save on a full disk reports success"
fi
echo "playlist: $output"
grep -qi "no space left" <<<"$output" || fail "playlist: the message does not say the disk is full"
"$save_loop" preferences "$work/disk/config" 1 >/dev/null
TMPDIR="$work/disk" "$save_loop" preferences "$work/disk/config" 1 >/dev/null
env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM HOME="$work/home" XDG_CONFIG_HOME="$work/disk/config" \
  "$korvid" +h "$work/disk/clip.avi" </dev/null >/dev/null 2>&1
[ "$(sha256sum "$work/disk/PlayList.txt" | cut -d' ' -f1)" = "$playlist_sum" ] || fail "playlist: the saved list changed"
[ "$(sha256sum "$work/disk/config/Marovec/Korvid.conf" | cut -d' ' -f1)" = "$preferences_sum" ] ||
  fail "preferences: the saved preferences changed"
[ "$(ls -A "$work/disk" "$work/disk/config/Marovec")" = "$before" ] || fail "saves left $(ls -A "$work/disk")"
rm -f "$work/disk/filler"

if [ "$failures" -ne 0 ]; then
  echo "$failures failures"
  exit 1
fi
echo "full disk: every command failed cleanly"
