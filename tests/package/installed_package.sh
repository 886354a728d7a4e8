#!/usr/bin/env bash
# The Debian package as a school computer gets it: installed, and used by an
# ordinary user for whom the program's folder is read-only. The user lists
# the sample tests, loads one, reaches the main window (the control found
# through the /usr/bin link), authors a test into the home folder, and reads
# an installed sample with velmora-tst.
#
# Under CI (CI=true) or with VELMORA_INSTALL_TEST=1 the package is installed
# for real with dpkg (as root) and purged afterwards; elsewhere it is unpacked
# into a temporary root with dpkg-deb -x, so a developer's system is left
# alone.
# Usage: installed_package.sh PACKAGE.deb SAMPLE_TEXT
set -euo pipefail
. "$(dirname "$0")/../../scripts/xwindows.sh"
deb=$(realpath "$1"); sample=$(realpath "$2")

fail() { echo "FAIL: $*" >&2; exit 1; }
[ -f "$deb" ] || fail "no package $deb"

real=false
if [ "${CI:-}" = true ] || [ "${VELMORA_INSTALL_TEST:-}" = 1 ]; then real=true; fi
if $real && [ "$(id -u)" -ne 0 ]; then fail "installing the package for real needs root"; fi

work=$(mktemp -d)
chmod 755 "$work"
xvfb_pid=
app_pid=
installed=false
made_user=
cleanup() {
    [ -n "$app_pid" ] && kill "$app_pid" 2>/dev/null || true
    [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null || true
    if $installed; then dpkg --purge velmora >/dev/null || echo "could not purge velmora" >&2; fi
    [ -n "$made_user" ] && userdel --remove "$made_user" 2>/dev/null || true
    chmod -R u+w "$work" 2>/dev/null || true
    [ -n "${KEEP_WORK:-}" ] && echo "kept $work" || rm -rf "$work"
}
trap cleanup EXIT

echo "== install"
if $real; then
    dpkg -i "$deb" || fail "dpkg -i: the package does not install (its Depends?)"
    installed=true
    root=
else
    dpkg-deb -x "$deb" "$work/root" || fail "dpkg-deb -x"
    root=$work/root
fi
folder=$root/usr/lib/velmora
[ "$(readlink -f "$root/usr/bin/velmora")" = "$(readlink -f "$folder/velmora")" ] || fail "/usr/bin/velmora is no link into $folder"

# The pupil or teacher: this user, or an ordinary one when we are root.
home=$work/home
mkdir "$home"
user=$(id -un)
if [ "$(id -u)" -eq 0 ]; then
    if $real; then
        user=velmora-pupil
        if ! id "$user" >/dev/null 2>&1; then
            useradd --no-create-home --shell /bin/sh "$user" || fail "useradd"
            made_user=$user
        fi
    else
        user=nobody
    fi
    chown "$user" "$home"
fi
runtime=$work/runtime
mkdir -m 700 "$runtime"
[ "$(id -u)" -eq 0 ] && chown "$user" "$runtime"

as_user() {
    local run=()
    [ "$(id -u)" -eq 0 ] && run=(runuser -u "$user" --)
    "${run[@]}" env -u QT_QPA_PLATFORM -u VELMORA_PLUGIN_PATH HOME="$home" XDG_RUNTIME_DIR="$runtime" DISPLAY="${DISPLAY:-}" "$@"
}
# A folder the user cannot change: shared and read-only, as installed.
$real || chmod -R a-w "$folder"
as_user test -w "$folder" && fail "$folder is writable for $user"

echo "== velmora-tst show on the installed samples"
titles=()
for test in "$folder"/*.tst; do
    out=$(as_user "$root/usr/bin/velmora-tst" show "$test") || fail "velmora-tst show $test"
    titles+=("$(sed -n 's/^Заголовок: //p' <<<"$out")")
done
[ ${#titles[@]} -ge 3 ] || fail "fewer than three sample tests installed"

start_xvfb "$work" 1280x1024 || fail "Xvfb did not start"


echo "== a pupil starts the program through /usr/bin"
as_user "$root/usr/bin/velmora" & app_pid=$!
start=$(wait_window '^Выбор теста$' 30) || {
    wait_window '^Критическая ошибка$' 1 >/dev/null && fail "the program found no tests in $folder"
    fail "no selection window"
}
press "$start" Return
regim=$(wait_window '^Выбор режима$' 20) || fail "the chosen test did not load from the read-only folder"
ls "$folder" | grep -q '\.tmp$' && fail "a temporary copy landed in the program's folder"
press "$regim" Return
main=$(wait_window '^Velmora - ' 20) || fail "no main window"
caption=$(xdotool getwindowname "$main")
found=false
for title in "${titles[@]}"; do [ "$caption" = "Velmora - $title" ] && found=true; done
$found || fail "the main window's caption '$caption' names no installed sample"
pid=$(xdotool getwindowpid "$main") || fail "no process behind the main window"
grep -q "$folder/libTabulo.so" "/proc/$pid/maps" || fail "the control was not loaded from $folder"
kill "$pid"
wait "$app_pid" 2>/dev/null || true # ended by us
app_pid=

echo "== a teacher authors a test: proposed in the home folder"
cp "$sample" "$home/lesson.txt"
chmod a+r "$home/lesson.txt"
as_user "$root/usr/bin/velmora" qjx & app_pid=$!
author_in_dialogs "$home/lesson.txt" || fail "the authoring mode's windows did not come"
for _ in $(seq 100); do kill -0 "$app_pid" 2>/dev/null || break; sleep 0.1; done
kill -0 "$app_pid" 2>/dev/null && fail "the authoring mode did not end"
app_pid=
[ -f "$home/тест1.tst" ] || fail "the test was not written to the home folder"
as_user "$root/usr/bin/velmora-tst" show "$home/тест1.tst" >/dev/null || fail "the authored test does not open"
[ -e "$folder/тест1.tst" ] && fail "the authored test landed in the program's folder"

if $real && command -v man >/dev/null; then
    echo "== the manual pages, as man finds them"
    if grep -rqs '^path-exclude=/usr/share/man' /etc/dpkg/dpkg.cfg.d; then
        echo "this system's dpkg leaves out manual pages: not checked"
    else
        for page in velmora velmora-tst; do
            [ "$(as_user env LC_ALL=C man -w "$page")" = "/usr/share/man/man1/$page.1.gz" ] \
                || fail "man $page in the C locale does not find the English page"
            [ "$(as_user man -L ru -w "$page")" = "/usr/share/man/ru/man1/$page.1.gz" ] \
                || fail "man -L ru $page does not find the Russian page"
            warnings=$(as_user env LC_ALL=C MANWIDTH=80 man "$page" 2>&1 >/dev/null)
            [ -z "$warnings" ] || fail "man $page in the C locale: $warnings"
        done
    fi
fi

if $real; then
    echo "== purge"
    dpkg --purge velmora >/dev/null || fail "dpkg --purge"
    installed=false
    [ -e /usr/lib/velmora ] && fail "/usr/lib/velmora is left after purging"
    [ -e /usr/bin/velmora ] || [ -L /usr/bin/velmora ] && fail "/usr/bin/velmora is left after purging"
fi
echo "all passed"
