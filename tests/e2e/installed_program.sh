#!/usr/bin/env bash
# Installs the build into a fresh prefix and uses what landed there: the
# program's folder under lib/velmora, velmora-tst on bin/ showing an
# installed sample test.
# Usage: installed_program.sh BUILD_DIR PLUGIN_FILE_NAME
set -euo pipefail
build=$1; plugin=$2
prefix=$(mktemp -d)
trap 'rm -rf "$prefix"' EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }

cmake --install "$build" --prefix "$prefix" >/dev/null || fail "cmake --install"
folder="$prefix/lib/velmora"
for f in velmora velmora-tst "$plugin" tea.tst road.tst calc.tst; do
    [ -f "$folder/$f" ] || fail "$folder/$f is not installed"
done
[ -x "$prefix/bin/velmora-tst" ] || fail "bin/velmora-tst is missing"
[ "$(readlink "$prefix/bin/velmora-tst")" = ../lib/velmora/velmora-tst ] || fail "bin/velmora-tst is not a relative link"

out=$("$prefix/bin/velmora-tst" show "$folder/tea.tst") || fail "velmora-tst show on the installed sample"
[ -n "$out" ] || fail "velmora-tst show printed nothing"
echo "all passed"
