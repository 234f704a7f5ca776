#!/usr/bin/env bash
# Runs one window test under the openbox window manager, started on the test's own display.
# The test's main waits until the manager has taken the screen (OVK_WINDOW_MANAGER is set).
set -uo pipefail
openbox --sm-disable >/dev/null 2>&1 &
wm=$!
OVK_WINDOW_MANAGER=openbox "$@"
rc=$?
kill "$wm" 2>/dev/null
wait "$wm" 2>/dev/null
exit $rc
