#!/bin/sh
# Installs what building (and with --test, testing) Velmor Sound Recorder
# needs on Debian 12. The default build compiles the tests and benchmarks
# too, so their libraries are build packages; --test adds the tools the
# tests run (sound server, X server, peer decoders and taggers, clang).
set -eu

build_packages="cmake ninja-build g++ pkg-config
  qt6-base-dev libxcb1-dev
  libpulse-dev
  libavcodec-dev libavformat-dev libavutil-dev libswresample-dev libavfilter-dev
  libmp3lame-dev libbcg729-dev libsndfile1-dev libvorbis-dev libogg-dev
  libcdio-dev libcdio-paranoia-dev zlib1g-dev
  libgtest-dev libgmock-dev libbenchmark-dev"
run_packages="pulseaudio-utils"
test_packages="pulseaudio pulseaudio-utils ffmpeg sox lame eyed3 python3 python3-mutagen
  xvfb xdotool xauth trayer dbus-daemon clang libclang-rt-14-dev
  desktop-file-utils appstream dpkg-dev file binutils"

packages="$build_packages $run_packages"
[ "${1:-}" = "--test" ] && packages="$packages $test_packages"

sudo=""
[ "$(id -u)" -eq 0 ] || sudo="sudo"

# Skip the network when everything is there already.
missing=""
for p in $packages; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing="$missing $p"
done
if [ -n "$missing" ]; then
    $sudo apt-get update
    DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y --no-install-recommends $missing
fi
