#!/usr/bin/env python3
"""vandrel-cli under faults: interrupted, out of disk, racing another run, a Thunderbird that
starts meanwhile. Each run leaves no cut-off file behind, and in profile mode a profile exactly as
it was (every file's bytes and mode), unless it finished."""
import fcntl
import json
import mailbox
import os
import resource
import shutil
import signal
import struct
import subprocess
import sys
import tempfile
import termios
import time
from pathlib import Path

import profile_fixture

CLI = str(Path(sys.argv[1]).resolve())
failures = []
FOLDERS = 6000  # more "processing" lines than a pipe holds


def check(condition, what):
    if not condition:
        failures.append(what)
        print("FAILED:", what)


def message(folder, subject):
    return (b"From ???@??? Mon Mar 01 19:42:10 2004\r\nFrom: a@example.org\r\nSubject: " + subject +
            b"\r\nX-CalypsoFolder: " + folder + b"\r\n\r\nText\r\nFrom the desk\r\n")


def many_folders():
    return b"".join(message(b"Folder%04d" % i, b"s%d" % i) for i in range(FOLDERS))


def leftovers(folder):
    return sorted(str(p.relative_to(folder)) for p in Path(folder).rglob(".vandrel*"))


class HeldExport:
    """A named pipe as the export: the run waits in its first read until the test lets it go."""

    def __init__(self, path):
        self.path = path
        os.mkfifo(path)
        self.fd = os.open(path, os.O_RDWR)  # a writer from now on: the reader's open won't wait

    def release(self, data):
        """Writes the export and ends it, once the run has taken every byte: closed before the
        run opened it, the pipe would be gone with its bytes."""
        view = memoryview(data)
        while view:
            view = view[os.write(self.fd, view):]
        while struct.unpack("i", fcntl.ioctl(self.fd, termios.FIONREAD, b"\0\0\0\0"))[0] > 0:
            time.sleep(0.001)
        os.close(self.fd)


def start(*args):
    """The run in the background; its log is read through a pipe, its report thrown away."""
    return subprocess.Popen([CLI, "convert", *args], stdout=subprocess.PIPE)


def wait_for_line(process, text):
    """Reads the run's log until the line; the run goes no further than its pipe lets it."""
    for line in process.stdout:
        if line.rstrip(b"\n") == text:
            return True
    return False


def interrupted(tmp):
    """Stopped by a signal part-way: the folders done stay whole, nothing half-written stays."""
    export = tmp / "export.txt"
    export.write_bytes(many_folders())
    for name, sig, code in (("int", signal.SIGINT, 130), ("term", signal.SIGTERM, 143)):
        out = tmp / name
        out.mkdir()
        run = start(str(export), str(out) + "/")
        check(wait_for_line(run, b"processing Folder1000"), "the run gets going")
        # From here the run cannot end: it has more to log than the pipe holds, and the test
        # reads no further until it has sent the signal.
        run.send_signal(sig)
        rest = run.stdout.read()
        run.wait()
        check(run.returncode == code, "%s: exit status %d, expected %d" % (name, run.returncode, code))
        check(rest.rstrip(b"\n").endswith(b"Error: conversion stopped."), "%s: the log says it stopped" % name)
        files = sorted(out.iterdir())
        check(0 < len(files) < FOLDERS, "%s: stopped part-way (%d files)" % (name, len(files)))
        check(all(len(mailbox.mbox(str(f), create=False)) == 1 for f in files), "%s: every file is whole" % name)
        check(leftovers(out) == [], "%s: nothing half-written is left: %s" % (name, leftovers(out)))

    # In a profile: nothing of the run stays.
    profile = profile_fixture.make_profile(tmp / "data")
    before = profile_fixture.snapshot(profile)
    run = start("--thunderbird", str(profile), str(export))
    check(wait_for_line(run, b"processing Folder1000"), "the profile run gets going")
    run.send_signal(signal.SIGINT)
    rest = run.stdout.read()
    run.wait()
    check(run.returncode == 130, "profile: exit status %d" % run.returncode)
    check(rest.rstrip(b"\n").endswith(b"Error: conversion stopped. Nothing was added to the Thunderbird profile."),
          "profile: the log says nothing was added: %r" % rest[-120:])
    check(profile_fixture.snapshot(profile) == before, "profile: left exactly as it was")

    # In a Maildir in use, with a folder of its own, and in a profile whose Local Folders are a
    # maildir store: nothing of the run stays.
    maildir = existing_maildir(tmp / "Maildir")
    maildir_store = profile_fixture.make_profile(tmp / "maildir-store")
    with open(maildir_store / "user.js", "w") as prefs:
        prefs.write('user_pref("mail.server.server1.storeContractID", '
                    '"@mozilla.org/msgstore/maildirstore;1");\n')
    for place, args, said in ((maildir, ["--maildir", str(maildir)], b" Nothing was added to the Maildir."),
                              (maildir_store, ["--thunderbird", str(maildir_store)],
                               b" Nothing was added to the Thunderbird profile.")):
        before = profile_fixture.snapshot(place)
        run = start(*args, str(export))
        check(wait_for_line(run, b"processing Folder1000"), "%s: the run gets going" % place.name)
        run.send_signal(signal.SIGINT)
        rest = run.stdout.read()
        run.wait()
        check(run.returncode == 130, "%s: exit status %d" % (place.name, run.returncode))
        check(rest.rstrip(b"\n").endswith(b"Error: conversion stopped." + said),
              "%s: the log says nothing was added: %r" % (place.name, rest[-120:]))
        check(profile_fixture.snapshot(place) == before, "%s: left exactly as it was" % place.name)


def existing_maildir(path):
    """A Maildir someone uses: a message in its inbox and a folder of its own."""
    for folder in (path, path / ".Work"):
        for part in ("cur", "new", "tmp"):
            (folder / part).mkdir(parents=True)
        (folder / "cur" / "1.host:2,S").write_bytes(b"Subject: mine\n\nkept\n")
    (path / ".Work" / "maildirfolder").write_bytes(b"")
    return path


def out_of_disk(tmp):
    """A file-size limit that a later folder passes, as a full disk would."""
    export = tmp / "export.txt"
    big = b"a line of text that fills the file\r\n" * 8000
    export.write_bytes(message(b"Inbox", b"small") + message(b"Sent", b"big") + big)
    out = tmp / "out"
    out.mkdir()
    (out / "mSent.mbx").write_bytes(b"an earlier run's")

    def limit():
        resource.setrlimit(resource.RLIMIT_FSIZE, (100000, 100000))

    result = subprocess.run([CLI, "convert", str(export), str(out / "m.mbx")], capture_output=True, preexec_fn=limit)
    check(result.returncode == 1, "out of disk: exit status %d" % result.returncode)
    check(sorted(p.name for p in out.iterdir()) == ["mInbox.mbx", "mSent.mbx"], "out of disk: %s" % sorted(out.iterdir()))
    check((out / "mSent.mbx").read_bytes() == b"an earlier run's", "the earlier file stays as it was")
    profile = profile_fixture.make_profile(tmp / "data")
    before = profile_fixture.snapshot(profile)
    result = subprocess.run([CLI, "convert", "--thunderbird", str(profile), str(export)], capture_output=True,
                            preexec_fn=limit)
    lines = result.stdout.decode().splitlines()
    check(result.returncode == 1 and lines[-1].endswith(" Nothing was added to the Thunderbird profile."),
          "profile out of disk: %r" % lines[-1:])
    check(profile_fixture.snapshot(profile) == before, "profile out of disk: left exactly as it was")
    maildir = existing_maildir(tmp / "Maildir")
    before = profile_fixture.snapshot(maildir)
    result = subprocess.run([CLI, "convert", "--maildir", str(maildir), str(export)], capture_output=True,
                            preexec_fn=limit)
    lines = result.stdout.decode().splitlines()
    check(result.returncode == 1 and lines[-1].endswith(" Nothing was added to the Maildir."),
          "Maildir out of disk: %r" % lines[-1:])
    check(profile_fixture.snapshot(maildir) == before, "Maildir out of disk: left exactly as it was")


def two_runs_at_once(tmp):
    """A second run into the same output, or the same profile, is refused before it writes."""
    held = HeldExport(tmp / "held.txt")
    export = tmp / "export.txt"
    export.write_bytes(message(b"Inbox", b"other"))
    out = tmp / "out"
    out.mkdir()
    first = start(str(tmp / "held.txt"), str(out / "m.mbx"))
    check(wait_for_line(first, b"loading input file"), "the first run holds the output")
    second = subprocess.run([CLI, "convert", str(export), str(out / "m.mbx")], capture_output=True)
    check(second.returncode == 1 and second.stdout.decode() ==
          "Error: another conversion is writing %s.\n" % (out / "m.mbx"), "the second is refused: %r" % second.stdout)
    other = subprocess.run([CLI, "convert", "-q", str(export), str(out / "other.mbx")], capture_output=True)
    check(other.returncode == 0, "a run into another output name in the same folder goes ahead")
    held.release(message(b"Inbox", b"held") + message(b"Sent", b"held"))
    first.stdout.read()
    first.wait()
    check(first.returncode == 0, "the first run converts (%d)" % first.returncode)
    check(len(mailbox.mbox(str(out / "mInbox.mbx"), create=False)) == 1 and
          b"Subject: held" in (out / "mInbox.mbx").read_bytes(), "the first run's mail, alone")

    profile = profile_fixture.make_profile(tmp / "data")
    held = HeldExport(tmp / "held2.txt")
    first = start("--thunderbird", str(profile), str(tmp / "held2.txt"))
    check(wait_for_line(first, b"loading input file"), "the first run holds the profile")
    second = subprocess.run([CLI, "convert", "--thunderbird", str(profile), str(export)], capture_output=True)
    check(second.returncode == 1 and second.stdout.decode() ==
          "Error: another conversion is writing %s.\n" % profile, "the second into the profile is refused")
    held.release(message(b"Inbox", b"held"))
    first.stdout.read()
    first.wait()
    local = profile / "Mail" / "Local Folders"
    check(first.returncode == 0 and sorted(p.name for p in local.iterdir()) == ["Calypso", "Calypso.sbd"],
          "one new top folder: %s" % sorted(p.name for p in local.iterdir()))


def thunderbird_starts_meanwhile(tmp):
    """Thunderbird started while the export is read: nothing of the run stays."""
    profile = profile_fixture.make_profile(tmp / "data")
    before = profile_fixture.snapshot(profile)
    held = HeldExport(tmp / "held.txt")
    run = start("--thunderbird", str(profile), str(tmp / "held.txt"))
    check(wait_for_line(run, b"loading input file"), "the run gets going")
    os.symlink("127.0.0.1:+%d" % os.getpid(), profile / "lock")  # Thunderbird's lock, a live process
    held.release(message(b"Inbox", b"1"))
    log = run.stdout.read().decode()
    run.wait()
    os.remove(profile / "lock")
    check(run.returncode == 1 and "Error: Thunderbird is running with the profile %s" % profile in log,
          "the run is refused: %r" % log[-200:])
    check(profile_fixture.snapshot(profile) == before, "the profile is left exactly as it was")


def profile_forms_and_cache(tmp):
    """Relative and untidy profile paths give the keys Thunderbird writes; a profile Thunderbird
    has not set up is refused."""
    long_name = b"Protokolle der Mitgliederversammlungen des Wandervereins 1998 bis 2004"
    export = tmp / "export.txt"
    export.write_bytes(message(long_name, b"minutes"))
    profile = profile_fixture.make_profile(tmp / "data")
    keys = []
    for number, form in enumerate((str(profile), os.path.relpath(profile, tmp), str(profile) + "//./Mail/../")):
        (profile / "folderCache.json").unlink(missing_ok=True)
        result = subprocess.run([CLI, "convert", "-q", "--thunderbird", form, str(export)], capture_output=True, cwd=tmp)
        check(result.returncode == 0, "%s converts: %r" % (form, result.stdout[-200:]))
        cache = json.loads((profile / "folderCache.json").read_text())
        top = "Calypso" if number == 0 else "Calypso-%d" % (number + 1)
        keys.append(sorted(k.replace("/%s.sbd/" % top, "/TOP.sbd/") for k in cache))
    check(keys[0] == keys[1] == keys[2] and all(k.startswith(str(profile) + "/Mail/Local Folders/") for k in keys[0]),
          "the same keys for every form: %s" % keys)
    (profile / "prefs.js").write_text('// user_pref("mail.accountmanager.localfoldersserver", "server1");\n')
    before = profile_fixture.snapshot(profile)
    result = subprocess.run([CLI, "convert", "--thunderbird", str(profile), str(export)], capture_output=True)
    check(result.returncode == 1 and result.stdout.decode() ==
          "Error: Thunderbird has not set up Local Folders in %s yet; start Thunderbird once, then convert again.\n"
          % profile, "a profile without Local Folders is refused: %r" % result.stdout)
    check(profile_fixture.snapshot(profile) == before, "and left as it was")


def odd_things_in_the_profile(tmp):
    """A folder cache that is a folder, a FIFO or /dev/zero is left alone, and the run ends with its
    note; a link at the lock's place is refused by check and convert alike, never written through."""
    long_name = b"Protokolle der Mitgliederversammlungen des Wandervereins 1998 bis 2004"
    export = tmp / "export.txt"
    export.write_bytes(message(long_name, b"minutes"))
    for what, make in (("folder", os.mkdir), ("fifo", os.mkfifo),
                       ("zero", lambda path: os.symlink("/dev/zero", path))):
        profile = profile_fixture.make_profile(tmp / what)
        cache = profile / "folderCache.json"
        make(cache)
        kind = os.lstat(cache).st_mode
        result = subprocess.run([CLI, "convert", "-q", "--thunderbird", str(profile), str(export)], capture_output=True)
        local = profile / "Mail" / "Local Folders"
        check(result.returncode == 0 and ("note: %s could not be read" % cache).encode() in result.stdout,
              "a cache that is a %s ends the run with a note: %d %r" % (what, result.returncode, result.stdout[-300:]))
        check((local / "Calypso").is_file() and os.lstat(cache).st_mode == kind and leftovers(profile) == [],
              "the folders are in place, the %s is left as it was: %s" % (what, leftovers(profile)))

    profile = profile_fixture.make_profile(tmp / "linked")
    target = tmp / "elsewhere" / "made-through-the-link"
    target.parent.mkdir()
    lock = profile / "Mail" / "Local Folders" / ".vandrel.lock"
    os.symlink(target, lock)
    before = profile_fixture.snapshot(profile)
    for command in ("check", "convert"):
        result = subprocess.run([CLI, command, "--thunderbird", str(profile), str(export)], capture_output=True)
        check(result.returncode == 1 and result.stdout.decode().splitlines()[-1:] ==
              ["Error: %s is a link, which a run does not write through; remove it, then convert again." % lock],
              "%s refuses a link at the lock's place: %r" % (command, result.stdout[-300:]))
    check(not target.exists() and profile_fixture.snapshot(profile) == before,
          "nothing is made through the link, and the profile is left as it was")


def where_permissions_bind():
    """The start of a command that file permissions bind: none needed for a user, setpriv to
    nobody for root, whom they do not bind; None when there is no setpriv."""
    if os.geteuid() != 0:
        return []
    setpriv = shutil.which("setpriv")
    return [setpriv, "--reuid=65534", "--regid=65534", "--clear-groups"] if setpriv else None


def read_only_places(tmp):
    """check says what convert meets: an output folder or Local Folders the user may not write
    into refuses both with the same error line, and neither writes anything."""
    prefix = where_permissions_bind()
    if prefix is None:
        print("skipped: read-only folders, as root without setpriv")
        return
    tmp.chmod(0o755)
    export = tmp / "export.txt"
    export.write_bytes(message(b"Inbox", b"one"))
    export.chmod(0o644)
    out = tmp / "out"
    out.mkdir(mode=0o555)
    out.chmod(0o555)
    profile = profile_fixture.make_profile(tmp / "data")
    local = profile / "Mail" / "Local Folders"
    local.chmod(0o555)
    for paths, place in (([str(export), str(out / "m.mbx")], out / "m.mbx"),
                         (["--thunderbird", str(profile), str(export)], profile)):
        before = profile_fixture.snapshot(tmp)
        lines = {}
        for command in ("check", "convert"):
            result = subprocess.run(prefix + [CLI, command, *paths], capture_output=True)
            lines[command] = result.stdout.decode().splitlines()[-1:]
            check(result.returncode == 1, "%s into a read-only %s exits 1 (%d)" % (command, place, result.returncode))
        check(lines["check"] == lines["convert"] == ["Error: Access to %s was denied." % place],
              "check and convert refuse a read-only %s alike: %s" % (place, lines))
        check(profile_fixture.snapshot(tmp) == before, "nothing is written for a read-only %s" % place)


def main():
    for step in (interrupted, out_of_disk, two_runs_at_once, thunderbird_starts_meanwhile, profile_forms_and_cache,
                 odd_things_in_the_profile, read_only_places):
        with tempfile.TemporaryDirectory() as tmp:
            step(Path(tmp))
    print("%d failures" % len(failures))
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
