#!/bin/bash
# Starts qr2 under Xvfb with the accessibility bus, opens two sample chapters and
# prints what a screen reader sees of the card window.
# Needs: xvfb xdotool at-spi2-core dbus-x11 python3-pyatspi.
# Usage: scripts/accessibility-tree.sh BUILD_DIR
set -u
build=${1:?usage: accessibility-tree.sh BUILD_DIR}
here=$(cd "$(dirname "$0")" && pwd)
home=$(mktemp -d)
mkdir -p "$home/Documents/Quarnel"
export DISPLAY=:$(( (RANDOM % 400) + 500 ))
Xvfb "$DISPLAY" -screen 0 1024x768x24 -nolisten tcp >/dev/null 2>&1 & xvfb=$!
sleep 1
eval "$(dbus-launch --sh-syntax)"
/usr/libexec/at-spi-bus-launcher --launch-immediately >/dev/null 2>&1 & bus=$!
sleep 1
export QT_LINUX_ACCESSIBILITY_ALWAYS_ON=1
# The first start asks the two setup questions: choose the second option and finish.
HOME=$home QT_QPA_PLATFORM=xcb "$build/bin/qr2" >/dev/null 2>&1 & qr2=$!
sleep 4
xdotool key Tab Tab space Tab Tab space; sleep 2
# Choose the first and third chapters and press OK (the window opens centred on the screen).
xdotool mousemove 357 291 click 1; sleep 0.3
xdotool keydown ctrl mousemove 360 319 click 1 keyup ctrl; sleep 0.3
xdotool mousemove 604 551 click 1; sleep 3
/usr/bin/python3 "$here/accessibility-tree.py" qr2
kill $qr2 $bus $xvfb "$DBUS_SESSION_BUS_PID" 2>/dev/null
rm -rf "$home"
