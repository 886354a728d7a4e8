#!/usr/bin/env bash
# The two commands, on a fresh Debian 12 that has nothing but git:
#   ./build.sh run    installs what is missing, builds, starts Velmora on its sample tests
#   ./build.sh test   installs what is missing, builds twice (warnings as errors; ASan+UBSan)
#                     and runs every test in both builds
# Packages come through apt-get, as root or through sudo; make is one of them.
# Any other target goes to the Makefile as it is: ./build.sh package (the Debian
# package), ./build.sh windows (cross-built, tested under Wine, the installer),
# ./build.sh fuzz-smoke, ./build.sh bench.
set -euo pipefail
cd "$(dirname "$0")"

# The Makefile's targets, known here without make (which a fresh system lacks):
# an unknown one is refused before anything is installed.
targets=(run test package windows bench fuzz fuzz-smoke build configure test-normal test-asan deps windows-deps display all clean)

if [ $# -eq 0 ] || [ "$1" = -h ] || [ "$1" = --help ]; then
    sed -n '2,8p' "$0" | sed 's/^# \{0,1\}//'
    echo "Targets: ${targets[*]}"
    [ $# -eq 0 ] && exit 2
    exit 0
fi

for argument in "$@"; do
    case $argument in
        *=* | -*) continue ;; # a make variable (FUZZTIME=10) or option
    esac
    if [[ " ${targets[*]} " != *" $argument "* ]]; then
        echo "build.sh: unknown target '$argument'" >&2
        echo "Targets: ${targets[*]}" >&2
        exit 2
    fi
done

scripts/install-deps
exec make "$@"
