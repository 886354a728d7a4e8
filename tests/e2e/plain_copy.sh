#!/usr/bin/env bash
# The plain copy of a test, killed in the middle of a load: the real program
# in a real X server, a pupil choosing a large test, the program killed
# with SIGKILL while the copy stands beside the test. What it leaves behind
# must be readable by its owner alone, and the next start must remove it.
# Usage: plain_copy.sh VELMORA VELMORA_TST TABULO
set -euo pipefail
. "$(dirname "$0")/../../scripts/xwindows.sh"

velmora=$1; tool=$2; tabulo=$3

work=$(mktemp -d)
xvfb_pid=
app_pid=
cleanup() {
    [ -n "$app_pid" ] && kill -9 "$app_pid" 2>/dev/null || true
    [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null || true
    rm -rf "$work"
}
trap cleanup EXIT
trap "exit 1" INT TERM
fail() { echo "FAIL: $*" >&2; exit 1; }

start_xvfb "$work" 1024x768 || fail "Xvfb did not start"
# The program's private temporary folder, kept inside this run.
export TMPDIR="$work/tmp"
mkdir -m 0700 "$TMPDIR"
export XDG_RUNTIME_DIR="$work/runtime"
mkdir -m 0700 "$XDG_RUNTIME_DIR"

folder="$work/folder"
mkdir -p "$folder"
cp "$velmora" "$folder/velmora"
cp "$tabulo" "$folder/"

# A test large enough that its load takes a while: 30000 tasks of 20 steps.
awk 'BEGIN {
    print "Большой тест"
    pad = sprintf("%0120d", 0)
    for (t = 1; t <= 30000; t++) {
        if (t > 1) print ""
        print "Задание " t " " pad
        for (s = 1; s <= 20; s++) print "Шаг " s " задания " t " " pad
    }
}' > "$work/large.txt"
"$tool" scramble "$work/large.txt" "$folder/large.tst" || fail "velmora-tst scramble"
copy="$folder/large.tst.tmp"

# Starts the program and presses OK on the only test; then waits for the
# plain copy to appear (sets seen) or for the load to end without one.
start_and_choose() {
    seen=
    "$folder/velmora" & app_pid=$!
    local start
    start=$(wait_window '^Выбор теста$' 30) || fail "no selection window"
    press "$start" Return
    local deadline=$((SECONDS + 30))
    while [ "$SECONDS" -lt "$deadline" ]; do
        [ -e "$copy" ] && { seen=yes; return 0; }
        kill -0 "$app_pid" 2>/dev/null || return 0
        xdotool search --onlyvisible --name '^Выбор режима$' >/dev/null 2>&1 && return 0
    done
}

echo "== a load killed while the plain copy stands"
left=
for attempt in 1 2 3; do
    start_and_choose
    kill -9 "$app_pid" 2>/dev/null || true
    wait "$app_pid" 2>/dev/null || true
    app_pid=
    if [ -e "$copy" ]; then
        mode=$(stat -c %a "$copy")
        [ "$mode" = 600 ] || fail "the plain copy left behind has mode $mode, not 600"
        left=yes
        break
    fi
    [ -n "$seen" ] || echo "attempt $attempt: the load ended before the copy was seen"
done
# Nothing else the load made may be readable by others either.
others=$(find "$folder" "$TMPDIR" -name '*.tmp' -perm /044 | head -n1)
[ -z "$others" ] || fail "a copy readable by other accounts: $others"

if [ -n "$left" ]; then
    echo "== the next start removes the stale copy"
    "$folder/velmora" & app_pid=$!
    start=$(wait_window '^Выбор теста$' 30) || fail "no selection window"
    [ -e "$copy" ] && fail "the stale copy is still there at start-up"
    press "$start" Escape
    for _ in $(seq 100); do kill -0 "$app_pid" 2>/dev/null || break; sleep 0.1; done
    kill -0 "$app_pid" 2>/dev/null && fail "Отмена did not end the program"
    wait "$app_pid" || fail "the program ended with a failure"
    app_pid=
else
    echo "no copy was left by three kills: nothing for the next start to remove"
fi
[ -f "$folder/large.tst" ] || fail "the test itself is gone"
echo "all passed"
