# Sourced by the end-to-end scripts that drive the real program and read
# its windows through the accessibility bus, as a screen reader does.
#
#   e2e_session "$0" "$@"           runs the script again under a private
#                                   session bus (once)
#   e2e_start ARTIFACTS PREFIX TREE SIZE
#                                   a work folder ($work, removed at the end),
#                                   Xvfb with a screen of SIZE and the
#                                   accessibility bus; fail() then saves the
#                                   screen as ARTIFACTS/PREFIX<stage>.png and
#                                   points at the windows' tree in TREE
#
# The program in $app_pid and every process in e2e_pids are ended at exit.
. "$(dirname "${BASH_SOURCE[0]}")/../../scripts/xwindows.sh"

e2e_session() {
    if [ -z "${VELMORA_E2E_SESSION:-}" ]; then
        export VELMORA_E2E_SESSION=1
        exec dbus-run-session -- "$@"
    fi
}

app_pid=
xvfb_pid=
e2e_pids=()
stage=start
e2e_cleanup() {
    [ -n "$app_pid" ] && kill "$app_pid" 2>/dev/null || true
    for pid in "${e2e_pids[@]}"; do kill "$pid" 2>/dev/null || true; done
    [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null || true
    [ -n "${work:-}" ] && rm -rf "$work"
}

fail() {
    echo "FAIL ($stage): $*" >&2
    import -window root "$e2e_artifacts/$e2e_prefix$stage.png" 2>/dev/null \
        && echo "the screen is in $e2e_artifacts/$e2e_prefix$stage.png" >&2
    [ -f "$e2e_tree" ] && echo "the windows' tree is in $e2e_tree" >&2
    exit 1
}

e2e_start() { # artifacts folder, picture prefix, tree file, screen size
    e2e_artifacts=$1; e2e_prefix=$2; e2e_tree=$3
    work=$(mktemp -d)
    trap e2e_cleanup EXIT
    trap "exit 1" INT TERM
    mkdir -p "$e2e_artifacts"
    rm -f "$e2e_artifacts/$e2e_prefix"*.png "$e2e_tree"

    start_xvfb "$work" "$4" || fail "Xvfb did not start"

    # The accessibility bus, kept out of the user's settings and home folder.
    mkdir -m 0700 "$work/runtime"
    export XDG_RUNTIME_DIR="$work/runtime"
    GSETTINGS_BACKEND=memory "${VELMORA_AT_SPI_BUS_LAUNCHER:-/usr/libexec/at-spi-bus-launcher}" \
        --launch-immediately --a11y=1 >/dev/null 2>&1 &
    e2e_pids+=($!)
    /usr/bin/python3 "$(dirname "${BASH_SOURCE[0]}")/screen.py" wait-bus || fail "no accessibility bus"
    export QT_LINUX_ACCESSIBILITY_ALWAYS_ON=1
}
