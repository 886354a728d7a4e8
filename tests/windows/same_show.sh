#!/usr/bin/env bash
# velmora-tst.exe under Wine and the Linux build's velmora-tst read the same
# tests alike: `show --json` of each sample, scrambled by the Linux tool (once
# under a Cyrillic name), gives the same bytes.
# Usage: same_show.sh WINE_RUN VELMORA_TST_EXE LINUX_VELMORA_TST SAMPLES_DIR
set -euo pipefail
wine_run=$1; exe=$2; linux=$3; samples=$4
fail() { echo "FAIL: $*" >&2; exit 1; }
[ -x "$linux" ] || fail "no Linux build's velmora-tst at $linux (build it first: ./build.sh build)"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

for text in "$samples"/*.txt; do
    name=$(basename "$text" .txt)
    for test in "$work/$name.tst" "$work/Тест $name.tst"; do
        "$linux" scramble "$text" "$test" >/dev/null || fail "scramble $text"
        "$linux" show --json "$test" > "$work/linux.json" || fail "Linux show $test"
        "$wine_run" "$exe" show --json "$test" > "$work/windows.json" || fail "Windows show $test"
        cmp "$work/linux.json" "$work/windows.json" || {
            diff <(head -c 600 "$work/linux.json") <(head -c 600 "$work/windows.json") >&2 || true
            fail "$(basename "$test"): the Windows output differs"
        }
        echo "same: $(basename "$test")"
    done
done
# A Windows name for a test, as the tool writes one.
"$wine_run" "$exe" scramble "$samples/tea.txt" "$work/Чай.tst" >/dev/null || fail "Windows scramble to a Cyrillic name"
"$linux" scramble "$samples/tea.txt" "$work/expected.tst" >/dev/null
cmp "$work/Чай.tst" "$work/expected.tst" || fail "the Windows scramble differs from the Linux one"
echo "all passed"
