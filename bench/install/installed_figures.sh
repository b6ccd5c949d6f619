#!/bin/sh
# Figures of the installed program: the installed size, the package size, and
# the time from the desktop entry's command to the main window being up
# (until `--status` answers, which the window's remote control does once it
# has loaded), with a fresh HOME each run, on the offscreen platform.
#
#   installed_figures.sh ROOT [DEB] [RUNS]
#     ROOT  a DESTDIR tree with the program under ROOT/usr (packaging/tests/install_tree.sh)
#     DEB   the package built by cpack (optional)
# Needs a sound server in PULSE_SERVER (the private test server will do).
set -eu
root=$1
deb=${2:-}
runs=${3:-10}
program="$root/usr/bin/velmor-sound-recorder"

echo "installed size: $(du -sk "$root" | cut -f1) KiB ($(find "$root" -type f | wc -l) files)"
[ -z "$deb" ] || echo "package size: $(($(stat -c %s "$deb") / 1024)) KiB ($(basename "$deb"))"

work=$(mktemp -d /tmp/velmor-figures-XXXXXX)
pid=""
cleanup() {
    [ -z "$pid" ] || kill "$pid" 2>/dev/null || true
    rm -rf "$work"
}
trap cleanup EXIT
unset VELMOR_HOME XDG_CONFIG_HOME XDG_DATA_HOME DISPLAY WAYLAND_DISPLAY
export QT_QPA_PLATFORM=offscreen

times=""
i=0
while [ $i -lt "$runs" ]; do
    rm -rf "$work/home" "$work/run"
    mkdir -p "$work/home" "$work/run"
    chmod 700 "$work/run"
    export HOME="$work/home" XDG_RUNTIME_DIR="$work/run"
    start=$(date +%s%N)
    "$program" >/dev/null 2>&1 &
    pid=$!
    until [ "$("$program" --status 2>/dev/null || true)" = idle ]; do
        kill -0 "$pid" 2>/dev/null || { echo "the program ended" >&2; exit 1; }
        sleep 0.005
    done
    end=$(date +%s%N)
    kill "$pid"
    wait "$pid" 2>/dev/null || true
    pid=""
    times="$times $(((end - start) / 1000000))"
    i=$((i + 1))
done
echo "$times" | tr ' ' '\n' | sed '/^$/d' | sort -n | awk '
    { t[NR] = $1 }
    END { printf "start to window (ms, %d runs): min %d, median %d, max %d\n", NR, t[1], t[int((NR + 1) / 2)], t[NR] }'
