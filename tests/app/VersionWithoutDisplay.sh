#!/bin/sh
# The desktop program answers --version as the command-line tool does, with no display to show
# a window on. Arguments: the program, the command-line tool.
set -eu
program=$(env -u DISPLAY -u WAYLAND_DISPLAY "$1" --version)
tool=$("$2" --version)
if [ "$program" != "velmora${tool#velmora-cli}" ]; then
    printf 'velmora --version printed:\n%s\nvelmora-cli --version printed:\n%s\n' "$program" "$tool" >&2
    exit 1
fi
