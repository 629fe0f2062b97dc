#!/usr/bin/env python3
"""`vandrel-cli convert --imap` into a private Dovecot (Debian's dovecot-imapd) on 127.0.0.1,
free ports, a self-signed certificate trusted with --ca-file, read back with doveadm.

usage: imap_upload_check.py VANDREL_CLI SCENARIO
  upload       every folder and message arrives (IMAPS and STARTTLS); a rerun stores nothing
  interrupted  a kill part-way, a dropped connection, a lost journal: every message once
  refused      wrong password, untrusted certificate, no STARTTLS, size limits, a second run
  wine         the upload and its rerun by VANDREL_CLI (vandrel-cli.exe) under Wine
exit 77 when Dovecot is not installed.
"""
import calendar
import email.utils
import os
import re
import shutil
import signal
import socket
import subprocess
import sys
import tempfile
import threading
import time

from imap_lab import PASSWORD, USER, Dovecot, Proxy
# Names an IMAP server cannot keep as they are, a tree with a parent that has mail of its own
# and parents that have none, two folders that meet in one path.
FOLDERS = [
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
]
DATES = ["Mon, 01 Mar 2004 19:42:10 +0100", "Thu, 15 Jan 2004 08:30:00 -0500",
         "Wed, 31 Dec 2003 23:59:59 +0000"]
SEPARATOR_DATE = "Mon Mar 01 19:42:10 2004"


def make_export(path, big=None):
    """The export, and per Message-ID its folder, Subject and Date. One message has no
    Message-ID (a rerun tells it by Date and size), one a Date that does not parse (its date
    comes from the separator line)."""
    messages, expected = [], {}
    for index, folder in enumerate(FOLDERS):
        for k in range(2 + index % 3):
            number = len(messages) + 1
            date = DATES[number % len(DATES)]
            message_id = "imap%d@example.org" % number
            subject = "Message %d of folder %d" % (number, index)
            header = (b"From: Anna Berg <anna@example.org>\r\nTo: team@example.de\r\nSubject: " +
                      subject.encode() + b"\r\n")
            if number == 5:
                date = "sometime in spring"
            header += b"Date: " + date.encode() + b"\r\n"
            if number != 7:
                header += b"Message-ID: <" + message_id.encode() + b">\r\n"
            body = b"Text %d\r\nFrom here on\r\n" % number
            if big is not None and number == 3:
                body += (b"y" * 76 + b"\r\n") * (big // 78 + 1)
            messages.append(b"From ???@??? " + SEPARATOR_DATE.encode() + b"\r\n" + header +
                            b"X-CalypsoFolder: " + folder.encode("cp1252") + b"\r\n\r\n" + body)
            expected[message_id if number != 7 else "(none)"] = (folder, subject, date)
    with open(path, "wb") as export:
        export.write(b"".join(messages))
    return expected


def mailbox_of(folder, top="Calypso"):
    segments = [s for s in folder.split("\\") if s]
    return "/".join([top] + [s.replace(".", "_").replace("/", "_") for s in segments])


def cli(tool, args, env, **kwargs):
    command = tool + args
    return subprocess.run(command, env=env, capture_output=True, **kwargs)


def environment(work, password=PASSWORD):
    env = dict(os.environ, XDG_CONFIG_HOME=os.path.join(work, "config"), TZ="UTC")
    env.pop("VANDREL_IMAP_TOKEN", None)
    env["VANDREL_IMAP_PASSWORD"] = password
    return env


def received_matches(got, date):
    if date == "sometime in spring":
        sent = calendar.timegm(time.strptime(SEPARATOR_DATE, "%a %b %d %H:%M:%S %Y"))
    else:
        sent = calendar.timegm(email.utils.parsedate_to_datetime(date).utctimetuple())
    return calendar.timegm(time.strptime(got, "%Y-%m-%d %H:%M:%S")) == sent


def mbox_sizes(tool, work, export):
    """Each message's size as the mbox destination stores it without its separator line."""
    out = os.path.join(work, "mbox")
    os.makedirs(out, exist_ok=True)
    subprocess.run(tool + ["convert", "-q", export, out + "/"], check=True,
                   capture_output=True)
    sizes = {}
    for name in os.listdir(out):
        with open(os.path.join(out, name), "rb") as f:
            data = f.read()
        # Each message is followed by a blank line, which the next separator's split takes
        # but for the last one.
        pieces = re.split(rb"(?:^|\r\n)From [^\r\n]*\r\n", data)[1:]
        if pieces:
            pieces[-1] = pieces[-1][:-2]
        for text in pieces:
            match = re.search(rb"^Message-ID: <([^>]*)>", text, re.M | re.I)
            sizes[match.group(1).decode() if match else "(none)"] = len(
                re.sub(rb"^>(>*From )", rb"\1", text, flags=re.M))
    return sizes


def check_account(dovecot, expected, top="Calypso", sizes=None, times=1):
    problems = []
    got = [m for m in dovecot.messages() if (m["mailbox"] + "/").startswith(top + "/")]
    by_id = {}
    for message in got:
        key = message["hdr.message-id"].strip("<>") or "(none)"
        by_id.setdefault(key, []).append(message)
    for key, (folder, subject, date) in expected.items():
        copies = by_id.get(key, [])
        if len(copies) != times:
            problems.append(f"{key}: {len(copies)} copies under {top}, expected {times}")
            continue
        message = copies[0]
        wanted = mailbox_of(folder, top)
        base = message["mailbox"]
        if base != wanted and not re.fullmatch(re.escape(wanted) + r"-\d+", base):
            problems.append(f"{key} of {folder!r} is in {base!r}, expected {wanted!r}")
        if message["hdr.subject"] != subject or message["hdr.date"] != date:
            problems.append(f"{key}: {message['hdr.subject']!r} {message['hdr.date']!r}")
        if not received_matches(message["date.received"], date):
            problems.append(f"{key}: INTERNALDATE {message['date.received']}, Date {date}")
        if message["flags"].replace("\\Recent", "").strip():
            problems.append(f"{key}: flags {message['flags']!r}")
        if sizes and int(message["size.virtual"]) != sizes[key]:
            problems.append(f"{key}: {message['size.virtual']} bytes, the mbox holds {sizes[key]}")
    listed = set(dovecot.mailboxes())
    for folder in FOLDERS:
        segments = mailbox_of(folder, top).split("/")
        for n in range(1, len(segments)):
            if "/".join(segments[:n]) not in listed:
                problems.append(f"parent {'/'.join(segments[:n])!r} of {folder!r} not listed")
    return problems


def scenario_upload(tool, work):
    dovecot = Dovecot(work)
    try:
        export = os.path.join(work, "export.txt")
        expected = make_export(export)
        sizes = mbox_sizes(tool, work, export)
        env = environment(work)
        address = dovecot.address()
        check = cli(tool, ["check", "--imap", address, "--ca-file", dovecot.cert, export], env)
        problems = []
        if check.returncode != 0:
            return [f"check failed: {check.stdout.decode()} {check.stderr.decode()}"]
        planned = {m.group(2): int(m.group(1)) for m in
                   re.finditer(r"^\s+(\d+)  (.+)  ->  (.+)$", check.stdout.decode(), re.M)}
        if len(planned) != len(FOLDERS):
            problems.append(f"check listed {planned}")
        if any(m["mailbox"].startswith("Calypso") for m in dovecot.messages()) or \
                "Calypso" in dovecot.mailboxes():
            problems.append("check stored something")
        run = cli(tool, ["convert", "-q", "--imap", address, "--ca-file", dovecot.cert, export],
                  env)
        if run.returncode != 0:
            return problems + [f"convert failed: {run.stderr.decode()}"]
        problems += check_account(dovecot, expected, sizes=sizes)
        again = cli(tool, ["convert", "-q", "--imap", address, "--ca-file", dovecot.cert,
                           export], env)
        if again.returncode != 0 or b"were there already" not in again.stdout + again.stderr:
            problems.append(f"rerun: {again.returncode} {again.stdout.decode()}")
        problems += check_account(dovecot, expected)
        # STARTTLS on the plain port, into another top folder, the password on a terminal's
        # stead from a file only its owner reads.
        password_file = os.path.join(work, "password")
        with open(password_file, "w") as f:
            f.write(PASSWORD + "\n")
        os.chmod(password_file, 0o600)
        env.pop("VANDREL_IMAP_PASSWORD")
        second = cli(tool, ["convert", "-q", "--imap", dovecot.address("Zweite/Ablage", True),
                            "--password-file", password_file, "--ca-file", dovecot.cert, export],
                     env)
        if second.returncode != 0 or b"Warning" in second.stderr:
            problems.append(f"STARTTLS run: {second.returncode} {second.stderr.decode()}")
        problems += check_account(dovecot, expected, top="Zweite/Ablage")
        # A password file others can read still works, with a warning that says how to fix it.
        os.chmod(password_file, 0o644)
        loose = cli(tool, ["check", "--imap", dovecot.address("Zweite/Ablage", True),
                           "--password-file", password_file, "--ca-file", dovecot.cert, export],
                    env)
        if loose.returncode != 0 or b"Warning: others can read" not in loose.stderr:
            problems.append(f"readable password file: {loose.returncode} {loose.stderr.decode()}")
        if PASSWORD.encode() in run.stdout + run.stderr + second.stdout + second.stderr:
            problems.append("the password was shown")
        return problems
    finally:
        dovecot.stop()


def run_until(tool, args, env, proxy, mode, limit):
    """Starts the run, waits until the proxy saw `limit` bytes from it, then kills it."""
    proxy.arm(mode, limit)
    process = subprocess.Popen(tool + args, env=env, stdout=subprocess.PIPE,
                               stderr=subprocess.PIPE)
    if not proxy.reached.wait(120):
        process.kill()
        raise RuntimeError("the run never got that far")
    process.send_signal(signal.SIGKILL)
    process.communicate()
    proxy.arm("pass", 0)


def scenario_interrupted(tool, work):
    dovecot = Dovecot(work)
    problems = []
    try:
        export = os.path.join(work, "export.txt")
        expected = make_export(export)
        proxy = Proxy(dovecot.imaps_port)
        env = environment(work)
        # What a whole run sends, so that the cuts below fall part-way through the messages.
        proxy.arm("pass", 0)
        cli(tool, ["convert", "-q", "--imap", dovecot.address("Whole", port=proxy.port),
                   "--ca-file", dovecot.cert, export], env, check=True)
        total = proxy.counted()
        args = ["convert", "-q", "--imap", dovecot.address("Killed", port=proxy.port),
                "--ca-file", dovecot.cert, export]
        # Killed at several points, then run again: the journal says what is there.
        for share in (0.3, 0.6):
            run_until(tool, args, env, proxy, "hold", int(total * share))
        done = cli(tool, args, env)
        if done.returncode != 0:
            problems.append(f"rerun after kills: {done.stderr.decode()}")
        problems += check_account(dovecot, expected, top="Killed")
        # Killed, then run again without its journal: what is there is found by Message-ID,
        # and by Date and size where there is none.
        args = ["convert", "-q", "--imap", dovecot.address("Lost", port=proxy.port),
                "--ca-file", dovecot.cert, export]
        run_until(tool, args, env, proxy, "hold", int(total * 0.5))
        shutil.rmtree(os.path.join(work, "config"))
        done = cli(tool, args, env)
        if done.returncode != 0:
            problems.append(f"rerun without journal: {done.stderr.decode()}")
        problems += check_account(dovecot, expected, top="Lost")
        # The connection dropped part-way: the run connects again and finishes.
        args = ["convert", "-q", "--imap", dovecot.address("Dropped", port=proxy.port),
                "--ca-file", dovecot.cert, export]
        proxy.arm("drop", int(total * 0.5))
        done = cli(tool, args, env)
        if done.returncode != 0 or not proxy.reached.is_set():
            problems.append(f"dropped run: {done.returncode} {done.stderr.decode()}")
        problems += check_account(dovecot, expected, top="Dropped")
        # The server stores what it gets but its answers are lost, then the connection: the
        # messages on their way are found there, not stored again.
        args = ["convert", "-q", "--imap", dovecot.address("Muted", port=proxy.port),
                "--ca-file", dovecot.cert, export]
        proxy.arm("mute", int(total * 0.5))
        done = cli(tool, args, env)
        if done.returncode != 0 or not proxy.reached.is_set():
            problems.append(f"muted run: {done.returncode} {done.stderr.decode()}")
        problems += check_account(dovecot, expected, top="Muted")
        return problems
    finally:
        dovecot.stop()


def plain_server_without_starttls():
    """An IMAP server that offers no STARTTLS; it notes whatever the client sends."""
    listener = socket.socket()
    listener.bind(("127.0.0.1", 0))
    listener.listen(1)
    heard = []

    def serve():
        client, _ = listener.accept()
        client.sendall(b"* OK [CAPABILITY IMAP4rev1 AUTH=PLAIN LOGIN] plain only\r\n")
        client.settimeout(10)
        try:
            while True:
                data = client.recv(4096)
                if not data:
                    break
                heard.append(data)
                tag = data.split(b" ")[0]
                client.sendall(b"* CAPABILITY IMAP4rev1 AUTH=PLAIN\r\n" + tag + b" OK done\r\n")
        except OSError:
            pass
        client.close()

    thread = threading.Thread(target=serve, daemon=True)
    thread.start()
    return listener.getsockname()[1], heard, thread


def scenario_refused(tool, work):
    dovecot = Dovecot(work, append_limit=4096)
    problems = []
    try:
        export = os.path.join(work, "export.txt")
        expected = make_export(export, big=6000)
        address = dovecot.address()
        env = environment(work, password="wrong")
        wrong = cli(tool, ["convert", "-q", "--imap", address, "--ca-file", dovecot.cert, export],
                    env)
        if wrong.returncode != 1 or not re.search(rb"^Error: .*Authentication failed",
                                                  wrong.stderr + wrong.stdout, re.M):
            problems.append(f"wrong password: {wrong.returncode} {wrong.stderr.decode()}")
        if b"wrong" in wrong.stderr + wrong.stdout:
            problems.append("the password was shown")
        env = environment(work)
        untrusted = cli(tool, ["convert", "-q", "--imap", address, export], env)
        if untrusted.returncode != 1 or b"not trusted" not in untrusted.stderr + untrusted.stdout:
            problems.append(f"untrusted: {untrusted.returncode} {untrusted.stderr.decode()}")
        if any(m.startswith("Calypso") for m in dovecot.mailboxes()):
            problems.append("refused runs stored something")
        port, heard, thread = plain_server_without_starttls()
        plain = cli(tool, ["convert", "-q", "--imap", f"imap://{USER}@127.0.0.1:{port}/Calypso",
                           export], env)
        thread.join(15)
        if plain.returncode != 1 or b"STARTTLS" not in plain.stderr + plain.stdout:
            problems.append(f"no STARTTLS: {plain.returncode} {plain.stderr.decode()}")
        if any(PASSWORD.encode() in data or b"LOGIN" in data or b"AUTHENTICATE" in data
               for data in heard):
            problems.append(f"the password went to a server without TLS: {heard}")
        # One message is over the limit: reported with its folder and subject, the rest stored.
        limited = cli(tool, ["convert", "-q", "--imap", address, "--ca-file", dovecot.cert,
                             export], env)
        report = limited.stderr.decode() + limited.stdout.decode()
        big = [k for k, v in expected.items() if v[1].startswith("Message 3 ")][0]
        if limited.returncode != 1 or "1 message was not stored:" not in report or \
                expected[big][1] not in report:
            problems.append(f"append limit: {limited.returncode} {report}")
        del expected[big]
        problems += check_account(dovecot, expected)
        # Two runs into one account: the second is refused while the first one runs.
        proxy = Proxy(dovecot.imaps_port)
        args = ["convert", "-q", "--imap", dovecot.address("Twice", port=proxy.port),
                "--ca-file", dovecot.cert, export]
        proxy.arm("hold", 2000)
        first = subprocess.Popen(tool + args, env=env, stdout=subprocess.PIPE,
                                 stderr=subprocess.PIPE)
        if proxy.reached.wait(60):
            second = cli(tool, args, env)
            told = second.stderr + second.stdout
            if second.returncode != 1 or b"another conversion" not in told:
                problems.append(f"second run: {second.returncode} {told.decode()}")
        else:
            problems.append("the first run never started")
        first.kill()
        first.communicate()
        return problems
    finally:
        dovecot.stop()


def windows_path(path):
    return "Z:" + path.replace("/", "\\")


def scenario_wine(tool, work):
    dovecot = Dovecot(work)
    try:
        export = os.path.join(work, "export.txt")
        expected = make_export(export)
        env = environment(work)
        env.update(WINEDEBUG="-all", WINEPREFIX=os.environ.get("WINEPREFIX",
                                                               os.path.join(work, "wine")))
        untrusted = cli(tool, ["convert", "-q", "--imap", dovecot.address(), windows_path(export)],
                        env, timeout=600)
        if untrusted.returncode != 1 or b"not trusted" not in untrusted.stdout:
            return [f"untrusted under Wine: {untrusted.returncode} {untrusted.stdout.decode()}"]
        args = ["convert", "-q", "--imap", dovecot.address(), "--ca-file",
                windows_path(dovecot.cert), windows_path(export)]
        run = cli(tool, args, env, timeout=600)
        if run.returncode != 0:
            return [f"convert under Wine: {run.returncode} {run.stdout.decode(errors='replace')}"]
        problems = check_account(dovecot, expected)
        again = cli(tool, args, env, timeout=600)
        if again.returncode != 0 or b"were there already" not in again.stdout:
            problems.append(f"rerun under Wine: {again.returncode} {again.stdout.decode()}")
        return problems + check_account(dovecot, expected)
    finally:
        dovecot.stop()


def main():
    if shutil.which("dovecot") is None or shutil.which("doveadm") is None:
        print("Dovecot is not installed: skipped")
        return 77
    scenario = sys.argv[2]
    tool = ["wine", sys.argv[1]] if scenario == "wine" else [sys.argv[1]]
    with tempfile.TemporaryDirectory() as work:
        os.chmod(work, 0o755)
        problems = globals()["scenario_" + scenario](tool, work)
        for problem in problems:
            print(problem)
        if problems and os.path.exists(os.path.join(work, "dovecot.log")):
            with open(os.path.join(work, "dovecot.log")) as log:
                print(log.read()[-3000:])
        return 1 if problems else 0


if __name__ == "__main__":
    sys.exit(main())
