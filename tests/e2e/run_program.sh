#!/usr/bin/env bash
# Drives the real program in a real X server, as a pupil and a teacher would:
# keys typed with xdotool, windows found by their titles.
# Usage: run_program.sh VELMORA VELMORA_TST SAMPLE_TEXT
set -euo pipefail
velmora=$1; tool=$2; sample=$3

work=$(mktemp -d)
xvfb_pid=
app_pid=
cleanup() {
    [ -n "$app_pid" ] && kill "$app_pid" 2>/dev/null || true
    [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null || true
    rm -rf "$work"
}
trap cleanup EXIT

fail() { echo "FAIL: $*" >&2; exit 1; }

exec 3> "$work/display"
Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp >/dev/null 2>&1 &
xvfb_pid=$!
for _ in $(seq 50); do [ -s "$work/display" ] && break; sleep 0.1; done
export DISPLAY=":$(head -n1 "$work/display")"
unset QT_QPA_PLATFORM

# The program's folder: a copy of the program, its own tests beside it.
folder="$work/folder"
mkdir -p "$folder"
cp "$velmora" "$folder/velmora"

wait_window() { # title regex, seconds
    local id
    for _ in $(seq $(( ${2:-10} * 10 ))); do
        id=$(xdotool search --onlyvisible --name "$1" 2>/dev/null | head -n1 || true)
        [ -n "$id" ] && { echo "$id"; return 0; }
        sleep 0.1
    done
    return 1
}
press() { # window id, keys...
    local id=$1; shift
    xdotool windowfocus --sync "$id" 2>/dev/null || true
    xdotool key --clearmodifiers "$@"
}
wait_exit() { # expected status
    local status=0
    for _ in $(seq 100); do
        kill -0 "$app_pid" 2>/dev/null || break
        sleep 0.1
    done
    kill -0 "$app_pid" 2>/dev/null && fail "the program did not end"
    wait "$app_pid" || status=$?
    app_pid=
    [ "$status" -eq "$1" ] || fail "the program ended with status $status, expected $1"
}

echo "== no tests: the program says so and ends"
"$folder/velmora" & app_pid=$!
box=$(wait_window '^Критическая ошибка$') || fail "no message about missing tests"
press "$box" Return
wait_exit 0

echo "== a pupil picks a test"
"$tool" scramble "$sample" "$folder/чай.tst" || fail "velmora-tst scramble"
"$folder/velmora" & app_pid=$!
start=$(wait_window '^Выбор теста$') || fail "no selection window"
press "$start" Return
box=$(wait_window '^Velmora - ') || fail "the chosen test was not loaded"
press "$box" Return
start=$(wait_window '^Выбор теста$') || fail "no way back to the selection"
ls "$folder" | grep -q '\.tmp$' && fail "a temporary copy was left behind"
press "$start" Escape
wait_exit 0

echo "== a teacher authors a test"
"$folder/velmora" qjx & app_pid=$!
open=$(wait_window '^Выберите файл для шифрования$') || fail "no Open dialog"
xdotool windowfocus --sync "$open" 2>/dev/null || true
xdotool type --delay 5 "$sample"
xdotool key Return
save=$(wait_window '^Сохранить резултат в файле$') || fail "no Save dialog"
press "$save" Return
box=$(wait_window '^Velmora$') || fail "no success message"
press "$box" Return
wait_exit 0
"$tool" scramble "$sample" "$work/expected.tst"
cmp "$folder/тест1.tst" "$work/expected.tst" || fail "the authored test differs from velmora-tst's"
echo "all passed"
