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
for lib in libqt6core6 libqt6widgets6 libasound2; do
  grep -q "$lib" <<< "$depends" || fail "Depends lacks $lib: $depends"
done

unpacked=$(mktemp -d)
trap 'rm -rf "$unpacked"' EXIT
dpkg-deb -x "$deb" "$unpacked"
desktop-file-validate "$unpacked/usr/share/applications/$id.desktop" || fail "desktop entry"
appstreamcli validate --no-net "$unpacked/usr/share/metainfo/$id.metainfo.xml" > /dev/null ||
  fail "metainfo"

# Every dependency can be met from the archive (as root, apt can simulate
# the installation).
if [ "$(id -u)" -eq 0 ]; then
  apt-get install -s -qq "$(realpath "$deb")" > "$build/apt-simulate.log" ||
    { cat "$build/apt-simulate.log" >&2; fail "the package cannot be installed"; }
fi
echo "package OK"
