#!/usr/bin/env bash
# Installs the build into a temporary prefix and checks every file that lands
# there: nothing missing, nothing extra, and each file valid for the desktop.
#   check_install.sh <build dir> <source dir>
set -euo pipefail
build=$1
source=$2
id=com.quillmoor.Plumora
prefix=$(mktemp -d)
trap 'rm -rf "$prefix"' EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }

cmake --install "$build" --prefix "$prefix" > /dev/null

expected=(
  bin/plumora
  lib/plumora/plumora_ffmpeg.so
  share/applications/$id.desktop
  share/metainfo/$id.metainfo.xml
  share/icons/hicolor/scalable/apps/$id.svg
  share/man/man1/plumora.1.gz
  share/dbus-1/services/$id.service
)
sizes=(16 22 24 32 48 64 128 256)
for s in "${sizes[@]}"; do
  expected+=("share/icons/hicolor/${s}x${s}/apps/$id.png")
done
if [ -d "$source/help" ]; then
  while IFS= read -r page; do
    expected+=("share/plumora/help/$page")
  done < <(cd "$source/help" && find . -type f -printf '%P\n')
fi

actual=$(cd "$prefix" && find . -type f -printf '%P\n' | sort)
wanted=$(printf '%s\n' "${expected[@]}" | sort)
if [ "$actual" != "$wanted" ]; then
  diff <(echo "$wanted") <(echo "$actual") >&2 || true
  fail "installed files differ from the expected list (< missing, > extra)"
fi
[ -d "$prefix/lib/plumora/vendor" ] || fail "no vendor module folder"

[ -x "$prefix/bin/plumora" ] || fail "program not executable"
# The codecs come with their module, loaded on first use, not with the program.
nm -D --defined-only "$prefix/lib/plumora/plumora_ffmpeg.so" | grep -qw plumora_codec_engine ||
  fail "codec module lacks its entry point"
readelf -d "$prefix/lib/plumora/plumora_ffmpeg.so" | grep -q 'NEEDED.*libavcodec' ||
  fail "codec module does not use libavcodec"
if readelf -d "$prefix/bin/plumora" | grep -q 'NEEDED.*libavcodec'; then
  fail "the program itself loads libavcodec at start"
fi
desktop-file-validate "$prefix/share/applications/$id.desktop" || fail "desktop entry"
appstreamcli validate --no-net "$prefix/share/metainfo/$id.metainfo.xml" > /dev/null ||
  fail "metainfo"

entry="$prefix/share/applications/$id.desktop"
grep -qx 'Categories=AudioVideo;Audio;Recorder;Qt;' "$entry" || fail "categories"
grep -qx "Icon=$id" "$entry" || fail "icon name"
grep -qx 'Exec=plumora' "$entry" || fail "Exec line"
for action in 'Record:-r' 'StopRecording:-s' 'Mute:-q' 'Unmute:-n'; do
  name=${action%%:*}
  switch=${action#*:}
  grep -A2 -x "\[Desktop Action $name\]" "$entry" | grep -qx "Exec=plumora $switch" ||
    fail "desktop action $name"
done
service="$prefix/share/dbus-1/services/$id.service"
grep -qx "Name=$id" "$service" || fail "bus activation name"
grep -qx "Exec=$prefix/bin/plumora" "$service" ||
  grep -qx "Exec=/.*/bin/plumora" "$service" || fail "bus activation Exec line"
grep -q "<launchable type=\"desktop-id\">$id.desktop</launchable>" \
  "$prefix/share/metainfo/$id.metainfo.xml" || fail "metainfo launchable"

for s in "${sizes[@]}"; do
  file "$prefix/share/icons/hicolor/${s}x${s}/apps/$id.png" | grep -q "PNG image data, $s x $s," ||
    fail "icon ${s}x${s}"
done
grep -q '<svg' "$prefix/share/icons/hicolor/scalable/apps/$id.svg" || fail "scalable icon"

# The man page names every switch of the command line and the files used.
man=$(zcat "$prefix/share/man/man1/plumora.1.gz")
for switch in d m n q r s t u; do
  grep -q "^\.BI\? \\\\-$switch\b" <<< "$man" || fail "man page lacks -$switch"
done
for file in Loomstave.conf plumora.ini Plumora.desktop plumora.log lib/plumora/vendor; do
  grep -q "$file" <<< "$man" || fail "man page lacks $file"
done
echo "installed files OK"
