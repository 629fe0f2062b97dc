#!/usr/bin/env python3
"""The upload into a mail account: the text-heavy scale export uploaded with
`vandrel-cli convert --imap` into a private Dovecot on 127.0.0.1 (IMAPS, the server's default
fsync of every message), timed as messages per second, then a rerun that finds everything there;
and a smaller one through a proxy that holds each of the server's answers 20 ms, as a server far
away does.

Usage: imap_bench.py VANDREL_CLI [--size-mb N] [--workdir DIR]

Prints the figures; exits 77 when Dovecot is not installed, 1 when a run fails or the account
does not hold every message exactly once.
"""
import argparse
import json
import os
import shutil
import subprocess
import sys
import tempfile
import time
from pathlib import Path

HERE = Path(__file__).resolve().parent
sys.path.insert(0, str(HERE))
sys.path.insert(0, str(HERE.parent / "tests" / "cli"))
from imap_lab import PASSWORD, USER, Dovecot, Proxy  # noqa: E402


def export_of(workdir, size_mb):
    folder = Path(workdir) / f"imap-text-{size_mb}"
    if not (folder / "export.txt").exists():
        shutil.rmtree(folder, ignore_errors=True)
        subprocess.run([sys.executable, str(HERE / "scale_export.py"), "text", str(folder),
                        "--size-mb", str(size_mb)], check=True, stdout=subprocess.DEVNULL)
    with open(folder / "manifest.json") as manifest:
        return folder / "export.txt", json.load(manifest)["messages"]


def timed(command, env):
    start = time.monotonic()
    result = subprocess.run(command, env=env, capture_output=True)
    return time.monotonic() - start, result


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("cli")
    parser.add_argument("--size-mb", type=int, default=20)
    parser.add_argument("--workdir", default=None)
    args = parser.parse_args()
    if shutil.which("dovecot") is None:
        print("imap_bench: Dovecot is not installed: skipped")
        return 77
    workdir = args.workdir or tempfile.mkdtemp(prefix="vandrel-imap-bench-")
    os.makedirs(workdir, exist_ok=True)
    export, messages = export_of(workdir, args.size_mb)
    with tempfile.TemporaryDirectory() as work:
        os.chmod(work, 0o755)
        dovecot = Dovecot(work)
        try:
            env = dict(os.environ, XDG_CONFIG_HOME=os.path.join(work, "config"),
                       VANDREL_IMAP_PASSWORD=PASSWORD)
            command = [args.cli, "convert", "-q", "--imap", dovecot.address(), "--ca-file",
                       dovecot.cert, str(export)]
            upload, result = timed(command, env)
            if result.returncode != 0:
                print(result.stdout.decode(errors="replace")[-2000:])
                return 1
            rerun, again = timed(command, env)
            stored = dovecot.adm("-f", "tab", "fetch", "-u", USER, "mailbox hdr.message-id",
                                 "all")
            ids = [line.split("\t")[1] for line in stored.splitlines()[1:]
                   if line.split("\t")[0].split("/")[0] == "Calypso"]
            far_export, far_messages = export_of(workdir, 3)
            proxy = Proxy(dovecot.imaps_port, delay=0.02)
            far, far_result = timed([args.cli, "convert", "-q", "--imap",
                                     dovecot.address("Far", port=proxy.port), "--ca-file",
                                     dovecot.cert, str(far_export)], env)
            if far_result.returncode != 0:
                print(far_result.stdout.decode(errors="replace")[-2000:])
                return 1
            mbox_dir = os.path.join(work, "mbox")
            os.makedirs(mbox_dir)
            to_mbox, _ = timed([args.cli, "convert", "-q", str(export), mbox_dir + "/"], env)
        finally:
            dovecot.stop()
    print(f"imap upload: {messages} messages ({args.size_mb} MB text-heavy export) in "
          f"{upload:.1f} s = {messages / upload:.0f} messages/s; rerun {rerun:.1f} s "
          f"(stores nothing); the same export into mbox files {to_mbox:.1f} s")
    print(f"imap upload, answers 20 ms away: {far_messages} messages ({3} MB) in {far:.1f} s = "
          f"{far_messages / far:.0f} messages/s")
    if again.returncode != 0 or len(ids) != messages or len(set(ids)) != messages:
        print(f"imap_bench: the account holds {len(ids)} messages ({len(set(ids))} different), "
              f"the export {messages}")
        return 1
    return 0


if __name__ == "__main__":
    sys.exit(main())
