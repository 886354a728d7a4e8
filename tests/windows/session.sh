# Sourced by the scripts that run the Windows program under Wine in a
# virtual X server:
#   wine_session ARTIFACTS PREFIX   a work folder ($work, removed at the end),
#                                   Xvfb; fail() then saves the screen as
#                                   ARTIFACTS/PREFIX<stage>.png
# The program in $app_pid and Xvfb are ended at exit, a file system
# mounted at $mounted unmounted.
. "$(dirname "${BASH_SOURCE[0]}")/../../scripts/xwindows.sh"

app_pid=
xvfb_pid=
stage=start
mounted=
wine_cleanup() {
    [ -n "$app_pid" ] && kill "$app_pid" 2>/dev/null || true
    [ -n "$mounted" ] && umount -l "$mounted" 2>/dev/null || true
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
    trap "exit 1" INT TERM # so that the clean-up runs on those too
    mkdir -p "$wine_artifacts"
    rm -f "$wine_artifacts/$wine_prefix"*.png
    start_xvfb "$work" 1280x1024 || fail "Xvfb did not start"
}

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

# A file's name as a Windows program under Wine sees it: Z:\…
windows_name() { # Unix path
    local name=${1//\//\\}
    echo "Z:$name"
}

# The program in $app_pid ends within 30 seconds, with status 0.
program_ends() { # what should have ended it
    local status=0
    for _ in $(seq 300); do kill -0 "$app_pid" 2>/dev/null || break; sleep 0.1; done
    kill -0 "$app_pid" 2>/dev/null && fail "the program did not end after $1"
    wait "$app_pid" || status=$?
    app_pid=
    [ "$status" -eq 0 ] || fail "the program ended with status $status after $1"
}

# A whole test as a pupil takes it, from the mode window of the program in
# $app_pid: the mode with hints; an exchange typed into the move box changes
# the list (told by its pixels); "Готово" (its message and "Далее" after
# each wrong answer) to the last task; the results window; OK ends the
# program with status 0, leaving no plain copy in FOLDER. The main window
# is named after TITLE (a regular expression).
pupil_takes_test() { # program folder, title
    local folder=$1 title=$2 regim main results message changed colour y box_x box_y
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
    cp "$work/after.png" "$wine_artifacts/${wine_prefix}main.png"

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
    window_shot "$results" "$wine_artifacts/${wine_prefix}results.png"
    press "$results" Return
    program_ends "the results"
    if ls "$folder" | grep -q '\.tmp$'; then fail "a plain copy was left behind"; fi
}
