#!/usr/bin/env bash
# The installer as a school's administrator runs it: silently (/S) into a
# fresh Wine prefix; the program's folder in Program Files\Velmora with the
# sample tests and the Start-menu entry "Velmora"; the installed program
# starts, lists the samples and a pupil takes the first of them whole, to
# the results window (leaving no plain copy); a test added by hand survives the
# silent uninstall, which removes everything the installer put there.
# Usage: installer.sh WINE_RUN SETUP_EXE ARTIFACTS
set -euo pipefail
. "$(dirname "$0")/session.sh"
wine_run=$1; setup=$2; artifacts=$3

wine_session "$artifacts" installer-
stage=install
[ -f "$setup" ] || fail "no installer at $setup"
export WINEPREFIX="$work/prefix"

"$wine_run" "$setup" /S || fail "the silent install failed"
"$wine_run" --wait
folder="$WINEPREFIX/drive_c/Program Files/Velmora"
for f in velmora.exe velmora-tst.exe Tabulo.dll Qt6Core.dll platforms/qwindows.dll qt.conf uninstall.exe \
    tea.tst road.tst calc.tst; do
    [ -f "$folder/$f" ] || fail "Program Files\\Velmora\\$f is not installed"
done
[ -e "$folder/platforms/qoffscreen.dll" ] && fail "the tests' offscreen platform was installed"
menu="$WINEPREFIX/drive_c/ProgramData/Microsoft/Windows/Start Menu/Programs/Velmora.lnk"
[ -f "$menu" ] || fail "no Start-menu entry Velmora"

stage=installed
# The installed program's first window; the first sample test taken whole.
"$wine_run" "$folder/velmora.exe" & app_pid=$!
start=$(wait_window '^Выбор теста$' 120) || fail "the installed program showed no test-selection window"
press "$start" Return
pupil_takes_test "$folder" '.+'
"$wine_run" --wait

stage=uninstall
# A test a teacher added stays; the rest goes.
cp "$folder/tea.tst" "$folder/Мой тест.tst"
"$wine_run" "$folder/uninstall.exe" /S || fail "the silent uninstall failed"
"$wine_run" --wait
left=$(cd "$folder" && find . -mindepth 1 | sort | xargs)
[ "$left" = "./Мой тест.tst" ] || fail "after the uninstall Program Files\\Velmora holds: $left"
[ -e "$menu" ] && fail "the Start-menu entry is left"
echo "all passed"
