#!/usr/bin/env bash
# The Windows program under Wine in a real X server, driven as a pupil drives
# it: the test-selection window lists the sample tests and one more whose
# file name is Cyrillic; the last of the list is chosen and OK opens it (the
# main window is named after its title; its plain copy is gone); the mode
# with hints; an exchange typed into the move box changes the list;
# "Готово" (its message and "Далее" after each wrong answer) to the last
# task; the results window; OK ends the program. Then the same on a full
# disk, where the plain copy goes elsewhere; last, the teacher's mode writes
# a test from a text. Windows are told by their
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

stage=selection
"$wine_run" "$folder/velmora.exe" & app_pid=$!
start=$(wait_window '^Выбор теста$' 120) || fail "no test-selection window"
press "$start" End Return

pupil_takes_test "$folder" "$title"

stage=full-disk
# The program's folder on a disk with no room left: the plain copy goes to
# the user's temporary folder and the test is taken all the same.
full="$work/full"
mkdir "$full"
if mount -t tmpfs -o size=$(( $(du -sk "$folder" | cut -f1) + 256 ))k tmpfs "$full" 2>/dev/null; then
    mounted=$full
    cp -r "$folder/." "$full/"
    dd if=/dev/zero of="$full/filler" bs=4k 2>/dev/null || true
    "$wine_run" "$full/velmora.exe" & app_pid=$!
    start=$(wait_window '^Выбор теста$' 120) || fail "no test-selection window on a full disk"
    press "$start" End Return
    pupil_takes_test "$full" "$title"
    "$wine_run" --wait
    umount -l "$full" && mounted=
else
    echo "not run on a full disk: mounting a small file system needs root"
fi

stage=authoring
# The teacher's mode: the text chosen in the Open dialog by its Windows
# name, the proposed test in the program's folder accepted, the success
# message; the test written reads as the Linux build reads it.
"$wine_run" "$folder/velmora.exe" qjx & app_pid=$!
author_in_dialogs "$(windows_name "$work/text.txt")" || fail "authoring"
program_ends "the success message"
"$tool" show "$folder/тест1.tst" | grep -qx "Заголовок: $title" || fail "the authored test does not read back"
echo "all passed"
