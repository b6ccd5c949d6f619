#!/bin/sh
# Builds the Debian package from the build tree and checks it lists the
# program, the private libraries, the registry, the desktop entry and the
# manual, and that its dependencies were computed.
#   deb_package.sh BUILD_DIR DIR LIBDIR
set -eu
build=$1
dir=$2
libdir=$3
rm -rf "$dir"
mkdir -p "$dir"
fail() { echo "FAIL: $*" >&2; exit 1; }
cpack -G DEB --config "$build/CPackConfig.cmake" -B "$dir" >"$dir/cpack.log" 2>&1 || { cat "$dir/cpack.log" >&2; fail "cpack"; }
deb=$(ls "$dir"/velmor-sound-recorder_*.deb)
contents=$(dpkg-deb -c "$deb")
for f in ./usr/bin/velmor-sound-recorder ./usr/bin/velmor-regsvr ./usr/bin/velmor-record \
         "./usr/$libdir/velmor-sound-recorder/classes.reg" "./usr/$libdir/velmor-sound-recorder/libvelmor_com.so" \
         "./usr/$libdir/velmor-sound-recorder/libTavorAudioDXRecord3.so" "./usr/$libdir/velmor-sound-recorder/libTagmora.so" \
         ./usr/share/applications/velmor-sound-recorder.desktop ./usr/share/metainfo/org.velmor.SoundRecorder.metainfo.xml \
         ./usr/share/icons/hicolor/scalable/apps/velmor-sound-recorder.svg; do
    echo "$contents" | grep -q " $f" || fail "$f is not in the package"
done
if [ -f "$(dirname "$0")/../../doc/manual/index.html" ]; then
    echo "$contents" | grep -q " ./usr/share/velmor-sound-recorder/help/index.html" || fail "the manual is not in the package"
fi
info=$(dpkg-deb -I "$deb")
echo "$info" | grep -q '^ Package: velmor-sound-recorder$' || fail "package name: $info"
echo "$info" | grep -q '^ Section: sound$' || fail "section: $info"
depends=$(echo "$info" | sed -n 's/^ Depends: //p')
for lib in libc6 libqt6widgets6 libpulse0 libavcodec; do
    echo "$depends" | grep -q "$lib" || fail "Depends lacks $lib: $depends"
done
echo "$(basename "$deb"): $(stat -c %s "$deb") bytes; Depends: $depends"
