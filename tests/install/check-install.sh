#!/usr/bin/env bash
# Installs the build into a temporary prefix and checks the tree a desktop expects.
#   check-install.sh BUILD_DIR
set -euo pipefail
build=$1
prefix=$(mktemp -d)
trap 'rm -rf "$prefix"' EXIT
cmake --install "$build" --prefix "$prefix" >/dev/null
fail() { echo "FAIL: $*"; exit 1; }
for f in lib/karvel32/karvel32 lib/karvel32/karvel.doc lib/karvel32/KARVEL.hlp \
         share/applications/io.karvel.Karvel32.desktop \
         share/metainfo/io.karvel.Karvel32.metainfo.xml; do
    [ -f "$prefix/$f" ] || fail "$f is missing"
done
for size in 16 32 48 256; do
    icon="$prefix/share/icons/hicolor/${size}x${size}/apps/io.karvel.Karvel32.png"
    [ -f "$icon" ] || fail "the ${size}px icon is missing"
done
[ -L "$prefix/bin/karvel32" ] || fail "bin/karvel32 is not a link"
[ "$(readlink -f "$prefix/bin/karvel32")" = "$(readlink -f "$prefix/lib/karvel32/karvel32")" ] ||
    fail "bin/karvel32 does not lead to the program"
[ -x "$prefix/bin/karvel32" ] || fail "bin/karvel32 is not executable"
desktop-file-validate "$prefix/share/applications/io.karvel.Karvel32.desktop"
appstreamcli validate --no-net "$prefix/share/metainfo/io.karvel.Karvel32.metainfo.xml" >/dev/null
grep -q '^Exec=karvel32 %f$' "$prefix/share/applications/io.karvel.Karvel32.desktop" ||
    fail "Exec line"
echo "install tree ok"
