#!/usr/bin/env bash
# Builds the Debian package from the existing build tree (nothing is
# compiled again) and checks what is in it:
#   bash scripts/check-package.sh [build dir]
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build}
id=com.quillmoor.Plumora
fail() { echo "FAIL: $*" >&2; exit 1; }

(cd "$build" && cpack -G DEB > cpack.log 2>&1) || { cat "$build/cpack.log" >&2; fail "cpack"; }
deb=$(ls -t "$build"/plumora_*.deb | head -n1)
echo "package: $deb"

contents=$(dpkg-deb -c "$deb" | awk '{print $6}')
for path in ./usr/bin/plumora \
            ./usr/lib/plumora/plumora_ffmpeg.so \
            ./usr/share/applications/$id.desktop \
            ./usr/share/metainfo/$id.metainfo.xml \
            ./usr/share/icons/hicolor/scalable/apps/$id.svg \
            ./usr/share/icons/hicolor/16x16/apps/$id.png \
            ./usr/share/icons/hicolor/256x256/apps/$id.png \
            ./usr/share/man/man1/plumora.1.gz \
            ./usr/lib/plumora/vendor/; do
  grep -qxF "$path" <<< "$contents" || fail "package lacks $path"
done
if grep -E '\.(a|h)$|/test_|vendor/.+\.dll' <<< "$contents"; then
  fail "package holds build or test files"
fi

depends=$(dpkg-deb -f "$deb" Depends)
for lib in libqt6core6 libqt6widgets6 libqt6dbus6 libasound2 libavcodec; do
  grep -q "$lib" <<< "$depends" || fail "Depends lacks $lib: $depends"
done

unpacked=$(mktemp -d)
trap 'rm -rf "$unpacked"' EXIT
dpkg-deb -x "$deb" "$unpacked"
desktop-file-validate "$unpacked/usr/share/applications/$id.desktop" || fail "desktop entry"
appstreamcli validate --no-net "$unpacked/usr/share/metainfo/$id.metainfo.xml" > /dev/null ||
  fail "metainfo"

# The packaged program starts: on a private session bus it shows up as a
# media player, and the player's Quit ends it.
home=$(mktemp -d)
bus=$(dbus-daemon --session --fork --print-address=1 --print-pid=1)
bus_address=$(sed -n 1p <<< "$bus")
bus_pid=$(sed -n 2p <<< "$bus")
trap 'kill "$bus_pid" 2> /dev/null; rm -rf "$unpacked" "$home"' EXIT
mkdir -m 700 "$home/run"
export DBUS_SESSION_BUS_ADDRESS=$bus_address QT_QPA_PLATFORM=offscreen \
  XDG_CONFIG_HOME=$home/config XDG_CONFIG_DIRS=$home/etc XDG_STATE_HOME=$home/state \
  XDG_RUNTIME_DIR=$home/run
"$unpacked/usr/bin/plumora" > "$home/program.log" 2>&1 &
program=$!
for _ in $(seq 300); do
  playerctl -l 2> /dev/null | grep -qx Plumora && break
  kill -0 "$program" 2> /dev/null || { cat "$home/program.log" >&2; fail "the program ended"; }
  sleep 0.1
done
[ "$(playerctl -p Plumora metadata xesam:album 2> /dev/null)" = Radio ] ||
  { kill "$program"; fail "the packaged program is not on the bus"; }
gdbus call --session --dest org.mpris.MediaPlayer2.Plumora --object-path /org/mpris/MediaPlayer2 \
  --method org.mpris.MediaPlayer2.Quit > /dev/null
for _ in $(seq 300); do
  kill -0 "$program" 2> /dev/null || break
  sleep 0.1
done
if kill -0 "$program" 2> /dev/null; then
  kill "$program"
  fail "the packaged program did not quit"
fi
wait "$program" || fail "the packaged program ended with status $?"

# Every dependency can be met from the archive (as root, apt can simulate
# the installation).
if [ "$(id -u)" -eq 0 ]; then
  apt-get install -s -qq "$(realpath "$deb")" > "$build/apt-simulate.log" ||
    { cat "$build/apt-simulate.log" >&2; fail "the package cannot be installed"; }
fi
echo "package OK"
