#!/usr/bin/env bash
# Installs the build into a temporary prefix and checks what a desktop finds there: the program,
# its menu entry and AppStream description (both validated) and its icon at every size.
set -euo pipefail
build=$1
prefix=$(mktemp -d)
trap 'rm -rf "$prefix"' EXIT
cmake --install "$build" --prefix "$prefix" >/dev/null

fail() { echo "FAIL: $*" >&2; exit 1; }
[ -x "$prefix/bin/kavrophoto" ] || fail "bin/kavrophoto is missing or not executable"
desktop="$prefix/share/applications/jp.kavro.KavroPhoto.desktop"
metainfo="$prefix/share/metainfo/jp.kavro.KavroPhoto.metainfo.xml"
[ -f "$desktop" ] || fail "no desktop entry"
[ -f "$metainfo" ] || fail "no AppStream metainfo"
desktop-file-validate "$desktop"
appstreamcli validate --no-net "$metainfo"
grep -qx 'Name=ミルトア' "$desktop" || fail "the menu entry is not named ミルトア"
grep -qx 'Exec=kavrophoto' "$desktop" || fail "the menu entry does not start kavrophoto"
icon=$(sed -n 's/^Icon=//p' "$desktop")
for size in 16 32 48 64 128 256; do
    png="$prefix/share/icons/hicolor/${size}x${size}/apps/$icon.png"
    [ -f "$png" ] || fail "no ${size}x${size} icon"
    # The PNG header's width and height (bytes 17 to 24) must be the folder's size.
    dims=$(od -An -tu1 -j16 -N8 "$png" | tr -s ' ' | sed 's/^ //')
    want="0 0 $((size / 256)) $((size % 256)) 0 0 $((size / 256)) $((size % 256))"
    [ "$dims" = "$want" ] || fail "the ${size}x${size} icon is $dims"
done
echo "installed tree is sound"
