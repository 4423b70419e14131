# Sourced by the install and package checks: each check prints "ok" or "FAIL" with its
# description, and the last line counts them the way the test runner reads it.
failures=0 checks=0

check() { # description, command...
    local what=$1
    shift
    checks=$((checks + 1))
    if "$@"; then
        echo "ok   $what"
    else
        echo "FAIL $what"
        failures=$((failures + 1))
    fi
}

same() { [[ "$1" == "$2" ]] || { echo "     got:      '$1'"; echo "     expected: '$2'"; return 1; }; }

# A program's answer to --version or --help comes before any window opens; one that opened a
# window is cut off by the time-out.
run() { timeout 10 "$@" 2>/dev/null; }

# The closing count; the status says whether every check passed.
summary() {
    echo "$((checks - failures)) passed, $failures failed"
    [[ $failures -eq 0 ]]
}
