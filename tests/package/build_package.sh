#!/usr/bin/env bash
# Makes the Debian package from an already built build folder (no build of
# its own) and checks what a school's administrator gets: its name, its
# control fields, its files and links, stripped binaries, no maintainer
# scripts, the software centre's metainfo valid for appstreamcli, manual pages
# that read in the C locale, and lintian without errors or warnings (lintian
# and appstreamcli must be there under CI; elsewhere they are run when
# installed).
# Usage: build_package.sh BUILD_DIR OUT_DIR VERSION
set -euo pipefail
build=$1; out=$2; version=$3
fail() { echo "FAIL: $*" >&2; exit 1; }
id=example.c_seed_e50ecc4c.velmora
# A checking tool: required under CI, otherwise used when it is installed.
have() {
    command -v "$1" >/dev/null && return 0
    [ "${CI:-}" = true ] && fail "$1 is not installed (scripts/install-deps)"
    echo "$1 is not installed: not run"
    return 1
}

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
    ./usr/share/applications/$id.desktop ./usr/share/metainfo/$id.metainfo.xml \
    ./usr/share/man/man1/velmora.1.gz ./usr/share/man/man1/velmora-tst.1.gz \
    ./usr/share/man/ru/man1/velmora.1.gz ./usr/share/man/ru/man1/velmora-tst.1.gz \
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
control=$(mktemp -d)
dpkg-deb -e "$deb" "$control/DEBIAN"
for script in preinst postinst prerm postrm; do
    [ -e "$control/DEBIAN/$script" ] && fail "the package has a $script: $(cat "$control/DEBIAN/$script")"
done
rm -rf "$control"

desktop=$unpacked/usr/share/applications/$id.desktop
for line in Exec=velmora Icon=velmora Categories=Education\; Terminal=false Name=Velmora; do
    grep -qxF "$line" "$desktop" || fail "the desktop entry lacks $line"
done
grep -q '^Name\[ru\]=' "$desktop" && grep -q '^Comment\[ru\]=' "$desktop" || fail "the desktop entry has no Russian name and comment"

metainfo=$unpacked/usr/share/metainfo/$id.metainfo.xml
grep -qF "<launchable type=\"desktop-id\">$id.desktop</launchable>" "$metainfo" \
    || fail "the metainfo's launchable does not name $id.desktop"
if have appstreamcli; then
    report=$(appstreamcli validate --no-net "$metainfo" 2>&1) || { echo "$report"; fail "appstreamcli validate"; }
    echo "$report"
    grep -qE '^[EW]: ' <<<"$report" && fail "appstreamcli reports errors or warnings"
fi

# The English pages are what man shows in the C locale: plain ASCII, read
# without a warning; the Russian ones read so in a UTF-8 locale.
reads_cleanly() { # LOCALE PAGE
    command -v man >/dev/null || return 0
    local warnings
    warnings=$(LC_ALL=$1 MANWIDTH=80 man --warnings -l "$2" 2>&1 >/dev/null)
    [ -z "$warnings" ] || fail "man -l $2 in the locale $1: $warnings"
}
for page in velmora velmora-tst; do
    english=$unpacked/usr/share/man/man1/$page.1.gz
    zcat "$english" | LC_ALL=C grep -q '[^[:print:][:space:]]' && fail "man1/$page.1 is not plain ASCII"
    reads_cleanly C "$english"
    reads_cleanly C.UTF-8 "$unpacked/usr/share/man/ru/man1/$page.1.gz"
done

if have lintian; then
    report=$(lintian --allow-root --display-info "$deb" 2>&1 || true)
    echo "$report"
    grep -qE '^[EW]: |hardening-' <<<"$report" && fail "lintian reports errors, warnings or missing hardening"
fi
echo "all passed: $deb"
