#!/usr/bin/env bash
# Keys as people press them, in the real program in a real X server: Enter
# held down on "Готово" for a second presses it once (the hint comes and
# stays, the test does not run through), and a middle click on the move box
# pastes nothing of the X selection into it.
# Usage: held_keys.sh VELMORA VELMORA_TST TABULO ARTIFACTS
# On a failure the screen is saved into ARTIFACTS, with the windows' tree.
set -euo pipefail
. "$(dirname "$0")/session.sh"
e2e_session "$0" "$@"

velmora=$1; tool=$2; tabulo=$3; artifacts=$4
here=$(cd "$(dirname "$0")" && pwd)

e2e_start "$artifacts" held- "$artifacts/held-keys-tree.txt" 1280x1024
# A held key repeats only where the server repeats keys.
xset r on
xset q | grep -q 'auto repeat: *on' || fail "the X server does not repeat held keys"

# Two tasks of three lines: a task of three lines never comes in its right
# order, so the first "Готово" is always wrong and, with hints, shows the hint.
folder="$work/folder"
mkdir -p "$folder"
cp "$velmora" "$folder/velmora"
cp "$tabulo" "$folder/"
printf 'Клавиши\r\nПервая\r\nраз\r\nдва\r\nтри\r\n\r\nВторая\r\nодин\r\nдва\r\nтри\r\n' > "$work/keys.txt"
"$tool" scramble "$work/keys.txt" "$folder/клавиши.tst" || fail "velmora-tst scramble"

# The X selection a middle click would paste.
printf 'ab;x!' | xclip -quiet -selection primary >/dev/null 2>&1 &
e2e_pids+=($!)

stage=held-keys
"$folder/velmora" & app_pid=$!
VELMORA_E2E_TREE="$artifacts/held-keys-tree.txt" /usr/bin/python3 - "$here" "$app_pid" <<'EOF' || fail "held keys"
import sys
import time

sys.path.insert(0, sys.argv[1])
import screen  # noqa: E402
from screen import Atspi, Failure, step  # noqa: E402

import os  # noqa: E402

program = screen.Program(int(sys.argv[2]))
title = "Клавиши"
main_title = "^Velmora - "
try:
    step("the only test, with hints")
    program.window("^Выбор теста$")
    screen.keys_to("^Выбор теста$", "Return")
    regim = program.window("^Выбор режима$")
    screen.activate("^Выбор режима$")
    screen.wait_focus(regim, "С подсказками")
    screen.keys_to("^Выбор режима$", "space")
    program.gone("Выбор режима")
    screen.activate(main_title)
    main = screen.wait_main(program, title, "the first task, focus on Готово",
                            lambda m: m.otv == "Задача №1" and screen.focused_name(m.window) == "Готово")

    step("Enter held on Готово for a second: the hint, once")
    screen.xdotool("keydown", "Return")
    time.sleep(1)
    screen.xdotool("keyup", "Return")
    alert = program.window("^Velmora$", Atspi.Role.ALERT)
    screen.expect("the hint", screen.poll("the hint's text", lambda: screen.said_by(alert)), [screen.HINT])
    time.sleep(0.3)  # whatever the held key still had to do, it has done now
    screen.expect("the windows", sorted(program.window_names()), sorted(["Velmora", "Velmora - " + title]))
    main = screen.read_main(program, title)
    screen.expect("the task", main.otv, "Задача №1")
    screen.keys_to("^Velmora$", "Return")
    program.gone("Velmora")
    main = screen.wait_main(program, title, "the correct order and 'Далее'", lambda m: "Далее" in m.buttons)
    screen.expect("the task", main.otv, "Задача №1")

    step("a middle click on the move box pastes nothing")
    box = [n for n in screen.children(main.window) if n.get_role() == Atspi.Role.TEXT][0]
    x, y = screen.centre(box)
    screen.xdotool("mousemove", str(x), str(y), "click", "1")
    screen.wait_focus(main.window, "Строки:")
    screen.xdotool("click", "2")
    time.sleep(0.3)
    screen.expect("the box after a middle click", screen.read_main(program, title).box, "")
    screen.xdotool("type", "--delay", "30", "1-")
    screen.wait_main(program, title, "the box to read '1 -'", lambda m: m.box == "1 -")
    screen.xdotool("click", "2")
    time.sleep(0.3)
    screen.expect("the box after '1-' and a middle click", screen.read_main(program, title).box, "1 -")
except Failure as e:
    with open(os.environ["VELMORA_E2E_TREE"], "w", encoding="utf-8") as f:
        f.write(program.dump() + "\n")
    print("FAIL:", e, file=sys.stderr)
    sys.exit(1)
EOF
kill -0 "$app_pid" 2>/dev/null || fail "the program ended"
echo "all passed"
