#!/usr/bin/env python3
"""vandrel-cli end to end: the log on stdout, the files written, the exit statuses, the report of
missing files, and every message of generated exports in exactly one output file."""
import collections
import mailbox
import os
import re
import resource
import subprocess
import sys
import tempfile
from pathlib import Path

CLI = sys.argv[1]
GENERATOR = sys.argv[2]
failures = []


def check(condition, what):
    if not condition:
        failures.append(what)
        print("FAILED:", what)


def run(*args, **kwargs):
    return subprocess.run([CLI, *args], capture_output=True, **kwargs)


def message(folder, subject, extra=b""):
    return (b"From ???@??? Mon Jan 01 00:00:00 2001\r\nSubject: " + subject + b"\r\nX-CalypsoFolder: " +
            folder + b"\r\n" + extra + b"\r\nText\r\nFrom the desk of T.\r\n")


def mbox_count(path):
    return len(mailbox.mbox(str(path), create=False))


def example_run(tmp):
    (tmp / "in").mkdir()
    (tmp / "out").mkdir()
    export = tmp / "in" / "export.txt"
    export.write_bytes(message(b"Inbox", b"one") + message(b"Sent", b"two") + message(b"Inbox", b"three"))
    out = tmp / "out" / "mail.mbx"
    result = run("convert", str(export), str(out))
    expected = ("loading input file\nstart parsing file: %s ...\nmailbox file loaded.\n"
                "converting to output file: %s\nprocessing Inbox\nprocessing Sent\nconversion done.\n"
                "3 mails written.\n" % (export, out))
    check(result.returncode == 0, "example run exits 0")
    check(result.stdout.decode() == expected, "example run log:\n" + result.stdout.decode())
    check(result.stderr == b"", "nothing on stderr when it is not a terminal")
    check(mbox_count(tmp / "out" / "mailInbox.mbx") == 2, "two messages in mailInbox.mbx")
    check(mbox_count(tmp / "out" / "mailSent.mbx") == 1, "one message in mailSent.mbx")


def faults(tmp):
    export = tmp / "export.txt"
    export.write_bytes(message(b"Inbox", b"one"))
    (tmp / "full").mkdir()
    os.symlink("/dev/full", tmp / "full" / "mInbox.mbx")

    def limit_file_size():
        resource.setrlimit(resource.RLIMIT_FSIZE, (200, 200))

    cases = [
        ((str(tmp / "missing.txt"), str(tmp / "m.mbx")), {}, "wurde nicht gefunden."),
        ((str(tmp), str(tmp / "m.mbx")), {}, "wurde verwehrt."),
        ((str(export), str(tmp / "nowhere" / "m.mbx")), {}, "enthält eine ungültige Pfadangabe."),
        ((str(export), str(tmp / "full" / "m.mbx")), {}, "ein voller Datenträger gemeldet."),
        ((str(export), str(tmp / "limited.mbx")), {"preexec_fn": limit_file_size}, "aufgetreten."),
    ]
    for args, options, ending in cases:
        result = run("convert", *args, **options)
        lines = result.stdout.decode().splitlines()
        check(result.returncode == 1, "%s exits 1 (got %d)" % (args, result.returncode))
        check(bool(lines) and lines[-1].startswith("Error: ") and lines[-1].endswith(ending),
              "%s ends with the error line: %r" % (args, lines[-1:]))
        check("conversion done." not in lines, "%s never says done" % (args,))


def usage():
    for args in [(), ("convert",), ("convert", "only-input"), ("convert", "--bogus", "a", "b"),
                 ("convert", "--attachments-dir", "/no/such/folder", "a", "b"), ("transmogrify",)]:
        result = run(*args)
        check(result.returncode == 2, "%s is a usage error (got %d)" % (args, result.returncode))
        check(result.stderr != b"", "%s explains itself on stderr" % (args,))
    result = run("--help")
    check(result.returncode == 0 and b"convert" in result.stdout, "--help")
    result = run("--version")
    check(result.returncode == 0 and re.match(rb"vandrel-cli \d+\.\d+\.\d+", result.stdout), "--version")


def missing_files(tmp):
    export = tmp / "export.txt"
    export.write_bytes(message(b"Inbox", b"Photos", b'X-Attachment: "C:\\Calypso\\Attach\\gone.jpg";\r\n'))
    result = run("convert", "-q", str(export), str(tmp / "m.mbx"))
    check(result.returncode == 0, "a missing attachment does not fail the run")
    check(result.stderr.decode("latin-1") ==
          "1 file named in the export was not found or could not be read:\n"
          "  C:\\Calypso\\Attach\\gone.jpg (Inbox, Photos)\n", "missing-file report: %r" % result.stderr)


def generated_exports(tmp):
    for seed in (1, 2, 3):
        export = tmp / ("export%d.txt" % seed)
        subprocess.run([sys.executable, GENERATOR, str(export), "0.6", str(seed)], check=True,
                       capture_output=True)
        data = export.read_bytes()
        starts = [m.start() for m in re.finditer(rb"(?m)^From \?\?\?@\?\?\?", data)]
        per_folder = collections.Counter()
        for begin, end in zip(starts, starts[1:] + [len(data)]):
            folder = re.search(rb"X-CalypsoFolder: ([^\r\n]*)", data[begin:end])
            per_folder[folder.group(1).replace(b"\\", b"_") if folder else b"default mailbox"] += 1
        out = tmp / ("run%d" % seed)
        out.mkdir()
        result = run("convert", "-q", str(export), str(out / "m.mbx"))
        check(result.returncode == 0, "generated export %d converts" % seed)
        per_file = sorted(mbox_count(path) for path in out.iterdir())
        check(per_file == sorted(per_folder.values()),
              "seed %d: messages per file %s, per folder %s" % (seed, per_file, sorted(per_folder.values())))


def main():
    for step in (example_run, faults, usage, missing_files, generated_exports):
        with tempfile.TemporaryDirectory() as tmp:
            step(*([Path(tmp)] if step is not usage else []))
    print("%d failures" % len(failures))
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
