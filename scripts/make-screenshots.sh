#!/bin/sh
# Makes the manual's pictures (doc/manual/images/*.png) from the program's own
# windows: builds the tool manual_screenshots and runs it on Qt's offscreen
# platform, with a private sound server of its own so that the device list and
# the recordings list show something. For developers; CI does not run it.
#
#   scripts/make-screenshots.sh [build folder]     (default: build-screenshots)
set -eu
cd "$(dirname "$0")/.."
source_dir=$(pwd)
build=${1:-build-screenshots}
images="$source_dir/doc/manual/images"

# The pictures need real glyphs: without a font, text renders as boxes.
if ! fc-list 2>/dev/null | grep -qi "DejaVu Sans"; then
    echo "make-screenshots: install fonts-dejavu-core (apt-get install fonts-dejavu-core) first" >&2
    exit 1
fi

[ -f "$build/CMakeCache.txt" ] ||
    cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DVELMOR_BENCH=OFF -DVELMOR_REGISTER=OFF
cmake --build "$build" --target manual_screenshots

# A private PulseAudio server: a silent microphone and a silent output, never
# the desktop's own session. Without pulseaudio the windows still open, with
# an empty device list.
server_dir=$(mktemp -d /tmp/velmor-screenshot-pulse-XXXXXX)
server_pid=""
stop_server() {
    if [ -n "$server_pid" ]; then
        kill "$server_pid" 2>/dev/null || true
        wait "$server_pid" 2>/dev/null || true
    fi
    rm -rf "$server_dir"
}
trap stop_server EXIT
trap 'exit 1' INT TERM
# No server is reachable unless the one below starts: nothing may autospawn.
PULSE_SERVER="unix:$server_dir/none"
if command -v pulseaudio >/dev/null 2>&1; then
    mkdir -p "$server_dir/runtime" "$server_dir/state" "$server_dir/home"
    cat > "$server_dir/server.pa" <<PA
load-module module-native-protocol-unix auth-anonymous=1 socket=$server_dir/native
load-module module-null-source source_name=microphone source_properties=device.description=Microphone
load-module module-null-sink sink_name=speakers sink_properties=device.description=Speakers
set-default-source microphone
set-default-sink speakers
PA
    env -u DBUS_SESSION_BUS_ADDRESS HOME="$server_dir/home" XDG_RUNTIME_DIR="$server_dir/runtime" \
        PULSE_RUNTIME_PATH="$server_dir/runtime" PULSE_STATE_PATH="$server_dir/state" \
        pulseaudio -n -F "$server_dir/server.pa" --daemonize=no --exit-idle-time=-1 --use-pid-file=no \
            --disable-shm=yes --log-target=file:"$server_dir/server.log" >/dev/null 2>&1 &
    server_pid=$!
    i=0
    while ! PULSE_SERVER="unix:$server_dir/native" pactl info >/dev/null 2>&1; do
        i=$((i + 1))
        if [ $i -gt 100 ] || ! kill -0 "$server_pid" 2>/dev/null; then
            echo "make-screenshots: the sound server did not start (see $server_dir/server.log); going on without" >&2
            break
        fi
        sleep 0.1
    done
    PULSE_SERVER="unix:$server_dir/native"
else
    echo "make-screenshots: pulseaudio is not installed: the device list will be empty" >&2
fi
export PULSE_SERVER

QT_QPA_PLATFORM=offscreen "$build/doc/manual_screenshots" "$images"
ls -l "$images"
