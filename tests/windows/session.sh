# Sourced by the scripts that run the Windows program under Wine in a
# virtual X server:
#   wine_session ARTIFACTS PREFIX   a work folder ($work, removed at the end),
#                                   Xvfb; fail() then saves the screen as
#                                   ARTIFACTS/PREFIX<stage>.png
# The program in $app_pid and Xvfb are ended at exit.
. "$(dirname "${BASH_SOURCE[0]}")/../../scripts/xwindows.sh"

app_pid=
xvfb_pid=
stage=start
wine_cleanup() {
    [ -n "$app_pid" ] && kill "$app_pid" 2>/dev/null || true
    [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null || true
    rm -rf "$work"
}

fail() {
    echo "FAIL ($stage): $*" >&2
    import -window root "$wine_artifacts/$wine_prefix$stage.png" 2>/dev/null \
        && echo "the screen is in $wine_artifacts/$wine_prefix$stage.png" >&2
    exit 1
}

wine_session() { # artifacts folder, picture prefix
    wine_artifacts=$1; wine_prefix=$2
    work=$(mktemp -d)
    trap wine_cleanup EXIT
    mkdir -p "$wine_artifacts"
    rm -f "$wine_artifacts/$wine_prefix"*.png
    start_xvfb "$work" 1280x1024 || fail "Xvfb did not start"
}
