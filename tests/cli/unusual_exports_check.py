#!/usr/bin/env python3
"""Exports that once lost mail, run through vandrel-cli and read back with Python's mailbox and
email packages: every exported message arrives, once, whole; attached files decode to exactly
their bytes; every separator line has the classic form; files that are no export are refused."""
import email
import email.parser
import email.policy
import mailbox
import os
import re
import subprocess
import sys
import tempfile
from pathlib import Path

import profile_fixture

CLI = sys.argv[1]
SAMPLE = Path(sys.argv[2])
failures = []
SEPARATOR = re.compile(rb"^From \S+ (Sun|Mon|Tue|Wed|Thu|Fri|Sat) (Jan|Feb|Mar|Apr|May|Jun|Jul|Aug|Sep|Oct|Nov|Dec)"
                       rb" [ \d]\d \d\d:\d\d:\d\d \d{4}\r$")


def check(condition, what):
    if not condition:
        failures.append(what)
        print("FAILED:", what)


def message(number, folder=b"Inbox", headers=b"", body=b"Text\r\n", sender=b"Anna <anna@example.org>"):
    return (b"From ???@??? Mon Mar 01 19:42:%02d 2004\r\nFrom: " % number + sender +
            b"\r\nSubject: Message %d\r\nX-CalypsoFolder: " % number + folder + b"\r\n" + headers +
            b"\r\n" + body)


def unquoted(raw):
    """The mbox quoting of "From " lines undone, as a mail client reading the file does."""
    return re.sub(rb"(?m)^>(>*From )", rb"\1", raw)


def read_back(folder):
    """Every message of every mbox file in the folder, parsed from its bytes as they stand."""
    messages = []
    for path in sorted(folder.iterdir()):
        raw = path.read_bytes()
        for line in raw.split(b"\n"):
            if line.startswith(b"From "):
                check(SEPARATOR.match(line), "%s: separator line %r" % (path.name, line[:80]))
        box = mailbox.mbox(str(path), create=False)
        for key in box.keys():
            raw_message = unquoted(box.get_bytes(key))
            try:
                messages.append(email.message_from_bytes(raw_message, policy=email.policy.compat32))
            except RecursionError:
                # A part thousands of levels deep, kept as it stood, is deeper than Python's parser goes.
                messages.append(email.parser.BytesHeaderParser(policy=email.policy.compat32).parsebytes(raw_message))
    return messages


def convert(tmp, name, exported, *options):
    export = tmp / (name + ".txt")
    export.write_bytes(exported)
    out = tmp / name
    out.mkdir()
    result = subprocess.run([CLI, "convert", *options, str(export), str(out) + "/"], capture_output=True)
    return result, out


def subjects(messages):
    return sorted(str(m["Subject"]) for m in messages)


def every_message_arrives(tmp):
    utf16_body = "Gr\u00fc\u00dfe aus K\u00f6ln \u2013 \u03a9\r\n"
    deep = b"".join(b'Content-Type: multipart/mixed; boundary="b%dx"\r\n\r\n--b%dx\r\n' % (i, i) for i in range(40000))
    cases = {  # name: (export, messages in it)
        "ctrl-z": (b"".join(message(i, body=b"before\x1aafter\r\n") for i in range(12)), 12),
        # Once, a NUL dropped the rest of its 128-byte chunk and the text behind became a line.
        "nul": (b"".join(message(i, body=b"a\x00b\r\nx\x00" + b"y" * 126 + b"From ???@??? not a separator\r\n")
                         for i in range(5)), 5),
        "bom": (b"\xef\xbb\xbf" + b"".join(message(i, body="Gr\u00fc\u00dfe\r\n".encode()) for i in range(4)), 4),
        "folded-sender": (b"".join(message(i, sender=b'"Berger,\r\n Anna" <anna@\r\n example.org>') for i in range(3)), 3),
        "deep": (message(0, headers=deep + b"Content-Type: text/plain\r\n\r\nbottom\r\n") + message(1), 2),
        "utf-16": (b"\xff\xfe" + b"".join(message(i).decode("latin-1").replace("Text\r\n", utf16_body).encode("utf-16-le")
                                           for i in range(3)), 3),
    }
    for name, (exported, expected) in cases.items():
        result, out = convert(tmp, name, exported)
        check(result.returncode == 0, "%s converts: %r" % (name, result.stdout[-200:]))
        messages = read_back(out)
        check(subjects(messages) == sorted("Message %d" % i for i in range(expected)),
              "%s: one message per exported message, got %s" % (name, subjects(messages)))
    check(b"export is UTF-16; converted to CP1252." in convert(tmp, "utf-16-again", cases["utf-16"][0])[0].stdout,
          "the log says the UTF-16 export was converted")
    deep_result, deep_out = convert(tmp, "deep-again", cases["deep"][0])
    check(b"1 message could not be converted in full:\n  nested too deep (Inbox, Message 0)\n" in
          deep_result.stderr, "the deep message is reported")
    check(b"\r\nbottom\r\n" in (deep_out / "Inbox.mbx").read_bytes(), "the part below the nesting limit is kept")


def files_decode_to_their_bytes(tmp):
    files = {
        "utf16.txt": "Notepad \u00fcbersetzt\r\nzweite Zeile\r\n".encode("utf-16"),
        "utf8.txt": "Gr\u00fc\u00dfe \u20ac\r\n".encode("utf-8"),
        "lf-only.txt": "erste\nzweite \u00fc\n".encode("cp1252"),
        "with-nul.txt": b"before\x00after\r\n",
        "plain.txt": b"ascii only\r\nFrom the notes\r\n",
        "binary.msg": bytes(range(256)) * 20,
        "text.msg": b"From: someone\r\n\r\nGr\xfc\xdfe\r\n",
    }
    html = b"<html><body>Sch\xf6ne Gr\xfc\xdfe\r\n</body></html>\r\n"
    (tmp / "Attach").mkdir()
    (tmp / "Html").mkdir()
    for name, data in files.items():
        (tmp / "Attach" / name).write_bytes(data)
    (tmp / "Html" / "body.htm").write_bytes(html)
    attachments = b"".join(b'X-Attachment: "C:\\Calypso\\Attach\\%s"; 1 KB\r\n' % n.encode() for n in files)
    exported = message(0, headers=b'X-CalypsoHtmlBody: "C:\\Calypso\\Html\\body.htm"; 1 KB\r\n' + attachments +
                       b"In-Reply-To: <a@example.org>\r\nReferences: <z@example.org> <a@example.org>\r\n"
                       b"Reply-To: Club <club@example.org>\r\n")
    result, out = convert(tmp, "files", exported)
    check(result.returncode == 0 and result.stderr == b"", "the files export converts and finds every file: %r" % result.stderr)
    messages = read_back(out)
    check(len(messages) == 1, "one message with files")
    if not messages:
        return
    parts = [p for p in messages[0].walk() if not p.is_multipart()]
    by_name = {p.get_param("name"): p.get_payload(decode=True) for p in parts if p.get_param("name")}
    for name, data in list(files.items()) + [("body.htm", html)]:
        check(by_name.get(name) == data, "%s decodes to its bytes: %r" % (name, (by_name.get(name) or b"")[:40]))
    for field, value in (("Reply-To", "Club <club@example.org>"), ("In-Reply-To", "<a@example.org>"),
                         ("References", "<z@example.org> <a@example.org>")):
        check(messages[0][field] == value, "%s carried over: %r" % (field, messages[0][field]))


def no_export_is_refused(tmp):
    home = tmp / "home"
    profile = profile_fixture.make_profile(home / ".thunderbird")
    letter = tmp / "letter.txt"
    letter.write_bytes(b"Dear Anna,\r\nthis is a letter.\r\n")
    for args in (["convert", str(letter), str(tmp) + "/"], ["convert", "--thunderbird", str(letter)]):
        before = sorted(p.name for p in tmp.iterdir()) + sorted(p.name for p in (profile / "Mail" / "Local Folders").iterdir())
        result = subprocess.run([CLI, *args], capture_output=True, env=dict(os.environ, HOME=str(home)))
        lines = result.stdout.decode().splitlines()
        check(result.returncode == 1 and lines[-1:] ==
              ['Error: %s is not a Calypso export (no line starts with "From ???@???").' % letter],
              "%s is refused: %r" % (args, lines[-2:]))
        after = sorted(p.name for p in tmp.iterdir()) + sorted(p.name for p in (profile / "Mail" / "Local Folders").iterdir())
        check(before == after, "%s writes nothing: %s" % (args, sorted(set(after) - set(before))))
    for blank in (b"", b" \t\r\n\r\n", b"\xef\xbb\xbf\r\n"):
        letter.write_bytes(blank)
        result = subprocess.run([CLI, "convert", str(letter), str(tmp) + "/"], capture_output=True)
        check(result.returncode == 0 and result.stdout.endswith(b"\n0 mails written.\n"), "%r is an empty export" % blank)


def the_sample_reads_back(tmp):
    out = tmp / "sample"
    out.mkdir()
    result = subprocess.run([CLI, "convert", str(SAMPLE), str(out) + "/"], capture_output=True)
    check(result.returncode == 0, "the sample converts")
    check(len(read_back(out)) == 12, "the sample's 12 messages read back")


def main():
    for step in (every_message_arrives, files_decode_to_their_bytes, no_export_is_refused, the_sample_reads_back):
        with tempfile.TemporaryDirectory() as tmp:
            step(Path(tmp))
    print("%d failures" % len(failures))
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
