#!/bin/bash
# Prints what a screen reader sees of every window of qr2 and qredit: starts them under Xvfb
# with the accessibility bus, opens their windows with the keyboard and prints each window's
# tree, and the check-state events the card window's trouble box raises when changed by a key
# or by moving to another card. Installs what it needs when missing.
# Usage: scripts/accessibility-tree.sh [BUILD_DIR]      (default: build)
set -u
build=$(cd "${1:-build}" && pwd)
here=$(cd "$(dirname "$0")" && pwd)

if [ "${QUARNEL_A11Y_INNER:-}" != 1 ]; then
    missing=()
    command -v Xvfb >/dev/null || missing+=(xvfb)
    command -v xdotool >/dev/null || missing+=(xdotool)
    . "$here/bus-session.sh"
    enter_bus_session QUARNEL_A11Y_INNER "$0" "$build" "${missing[@]}"
fi

a11y() { /usr/bin/python3 "$here/accessibility-tree.py" "$@"; }
show() { # show PROGRAM WINDOW: waits for the window, prints its tree
    if a11y wait "$1" "$2" 20; then
        echo "=== $1: $2"
        a11y tree "$1" | awk -v w="$2" '/^\[/ { on = index($0, "name=\x27" w) > 0 } on'
    else
        echo "=== $1: $2 did not show"
    fi
}

home=$(mktemp -d)
export DISPLAY=:$(((RANDOM % 400) + 500))
Xvfb "$DISPLAY" -screen 0 1280x1024x24 -nolisten tcp >/dev/null 2>&1 &
xvfb=$!
sleep 1
/usr/libexec/at-spi-bus-launcher --launch-immediately >/dev/null 2>&1 &
bus=$!
sleep 1
export QT_LINUX_ACCESSIBILITY_ALWAYS_ON=1 QT_QPA_PLATFORM=xcb

HOME=$home "$build/bin/qr2" >/dev/null 2>&1 &
qr2=$!
show qr2 "Quarnel 2007 Initial Setup"
a11y do qr2 "Quarnel 2007 Initial Setup" "radio button" "I do NOT want the cards to be marked as trouble by default"
a11y do qr2 "Quarnel 2007 Initial Setup" "push button" "Finished"
show qr2 "Select the Chapter or Data File"
a11y select qr2 "Select the Chapter or Data File" tree Chapters 0
a11y do qr2 "Select the Chapter or Data File" "push button" "OK"
show qr2 "Quarnel 2007 - Orvandel"
card=$(xdotool search --sync --name "Quarnel 2007 - Orvandel" | head -1)
# Xvfb runs no window manager: the keyboard focus is given to the card window directly.
# Qt takes the focus change a moment after X does: a key sent at once would find no focus.
key() { xdotool windowfocus --sync "$card" 2>/dev/null; sleep 0.3; xdotool key "$@"; sleep 0.3; }
echo "=== qr2: check-state events (Space, then Right and Left over a trouble card)"
a11y events qr2 4 &
events=$!
sleep 1
key space
key Right
key Left
wait $events
key ctrl+f
show qr2 "Find Card"
a11y do qr2 "Find Card" "push button" "Done"
key ctrl+v
show qr2 "Item Viewer"
key ctrl+o
show qr2 "Preferences"
a11y do qr2 "Preferences" "push button" "Cancel"
key ctrl+a
show qr2 "About Quarnel"
echo "=== qr2: the typing drill's answer box"
key ctrl+t
a11y tree qr2 | grep -i "answer'"
kill $qr2 2>/dev/null

HOME=$home "$build/bin/qredit" "$build/bin/ex1.qex" >/dev/null 2>&1 &
qredit=$!
show qredit "Quarnel Editor"
a11y do qredit "Quarnel Editor" "menu item" "Exit"
sleep 1
kill $qredit $bus $xvfb 2>/dev/null
rm -rf "$home"
