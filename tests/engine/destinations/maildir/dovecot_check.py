#!/usr/bin/env python3
"""Debian's Dovecot reads a Maildir that MaildirDestination wrote: every folder under its
Calypso name, every message with its Message-ID, Subject and Date, received when it was sent.

With --cli the Maildir is what `vandrel-cli convert --maildir` makes of a generated export, in a
Maildir that has folders of its own; `vandrel-cli check --maildir` must have named the same
folders and counts beforehand.

usage: dovecot_check.py MAILDIR_TOOL          (exit 77 when doveadm is not installed)
       dovecot_check.py --cli VANDREL_CLI
"""
import base64
import calendar
import email.utils
import hashlib
import os
import re
import shlex
import shutil
import subprocess
import sys
import tempfile
import time

SEPARATOR = "."  # Dovecot's default for Maildir++


def run_tool(tool, maildir):
    out = subprocess.run([tool, maildir], check=True, capture_output=True, text=True).stdout
    return [line.split("\t") for line in out.splitlines()]


def dovecot_config(work, maildir):
    lines = [f"base_dir = {work}/run", f"state_dir = {work}/run", f"log_path = {work}/log",
             f"mail_location = maildir:{maildir}", "ssl = no",
             "namespace inbox {", "  inbox = yes", "}"]
    if os.geteuid() == 0:  # Dovecot reads mail as no user of the system's own
        lines += ["mail_uid = nobody", "mail_gid = nogroup"]
        subprocess.run(["chown", "-R", "nobody:nogroup", maildir, work], check=True)
    os.makedirs(f"{work}/run", exist_ok=True)
    path = f"{work}/dovecot.conf"
    with open(path, "w") as conf:
        conf.write("\n".join(lines) + "\n")
    return path


def doveadm(config, work, *args):
    env = dict(os.environ, USER="calypso", HOME=work, TZ="UTC")
    result = subprocess.run(["doveadm", "-c", config, *args], capture_output=True, text=True,
                            env=env)
    if result.returncode != 0:
        sys.exit(f"doveadm {' '.join(args)} failed: {result.stderr}")
    return result.stdout


def shown_name(calypso_name):
    """The segments as the Maildir keeps them: "." and "/" made "_"."""
    segments = [s for s in calypso_name.split("\\") if s]
    return ["Calypso"] + [s.replace(".", "_").replace("/", "_") for s in segments]


def fits(mailbox, wanted):
    """The mailbox is the folder: the same segments, the last one maybe cut or numbered."""
    got = mailbox.split(SEPARATOR)
    if len(got) != len(wanted) or got[:-1] != wanted[:-1]:
        return False
    last, want = got[-1], wanted[-1]
    base, _, number = last.rpartition("-")
    return last == want or (number.isdigit() and base == want) or (
        len(last) >= 50 and want.startswith(last))


def check(rows, listed, fetched):
    problems = []
    under = {m for m in listed if m.split(SEPARATOR)[0] == "Calypso"}
    expected_parents = set()
    used = {}
    for folder, message_id, subject, date in rows:
        wanted = shown_name(folder)
        expected_parents.update(SEPARATOR.join(wanted[:n]) for n in range(1, len(wanted)))
        got = fetched.get(message_id)
        if got is None:
            problems.append(f"no message {message_id}")
            continue
        if not fits(got["mailbox"], wanted) or used.setdefault(folder, got["mailbox"]) != got["mailbox"]:
            problems.append(f"{message_id} of {folder!r} is in {got['mailbox']!r}")
        if got["hdr.subject"] != subject or got["hdr.date"] != date:
            problems.append(f"{message_id}: {got['hdr.subject']!r} {got['hdr.date']!r}")
        sent = calendar.timegm(email.utils.parsedate_to_datetime(date).utctimetuple())
        # doveadm gives the time in its zone, which TZ made UTC.
        received = calendar.timegm(time.strptime(got["date.received"], "%Y-%m-%d %H:%M:%S"))
        if received != sent:
            problems.append(f"{message_id}: received {got['date.received']}, sent {date}")
    if len(set(used.values())) != len(used):
        problems.append(f"two folders share a mailbox: {used}")
    missing = expected_parents - under
    if missing:
        problems.append(f"parents not listed: {sorted(missing)}")
    extra = under - expected_parents - set(used.values())
    if extra:
        problems.append(f"mailboxes nobody asked for: {sorted(extra)}")
    if "INBOX" not in listed:
        problems.append("no INBOX")
    return problems


def fetch_all(config, work):
    fields = ["mailbox", "hdr.message-id", "hdr.subject", "hdr.date", "date.received"]
    out = doveadm(config, work, "-f", "tab", "fetch", " ".join(fields), "all")
    lines = out.splitlines()
    messages = {}
    for line in lines[1:]:
        values = dict(zip(fields, line.split("\t")))
        messages[values["hdr.message-id"].strip("<>")] = values
    return messages


# The export's folders: names Maildir++ and IMAP cannot keep as they are, a tree with a parent
# that has mail of its own and parents that have none, two names that meet in one path.
CLI_FOLDERS = [
    "Inbox",
    "Family\\Holidays",
    "Family",
    "Archiv\\2003\\Q4",
    "Version 1.2",
    "Reise/Urlaub\\Fotos 2003.12",
    "Tom & Jerry",
    "A\\\\B",
    "A\\B",
    "\u00c4rger\\Stra\u00dfenbahn \u00fcber Gr\u00fcnfl\u00e4che",
    ("Sehr langer Ordnername \u00fcber \u00c4rger " * 10)[:300],
]
# A Maildir of the user's own that the run adds to: it already has a folder named "Calypso".
OWN_FOLDERS = ["", ".Calypso", ".Private", ".Private.Sub"]
DATES = ["Mon, 01 Mar 2004 19:42:10 +0100", "Thu, 15 Jan 2004 08:30:00 -0500",
         "Wed, 31 Dec 2003 23:59:59 +0000"]
TOP = "Calypso-2"


def modified_utf7(name):
    """As IMAP names a folder in the file system: printable ASCII kept, "&" as "&-", anything
    else as UTF-16 in base64 (with "," for "/") between "&" and "-"."""
    out, pending = [], ""

    def flush():
        if pending:
            data = base64.b64encode(pending.encode("utf-16-be")).decode().rstrip("=")
            out.append("&" + data.replace("/", ",") + "-")
    for char in name:
        if " " <= char <= "~":
            flush()
            pending = ""
            out.append("&-" if char == "&" else char)
        else:
            pending += char
    flush()
    return "".join(out)


def maildir_segment(segment, number):
    """A segment as the Maildir keeps it: "." and "/" as "_", cut by whole characters so that
    it fits in 100 bytes as a file name, numbered when the path was taken."""
    name = segment.replace(".", "_").replace("/", "_")
    suffix = "-%d" % number if number > 1 else ""
    while len(modified_utf7(name)) + len(suffix) > 100:
        name = name[:-1]
    return name + suffix


def make_export(path):
    """The export, and per folder its messages as (Message-ID, Subject, Date)."""
    messages, expected = [], {}
    for index, folder in enumerate(CLI_FOLDERS):
        expected[folder] = []
        for k in range(1 + index % 3):
            number = len(messages) + 1
            date = DATES[number % len(DATES)]
            message_id = "cli%d@example.org" % number
            subject = "Message %d of folder %d" % (number, index)
            messages.append(
                b"From ???@??? Mon Mar 01 19:42:10 2004\r\nFrom: Anna Berg <anna@example.org>\r\n"
                b"To: team@example.de\r\nSubject: " + subject.encode() +
                b"\r\nDate: " + date.encode() + b"\r\nMessage-ID: <" + message_id.encode() +
                b">\r\nX-CalypsoFolder: " + folder.encode("cp1252") +
                b"\r\n\r\nText %d\r\n" % number)
            expected[folder].append((message_id, subject, date))
    with open(path, "wb") as export:
        export.write(b"".join(messages))
    return expected


def expected_mailboxes():
    """Per folder the mailboxes it may be in (more than one where a path is shared and the
    export's folder order decides which is numbered), and the parents no folder claims."""
    wanted = {}
    for folder in CLI_FOLDERS:
        path = tuple(s for s in folder.split("\\") if s)
        wanted.setdefault(path, []).append(folder)
    places, parents = {}, set()
    for path, folders in wanted.items():
        head = [TOP] + [maildir_segment(s, 1) for s in path[:-1]]
        options = {SEPARATOR.join(head + [maildir_segment(path[-1], n)])
                   for n in range(1, len(folders) + 1)}
        for folder in folders:
            places[folder] = options
        parents.update(SEPARATOR.join(head[:n]) for n in range(1, len(head) + 1))
    return places, parents


def make_own_maildir(maildir):
    """The user's own folders, each with a message; returns every file and its digest."""
    for folder in OWN_FOLDERS:
        for part in ("cur", "new", "tmp"):
            os.makedirs(os.path.join(maildir, folder, part))
        with open(os.path.join(maildir, folder, "cur", "1000000000.own%s:2,S" % folder), "wb") as f:
            f.write(b"From: me@example.org\r\nSubject: mine %s\r\nMessage-ID: <own%s@example.org>"
                    b"\r\n\r\nKeep me.\r\n" % (folder.encode(), folder.encode()))
    return snapshot(maildir)


def snapshot(maildir):
    files = {}
    for top, _, names in os.walk(maildir):
        for name in names:
            path = os.path.join(top, name)
            with open(path, "rb") as f:
                files[os.path.relpath(path, maildir)] = hashlib.sha256(f.read()).hexdigest()
    return files


def cli_lines(cli, *args):
    out = subprocess.run([cli, *args], check=True, capture_output=True).stdout.decode()
    return out.splitlines()


def planned_folders(cli, maildir, export):
    """`check`'s list: per folder name its count and place."""
    planned = {}
    for line in cli_lines(cli, "check", "--maildir", maildir, export):
        match = re.match(r"^\s+(\d+)  (.+)  ->  (.+)$", line)
        if match:
            planned[match.group(2)] = (int(match.group(1)), match.group(3))
    return planned


def message_files(place):
    return sum(len(os.listdir(os.path.join(place, part))) for part in ("cur", "new"))


def check_cli_run(expected, planned, before, after, listed, fetched):
    problems = []
    places, parents = expected_mailboxes()
    if set(planned) != set(CLI_FOLDERS):
        problems.append(f"check lists {sorted(planned)}, the export has {sorted(CLI_FOLDERS)}")
    changed = [path for path, digest in before.items() if after.get(path) != digest]
    if changed:
        problems.append(f"files of the Maildir's own changed or gone: {changed}")
    own = {"INBOX"} | {f[1:] for f in OWN_FOLDERS if f}
    used = {}
    for folder, messages in expected.items():
        boxes = {fetched[m]["mailbox"] for m, _, _ in messages if m in fetched}
        box = boxes.pop() if len(boxes) == 1 else None
        if box not in places[folder]:
            problems.append(f"{folder!r} went to {boxes | {box}}, expected one of {places[folder]}")
            continue
        used[folder] = box
        for message_id, subject, date in messages:
            got = fetched.get(message_id)
            if got is None:
                problems.append(f"no message {message_id}")
                continue
            if got["hdr.subject"] != subject or got["hdr.date"] != date:
                problems.append(f"{message_id}: {got['hdr.subject']!r} {got['hdr.date']!r}")
            sent = calendar.timegm(email.utils.parsedate_to_datetime(date).utctimetuple())
            received = calendar.timegm(time.strptime(got["date.received"], "%Y-%m-%d %H:%M:%S"))
            if received != sent:
                problems.append(f"{message_id}: received {got['date.received']}, sent {date}")
        count, place = planned.get(folder, (None, ""))
        in_box = sum(1 for m in fetched.values() if m["mailbox"] == box)
        if count != len(messages) or in_box != count or message_files(place) != count or \
                os.path.basename(place) != "." + modified_utf7(box):
            problems.append(f"{folder!r}: check said {count} to {place!r}; {len(messages)} in the "
                            f"export, {in_box} in {box!r}")
    if len(set(used.values())) != len(used):
        problems.append(f"two folders share a mailbox: {used}")
    for message_id, got in fetched.items():
        if got["mailbox"] in own and not message_id.startswith("own"):
            problems.append(f"{message_id} went into the Maildir's own {got['mailbox']!r}")
    wanted = own | parents | set(used.values())
    if set(listed) != wanted:
        problems.append(f"Dovecot lists {sorted(set(listed) - wanted)} beyond and misses "
                        f"{sorted(wanted - set(listed))}")
    return problems


def read_with_mutt(work, folder_dir):
    """The Message-IDs of every message mutt finds in the folder, or None without mutt. Mutt
    wants a terminal, so it runs under script(1) and pipes each message to a collector."""
    if shutil.which("mutt") is None or shutil.which("script") is None:
        return None
    seen, collector, rc = [os.path.join(work, name) for name in ("mutt-seen", "collect", "muttrc")]
    with open(collector, "w") as f:
        f.write("#!/bin/sh\ngrep -i '^message-id:' >> \"$MUTT_SEEN\"\n")
    os.chmod(collector, 0o755)
    with open(rc, "w") as f:
        f.write("set pipe_split=yes\nset pipe_decode=no\nset wait_key=no\nset quit=yes\n")
    keys = f"<tag-pattern>~A<enter><tag-prefix><pipe-message>{collector}<enter><quit>"
    mutt = ["mutt", "-n", "-R", "-F", rc, "-f", folder_dir, "-e", f'push "{keys}"']
    env = dict(os.environ, TERM="vt100", HOME=work, MUTT_SEEN=seen)
    subprocess.run(["script", "-qec", shlex.join(mutt), "/dev/null"], env=env, timeout=60,
                   stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL, check=True)
    if not os.path.exists(seen):
        return []
    with open(seen, encoding="ascii") as f:
        return sorted(line.split(":", 1)[1].strip().strip("<>") for line in f)


def check_mutt(work, expected, planned):
    # A folder whose Calypso name has "/" and "." and a parent of its own.
    folder = "Reise/Urlaub\\Fotos 2003.12"
    got = read_with_mutt(work, planned[folder][1])
    if got is None:
        print("mutt is not installed: its reading skipped")
        return []
    want = sorted(m for m, _, _ in expected[folder])
    return [] if got == want else [f"mutt reads {got} in {folder!r}, expected {want}"]


def main_cli(cli):
    with tempfile.TemporaryDirectory() as work:
        maildir = os.path.join(work, "Mail")
        export = os.path.join(work, "export.txt")
        expected = make_export(export)
        before = make_own_maildir(maildir)
        planned = planned_folders(cli, maildir, export)
        if snapshot(maildir) != before:
            return "check --maildir changed the Maildir"
        subprocess.run([cli, "convert", "-q", "--maildir", maildir, export], check=True,
                       stdout=subprocess.DEVNULL)
        after = snapshot(maildir)
        config = dovecot_config(work, maildir)
        listed = doveadm(config, work, "mailbox", "list").splitlines()
        problems = check_cli_run(expected, planned, before, after, listed,
                                 fetch_all(config, work))
        problems += check_mutt(work, expected, planned)
        for problem in problems:
            print(problem)
        print(f"{sum(map(len, expected.values()))} messages in {len(listed)} mailboxes: {listed}")
        return 1 if problems else 0


def main():
    if shutil.which("doveadm") is None:
        print("doveadm is not installed: skipped")
        return 77
    if sys.argv[1] == "--cli":
        return main_cli(sys.argv[2])
    with tempfile.TemporaryDirectory() as work:
        maildir = os.path.join(work, "Mail")
        rows = run_tool(sys.argv[1], maildir)
        config = dovecot_config(work, maildir)
        listed = doveadm(config, work, "mailbox", "list").splitlines()
        problems = check(rows, listed, fetch_all(config, work))
        for problem in problems:
            print(problem)
        print(f"{len(rows)} messages in {len(listed)} mailboxes: {listed}")
        return 1 if problems else 0


if __name__ == "__main__":
    sys.exit(main())
