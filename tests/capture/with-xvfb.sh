#!/bin/sh
# Runs a program on an X server of its own: Xvfb with one 1024 x 768 screen at depth 24, a black
# root window, no network listener, on a display number it picks itself and tells through a pipe
# once it accepts clients. The server is stopped however the program ends.
set -eu
dir=$(mktemp -d)
mkfifo "$dir/display"
Xvfb -displayfd 3 -screen 0 1024x768x24 -br -nolisten tcp 3>"$dir/display" 2>"$dir/xvfb.log" &
server=$!
trap 'kill "$server" 2>/dev/null || true; wait "$server" 2>/dev/null || true; rm -rf "$dir"' EXIT
trap 'exit 129' HUP
trap 'exit 130' INT
trap 'exit 143' TERM
# Reading blocks until the server has written its number; a server that dies first gives nothing.
number=$(head -n 1 "$dir/display")
if [ -z "$number" ]; then
    echo "Xvfb did not start:" >&2
    cat "$dir/xvfb.log" >&2
    exit 1
fi
status=0
DISPLAY=":$number" QT_QPA_PLATFORM=xcb "$@" || status=$?
exit "$status"
