#!/usr/bin/env python3
"""Converted messages read back with Python's own mailbox and email packages: one message per
exported message, even when bodies hold "From " lines, with attached files and HTML bodies that
decode to exactly the files' bytes and text parts that decode to the exported text. The mbox
quoting of "From " lines is undone first, as a mail client reading the file does."""
import email
import email.policy
import mailbox
import random
import re
import subprocess
import sys
import tempfile
from pathlib import Path

WORDS = ["From", "from", ">From", "Gr\xfc\xdfe", "the", "mail", "=", "dot", ".", "ok", "--x", "a"]
EXTENSIONS = ["jpg", "gif", "pdf", "zip", "exe", "bin", "txt", "msg", "html"]


def random_text(rng, lines):
    out = []
    for _ in range(lines):
        words = [rng.choice(WORDS) for _ in range(rng.randint(0, 12))]
        out.append(" ".join(words).encode("latin-1"))
    return b"\r\n".join(out) + b"\r\n"


def make_export(rng, root, count):
    (root / "Attach").mkdir()
    (root / "Html").mkdir()
    messages, expected = [], []
    for i in range(count):
        headers = [b"From ???@??? Mon Jan 01 00:00:00 2001",
                   b"From: \"Sender %d\" <s%d@example.com>" % (i, i),
                   b"To: r@example.org", b"Subject: Message %d" % i,
                   b"X-CalypsoFolder: Folder %d" % rng.randint(0, 3)]
        html = None
        if rng.random() < 0.3:
            html = random_text(rng, rng.randint(1, 5))
            (root / "Html" / ("h%d.htm" % i)).write_bytes(html)
            headers.append(b'X-CalypsoHtmlBody: "C:\\Calypso\\Html\\h%d.htm"; x' % i)
        files = []
        for j in range(rng.randint(0, 3)):
            ext = rng.choice(EXTENSIONS)
            name = "a%d_%d.%s" % (i, j, ext)
            if ext in ("txt", "msg"):
                data = random_text(rng, rng.randint(0, 30))
            else:
                data = bytes(rng.randrange(256) for _ in range(rng.randint(0, 3000)))
            (root / "Attach" / name).write_bytes(data)
            headers.append(b'X-Attachment: "C:\\Calypso\\Attach\\%s";' % name.encode())
            files.append((ext, data))
        body = random_text(rng, rng.randint(0, 20))
        messages.append(b"\r\n".join(headers) + b"\r\n\r\n" + body)
        expected.append((i, html, body, files))
    (root / "export.txt").write_bytes(b"".join(messages))
    return expected


def unquoted(raw):
    """One level of mbox From-quoting undone, as a mail client reading the file does."""
    return re.sub(rb"(?m)^>(>*From )", rb"\1", raw)


def check_message(message, html, body, files):
    parts = [p for p in message.walk() if not p.is_multipart()]
    expected_body = [("html", html)] if html is not None else [("text", body)]
    if len(parts) != len(expected_body) + len(files):
        return "%d parts, expected %d" % (len(parts), len(expected_body) + len(files))
    for part, (kind, data) in zip(parts, expected_body + files):
        payload = part.get_payload(decode=True) or b""
        if kind == "text":
            if payload.replace(b"\r\n", b"\n").rstrip(b"\n") != data.replace(b"\r\n", b"\n").rstrip(b"\n"):
                return "text part differs: %r" % payload[:80]
        elif payload != data:
            return "%s file differs: %r, expected %r" % (kind, payload[:60], data[:60])
    return None


def main():
    tool = sys.argv[1]
    rng = random.Random(20261207)
    failures = 0
    with tempfile.TemporaryDirectory() as tmp:
        root = Path(tmp)
        expected = make_export(rng, root, 120)
        mbox_path = root / "out.mbox"
        with open(mbox_path, "wb") as out:
            subprocess.run([tool, str(root / "export.txt"), str(root)], stdout=out, check=True)
        box = mailbox.mbox(str(mbox_path), create=False)
        converted = {}
        for key in box.keys():
            # The bytes as they are in the file: the message objects would give LF line ends.
            message = email.message_from_bytes(unquoted(box.get_bytes(key)), policy=email.policy.compat32)
            subject = str(message["Subject"] or "")
            if not subject.startswith("Message "):
                print("a message without its header: a message was split in two")
                failures += 1
                continue
            number = int(subject.split()[-1])
            if number in converted:
                print("message %d found twice" % number)
                failures += 1
            converted[number] = message
        if len(box) != len(expected):
            print("mbox holds %d messages, the export %d" % (len(box), len(expected)))
            failures += 1
        for number, html, body, files in expected:
            if number not in converted:
                print("message %d missing" % number)
                failures += 1
                continue
            problem = check_message(converted[number], html, body, files)
            if problem:
                print("message %d: %s" % (number, problem))
                failures += 1
    print("%d messages checked, %d problems" % (len(expected), failures))
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
