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


def code_pages(tmp):
    export = tmp / "export.txt"
    export.write_bytes(message(b"Entw\xfcrfe", b"Gr\xfc\xdfe") + message(b"\x8akoda", b"x"))
    out = tmp / "out"
    out.mkdir()
    result = run("convert", str(export), str(out / "m.mbx"))
    check(result.returncode == 0, "a Windows-1252 export converts")
    check(sorted(p.name for p in out.iterdir()) == ["mEntw\u00fcrfe.mbx", "m\u0160koda.mbx"],
          "folder names become UTF-8 file names: %s" % sorted(p.name for p in out.iterdir()))
    check("processing Entw\u00fcrfe\n" in result.stdout.decode(), "the log shows the folder in UTF-8")
    result = run("convert", "--export-codepage", "CP1250", str(export), str(tmp / "m2.mbx"))
    check((tmp / "m2\u0160koda.mbx").exists(), "--export-codepage CP1250 names \\x8a as \u0160")
    result = run("convert", "--export-codepage", "NO-SUCH-CODEPAGE", str(export), str(tmp / "m3.mbx"))
    check(result.returncode == 2 and b"unknown code page" in result.stderr, "an unknown code page is a usage error")


def thunderbird_profile(tmp):
    export = tmp / "export.txt"
    export.write_bytes(message(b"Inbox", b"one") + message(b"Sent Items", b"two"))
    profile = tmp / "profile"
    local = profile / "Mail" / "Local Folders"
    local.mkdir(parents=True)
    (local / "Calypso").write_bytes(b"existing folder")
    before = {p: p.read_bytes() for p in profile.rglob("*") if p.is_file()}
    result = run("convert", "--thunderbird", str(profile), str(export))
    check(result.returncode == 0, "profile mode exits 0: %r" % result.stdout[-200:])
    check(result.stdout.decode().splitlines()[3] == "converting to output file: %s" % (local / "Calypso-2"),
          "profile mode logs its top folder")
    check(mbox_count(local / "Calypso-2.sbd" / "Inbox") == 1 and mbox_count(local / "Calypso-2.sbd" / "Sent Items") == 1,
          "one file per folder below the new top folder")
    check(all(p.read_bytes() == data for p, data in before.items()), "existing folders are left as they were")
    new = sorted(str(p.relative_to(profile)) for p in profile.rglob("*") if p.is_file() and p not in before)
    check(all(p.startswith("Mail/Local Folders/") for p in new), "nothing is written outside Local Folders: %s" % new)
    run("convert", "-q", "--thunderbird", str(profile), str(export))
    check((local / "Calypso-3.sbd" / "Inbox").exists(), "a second run makes the next top folder")

    # A name Thunderbird stores hashed keeps its full name in Thunderbird's folder cache: the one
    # file outside Local Folders that a run may change, and only by adding to it.
    (profile / "folderCache.json").write_text('{"/old/Trash.msf": {"flags": 260}}')
    before = {p: p.read_bytes() for p in profile.rglob("*") if p.is_file()}
    long_name = b"Protokolle der Mitgliederversammlungen des Wandervereins 1998 bis 2004"
    export.write_bytes(message(long_name, b"minutes"))
    check(run("convert", "-q", "--thunderbird", str(profile), str(export)).returncode == 0, "a long name converts")
    changed = sorted(str(p.relative_to(profile)) for p in profile.rglob("*")
                     if p.is_file() and before.get(p) != p.read_bytes() and not str(p.relative_to(profile)).startswith("Mail/Local Folders/"))
    check(changed == ["folderCache.json"], "outside Local Folders only the folder cache changes: %s" % changed)
    cache = (profile / "folderCache.json").read_text()
    check('"/old/Trash.msf": {"flags": 260}' in cache and '"folderName":"%s"' % long_name.decode() in cache,
          "the cache keeps its entries and gains the full name: %s" % cache)

    # A running Thunderbird holds the profile: the run is refused before anything is written.
    (profile / ".parentlock").write_bytes(b"")
    folders_before = sorted(p.name for p in local.iterdir())
    holder = subprocess.Popen([sys.executable, "-c", "import fcntl, sys, time\n"
                               "f = open(sys.argv[1], 'r+'); fcntl.lockf(f, fcntl.LOCK_EX)\n"
                               "print('locked', flush=True); time.sleep(60)", str(profile / ".parentlock")],
                              stdout=subprocess.PIPE)
    holder.stdout.readline()
    result = run("convert", "--thunderbird", str(profile), str(export))
    holder.kill()
    holder.wait()
    check(result.returncode == 1 and b"Error: Thunderbird is running" in result.stdout,
          "a profile in use is refused: %r" % result.stdout)
    check(sorted(p.name for p in local.iterdir()) == folders_before, "a refused run writes nothing")
    check(run("convert", "--thunderbird").returncode == 2, "--thunderbird needs the export")
    check(run("convert", "--thunderbird", "a", "b", "c").returncode == 2, "--thunderbird takes at most two paths")


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
    for step in (example_run, faults, usage, missing_files, code_pages, thunderbird_profile, generated_exports):
        with tempfile.TemporaryDirectory() as tmp:
            step(*([Path(tmp)] if step is not usage else []))
    print("%d failures" % len(failures))
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
