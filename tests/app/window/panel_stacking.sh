#!/usr/bin/env bash
# panel_stacking.sh TOOL SHOT — run under xvfb-run. Starts openbox, waits until
# it manages the screen, runs the panel-stacking tool on Qt's X11 platform
# (its report on standard output, the screen's picture in SHOT), stops openbox.
set -u
tool=$1 shot=$2
openbox --sm-disable > /dev/null 2>&1 &
wm=$!
for _ in $(seq 100); do
  xprop -root _NET_SUPPORTING_WM_CHECK 2> /dev/null | grep -q 'window id' && break
  sleep 0.1
done
QT_QPA_PLATFORM=xcb "$tool" --shot "$shot"
status=$?
kill "$wm" 2> /dev/null
wait "$wm" 2> /dev/null
exit $status
