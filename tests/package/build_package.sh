#!/usr/bin/env bash
# Makes the Debian package from an already built build folder (no build of
# its own) and checks what a school's administrator gets: its name, its
# control fields, its files and links, stripped binaries, and lintian
# without errors (when lintian is installed).
# Usage: build_package.sh BUILD_DIR OUT_DIR VERSION
set -euo pipefail
build=$1; out=$2; version=$3
fail() { echo "FAIL: $*" >&2; exit 1; }

rm -rf "$out"
(cd "$build" && cpack -G DEB --config CPackConfig.cmake -B "$out") >"$out.log" 2>&1 || { cat "$out.log"; fail "cpack"; }
deb=$out/velmora_${version}_$(dpkg --print-architecture).deb
[ -f "$deb" ] || { ls "$out"; fail "no $deb"; }

field() { dpkg-deb -f "$deb" "$1"; }
[ "$(field Package)" = velmora ] || fail "Package: $(field Package)"
[ "$(field Version)" = "$version" ] || fail "Version: $(field Version)"
[ "$(field Section)" = education ] || fail "Section: $(field Section)"
[ -n "$(field Maintainer)" ] || fail "no Maintainer"
for dependency in qt6-qpa-plugins qt6-translations-l10n libqt6widgets6 libqt6gui6 libqt6core6 libc6; do
    grep -qE "(^|, )$dependency( |,|$)" <<<"$(field Depends)" || fail "Depends lacks $dependency: $(field Depends)"
done

listing=$(dpkg-deb -c "$deb" | awk '{ $1 = $2 = $3 = $4 = $5 = ""; sub(/^ +/, ""); print }')
for path in ./usr/lib/velmora/velmora ./usr/lib/velmora/velmora-tst ./usr/lib/velmora/libTabulo.so \
    ./usr/lib/velmora/tea.tst ./usr/lib/velmora/road.tst ./usr/lib/velmora/calc.tst \
    "./usr/bin/velmora -> ../lib/velmora/velmora" "./usr/bin/velmora-tst -> ../lib/velmora/velmora-tst" \
    ./usr/share/applications/velmora.desktop ./usr/share/man/man1/velmora-tst.1.gz \
    ./usr/share/doc/velmora/copyright; do
    grep -qxF "$path" <<<"$listing" || fail "$path is not in the package"
done
for size in 16 32 48 64 128 256; do
    grep -qxF "./usr/share/icons/hicolor/${size}x$size/apps/velmora.png" <<<"$listing" || fail "no ${size}px icon"
done

unpacked=$(mktemp -d)
trap 'rm -rf "$unpacked"' EXIT
dpkg-deb -x "$deb" "$unpacked"
for binary in velmora velmora-tst libTabulo.so; do
    file -L "$unpacked/usr/lib/velmora/$binary" | grep -q ', stripped' || fail "$binary is not stripped"
done
desktop=$unpacked/usr/share/applications/velmora.desktop
for line in Exec=velmora Icon=velmora Categories=Education\; Terminal=false Name=Velmora; do
    grep -qxF "$line" "$desktop" || fail "the desktop entry lacks $line"
done
grep -q '^Name\[ru\]=' "$desktop" && grep -q '^Comment\[ru\]=' "$desktop" || fail "the desktop entry has no Russian name and comment"

if command -v lintian >/dev/null; then
    report=$(lintian --allow-root "$deb" 2>&1 || true)
    echo "$report"
    grep -q '^E: ' <<<"$report" && fail "lintian reports errors"
else
    echo "lintian is not installed: not run"
fi
echo "all passed: $deb"
