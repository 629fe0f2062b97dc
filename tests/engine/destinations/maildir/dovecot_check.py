#!/usr/bin/env python3
"""Debian's Dovecot reads a Maildir that MaildirDestination wrote: every folder under its
Calypso name, every message with its Message-ID, Subject and Date, received when it was sent.

usage: dovecot_check.py MAILDIR_TOOL   (exit 77 when doveadm is not installed)
"""
import calendar
import email.utils
import os
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


def main():
    if shutil.which("doveadm") is None:
        print("doveadm is not installed: skipped")
        return 77
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
