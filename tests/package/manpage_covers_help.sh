#!/usr/bin/env bash
# Every command and every option velmora-tst's help names is in its manual
# page (the English one and the Russian one alike), and each command's
# synopsis on the page names the options of its usage line: the tool's help
# and the page do not drift apart.
# Usage: manpage_covers_help.sh VELMORA_TST MANPAGE
set -euo pipefail
tool=$1; page=$2
fail=0

# The page as a reader sees it: troff's escaped hyphens and font changes gone.
text=$(sed -e 's/\\-/-/g' -e 's/\\f[BIRP]//g' "$page")
contains() { grep -qF -e "$1" <<<"$text"; }

help=$("$tool" --help)
# Commands: the first word of the lines indented by two under "Команды:".
commands=$(awk '/^Команды:/ {on = 1; next} on && /^[^ ]/ {on = 0} on && /^  [a-z]/ {print $1}' <<<"$help")
[ -n "$commands" ] || { echo "FAIL: no commands found in velmora-tst --help"; exit 1; }

all_help=$help
for command in $commands; do
    contains "$command" || { echo "FAIL: the command $command is not in the manual page"; fail=1; }
    command_help=$("$tool" "$command" --help)
    all_help+=$'\n'$command_help
    # The options of the usage line, and of the page's synopsis line for the command.
    usage_options=$(head -n1 <<<"$command_help" | sed 's/velmora-tst//g' | { grep -oE -- '--?[a-z][a-z-]*' || true; } | sort -u | xargs)
    synopsis_options=$(awk '/^\.SH/ {on = ($2 ~ /^(SYNOPSIS|СИНТАКСИС)$/); next} on' <<<"$text" \
        | awk -v RS='[.]br\n' -v want="velmora-tst $command" '$2 " " $3 == want' \
        | sed 's/velmora-tst//g' | { grep -oE -- '--?[a-z][a-z-]*' || true; } | sort -u | xargs)
    [ "$usage_options" = "$synopsis_options" ] || {
        echo "FAIL: $command: the usage line names '$usage_options', the page's synopsis '$synopsis_options'"; fail=1; }
done
# Options: every -x and --word the help texts name.
for option in $(grep -oE -- '(^|[ [(,])--?[A-Za-z][A-Za-z-]*' <<<"$all_help" | sed 's/^[ [(,]//' | sort -u); do
    contains "$option" || { echo "FAIL: the option $option is not in the manual page"; fail=1; }
done
[ "$fail" -eq 0 ] && echo "all passed: $(wc -w <<<"$commands") commands"
exit "$fail"
