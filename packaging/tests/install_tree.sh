#!/bin/sh
# Installs the build into DIR/root with DESTDIR and prefix /usr, as a package
# build does, and checks the tree: the program under its own name, the
# private library folder with the registry naming the servers by file name,
# RPATHs relative to $ORIGIN, the desktop files valid.
#   install_tree.sh BUILD_DIR DIR LIBDIR
set -eu
build=$1
dir=$2
libdir=$3
rm -rf "$dir"
mkdir -p "$dir"
DESTDIR="$dir/root" cmake --install "$build" --prefix /usr >"$dir/install.log"
usr="$dir/root/usr"
private="$usr/$libdir/velmor-sound-recorder"
fail() { echo "FAIL: $*" >&2; exit 1; }

for f in bin/velmor-sound-recorder bin/velmor-regsvr bin/velmor-record share/man/man1/velmor-record.1 "$libdir/velmor-sound-recorder/classes.reg" \
         share/applications/velmor-sound-recorder.desktop share/metainfo/org.velmor.SoundRecorder.metainfo.xml \
         share/icons/hicolor/scalable/apps/velmor-sound-recorder.svg; do
    [ -e "$usr/$f" ] || fail "$f is not installed"
done
for size in 48 128 256; do
    file "$usr/share/icons/hicolor/${size}x${size}/apps/velmor-sound-recorder.png" | grep -q "$size x $size" \
        || fail "the ${size}x${size} icon is missing or of another size"
done
[ ! -e "$usr/bin/recorder" ] || fail "the program is installed under the build tree's name"
for lib in libvelmor_com libvelmor_pulse libTavorAudioDXRecord3 libTagmora; do
    ls "$private/$lib.so."* >/dev/null 2>&1 || fail "$lib is not in the private library folder"
done

# Relocatable: no absolute path in the registry, RPATHs from $ORIGIN only.
grep '^InprocServer32=' "$private/classes.reg" | grep -q / && fail "the registry holds a path: $(cat "$private/classes.reg")"
for lib in libTavorAudioDXRecord3 libTagmora; do
    grep -q "^InprocServer32=$lib\.so" "$private/classes.reg" || fail "the registry does not name $lib"
done
for f in "$usr/bin/velmor-sound-recorder" "$usr/bin/velmor-regsvr" "$usr/bin/velmor-record" "$private"/lib*.so.*; do
    [ -L "$f" ] && continue
    runpath=$(readelf -d "$f" | sed -n 's/.*R\(UN\)\{0,1\}PATH.*\[\(.*\)\]/\2/p')
    case "$runpath" in
    '$ORIGIN'*) ;;
    *) fail "$f has RPATH '$runpath'" ;;
    esac
done

# Nothing of the tests, benchmarks or fuzzers.
unexpected=$(find "$dir/root" -name '*test*' -o -name '*bench*' -o -name '*fuzz*' | grep -v '/help/' || true)
[ -z "$unexpected" ] || fail "installed: $unexpected"

# The installed program runs by its RPATH alone and names itself as installed.
help=$("$usr/bin/velmor-sound-recorder" --help) || fail "the installed program does not run"
case "$help" in
"Usage: velmor-sound-recorder "*) ;;
*) fail "--help does not name the installed program: $help" ;;
esac

# The recorder without a window runs by its RPATH alone and links no window system of its own.
"$usr/bin/velmor-record" --help | grep -q '^Usage: velmor-record ' || fail "the installed velmor-record does not run"
readelf -d "$usr/bin/velmor-record" | grep -q 'NEEDED.*libQt6' && fail "velmor-record links Qt"

desktop-file-validate "$usr/share/applications/velmor-sound-recorder.desktop"
appstreamcli validate --no-net "$usr/share/metainfo/org.velmor.SoundRecorder.metainfo.xml"
echo "installed into $dir/root"
