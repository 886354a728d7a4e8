#!/usr/bin/env bash
# The installer as a school's administrator runs it: silently (/S) into a
# fresh Wine prefix; the program's folder in Program Files\Velmora with the
# sample tests and the Start-menu entry "Velmora"; the installed program
# starts, lists the samples and a pupil, who cannot write there, takes the
# first of them whole, to the results window (the plain copy in the pupil's
# temporary folder, then gone); a test added by hand survives the
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
# A pupil, who cannot change Program Files: as root, an ordinary user
# (nobody) is given the prefix but not the program's folder. Debian's Wine
# keeps a link to its server's folder in the prefix, which that user could
# not enter; it is made anew.
as_pupil=()
if [ "$(id -u)" -eq 0 ]; then
    pupil=nobody
    chmod 755 "$work"
    mkdir "$work/home"
    rm -f "$WINEPREFIX/wineserver"
    chown -R "$pupil" "$WINEPREFIX" "$work/home"
    chown -R root:root "$folder"
    chmod -R a-w "$folder"
    as_pupil=(runuser -u "$pupil" -- env HOME="$work/home")
    # The user's own profile (Desktop, Documents, Temp), as Windows makes
    # it at a first logon; without it Wine's file dialogs fail.
    DISPLAY= "${as_pupil[@]}" "$wine_run" wineboot -u >/dev/null 2>&1 || fail "no Wine profile for $pupil"
    "${as_pupil[@]}" "$wine_run" --wait
fi
# The installed program's first window; the first sample test taken whole,
# its plain copy in the pupil's own temporary folder and removed there.
"${as_pupil[@]}" "$wine_run" "$folder/velmora.exe" & app_pid=$!
start=$(wait_window '^Выбор теста$' 120) || fail "the installed program showed no test-selection window"
press "$start" Return
pupil_takes_test "$folder" '.+'
"${as_pupil[@]}" "$wine_run" --wait
left=$(find "$WINEPREFIX/drive_c/users" -name '*.tmp' | xargs)
[ -z "$left" ] || fail "plain copies left: $left"
if [ ${#as_pupil[@]} -gt 0 ]; then
    stage=teacher
    # A teacher without an administrator's rights: the teacher's mode
    # proposes the test in the teacher's own home folder, not in Program
    # Files, and writes it there.
    printf '%s\r\n' "Тест учителя" "Задача" "Шаг 1" "Шаг 2" >"$work/text.txt"
    chmod 644 "$work/text.txt"
    "${as_pupil[@]}" "$wine_run" "$folder/velmora.exe" qjx & app_pid=$!
    author_in_dialogs "$(windows_name "$work/text.txt")" || fail "authoring"
    program_ends "the success message"
    [ -f "$WINEPREFIX/drive_c/users/$pupil/тест1.tst" ] || fail "no test written in the teacher's home folder"
    "${as_pupil[@]}" "$wine_run" --wait

    rm -f "$WINEPREFIX/wineserver"
    chown -R root:root "$WINEPREFIX"
    chmod -R u+w "$folder"
fi

stage=uninstall
# A test a teacher added stays; the rest goes.
cp "$folder/tea.tst" "$folder/Мой тест.tst"
"$wine_run" "$folder/uninstall.exe" /S || fail "the silent uninstall failed"
"$wine_run" --wait
left=$(cd "$folder" && find . -mindepth 1 | sort | xargs)
[ "$left" = "./Мой тест.tst" ] || fail "after the uninstall Program Files\\Velmora holds: $left"
[ -e "$menu" ] && fail "the Start-menu entry is left"
echo "all passed"
