#!/bin/sh
# A private PulseAudio server for tests, isolated from any user session.
#
#   pulse-server.sh start DIR   start it with its runtime in DIR; prints the server string
#   pulse-server.sh stop DIR    stop the server started in DIR (by its process id)
#
# The server has a null sink "velmor_null" ("Velmor Null Output") and a pipe
# source "velmor_pipe" ("Velmor Test Input", 44100 Hz, 2 channels, s16le) fed
# from DIR/pipe.fifo. Tests add sources of their own with pactl load-module.
set -eu

cmd=${1:?usage: pulse-server.sh start|stop DIR}
dir=${2:?usage: pulse-server.sh start|stop DIR}

case "$cmd" in
start)
    mkdir -p "$dir"
    dir=$(cd "$dir" && pwd)
    if [ -f "$dir/pid" ] && kill -0 "$(cat "$dir/pid")" 2>/dev/null; then
        echo "unix:$dir/native"
        exit 0
    fi
    rm -rf "$dir/runtime" "$dir/state" "$dir/native" "$dir/pipe.fifo"
    mkdir -p "$dir/runtime" "$dir/state" "$dir/home"
    cat > "$dir/server.pa" <<PA
load-module module-native-protocol-unix auth-anonymous=1 socket=$dir/native
load-module module-null-sink sink_name=velmor_null sink_properties=device.description="Velmor\ Null\ Output"
load-module module-pipe-source source_name=velmor_pipe file=$dir/pipe.fifo format=s16le rate=44100 channels=2 source_properties=device.description="Velmor\ Test\ Input"
set-default-sink velmor_null
set-default-source velmor_pipe
PA
    # No session bus, no autospawn, no idle exit; runs as root in CI as well.
    env -u DBUS_SESSION_BUS_ADDRESS HOME="$dir/home" XDG_RUNTIME_DIR="$dir/runtime" \
        PULSE_RUNTIME_PATH="$dir/runtime" PULSE_STATE_PATH="$dir/state" \
        pulseaudio -n -F "$dir/server.pa" --daemonize=no --exit-idle-time=-1 --use-pid-file=no \
            --disable-shm=yes --log-target=file:"$dir/server.log" >/dev/null 2>&1 &
    echo $! > "$dir/pid"
    i=0
    while ! PULSE_SERVER="unix:$dir/native" pactl info >/dev/null 2>&1; do
        i=$((i + 1))
        if [ $i -gt 100 ] || ! kill -0 "$(cat "$dir/pid")" 2>/dev/null; then
            echo "pulse-server: the server did not start; see $dir/server.log" >&2
            exit 1
        fi
        sleep 0.1
    done
    echo "unix:$dir/native"
    ;;
stop)
    if [ -f "$dir/pid" ]; then
        pid=$(cat "$dir/pid")
        kill "$pid" 2>/dev/null || true
        i=0
        while kill -0 "$pid" 2>/dev/null && [ $i -lt 50 ]; do sleep 0.1; i=$((i + 1)); done
        kill -9 "$pid" 2>/dev/null || true
        rm -f "$dir/pid"
    fi
    ;;
*)
    echo "usage: pulse-server.sh start|stop DIR" >&2
    exit 2
    ;;
esac
