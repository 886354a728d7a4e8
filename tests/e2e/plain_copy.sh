#!/usr/bin/env bash
# The plain copy of a test, in the real program in a real X server, a pupil
# choosing a large test:
# - the program killed with SIGKILL while the copy stands beside the test:
#   what it leaves behind must be readable by its owner alone, and the next
#   start must remove it;
# - a second program started meanwhile leaves the copy alone, and one that
#   opens the same test at the same time loads a copy of its own: both load;
# - SIGTERM or SIGHUP during the load: the program removes its copy, then ends.
# Usage: plain_copy.sh VELMORA VELMORA_TST TABULO
set -euo pipefail
. "$(dirname "$0")/../../scripts/xwindows.sh"

velmora=$1; tool=$2; tabulo=$3

work=$(mktemp -d)
xvfb_pid=
app_pid=
other_pid=
cleanup() {
    [ -n "$app_pid" ] && kill -9 "$app_pid" 2>/dev/null || true
    [ -n "$other_pid" ] && kill -9 "$other_pid" 2>/dev/null || true
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

# The first visible window of the program PID whose title matches, waiting
# up to SECONDS; a message box of the program's instead is a failure.
wait_window_of() { # pid, title regex, seconds
    local id
    for _ in $(seq $(( $3 * 10 ))); do
        id=$(xdotool search --all --onlyvisible --pid "$1" --name "$2" 2>/dev/null | head -n1 || true)
        [ -n "$id" ] && { echo "$id"; return 0; }
        xdotool search --all --onlyvisible --pid "$1" --name '^Velmora$' >/dev/null 2>&1 \
            && { echo "the program $1 shows a message instead of «$2»" >&2; return 1; }
        kill -0 "$1" 2>/dev/null || { echo "the program $1 ended before «$2»" >&2; return 1; }
        sleep 0.1
    done
    echo "no «$2» of the program $1" >&2
    return 1
}

# Ends the program PID with a signal and waits for it.
end_program() { # pid, signal
    kill -"$2" "$1" 2>/dev/null || true
    wait "$1" 2>/dev/null || true
}

# Every plain copy left anywhere: beside the test, or in the private folder.
left_copies() {
    find "$folder" "$TMPDIR" -name '*.tmp' | head -n1
}

# Starts a load and stops the program (SIGSTOP) while its copy stands, so
# that what comes next meets the copy for certain.
stopped_in_load() {
    for attempt in 1 2 3; do
        start_and_choose
        if [ -n "$seen" ] && kill -STOP "$app_pid" 2>/dev/null && [ -e "$copy" ]; then
            return 0
        fi
        echo "attempt $attempt: the load ended before the copy was seen"
        end_program "$app_pid" KILL
        app_pid=
        rm -f "$copy"
    done
    fail "three loads ended before their copy was seen"
}

echo "== a load killed while the plain copy stands"
left=
for attempt in 1 2 3; do
    start_and_choose
    end_program "$app_pid" KILL
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
[ -n "$(left_copies)" ] && fail "a copy was left: $(left_copies)"

echo "== a second program leaves the first one's copy alone, and loads a copy of its own"
stopped_in_load
first=$app_pid
"$folder/velmora" & other_pid=$!
start=$(wait_window_of "$other_pid" '^Выбор теста$' 30) || fail "no selection window of the second program"
[ -e "$copy" ] || fail "the second program's start removed the copy the first one is loading"
press "$start" Return
wait_window_of "$other_pid" '^Выбор режима$' 60 >/dev/null || fail "the second program did not load the test"
[ -e "$copy" ] || fail "the second program's load removed the copy the first one is loading"
kill -CONT "$first"
wait_window_of "$first" '^Выбор режима$' 60 >/dev/null || fail "the first program did not load the test"
[ -n "$(left_copies)" ] && fail "a copy was left after both loads: $(left_copies)"
end_program "$other_pid" KILL
other_pid=
end_program "$first" KILL
app_pid=

for signal in TERM HUP; do
    echo "== SIG$signal during a load removes the copy, then ends the program"
    stopped_in_load
    kill -"$signal" "$app_pid"
    kill -CONT "$app_pid"
    status=0
    wait "$app_pid" 2>/dev/null || status=$?
    app_pid=
    [ "$status" -eq $((128 + $(kill -l "$signal"))) ] || fail "SIG$signal ended the program with status $status"
    [ -n "$(left_copies)" ] && fail "SIG$signal left the plain copy: $(left_copies)"
done

[ -f "$folder/large.tst" ] || fail "the test itself is gone"
echo "all passed"
