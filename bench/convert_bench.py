#!/usr/bin/env python3
"""Converts a generated 200 MB export with vandrel-cli and prints throughput and peak memory.

Usage: convert_bench.py VANDREL_CLI [EXPORT]   (the export is generated beside the binary when absent)
"""
import os
import resource
import subprocess
import sys
import tempfile
import time
from pathlib import Path

SIZE_MB = 200


def main():
    if len(sys.argv) not in (2, 3):
        sys.exit(__doc__)
    cli = Path(sys.argv[1])
    export = Path(sys.argv[2]) if len(sys.argv) == 3 else cli.parent / "export-200mb.txt"
    if not export.exists():
        generator = Path(__file__).with_name("generate_export.py")
        subprocess.run([sys.executable, str(generator), str(export), str(SIZE_MB), "1"], check=True)
    size = export.stat().st_size
    with tempfile.TemporaryDirectory() as out:
        started = time.perf_counter()
        subprocess.run([str(cli), "convert", "-q", str(export), os.path.join(out, "mail.mbx")],
                       check=True, stdout=subprocess.DEVNULL)
        seconds = time.perf_counter() - started
        written = sum(p.stat().st_size for p in Path(out).iterdir())
    peak_kib = resource.getrusage(resource.RUSAGE_CHILDREN).ru_maxrss
    print(f"export {size / 1e6:.1f} MB converted in {seconds:.2f} s: {size / 1e6 / seconds:.0f} MB/s; "
          f"output {written / 1e6:.1f} MB; peak memory {peak_kib / 1024:.0f} MiB "
          f"({peak_kib * 1024 / size:.2f} x the export)")


if __name__ == "__main__":
    main()
