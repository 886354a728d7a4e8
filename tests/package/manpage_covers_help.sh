#!/usr/bin/env bash
# Every command and every option velmora-tst's help names is in its manual
# page: the tool's help and the page do not drift apart.
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
    all_help+=$'\n'$("$tool" "$command" --help)
done
# Options: every -x and --word the help texts name.
for option in $(grep -oE -- '(^|[ [(,])--?[A-Za-z][A-Za-z-]*' <<<"$all_help" | sed 's/^[ [(,]//' | sort -u); do
    contains "$option" || { echo "FAIL: the option $option is not in the manual page"; fail=1; }
done
[ "$fail" -eq 0 ] && echo "all passed: $(wc -w <<<"$commands") commands"
exit "$fail"
