#!/usr/bin/env bash
# Installs the Debian package on a clean Debian 12 root and runs it there:
# `korvid --version`, `korvid --info` on a generated clip, the installed
# plug-in's switch, and the window on a virtual display.
#   scripts/package_check.sh [KORVID.deb]
# The package is built by scripts/package.sh when none is named.
#
# The clean root is a minimal Debian 12 made by debootstrap (kept as a
# tarball in build-package and unpacked afresh for every run) and entered
# with chroot, so only the package's declared dependencies are there.
# Where that cannot be had (not root, no debootstrap, no mirror) the package
# is installed on this machine instead and removed afterwards, which proves
# less: the machine already holds everything the build needed.
set -euo pipefail
cd "$(dirname "$0")/.."
project=$PWD

deb=${1:-}
if [ -z "$deb" ]; then deb=$(bash scripts/package.sh | tail -1); fi
deb=$(realpath "$deb")
[ -f "$deb" ] || { echo "package_check: no package $deb"; exit 1; }

# A generated clip to read, from the same release build.
cmake --build build-package -j"$(nproc)" --target korvid-samples >/dev/null
work=$(mktemp -d)
xvfb_pid=
cleanup() {
  [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null
  # Mounts made for the root live in their own mount namespace and are
  # gone with it; refuse to delete anything that is still mounted.
  if findmnt -rn -o TARGET | grep -q "^$work/"; then
    echo "package_check: $work still has mounts, left in place"
  else
    rm -rf "$work"
  fi
}
trap cleanup EXIT
build-package/tools/korvid-samples --long 4 "$work/clip.avi" >/dev/null

failures=0
fail() {
  echo "FAIL: $*"
  failures=$((failures + 1))
}

mirror=${KORVID_DEBIAN_MIRROR:-http://deb.debian.org/debian}
can_chroot() {
  [ "$(id -u)" -eq 0 ] && command -v unshare >/dev/null && command -v chroot >/dev/null || return 1
  [ -f build-package/debian12-root.tar ] && return 0
  command -v debootstrap >/dev/null ||
    DEBIAN_FRONTEND=noninteractive apt-get install -y -qq debootstrap >/dev/null 2>&1 || return 1
  debootstrap --variant=minbase bookworm "$work/bootstrap" "$mirror" >"$work/debootstrap.log" 2>&1 ||
    { tail -3 "$work/debootstrap.log"; rm -rf "$work/bootstrap"; return 1; }
  tar -C "$work/bootstrap" -cf build-package/debian12-root.tar .
  rm -rf "$work/bootstrap"
}

# Runs a command in the root, with /proc and the display's socket folder
# mounted in a namespace of its own.
in_root() {
  unshare --mount --fork --kill-child chroot "$root" /bin/bash -c '
    set -e
    mount -t proc proc /proc
    mount -t tmpfs tmpfs /dev/shm
    mount -t devpts -o newinstance,ptmxmode=0666 devpts /dev/pts 2>/dev/null || true
    exec "$@"' bash "$@"
}

# The checks of an installed Korvid, run where it is installed; they print
# their findings and return non-zero on the first failure.
# shellcheck disable=SC2016
installed_checks='
set -eu
export HOME=$1/home XDG_CONFIG_HOME=$1/home/.config XDG_DATA_HOME=$1/home/.local/share
mkdir -p "$HOME"
# Each output is printed for the log, then checked.
show() { printf "%s\n" "$1"; }
out=$(korvid --version); show "$out"; grep -qx "korvid [0-9.]*" <<<"$out"
out=$(korvid --info "$1/clip.avi"); show "$out"; grep -q "clip.avi" <<<"$out"
out=$(korvid --info --json "$1/clip.avi")
grep -q "\"frames\": 100" <<<"$out"
grep -q "\"datecode\": \"2005-08-14T15:02:11\"" <<<"$out"
# The plug-in installed with the program is found from the installed
# executable and runs its switch.
env -u DISPLAY korvid "/?" | grep -qx "Split into scenes	+u"
env -u DISPLAY korvid +h +s +u "$1/clip.avi"
ls "$1"/*.avi | grep -v "/clip.avi$" | grep -q .
for f in /usr/share/applications/korvid.desktop /usr/share/icons/hicolor/scalable/apps/korvid.svg \
         /usr/include/korvid/plugin.h /usr/share/man/man1/korvid.1.gz /usr/lib/korvid/plugins/split_scenes.vlk; do
  [ -f "$f" ] || { echo "missing $f"; exit 1; }
done
grep -qx "MimeType=video/x-msvideo;video/avi;video/msvideo;" /usr/share/applications/korvid.desktop
echo "installed checks passed"
'

# The window: Xvfb runs here, the program in the root (or here), and the
# window must still be up and drawn after a few seconds.
display_number=$((90 + RANDOM % 9))
while [ -e "/tmp/.X11-unix/X$display_number" ]; do display_number=$((display_number + 1)); done
start_display() {
  Xvfb ":$display_number" -nolisten tcp -screen 0 1280x800x24 >/dev/null 2>&1 &
  xvfb_pid=$!
  for _ in $(seq 50); do [ -e "/tmp/.X11-unix/X$display_number" ] && return 0; sleep 0.1; done
  fail "Xvfb did not start"
  return 1
}
window_check() {
  local pid=$1 shot=$project/build-package/package_check_window.png
  sleep 6
  kill -0 "$pid" 2>/dev/null || { fail "the window closed by itself"; return; }
  DISPLAY=":$display_number" xwininfo -root -tree | grep -q '"Korvid' || fail "no Korvid window on the display"
  DISPLAY=":$display_number" import -window root "$shot" 2>/dev/null || true
  [ -f "$shot" ] && echo "screenshot: $shot"
  # The program itself is asked to end: unshare, between, ignores the signal.
  kill -TERM "$(pgrep -P "$pid" || echo "$pid")" 2>/dev/null
  wait "$pid" 2>/dev/null || true
}

if can_chroot; then
  echo "package_check: a clean Debian 12 root (debootstrap, chroot)"
  root=$work/root
  mkdir -p "$root"
  tar -C "$root" -xf build-package/debian12-root.tar
  cp /etc/resolv.conf "$root/etc/resolv.conf"
  mkdir -p "$root/check" "$root/tmp/.X11-unix"
  cp "$deb" "$root/check/"
  cp "$work/clip.avi" "$root/check/"
  # Only the package and what it declares: no recommended packages.
  in_root bash -c 'export DEBIAN_FRONTEND=noninteractive
    apt-get update -qq && apt-get install -y -qq --no-install-recommends /check/'"$(basename "$deb")"' >/check/apt.log 2>&1 ||
    { tail -20 /check/apt.log; exit 1; }' || fail "the package does not install on a clean root"
  in_root bash -c "$installed_checks" bash /check || fail "the installed program fails its checks"
  if start_display; then
    unshare --mount --fork --kill-child bash -c '
      mount --bind /tmp/.X11-unix "$1/tmp/.X11-unix"
      mount -t proc proc "$1/proc"
      mount -t tmpfs tmpfs "$1/dev/shm"
      exec chroot "$1" env HOME=/check/home DISPLAY="$2" QT_QPA_PLATFORM=xcb korvid /check/clip.avi' \
      bash "$root" ":$display_number" >"$work/window.log" 2>&1 &
    window_check $!
  fi
else
  echo "package_check: no clean root here; installing on this machine (this proves the package's"
  echo "contents and that it runs, not that its declared dependencies are complete)"
  if dpkg -s korvid >/dev/null 2>&1; then echo "korvid is installed here already; not touching it"; exit 1; fi
  DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends "$deb" >"$work/apt.log" 2>&1 ||
    { tail "$work/apt.log"; exit 1; }
  bash -c "$installed_checks" bash "$work" || fail "the installed program fails its checks"
  if start_display; then
    env HOME="$work/home" DISPLAY=":$display_number" QT_QPA_PLATFORM=xcb korvid "$work/clip.avi" \
      >"$work/window.log" 2>&1 &
    window_check $!
  fi
  DEBIAN_FRONTEND=noninteractive apt-get remove -y -qq korvid >/dev/null
fi

if [ "$failures" -ne 0 ]; then
  [ -f "$work/window.log" ] && tail "$work/window.log"
  echo "package_check: $failures failures"
  exit 1
fi
echo "package_check: the package installs and runs"
