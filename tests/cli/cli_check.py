#!/usr/bin/env python3
"""vandrel-cli end to end: the log on stdout, the files written, the exit statuses, the report of
missing files, and every message of generated exports in exactly one output file."""
import collections
import json
import mailbox
import os
import pty
import re
import resource
import subprocess
import sys
import tempfile
from pathlib import Path

import profile_fixture

CLI = sys.argv[1]
GENERATOR = sys.argv[2]
# Under the sanitizers the address space cannot be limited: their shadow memory takes terabytes.
SANITIZED = len(sys.argv) > 3 and sys.argv[3] in ("1", "ON", "TRUE")
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

    def limit_file_size():
        resource.setrlimit(resource.RLIMIT_FSIZE, (200, 200))

    cases = [
        ((str(tmp / "missing.txt"), str(tmp / "m.mbx")), {}, "was not found."),
        ((str(tmp), str(tmp / "m.mbx")), {}, "was denied."),
        ((str(export), str(tmp / "nowhere" / "m.mbx")), {}, "contains an invalid path."),
        ((str(export), str(tmp / "limited.mbx")), {"preexec_fn": limit_file_size},
         "An unknown error occurred while accessing %s." % (tmp / "limitedInbox.mbx")),
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
                 ("convert", "--attachments-dir", "/no/such/folder", "a", "b"), ("transmogrify",),
                 ("convert", "--attachments-dir"), ("convert", "a", "b", "c"),
                 ("convert", "--thunderbird"), ("convert", "--thunderbird", "a", "b", "c")]:
        result = run(*args)
        check(result.returncode == 2, "%s is a usage error (got %d)" % (args, result.returncode))
        check(result.stderr != b"", "%s explains itself on stderr" % (args,))
    result = run("--help")
    check(result.returncode == 0 and b"convert" in result.stdout, "--help")
    result = run("--version")
    check(result.returncode == 0 and re.match(rb"vandrel-cli \d+\.\d+\.\d+", result.stdout), "--version")
    text = run("convert", "--help").stdout.decode()
    check("Usage: vandrel-cli convert [OPTIONS] INPUT OUTPUT\n" in text and
          "vandrel-cli convert [OPTIONS] --thunderbird [PROFILE_DIR] INPUT\n" in text,
          "the help names the program plainly and shows both forms:\n" + text)
    check("PATHS" not in text and CLI not in text, "the help shows no PATHS(1x) and no full path")
    check(all(re.search(r"^  %s +\S" % name, text, re.M) for name in ("INPUT", "OUTPUT", "PROFILE_DIR")),
          "the help explains each positional")
    check(text.endswith("\n\n"), "the help ends with an empty line")


def documented_forms(tmp):
    """Every form the help and the README show; the attached file is found only through
    --attachments-dir, so a form that loses the option leaves it missing."""
    (tmp / "in").mkdir()
    (tmp / "files" / "Attach").mkdir(parents=True)
    (tmp / "files" / "Attach" / "note.txt").write_bytes(b"attached\r\n")
    (tmp / "empty").mkdir()
    export = tmp / "in" / "export.txt"
    export.write_bytes(message(b"Inbox", b"one", b'X-Attachment: "C:\\Calypso\\Attach\\note.txt"; 1 KB\r\n'))
    home = tmp / "home"
    data = home / ".thunderbird"
    profile_fixture.make_profile(data)
    files = str(tmp / "files")
    forms = [  # the arguments, and the file that gets the message
        (["--attachments-dir", files, "IN", "OUT/m.mbx"], "mInbox.mbx"),
        (["--attachments-dir=" + files, "IN", "OUT/m.mbx"], "mInbox.mbx"),
        (["IN", "--attachments-dir", files, "OUT/m.mbx"], "mInbox.mbx"),
        (["IN", "OUT/m.mbx", "--attachments-dir", files], "mInbox.mbx"),
        (["--attachments-dir", files, "--", "IN", "OUT/m.mbx"], "mInbox.mbx"),
        (["--attachments-dir", str(tmp / "empty"), "--attachments-dir", files, "IN", "OUT/m.mbx"], "mInbox.mbx"),
        (["-q", "--export-codepage", "CP1252", "--attachments-dir", files, "IN", "OUT/m.mbx"], "mInbox.mbx"),
        (["--export-codepage=CP1252", "--quiet", "--attachments-dir", files, "IN", "OUT/"], "Inbox.mbx"),
        (["--attachments-dir", files, "IN", "OUT"], "Inbox.mbx"),
        (["--thunderbird", "--attachments-dir", files, "PROFILE", "IN"], "profile"),
        (["--attachments-dir", files, "--thunderbird", "IN"], "profile"),
    ]
    profile = data / "p.default"
    for number, (form, target) in enumerate(forms):
        out = tmp / ("out%d" % number)
        out.mkdir()
        args = [{"IN": str(export), "OUT/m.mbx": str(out / "m.mbx"), "OUT/": str(out) + "/",
                 "OUT": str(out), "PROFILE": str(profile)}.get(a, a) for a in form]
        local = profile / "Mail" / "Local Folders"
        before = set(local.iterdir())
        result = run("convert", *args, env=dict(os.environ, HOME=str(home)))
        check(result.returncode == 0 and result.stderr == b"",
              "convert %s converts and finds the file: %d %r" % (" ".join(form), result.returncode, result.stderr))
        if target == "profile":
            tops = [p for p in set(local.iterdir()) - before if p.suffix == ".sbd"]
            written = tops[0] / "Inbox" if len(tops) == 1 else out / "none"
        else:
            written = out / target
        check(written.exists() and mbox_count(written) == 1 and b"\nattached\r\n" in written.read_bytes(),
              "convert %s writes %s with the attached file" % (" ".join(form), written))


def output_forms(tmp):
    """OUTPUT as a file name and as a folder; ".mbx" only replaced in the file name."""
    export = tmp / "export.txt"
    export.write_bytes(message(b"Inbox", b"1") + message(b"Sent Items", b"2") + message(b"", b"3"))
    (tmp / "backup.mbx.d").mkdir()
    (tmp / "folder").mkdir()
    (tmp / "slash").mkdir()
    cases = [
        ("backup.mbx.d/mail.mbx", "backup.mbx.d", ["mail.mbx", "mailInbox.mbx", "mailSent_Items.mbx"]),
        ("folder", "folder", ["Inbox.mbx", "Sent_Items.mbx", "Unnamed_folder.mbx"]),
        ("slash/", "slash", ["Inbox.mbx", "Sent_Items.mbx", "Unnamed_folder.mbx"]),
    ]
    for output, folder, names in cases:
        result = run("convert", str(export), "%s/%s" % (tmp, output))  # Path drops a final "/"
        check(result.returncode == 0, "OUTPUT %s converts" % output)
        written = sorted(p.name for p in (tmp / folder).iterdir())
        check(written == names, "OUTPUT %s writes %s (got %s)" % (output, names, written))
        check(all(mbox_count(tmp / folder / name) == 1 for name in written), "OUTPUT %s: one message each" % output)
    for output in ("missing/", "missing/m.mbx"):
        result = run("convert", str(export), "%s/%s" % (tmp, output))
        check(result.returncode == 1 and result.stdout.decode() ==
              "Error: %s/%s contains an invalid path.\n" % (tmp, output),
              "a missing output folder is refused before the export is read: %r" % result.stdout)
        check(not (tmp / "missing").exists(), "the missing folder is not made")


def run_on_terminal(*args):
    """Runs vandrel-cli with stderr on a terminal; returns the result and what the terminal got."""
    master, slave = pty.openpty()
    process = subprocess.Popen([CLI, *args], stdout=subprocess.PIPE, stderr=slave)
    os.close(slave)
    shown = b""
    while True:
        try:
            chunk = os.read(master, 65536)
        except OSError:  # the program has closed its end
            break
        if not chunk:
            break
        shown += chunk
    os.close(master)
    stdout, _ = process.communicate()
    return process.returncode, stdout, shown


def terminal_progress(tmp):
    """The progress line counts the messages, 1 to N of N, and ends showing how the run ended."""
    export = tmp / "export.txt"
    export.write_bytes(message(b"Inbox", b"1") + message(b"Sent", b"2") + message(b"Inbox", b"3"))
    for output, ending in ((tmp / "m.mbx", b"3/3 ready"), (tmp / "nowhere" / "m.mbx", b"0/0 failed: see the log")):
        code, _, shown = run_on_terminal("convert", str(export), str(output))
        lines = [line for line in re.split(rb"[\r\n]+", shown.replace(b"\x1b[K", b"")) if line]
        check(bool(lines) and lines[-1].endswith(ending), "the terminal's last line ends %r: %r" % (ending, lines[-3:]))
        check(code == (0 if ending.endswith(b"ready") else 1), "exit status %d" % code)
        check(not any(b"of 4)" in line for line in lines), "nothing counts to 4 for 3 messages")


BIG_LINE = b"x" * 1000 + b"\r\n"


def write_big_message(out, megabytes):
    """The body of a message of about `megabytes` MB, a thousand lines to the MB."""
    for _ in range(megabytes):
        out.write(BIG_LINE * 1000)


def memory_limit(mebibytes):
    """For preexec_fn: the child may take no more address space than this."""
    return lambda: resource.setrlimit(resource.RLIMIT_AS, (mebibytes << 20, mebibytes << 20))


def out_of_memory(tmp):
    """A message too big for the memory the process may take ends the run in a plain error
    line; the export itself is not held in memory, so it is the conversion that fails."""
    if SANITIZED:
        print("skipped: out of memory under the sanitizers")
        return
    export = tmp / "export.txt"
    with open(export, "wb") as out:
        out.write(message(b"Inbox", b"big"))
        write_big_message(out, 200)

    result = run("convert", str(export), str(tmp / "m.mbx"), preexec_fn=memory_limit(160))
    check(result.returncode == 1 and result.stdout.decode().splitlines()[-1:] ==
          ["Error: not enough memory to convert %s" % export], "out of memory: %r" % result.stdout[-300:])


def starved_message(tmp):
    """A message the process can read but has no memory left to convert goes into its file as it
    stood, and the report says so; the messages around it are converted as ever."""
    if SANITIZED:
        print("skipped: out of memory under the sanitizers")
        return
    export = tmp / "export.txt"
    with open(export, "wb") as out:
        out.write(message(b"Inbox", b"small"))
        out.write(message(b"Inbox", b"big").replace(b"\r\nText\r\n", b"\r\n"))
        write_big_message(out, 100)
        out.write(b"the last line of the big one\r\n")
        out.write(message(b"Inbox", b"after"))

    out = tmp / "out"
    out.mkdir()
    result = run("convert", "-q", str(export), str(out) + "/", preexec_fn=memory_limit(200))
    check(result.returncode == 0 and result.stderr ==
          b"1 message could not be converted in full:\n  not enough memory to convert (Inbox, big)\n",
          "a starved message is reported: %d %r %r" % (result.returncode, result.stdout[-200:], result.stderr))
    with open(out / "Inbox.mbx", "rb") as mbox:
        written = mbox.read()
    check(written.count(BIG_LINE) == 100 * 1000 and b"\r\nthe last line of the big one\r\n" in written,
          "the starved message is written whole")
    check(written.count(b"\r\nX-Mozilla-Status: 0000\r\n") == 2, "the messages around it are converted")


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
    # No code page, or one whose ASCII is other bytes (UTF-16 and UTF-32, EBCDIC, UTF-7): the
    # export's field names could not be found; refused as the user's mistake, nothing written.
    for codepage, why in [("", b"no code page given to --export-codepage\n")] + [
            (name, b"unusable code page: %s (" % name.encode()) for name in
            ("UTF-16", "UTF-16LE", "UCS-2", "UTF-32", "UCS-4", "IBM037", "CP1047", "EBCDIC-US", "UTF-7")]:
        for command in ("convert", "check"):
            result = run(command, "--export-codepage", codepage, str(export), str(tmp / "m4.mbx"))
            check(result.returncode == 2 and result.stderr.startswith(why),
                  "%s --export-codepage %r is a usage error: %d %r" % (command, codepage, result.returncode, result.stderr))
    check(not list(tmp.glob("m4*")), "a refused code page writes nothing")


def thunderbird_profile(tmp):
    export = tmp / "export.txt"
    export.write_bytes(message(b"Inbox", b"one") + message(b"Sent Items", b"two"))
    profile = profile_fixture.make_profile(tmp, "profile")
    local = profile / "Mail" / "Local Folders"
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
    cache = json.loads((profile / "folderCache.json").read_text())
    check(cache.get("/old/Trash.msf") == {"flags": 260} and
          {"folderName": long_name.decode()} in cache.values(),
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


def check_command(tmp):
    """"check" tells what "convert" then does (folders, their files and counts, missing files)
    and writes nothing; exit 1 where convert would end in an error, 2 for a usage error."""
    export = tmp / "export.txt"
    export.write_bytes(message(b"Inbox", b"one", b'X-Attachment: "C:\\Calypso\\Attach\\gone.jpg";\r\n') +
                       message(b"Sent Items", b"two") + message(b"Inbox", b"three"))
    out = tmp / "out"
    out.mkdir()
    result = run("check", str(export), str(out / "m.mbx"))
    expected = ("      2  Inbox  ->  {0}/mInbox.mbx\n"
                "      1  Sent Items  ->  {0}/mSent_Items.mbx\n"
                "1 file named in the export was not found or could not be read:\n"
                "  C:\\Calypso\\Attach\\gone.jpg (Inbox, one)\n"
                "3 messages in 2 folders; 0 named files found, 1 missing.\n").format(out)
    check(result.returncode == 0 and result.stdout.decode() == expected,
          "check tells the folders and files: %d %r" % (result.returncode, result.stdout))
    check(list(out.iterdir()) == [], "check writes nothing: %s" % list(out.iterdir()))
    converted = run("convert", "-q", str(export), str(out / "m.mbx"))
    check(sorted((p.name, mbox_count(p)) for p in out.iterdir()) ==
          [("mInbox.mbx", 2), ("mSent_Items.mbx", 1)], "convert writes what check told")
    check(converted.stderr.decode() in result.stdout.decode(), "the same missing files as convert reports")
    bare = run("check", str(export))
    check(bare.returncode == 0 and bare.stdout.decode().splitlines()[:2] == ["      2  Inbox", "      1  Sent Items"],
          "without OUTPUT only the names: %r" % bare.stdout)
    for args, code, what in (((str(export), str(tmp / "nowhere" / "m.mbx")), 1, "a missing output folder"),
                             ((str(tmp / "out" / "mInbox.mbx"),), 1, "a file that is no export"),
                             (("--thunderbird", str(tmp / "no-profile"), str(export)), 1, "a missing profile"),
                             ((), 2, "no INPUT"), (("a", "b", "c"), 2, "three paths")):
        result = run("check", *args)
        lines = result.stdout.decode(errors="replace").splitlines()
        check(result.returncode == code and (code == 2 or lines[-1].startswith("Error: ")),
              "check with %s exits %d: %d %r" % (what, code, result.returncode, lines[-2:]))


def raw_controls(output):
    """The control characters in what the program printed, besides its own line ends and the
    progress line's "\\r\\x1b[K": C0, DEL, C1, and bytes outside UTF-8, which a terminal may obey."""
    text = output.replace(b"\r\x1b[K", b"").replace(b"\r\n", b"").replace(b"\n", b"")
    return re.findall("[\x00-\x1f\x7f-\x9f\udc80-\udcff]", text.decode("utf-8", "surrogateescape"))


def strangers_text_stays_text(tmp):
    """A subject with NUL and escape sequences and a folder name with ESC reach the terminal as
    text: shown as \\xNN, nothing cut off at the NUL, nothing for the terminal to obey."""
    export = tmp / "export.txt"
    export.write_bytes(message(b"In\x1b[2Jbox", b"Hi\x00there \x1b[31mred\x1b]0;owned\x07 \xc2\x9b",
                               b'X-Attachment: "C:\\Calypso\\Attach\\gone\x1b[8m.jpg";\r\n') +
                       message(b"Inbox", b"plain"))
    out = tmp / "out"
    out.mkdir()
    subject = r"Hi\x00there \x1B[31mred\x1B]0;owned\x07 " + "\u00c2\u203a"  # C2 9B in Windows-1252
    report = ("1 file named in the export was not found or could not be read:\n"
              "  C:\\Calypso\\Attach\\gone\\x1B[8m.jpg (In\\x1B[2Jbox, %s)\n" % subject)
    converted = run("convert", str(export), str(out / "m.mbx"))
    check(converted.returncode == 0 and converted.stdout.endswith(b"\nconversion done.\n2 mails written.\n"),
          "convert logs to the end: %r" % converted.stdout[-300:])
    check(converted.stderr.decode() == report, "convert reports the whole subject: %r" % converted.stderr)
    checked = run("check", str(export), str(out / "m.mbx"))
    check(checked.returncode == 0 and checked.stdout.decode().endswith(
              report + "2 messages in 2 folders; 0 named files found, 1 missing.\n"),
          "check reports the whole subject and the totals: %r" % checked.stdout[-400:])
    refused = run("check", str(export), str(tmp / "no\x1b[8mwhere" / "m.mbx"))
    check(refused.returncode == 1 and refused.stdout.decode().splitlines()[-1:] ==
          ["Error: %s contains an invalid path." % (tmp / "no\\x1B[8mwhere" / "m.mbx")],
          "check's error line shows the path as text: %r" % refused.stdout[-300:])
    runs = [("convert", converted.stdout, converted.stderr), ("check", checked.stdout, checked.stderr),
            ("refused check", refused.stdout, refused.stderr)]
    # On a terminal the status line shows subjects too.
    for command in ("convert", "check"):
        _, stdout, shown = run_on_terminal(command, str(export), str(out / ("t" + command + ".mbx")))
        runs.append((command + " on a terminal", stdout, shown))
    for what, stdout, stderr in runs:
        check(raw_controls(stdout) == [] and raw_controls(stderr) == [],
              "%s prints no control character: %r %r" % (what, raw_controls(stdout), raw_controls(stderr)))


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
    for step in (example_run, faults, usage, documented_forms, output_forms, terminal_progress,
                 out_of_memory, starved_message, missing_files, code_pages, thunderbird_profile, check_command,
                 strangers_text_stays_text, generated_exports):
        with tempfile.TemporaryDirectory() as tmp:
            step(*([Path(tmp)] if step is not usage else []))
    print("%d failures" % len(failures))
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
