#!/bin/bash
# The real check of reading aloud, not part of the test suite: starts speech-dispatcher under
# a private runtime folder, with the eSpeak NG module, libao's null output (nothing is played)
# and its log at the highest level in a private folder; runs the card window with the real
# speech engine (bin/speechcheck) on a Russian and a German card, reading the question aloud;
# checks that the log shows each text with its language; prints how long after each card was
# painted its speech began (aim: 150 ms or less). Installs speech-dispatcher,
# speech-dispatcher-espeak-ng and libao4 when they are missing.
# Usage: scripts/speech-check.sh [BUILD_DIR]      (default: build; needs the target speechcheck)
set -u
build=$(cd "${1:-build}" && pwd)

missing=()
for p in speech-dispatcher speech-dispatcher-espeak-ng libao4; do
    dpkg -s "$p" >/dev/null 2>&1 || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
    apt-get install -y "${missing[@]}" >/dev/null || { echo "FAIL could not install ${missing[*]}"; exit 1; }
fi
[ -x "$build/bin/speechcheck" ] || { echo "FAIL $build/bin/speechcheck is missing: cmake --build $build --target speechcheck"; exit 1; }

passed=0
failed=0
check() { # check DESCRIPTION COMMAND...
    if "${@:2}"; then
        echo "ok   $1"
        passed=$((passed + 1))
    else
        echo "FAIL $1"
        failed=$((failed + 1))
    fi
}

work=$(mktemp -d)
export XDG_RUNTIME_DIR=$work/run HOME=$work/home
mkdir -p "$XDG_RUNTIME_DIR" "$HOME" "$work/log" "$work/conf"
chmod 700 "$XDG_RUNTIME_DIR"
# libao's built-in null driver takes the sound: nothing reaches a sound card.
echo "default_driver=null" >"$HOME/.libao"
cp -r /etc/speech-dispatcher/. "$work/conf/"
cat >>"$work/conf/speechd.conf" <<CONF
AudioOutputMethod "libao"
LogLevel 5
LogDir "$work/log"
AddModule "espeak-ng" "sd_espeak-ng" "espeak-ng.conf"
DefaultModule espeak-ng
CONF
socket=$XDG_RUNTIME_DIR/speechd.sock
speech-dispatcher --run-single --communication-method unix_socket --socket-path "$socket" --timeout 0 \
    --config-dir "$work/conf" --log-dir "$work/log" --log-level 5 --pid-file "$work/speechd.pid" \
    >"$work/speechd.out" 2>&1 &
speechd=$!
cleanup() {
    kill "$speechd" 2>/dev/null
    wait "$speechd" 2>/dev/null
    rm -rf "$work"
}
trap cleanup EXIT
for _ in $(seq 100); do
    [ -S "$socket" ] && break
    sleep 0.1
done
check "speech-dispatcher listens on a private socket" test -S "$socket"

# The client finds that socket and never starts a speech-dispatcher of its own.
export SPEECHD_ADDRESS=unix_socket:$socket SPEECHD_CMD=/bin/false QT_QPA_PLATFORM=offscreen
"$build/bin/speechcheck" >"$work/timings.txt" 2>"$work/speechcheck.err"
status=$?
cat "$work/timings.txt"
[ -s "$work/speechcheck.err" ] && sed 's/^/  speechcheck: /' "$work/speechcheck.err"
check "every card was spoken" test "$status" = 0

log=$work/log/speech-dispatcher.log
said() { # said TEXT LANGUAGE: the log has the text, and the language set before it
    grep -q "$1" "$log" && grep -qi "LANGUAGE \"\?$2" "$log"
}
check "the log shows the Russian text and the language ru" said "Здравствуйте, собака" ru
check "the log shows the German text and the language de" said "Grüß Gott, Mädchen" de
# The language set just before each text is that text's own.
order=$(grep -oiE 'SET self LANGUAGE "?[a-z-]+|Здравствуйте, собака|Grüß Gott, Mädchen' "$log" | uniq | tr '\n' '|')
echo "  log, in order: $order"
check "each text follows its own language" \
    bash -c '[[ "$0" =~ [Ll][Aa][Nn][Gg][Uu][Aa][Gg][Ee]\ \"?ru[^|]*\|Здравствуйте ]] && [[ "$0" =~ [Ll][Aa][Nn][Gg][Uu][Aa][Gg][Ee]\ \"?de[^|]*\|Grüß ]]' "$order"
worst=$(grep -v "engine made" "$work/timings.txt" | grep -oE '[0-9.]+ ms' | sort -n | tail -1)
echo "  slowest start with the engine made: ${worst:-none}"
check "speech begins within 150 ms of the card (engine made)" \
    awk -v w="${worst%% ms}" 'BEGIN { exit !(w != "" && w <= 150) }'

echo "$passed passed, $failed failed"
[ "$failed" = 0 ]
