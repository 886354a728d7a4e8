#!/usr/bin/env bash
# The run command's check for a display: each row is an environment and
# whether the program may start; a refusal names xvfb-run.
# Usage: need_display.sh SCRIPT
set -uo pipefail
script=$1
failed=0
check() { # expected status, then the environment
    local expected=$1; shift
    local out status
    out=$(env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM "$@" "$script" 2>&1)
    status=$?
    if [ "$status" -ne "$expected" ]; then
        echo "FAIL: $* -> status $status, expected $expected" >&2; failed=1
    elif [ "$expected" -ne 0 ] && ! grep -q 'xvfb-run -a' <<<"$out"; then
        echo "FAIL: $* -> no xvfb-run hint in: $out" >&2; failed=1
    fi
}
check 1
check 1 DISPLAY=:4711
check 1 DISPLAY=unix:4711.0
check 0 QT_QPA_PLATFORM=offscreen
check 0 WAYLAND_DISPLAY=wayland-0
check 0 DISPLAY=remote.example:10
[ "$failed" -eq 0 ] && echo "all passed"
exit "$failed"
