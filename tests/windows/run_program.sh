#!/usr/bin/env bash
# The Windows program under Wine in a real X server, driven as a pupil drives
# it: the test-selection window lists the sample tests and one more whose
# file name is Cyrillic; the last of the list is chosen and OK opens it (the
# main window is named after its title; its plain copy is gone); the mode
# with hints; an exchange typed into the move box changes the list;
# "Готово" (its message and "Далее" after each wrong answer) to the last
# task; the results window; OK ends the program. Windows are told by their
# titles (Wine offers no accessibility bus), the list's change by its
# pixels. On a failure the screen is saved into ARTIFACTS.
# Usage: run_program.sh WINE_RUN BIN_DIR LINUX_VELMORA_TST ARTIFACTS
set -euo pipefail
. "$(dirname "$0")/session.sh"
wine_run=$1; bin=$2; tool=$3; artifacts=$4

wine_session "$artifacts" windows-

# The program's folder with its samples and a test named in Cyrillic, whose
# title sorts last.
folder="$work/Velmora"
cp -r "$bin" "$folder"
rm -f "$folder"/*.tmp
title="Проверка под Windows"
printf '%s\r\n' "$title" "Сварить кашу" "Налить молоко" "Всыпать крупу" "Варить 10 минут" "" \
    "Заварить чай" "Вскипятить воду" "Положить заварку" "Залить кипятком" >"$work/text.txt"
test="$folder/Проверка.tst"
"$tool" scramble "$work/text.txt" "$test" >/dev/null || fail "scramble"

# A window's client point, in the window's own pixels, clicked.
click() { # window id, x, y
    xdotool mousemove --window "$1" "$2" "$3" click 1
}
window_shot() { # window id, file
    import -window "$1" "$2" 2>/dev/null
}
# Whether two pictures differ in any pixel.
differ() { # picture, picture
    local pixels
    pixels=$(compare -metric AE "$1" "$2" null: 2>&1 || true)
    [ "${pixels%% *}" != 0 ]
}
# A window's picture once it has stopped changing (painted whole), into FILE.
settled_shot() { # window id, file
    local next="${2%.png}-next.png"
    window_shot "$1" "$2"
    for _ in $(seq 50); do
        sleep 0.2
        window_shot "$1" "$next"
        differ "$2" "$next" || return 0
        mv "$next" "$2"
    done
}

stage=selection
"$wine_run" "$folder/velmora.exe" & app_pid=$!
start=$(wait_window '^Выбор теста$' 120) || fail "no test-selection window"
press "$start" End Return

stage=mode
regim=$(wait_window '^Выбор режима$' 60) || fail "no mode window after OK"
ls "$folder" | grep -q '\.tmp$' && fail "the plain copy was left beside the test"
press "$regim" Return

stage=main
main=$(wait_window "^Velmora - $title\$" 60) || fail "no main window named after the test's title"

stage=exchange
settled_shot "$main" "$work/before.png"
eval "$(xdotool getwindowgeometry --shell "$main")"
# The move box sits under its caption "Строки:", right of the list; its
# place is found on the screen rather than assumed: the first white row
# below the caption, in the column of the buttons.
box_x=$(( WIDTH - 80 )); box_y=0
for y in $(seq $(( HEIGHT / 3 )) $(( HEIGHT * 3 / 4 ))); do
    colour=$(convert "$work/before.png" -format "%[pixel:p{$box_x,$y}]" info: 2>/dev/null || true)
    case $colour in white | "srgb(255,255,255)" | "rgb(255,255,255)") box_y=$(( y + 5 )); break ;; esac
done
[ "$box_y" -gt 0 ] || fail "no move box found on the main window"
click "$main" "$box_x" "$box_y"
xdotool type --delay 50 "1-2"
xdotool key Return
changed=
for _ in $(seq 50); do
    sleep 0.2
    window_shot "$main" "$work/after.png"
    differ "$work/before.png" "$work/after.png" && { changed=1; break; }
done
[ -n "$changed" ] || fail "the typed exchange changed nothing on the screen"
cp "$work/after.png" "$artifacts/windows-main.png"

stage=done
# "Готово" sits right of the list at the top (its design's box: 36 to 64
# pixels down); with hints a wrong answer brings a message, then "Далее".
# Each step waits a second for its window; a minute in all.
for _ in $(seq 60); do
    [ -n "$(xdotool search --onlyvisible --name '^Результаты$' 2>/dev/null)" ] && break
    message=$(xdotool search --onlyvisible --name '^Velmora$' 2>/dev/null | head -n1 || true)
    if [ -n "$message" ]; then
        press "$message" Return
    else
        click "$main" "$box_x" 50
    fi
    sleep 1
done
stage=results
results=$(wait_window '^Результаты$' 30) || fail "no results window after the last task"
window_shot "$results" "$artifacts/windows-results.png"
press "$results" Return
for _ in $(seq 300); do kill -0 "$app_pid" 2>/dev/null || break; sleep 0.1; done
kill -0 "$app_pid" 2>/dev/null && fail "the program did not end after the results"
status=0; wait "$app_pid" || status=$?; app_pid=
[ "$status" -eq 0 ] || fail "the program ended with status $status"
ls "$folder" | grep -q '\.tmp$' && fail "a plain copy was left behind"
echo "all passed"
