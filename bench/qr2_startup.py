#!/usr/bin/env python3
"""Times the real qr2 from its exec to the chapter window, through its own trace.

qr2 started with "show_console" prints every log line on standard error as it happens; the
start-up is over when "QEX.Loader exited" appears (splash gone, chapter window enabled). The
home folder is a fresh temporary one that bench_startup has already taken through its first
use, so every timed start here is a later start.

    bench/qr2_startup.py BUILD_DIR [RUNS]     e.g. bench/qr2_startup.py build-hard 5
"""
import os
import signal
import statistics
import subprocess
import sys
import tempfile
import time


def one_start(qr2, env):
    t0 = time.monotonic()
    proc = subprocess.Popen([qr2, "show_console"], env=env, stdin=subprocess.DEVNULL,
                            stdout=subprocess.DEVNULL, stderr=subprocess.PIPE, text=True)
    marks = {}
    lines = 0
    try:
        for line in proc.stderr:
            now = (time.monotonic() - t0) * 1000.0
            lines += 1
            text = line.rstrip("\n")
            if text == "VORDA Alive" and "alive" not in marks:
                marks["alive"] = now
            if text == " .. Splash killed":
                marks["splash"] = now
            if text == "QEX.Loader exited":
                marks["exited"] = now
                break
    finally:
        proc.send_signal(signal.SIGTERM)
        proc.wait(timeout=10)
    return marks, lines


def main():
    if len(sys.argv) < 2:
        print(__doc__)
        return 2
    build = os.path.abspath(sys.argv[1])
    runs = int(sys.argv[2]) if len(sys.argv) > 2 else 5
    qr2 = os.path.join(build, "bin", "qr2")
    harness = os.path.join(build, "bench", "bench_startup")
    with tempfile.TemporaryDirectory() as home:
        env = dict(os.environ, HOME=home, XDG_DOCUMENTS_DIR=os.path.join(home, "Documents"),
                   QT_QPA_PLATFORM=os.environ.get("QT_QPA_PLATFORM", "offscreen"))
        subprocess.run([harness, home], env=env, check=True, stdout=subprocess.DEVNULL,
                       stderr=subprocess.DEVNULL)
        totals = []
        for _ in range(runs):
            marks, lines = one_start(qr2, env)
            totals.append(marks.get("exited", float("nan")))
            print("exec -> 'VORDA Alive' %7.1f ms, -> ' .. Splash killed' %7.1f ms, -> 'QEX.Loader exited' %7.1f ms"
                  " (%d lines)" % (marks.get("alive", float("nan")), marks.get("splash", float("nan")),
                                   marks.get("exited", float("nan")), lines))
        print("later start of qr2, exec to chapter window enabled: median %.1f ms, best %.1f ms of %d"
              % (statistics.median(totals), min(totals), runs))
    return 0


if __name__ == "__main__":
    sys.exit(main())
