# Sourced by the scripts that drive the real program in a virtual X server
# (tests/e2e, tests/package, scripts/screenshots). Needs Xvfb and xdotool.

# Starts Xvfb on a free display with a screen of SIZE (e.g. 1280x1024),
# keeping its display number in WORK/display; sets DISPLAY and xvfb_pid.
start_xvfb() { # work folder, screen size
    exec 3> "$1/display"
    Xvfb -displayfd 3 -screen 0 "$2x24" -nolisten tcp -noreset >/dev/null 2>&1 &
    xvfb_pid=$!
    exec 3>&-
    for _ in $(seq 100); do [ -s "$1/display" ] && break; sleep 0.1; done
    [ -s "$1/display" ] || return 1
    export DISPLAY=":$(head -n1 "$1/display")"
    unset QT_QPA_PLATFORM
}

# The first visible window whose title matches, waiting up to SECONDS.
wait_window() { # title regex, seconds
    local id
    for _ in $(seq $(( ${2:-60} * 10 ))); do
        id=$(xdotool search --onlyvisible --name "$1" 2>/dev/null | head -n1 || true)
        [ -n "$id" ] && { echo "$id"; return 0; }
        sleep 0.1
    done
    return 1
}

# Keys typed into a window (focused first: there is no window manager).
press() { # window id, keys...
    local id=$1; shift
    xdotool windowfocus --sync "$id" 2>/dev/null || true
    xdotool key "$@"
}

# The teacher's authoring mode, once started: the text typed into the Open
# dialog, the proposed destination accepted in the Save dialog, the success
# message read and closed. Returns non-zero at the first window missing.
author_in_dialogs() { # path of the teacher's text
    local open save box
    open=$(wait_window '^Выберите файл для шифрования$' 30) || { echo "no Open dialog" >&2; return 1; }
    xdotool windowfocus --sync "$open" 2>/dev/null || true
    xdotool type --delay 5 "$1"
    xdotool key Return
    save=$(wait_window '^Сохранить резултат в файле$') || { echo "no Save dialog" >&2; return 1; }
    press "$save" Return
    box=$(wait_window '^Velmora$') || { echo "no success message" >&2; return 1; }
    press "$box" Return
}
