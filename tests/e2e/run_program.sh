#!/usr/bin/env bash
# Drives the real program in a real X server, as a teacher and a pupil would:
# keys and clicks through xdotool, and what the windows say read back through
# the accessibility bus, as a screen reader reads it (screen.py).
# Usage: run_program.sh VELMORA VELMORA_TST TABULO SAMPLE_TEXT OTHER_TEXT ARTIFACTS
# SAMPLE_TEXT is the test the teacher authors and the pupil takes; OTHER_TEXT
# a test already in the folder (the program needs one to start at all).
# On a failure the screen is saved into ARTIFACTS, with the windows' tree.
set -euo pipefail
. "$(dirname "$0")/session.sh"
e2e_session "$0" "$@"

velmora=$1; tool=$2; tabulo=$3; artifacts=$6
sample=$(realpath "$4"); other=$(realpath "$5") # typed into a file dialog: whole paths
here=$(cd "$(dirname "$0")" && pwd)
screen=("/usr/bin/python3" "$here/screen.py")

e2e_start "$artifacts" "" "$artifacts/at-spi-tree.txt" 1280x1024

# The program's folder: the program and the list control's plugin beside it.
folder="$work/folder"
mkdir -p "$folder"
cp "$velmora" "$folder/velmora"
cp "$tabulo" "$folder/"

wait_exit() { # expected status
    local status=0
    for _ in $(seq 600); do
        kill -0 "$app_pid" 2>/dev/null || break
        sleep 0.1
    done
    kill -0 "$app_pid" 2>/dev/null && fail "the program did not end"
    wait "$app_pid" || status=$?
    app_pid=
    [ "$status" -eq "$1" ] || fail "the program ended with status $status, expected $1"
}

stage=no-tests
echo "== no tests: the program says so and ends"
"$folder/velmora" & app_pid=$!
"${screen[@]}" message "$app_pid" "Критическая ошибка" \
    "Не могу найти файлы тестов. Программа завершает работу" || fail "no message about missing tests"
wait_exit 0

stage=teacher
echo "== a teacher authors a test"
"$tool" scramble "$other" "$folder/другой.tst" || fail "velmora-tst scramble"
"$folder/velmora" qjx & app_pid=$!
author_in_dialogs "$sample" || fail "the authoring mode's windows did not come"
wait_exit 0
"$tool" scramble "$sample" "$work/expected.tst" || fail "velmora-tst scramble"
cmp "$folder/тест1.tst" "$work/expected.tst" || fail "the authored test differs from velmora-tst's"

stage=pupil
echo "== a pupil takes the test"
"$tool" show "$folder/тест1.tst" --json > "$work/test.json" || fail "velmora-tst show"
"$tool" show "$folder/другой.tst" --json > "$work/other.json" || fail "velmora-tst show"
"$folder/velmora" & app_pid=$!
"${screen[@]}" pupil "$app_pid" "$work/test.json" "$work/other.json" "$artifacts" || fail "the pupil's road"
ls "$folder" | grep -q '\.tmp$' && fail "a temporary copy was left behind"
wait_exit 0
echo "all passed"
