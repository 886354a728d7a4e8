#!/usr/bin/env bash
# build.sh knows the Makefile's targets without make: its list is the
# Makefile's .PHONY, and an unknown target is refused with that list before
# anything is installed (install-deps is replaced by a stub that would tell).
# Usage: build_script_targets.sh SOURCE_DIR
set -euo pipefail
source=$1
fail() { echo "FAIL: $*" >&2; exit 1; }

phony=$(sed -n 's/^\.PHONY: *//p' "$source/Makefile" | tr ' ' '\n' | sort | xargs)
raw=$(sed -n 's/^targets=(\(.*\))$/\1/p' "$source/build.sh")
listed=$(tr ' ' '\n' <<<"$raw" | sort | xargs)
[ -n "$phony" ] && [ "$phony" = "$listed" ] || fail "build.sh lists '$listed', the Makefile has '$phony'"

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir "$work/scripts"
cp "$source/build.sh" "$work/"
printf '#!/bin/sh\ntouch "$(dirname "$0")/../installed"\n' >"$work/scripts/install-deps"
chmod +x "$work/scripts/install-deps"

for arguments in "help" "frob" "fuzz-smoke frob FUZZTIME=10"; do
    set +e
    # shellcheck disable=SC2086 # the words are the arguments
    err=$("$work/build.sh" $arguments 2>&1 >/dev/null)
    status=$?
    set -e
    [ "$status" -eq 2 ] || fail "build.sh $arguments: exit status $status, not 2"
    [ -e "$work/installed" ] && fail "build.sh $arguments installed packages first"
    grep -q "unknown target '[a-z]*'" <<<"$err" && grep -qF "Targets: $raw" <<<"$err" \
        || fail "build.sh $arguments does not name the target and list the targets: $err"
done
echo "all passed"
