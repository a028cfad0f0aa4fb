#!/bin/sh
# The program, started as a user starts it on an X server of its own, prints nothing; with
# MELLIX_WEB_LOG=1 it prints the movie views' lines, where Ruffle reports no error or warning
# about loading the step-1 backdrop. Usage: quiet_start.sh PROGRAM
# After 10 s the program alone gets SIGTERM and ends as its close box does; a signal to its whole
# process group would end the web engine's helpers before it, and the engine may then complain
# about them.
out=$(MELLIX_WEB_LOG=1 xvfb-run -a -s "-nolisten tcp" timeout --foreground 10 "$1" 2>&1)
echo "$out"
echo "$out" | grep -qx "web: mellix:shown 1" || { echo "no backdrop within 10 s"; exit 1; }
! echo "$out" | grep -v "^web: " | grep . && ! echo "$out" | grep -E "ERROR|WARN"
