# Sourced by the scripts that drive the programs through the accessibility bus.
# enter_bus_session INNER_VAR SCRIPT BUILD [PACKAGE...]: installs the packages given (the
# caller's own needs, found missing) and what the accessibility bus needs when missing, then
# runs SCRIPT again with INNER_VAR=1 inside a session bus of its own, gone when it ends.
enter_bus_session() {
    local inner=$1 script=$2 build=$3
    shift 3
    local missing=("$@")
    [ -x /usr/libexec/at-spi-bus-launcher ] || missing+=(at-spi2-core)
    /usr/bin/python3 -c 'import pyatspi' 2>/dev/null || missing+=(python3-pyatspi)
    command -v dbus-run-session >/dev/null || missing+=(dbus)
    if [ ${#missing[@]} -gt 0 ]; then
        echo "installing ${missing[*]}"
        apt-get install -y --no-install-recommends "${missing[@]}" >/dev/null || exit 1
    fi
    export "$inner=1"
    exec dbus-run-session -- "$script" "$build"
}
