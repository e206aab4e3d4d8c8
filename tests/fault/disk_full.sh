#!/bin/bash
# Commands that write into a full file system: each fails with a message
# that says so, leaves no partial or temporary file, and the source stays
# as it was. The file system is a small tmpfs mounted in a mount namespace
# of its own; where the machine allows none, the test is skipped (77).
# usage: disk_full.sh KORVID KORVID-SAMPLES
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

if [ "$failures" -ne 0 ]; then
  echo "$failures failures"
  exit 1
fi
echo "full disk: every command failed cleanly"
