#!/usr/bin/env python3
"""Converts the generated 200 MB export through the window (offscreen) and through vandrel-cli,
and prints both times. The window may take at most 10% longer.

Usage: gui_bench.py VANDREL_CLI VANDREL_WINDOW_DRIVER [EXPORT]
(the export is generated beside vandrel-cli when absent, as convert_bench.py does)
"""
import os
import statistics
import subprocess
import sys
import tempfile
import time
from pathlib import Path

SIZE_MB = 200
RUNS = 3
ALLOWED = 1.10


def timed(command, env):
    with tempfile.TemporaryDirectory() as out:
        started = time.perf_counter()
        result = subprocess.run(command + [os.path.join(out, "mail.mbx")], check=True, env=env,
                                stdout=subprocess.PIPE, stderr=subprocess.DEVNULL)
        return time.perf_counter() - started, result.stdout


def main():
    if len(sys.argv) not in (3, 4):
        sys.exit(__doc__)
    cli, driver = Path(sys.argv[1]), Path(sys.argv[2])
    export = Path(sys.argv[3]) if len(sys.argv) == 4 else cli.parent / "export-200mb.txt"
    if not export.exists():
        generator = Path(__file__).with_name("generate_export.py")
        subprocess.run([sys.executable, str(generator), str(export), str(SIZE_MB), "1"], check=True)
    with tempfile.TemporaryDirectory() as settings:
        env = dict(os.environ, QT_QPA_PLATFORM="offscreen", XDG_CONFIG_HOME=settings)
        cli_times, window_times, click_times = [], [], []
        for _ in range(RUNS):  # alternated, so that both see the same machine
            cli_times.append(timed([str(cli), "convert", "-q", str(export)], env)[0])
            seconds, printed = timed([str(driver), "convert", str(export)], env)
            window_times.append(seconds)
            click_times.append(float(printed.split()[0]))
    cli_s, window_s = statistics.median(cli_times), statistics.median(window_times)
    size = export.stat().st_size / 1e6
    print(f"export {size:.1f} MB, median of {RUNS} runs each")
    print(f"vandrel-cli: {cli_s:.2f} s ({size / cli_s:.0f} MB/s)")
    print(f"window:      {window_s:.2f} s ({size / window_s:.0f} MB/s); "
          f"from the click on Convert to the last log line {statistics.median(click_times):.2f} s")
    ratio = window_s / cli_s
    print(f"window / cli: {ratio:.3f} (allowed: {ALLOWED:.2f})")
    if ratio > ALLOWED:
        sys.exit("the window is more than 10% slower than vandrel-cli")


if __name__ == "__main__":
    main()
