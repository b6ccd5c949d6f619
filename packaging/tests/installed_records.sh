#!/bin/sh
# The installed program, started as a new user starts it from the menu (a
# fresh HOME, nothing registered, no VELMOR_HOME, no display), records 3 s of
# a tone from the private sound server into the music folder.
#   installed_records.sh ROOT   (ROOT from install_tree.sh; VELMOR_TEST_PULSE_DIR set)
set -eu
program="$1/usr/bin/velmor-sound-recorder"
pulse=${VELMOR_TEST_PULSE_DIR:?names the folder of the private sound server}
work=$(mktemp -d /tmp/velmor-installed-XXXXXX)
first=""
tone=""
cleanup() {
    [ -z "$first" ] || kill "$first" 2>/dev/null || true
    [ -z "$tone" ] || kill -- "-$tone" 2>/dev/null || true
    rm -rf "$work"
}
trap cleanup EXIT
fail() { echo "FAIL: $*" >&2; [ ! -f "$work/first.log" ] || cat "$work/first.log" >&2; exit 1; }

mkdir -p "$work/home" "$work/run"
chmod 700 "$work/run"
unset VELMOR_HOME XDG_CONFIG_HOME XDG_DATA_HOME DISPLAY WAYLAND_DISPLAY
export HOME="$work/home" XDG_RUNTIME_DIR="$work/run" QT_QPA_PLATFORM=offscreen PULSE_SERVER="unix:$pulse/native"

# The server's test input (the first input listed) plays a 1000 Hz tone. Its
# pipe takes data as fast as it comes, so the tone is written in real time.
sox -q -n -t raw -r 44100 -e signed -b 16 -c 2 "$work/tone.raw" synth 0.25 sine 1000 gain -6
# Its own process group, so that a write blocked on the idle source ends with it.
setsid sh -c 'while :; do cat "$1"; sleep 0.25; done' tone "$work/tone.raw" >"$pulse/pipe.fifo" 2>/dev/null &
tone=$!

"$program" --record >"$work/first.log" 2>&1 &
first=$!
status=""
i=0
while :; do
    status=$("$program" --status 2>/dev/null || true)
    case "$status" in recording*) break ;; esac
    i=$((i + 1))
    [ $i -lt 300 ] || fail "the installed program did not start recording (status: $status)"
    kill -0 "$first" 2>/dev/null || fail "the installed program ended"
    sleep 0.1
done
sleep 3
stopped=$("$program" --stop) || fail "--stop: $stopped"
path=${stopped#stopped }
[ -f "$path" ] || fail "no file at $path ($stopped)"
case "$path" in
"$HOME/Music/"*) ;;
*) fail "recorded into $path, not the music folder $HOME/Music" ;;
esac
[ ! -e "$HOME/.config/velmor-sound-recorder/classes.reg" ] || fail "a per-user registry was written"

duration=$(ffprobe -v error -show_entries format=duration -of default=noprint_wrappers=1:nokey=1 "$path")
awk -v d="$duration" 'BEGIN { exit !(d >= 2.5 && d <= 4.5) }' || fail "duration $duration s, not about 3 s"
mean=$(ffmpeg -hide_banner -nostats -i "$path" -af volumedetect -f null - 2>&1 | sed -n 's/.*mean_volume: \(.*\) dB/\1/p')
awk -v m="$mean" 'BEGIN { exit !(m > -30) }' || fail "mean volume $mean dB: the tone was not recorded"
echo "recorded $path: $duration s, mean volume $mean dB"
