#!/usr/bin/env python3
"""Writes a made-up Calypso export for benchmarks.

Usage: generate_export.py OUTPUT SIZE_MB SEED

Messages start with a "From ???@???" separator line, carry their folder in an
"X-CalypsoFolder: " line (eight folders, some with spaces or Windows-1252
letters), now and then an encoded-word subject or "X-Attachment: " lines that
name files which do not exist, and bodies from a few lines to a few hundred
kilobytes. Lines end in CR LF; the file is written in Windows-1252.
"""

import random
import sys

FOLDERS = [
    ("Inbox", 30),
    ("Sent", 15),
    ("Trash", 8),
    ("Outbox", 2),
    ("Entwürfe", 5),
    ("Geschäftlich", 20),
    ("Mail\\Archiv 2001", 15),
    ("Privat & Familie", 5),
]

WORDS = (
    "der die das und ist nicht ein eine mit für auf dem den von zu im Grüße "
    "Besprechung morgen heute Angebot Rechnung schön Büro Straße München Köln "
    "Projekt Termin bitte danke Anhang Nachricht Wetter Frühling Änderung über "
    "the and meeting report attached please regards invoice schedule update"
).split()

NAMES = ["Anna Müller", "Jörg Weiß", "Claire Dubois", "Peter Schmidt", "Ute Krämer",
         "John Smith", "Sabine Groß", "Thomas Becker"]

PLAIN_SUBJECTS = ["Termin am Montag", "Re: Angebot", "Fwd: Rechnung 2001-17", "Projektstand",
                  "Urlaubsplanung", "Re: Re: Besprechung", "Photos", "Kurze Frage"]
ENCODED_SUBJECTS = ["=?iso-8859-1?Q?Gr=FC=DFe_aus_M=FCnchen?=",
                    "=?iso-8859-1?Q?=C4nderung_der_Stra=DFe?=",
                    "=?iso-8859-1?B?U2Now7ZuZXMgV29jaGVuZW5kZQ==?="]

DAYS = ["Mon", "Tue", "Wed", "Thu", "Fri", "Sat", "Sun"]
MONTHS = ["Jan", "Feb", "Mar", "Apr", "May", "Jun", "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"]


def address(rng, name):
    user = name.split()[0].lower().encode("ascii", "ignore").decode()
    return f'"{name}" <{user}{rng.randrange(100)}@example.de>'


def line_pool(rng, count):
    pool = []
    for _ in range(count):
        words = rng.choices(WORDS, k=rng.randrange(1, 13))
        pool.append(" ".join(words))
    pool += ["", "", "> " + " ".join(rng.choices(WORDS, k=8)), "-- ", "From the desk of T. Becker"]
    return pool


def body_lines(rng, pool):
    # Mostly short mails, a long tail of big ones.
    count = min(int(rng.lognormvariate(3.2, 1.3)) + 1, 6000)
    return rng.choices(pool, k=count)


def message(rng, pool, folders, weights, number):
    day, month = rng.choice(DAYS), rng.choice(MONTHS)
    date = f"{day}, {rng.randrange(1, 29)} {month} 2001 {rng.randrange(24):02}:{rng.randrange(60):02}:00 +0100"
    subject = rng.choice(ENCODED_SUBJECTS) if rng.random() < 0.2 else rng.choice(PLAIN_SUBJECTS)
    lines = [
        "From ???@??? Mon Jan 01 00:00:00 2001",
        f"Received: from mail.example.de by calypso; {date}",
        f"Date: {date}",
        f"From: {address(rng, rng.choice(NAMES))}",
        f"To: {address(rng, rng.choice(NAMES))}",
        f"Subject: {subject}",
        f"Message-ID: <{number}.{rng.randrange(10**9)}@example.de>",
        f"X-CalypsoFolder: {rng.choices(folders, weights)[0]}",
        "X-CalypsoAccount: Standard",
    ]
    for _ in range(rng.choice([0] * 8 + [1, 2])):
        lines.append(f"X-Attachment: C:\\Calypso\\Attach\\{number}_{rng.randrange(1000)}.doc")
    lines.append("")
    lines += body_lines(rng, pool)
    return "\r\n".join(lines) + "\r\n"


def main():
    if len(sys.argv) != 4:
        sys.exit(__doc__)
    output, size_mb, seed = sys.argv[1], float(sys.argv[2]), int(sys.argv[3])
    rng = random.Random(seed)
    pool = line_pool(rng, 4000)
    folders = [name for name, _ in FOLDERS]
    weights = [weight for _, weight in FOLDERS]
    target = int(size_mb * 1024 * 1024)
    written = 0
    number = 0
    with open(output, "wb") as out:
        while written < target:
            number += 1
            data = message(rng, pool, folders, weights, number).encode("cp1252")
            out.write(data)
            written += len(data)
    print(f"{output}: {number} messages, {written} bytes", file=sys.stderr)


if __name__ == "__main__":
    main()
