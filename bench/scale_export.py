#!/usr/bin/env python3
"""Writes made-up Calypso exports for the scale run (scale_bench.py), the same bytes for the
same kind, size and seed.

Usage: scale_export.py KIND OUTPUT_DIR [--size-mb N] [--seed S] [--folders N]

Kinds:
  text         mail of a few KB each in ten folders: Windows-1252 text with 8-bit letters,
               encoded-word and 8-bit subjects, body lines that start with "From "
  attachments  short mail whose "X-Attachment: " lines name files written into
               OUTPUT_DIR/attachments (random bytes of 50 KB to 2 MB, and text files), so
               that the files make most of the output; pass that folder with --attachments-dir
  folders      one tiny message in each of --folders folders (100000 by default)

OUTPUT_DIR receives export.txt (lines end in CR LF), the attachments folder, and manifest.json:
what was asked for and what was written (messages, folders, bytes, the largest message). Sizes
are in MB of 1,000,000 bytes; for attachments they count the export and its files together.
"""

import argparse
import hashlib
import json
import math
import os
import random
import shutil
import sys
from pathlib import Path

# Bumped whenever the bytes written for a given kind, size and seed change, so that cached
# exports of an older generator are not taken for new ones.
VERSION = 1

MB = 1_000_000
SEPARATOR_PREFIX = b"From ???@??? "
DEFAULT_SIZE_MB = {"text": 200, "attachments": 300}
DEFAULT_FOLDERS = 100_000

TEXT_FOLDERS = [
    ("Inbox", 30),
    ("Sent", 16),
    ("Trash", 6),
    ("Entwürfe", 2),
    ("Geschäftlich", 14),
    ("Mail\\Archiv 2001", 12),
    ("Privat & Familie", 8),
    ("Verein", 5),
    ("Rechnungen 2000–2001", 4),
    ("Newsletter", 3),
]
ATTACHMENT_FOLDERS = [("Inbox", 50), ("Sent", 25), ("Fotos", 15), ("Geschäftlich", 10)]

WORDS = (
    "der die das und ist nicht ein eine mit für auf dem den von zu im Grüße "
    "Besprechung morgen heute Angebot Rechnung schön Büro Straße München Köln "
    "Projekt Termin bitte danke Anhang Nachricht Wetter Frühling Änderung über "
    "Müller Größe Übersicht Fußweg Brötchen "
    "the and meeting report attached please regards invoice schedule update "
    "price 120 € – … „Entwurf“ ‚kurz‘ naïve café Œuvre ± × ÷ ½"
).split()
ASCII_WORDS = [w for w in WORDS if w.isascii()]

NAMES = ["Anna Müller", "Jörg Weiß", "Claire Dubois", "Peter Schmidt", "Ute Krämer",
         "John Smith", "Sabine Groß", "Thomas Becker", "Zoë Brontë", "Søren Ærø"]

PLAIN_SUBJECTS = ["Termin am Montag", "Re: Angebot", "Fwd: Rechnung 2001-17", "Projektstand",
                  "Urlaubsplanung", "Re: Re: Besprechung", "Photos", "Kurze Frage"]
EIGHT_BIT_SUBJECTS = ["Grüße aus München", "Rechnung über 120 €", "„Entwurf“ – bitte lesen",
                      "Änderung der Straße"]
ENCODED_SUBJECTS = ["=?iso-8859-1?Q?Gr=FC=DFe_aus_M=FCnchen?=",
                    "=?iso-8859-1?Q?=C4nderung_der_Stra=DFe?=",
                    "=?windows-1252?Q?Rechnung_=FCber_120_=80?=",
                    "=?iso-8859-1?B?U2No9m5lcyBXb2NoZW5lbmRl?=",
                    "Re: =?iso-8859-1?Q?=DCbersicht?= und Termin"]
FROM_LINES = ["From the desk of T. Becker", "From my point of view this is fine.",
              "From ???", "From: Anna Müller (quoted)", "From here on we go by train."]

DAYS = ["Mon", "Tue", "Wed", "Thu", "Fri", "Sat", "Sun"]
MONTHS = ["Jan", "Feb", "Mar", "Apr", "May", "Jun", "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"]

# Extension, weight, stems, whether the file is text; every attachment type of the converter
# occurs, and a few names carry 8-bit letters.
ATTACHMENT_TYPES = [
    (".jpg", 30, ["Foto", "IMG", "Bild", "Grüße"], False),
    (".JPG", 8, ["DSC", "Urlaub"], False),
    (".pdf", 18, ["Rechnung", "Angebot", "Programm", "Übersicht"], False),
    (".doc", 10, ["Brief", "Protokoll"], False),
    (".zip", 7, ["Archiv", "Daten"], False),
    (".gif", 5, ["Logo", "Plan"], False),
    (".xls", 5, ["Tabelle", "Kosten"], False),
    (".htm", 3, ["Seite"], True),
    (".exe", 2, ["setup"], False),
    (".txt", 12, ["Notizen", "Liste", "Lies mich"], True),
]
MAGIC = {".jpg": b"\xff\xd8\xff\xe0\x00\x10JFIF\x00", ".gif": b"GIF89a", ".pdf": b"%PDF-1.3\n",
         ".zip": b"PK\x03\x04", ".doc": b"\xd0\xcf\x11\xe0\xa1\xb1\x1a\xe1", ".exe": b"MZ"}
BINARY_RANGE = (50_000, 2_000_000)
TEXT_FILE_RANGE = (2_000, 200_000)


def dates(rng):
    """The separator line's date and the Date field's."""
    day, month = rng.choice(DAYS), rng.choice(MONTHS)
    date, year = rng.randrange(1, 29), rng.choice((2000, 2001, 2002))
    time = f"{rng.randrange(24):02}:{rng.randrange(60):02}:{rng.randrange(60):02}"
    return f"{day} {month} {date:02} {time} {year}", f"{day}, {date:02} {month} {year} {time} +0100"


def user(name):
    return name.split()[0].lower().encode("ascii", "ignore").decode() or "user"


def address(rng, name):
    return f'"{name}" <{user(name)}{rng.randrange(100)}@example.de>'


def line_pool(rng, count, words):
    pool = [" ".join(rng.choices(words, k=rng.randrange(1, 14))) for _ in range(count)]
    return pool + ["", "", "", "-- ", "> " + " ".join(rng.choices(words, k=8))]


def headers(rng, number, folder, subject, attachments=()):
    separator_date, date = dates(rng)
    lines = [
        f"From ???@??? {separator_date}",
        f"Date: {date}",
        f"From: {address(rng, rng.choice(NAMES))}",
        f"To: {address(rng, rng.choice(NAMES))}",
    ]
    if rng.random() < 0.2:
        lines.append(f"CC: {address(rng, rng.choice(NAMES))}, {address(rng, rng.choice(NAMES))}")
    lines += [
        f"Subject: {subject}",
        f"Message-ID: <{number}.{rng.randrange(10**9)}@example.de>",
        "X-Mailer: Calypso 3.0",
        f"X-Priority: {rng.choice(['3 (Normal)'] * 6 + ['1 (Highest)'])}",
        f"Return-Path: <{user(rng.choice(NAMES))}@example.de>",
        f"X-CalypsoFolder: {folder}",
        "X-CalypsoAccount: Standard",
    ]
    for name, size in attachments:
        lines.append(f'X-Attachment: "C:\\Calypso\\Attach\\{name}"; {size}')
    return lines


def subject(rng):
    roll = rng.random()
    if roll < 0.15:
        return rng.choice(ENCODED_SUBJECTS)
    if roll < 0.25:
        return rng.choice(EIGHT_BIT_SUBJECTS)
    return rng.choice(PLAIN_SUBJECTS)


def text_body(rng, pool, low, high, mu, sigma):
    count = min(max(int(rng.lognormvariate(mu, sigma)), low), high)
    lines = rng.choices(pool, k=count)
    if rng.random() < 0.1:  # a line the converter must not take for the next message
        lines.insert(rng.randrange(len(lines) + 1), rng.choice(FROM_LINES))
    return lines


def encode(lines):
    return ("\r\n".join(lines) + "\r\n").encode("cp1252")


class Writer:
    """export.txt and the figures of the manifest."""

    def __init__(self, folder):
        self.out = open(folder / "export.txt", "wb")
        self.messages = 0
        self.bytes = 0
        self.largest = 0
        self.largest_with_files = 0
        self.folders = set()

    def add(self, folder, data, file_bytes=0):
        self.out.write(data)
        self.messages += 1
        self.bytes += len(data)
        self.largest = max(self.largest, len(data))
        self.largest_with_files = max(self.largest_with_files, len(data) + file_bytes)
        self.folders.add(folder)

    def close(self):
        self.out.close()

    def figures(self):
        return {"messages": self.messages, "folders": len(self.folders), "export_bytes": self.bytes,
                "largest_message_bytes": self.largest,
                "largest_message_with_files_bytes": self.largest_with_files}


def write_text(folder, size_mb, seed):
    rng = random.Random(seed)
    pool = line_pool(rng, 4000, WORDS)
    names, weights = zip(*TEXT_FOLDERS)
    writer = Writer(folder)
    target = int(size_mb * MB)
    while writer.bytes < target:
        number = writer.messages + 1
        name = rng.choices(names, weights)[0]
        # Bodies of a few lines to a few KB: about 2.5 KB on average, at most 250 lines.
        lines = headers(rng, number, name, subject(rng)) + [""] + text_body(rng, pool, 3, 250, 3.7, 0.9)
        writer.add(name, encode(lines))
    writer.close()
    return writer.figures()


def file_content(seed, name, size, text, rng, ascii_pool, pool):
    """Deterministic bytes for one attached file: random bytes behind the type's magic number,
    or Windows-1252 text lines (ASCII only for some files) that end in CR LF."""
    if text:
        chosen = ascii_pool if rng.random() < 0.5 else pool
        from_lines = [line for line in FROM_LINES if line.isascii() or chosen is pool]
        lines = []
        length = 0
        while length < size:
            line = rng.choice(from_lines) if rng.random() < 0.01 else rng.choice(chosen)
            lines.append(line)
            length += len(line) + 2
        return encode(lines)
    magic = MAGIC.get(os.path.splitext(name)[1].lower(), b"")
    digest = hashlib.shake_256(f"vandrel-bench {seed} {name}".encode()).digest(size - len(magic))
    return magic + digest


def write_attachments(folder, size_mb, seed):
    rng = random.Random(seed)
    pool = line_pool(rng, 2000, WORDS)
    ascii_pool = line_pool(rng, 2000, ASCII_WORDS)
    names, weights = zip(*ATTACHMENT_FOLDERS)
    types = [row[0] for row in ATTACHMENT_TYPES]
    type_weights = [row[1] for row in ATTACHMENT_TYPES]
    table = {row[0]: row for row in ATTACHMENT_TYPES}
    files = folder / "attachments"
    files.mkdir()
    writer = Writer(folder)
    target = int(size_mb * MB)
    file_count = 0
    file_bytes = 0
    while writer.bytes + file_bytes < target:
        number = writer.messages + 1
        attached = []
        message_file_bytes = 0
        for _ in range(rng.choice([1, 1, 1, 2, 2, 3, 4])):
            file_count += 1
            extension, _, stems, text = table[rng.choices(types, type_weights)[0]]
            name = f"{rng.choice(stems)}_{file_count:06}{extension}"
            low, high = TEXT_FILE_RANGE if text else BINARY_RANGE
            size = int(math.exp(rng.uniform(math.log(low), math.log(high))))
            data = file_content(seed, name, size, text, rng, ascii_pool, pool)
            (files / name).write_bytes(data)
            attached.append((name, len(data)))
            message_file_bytes += len(data)
        file_bytes += message_file_bytes
        name = rng.choices(names, weights)[0]
        lines = headers(rng, number, name, subject(rng), attached) + [""] + text_body(rng, pool, 2, 30, 2.0, 0.6)
        writer.add(name, encode(lines), message_file_bytes)
    writer.close()
    return dict(writer.figures(), attachment_files=file_count, attachment_bytes=file_bytes)


FOLDER_STEMS = ["Projekt", "Kunde", "Archiv", "Verein", "Reise", "Büro", "Familie", "Kurs"]


def write_folders(folder, folders, seed):
    rng = random.Random(seed)
    writer = Writer(folder)
    for number in range(1, folders + 1):
        name = f"{rng.choice(FOLDER_STEMS)} {number:06}"
        lines = headers(rng, number, name, rng.choice(PLAIN_SUBJECTS)) + ["", "Hallo,", "bis bald."]
        writer.add(name, encode(lines))
    writer.close()
    return writer.figures()


def parameters(kind, size_mb, seed, folders):
    asked = {"kind": kind, "seed": seed, "version": VERSION}
    if kind == "folders":
        asked["folders_asked"] = folders
    else:
        asked["size_mb"] = size_mb
    return asked


def cache_name(kind, size_mb, seed, folders):
    size = f"{folders}folders" if kind == "folders" else f"{size_mb:g}mb"
    return f"{kind}-{size}-seed{seed}-v{VERSION}"


def generate(kind, folder, size_mb=None, seed=1, folders=DEFAULT_FOLDERS):
    """Writes the export into the new folder `folder`; returns the manifest."""
    if size_mb is None:
        size_mb = DEFAULT_SIZE_MB.get(kind, 0)
    folder = Path(folder)
    folder.mkdir(parents=True)
    if kind == "text":
        figures = write_text(folder, size_mb, seed)
    elif kind == "attachments":
        figures = write_attachments(folder, size_mb, seed)
    elif kind == "folders":
        figures = write_folders(folder, folders, seed)
    else:
        raise ValueError(f"unknown kind {kind!r}")
    manifest = dict(parameters(kind, size_mb, seed, folders), **figures)
    (folder / "manifest.json").write_text(json.dumps(manifest, indent=1) + "\n")
    return manifest


def cached(kind, workdir, size_mb=None, seed=1, folders=DEFAULT_FOLDERS):
    """The export's folder below workdir, generated unless an earlier run left it complete;
    returns (folder, manifest, whether it was generated now)."""
    if size_mb is None:
        size_mb = DEFAULT_SIZE_MB.get(kind, 0)
    folder = Path(workdir) / cache_name(kind, size_mb, seed, folders)
    manifest_path = folder / "manifest.json"
    if manifest_path.exists():
        manifest = json.loads(manifest_path.read_text())
        if (all(manifest.get(k) == v for k, v in parameters(kind, size_mb, seed, folders).items())
                and (folder / "export.txt").stat().st_size == manifest["export_bytes"]):
            return folder, manifest, False
    shutil.rmtree(folder, ignore_errors=True)
    # Written aside and renamed when complete: an interrupted run leaves no export that looks whole.
    partial = folder.with_name(folder.name + ".partial")
    shutil.rmtree(partial, ignore_errors=True)
    manifest = generate(kind, partial, size_mb, seed, folders)
    partial.rename(folder)
    return folder, manifest, True


def main():
    parser = argparse.ArgumentParser(description=__doc__.split("\n\n")[0],
                                     formatter_class=argparse.RawDescriptionHelpFormatter)
    parser.add_argument("kind", choices=["text", "attachments", "folders"])
    parser.add_argument("output_dir", help="a folder that does not exist yet")
    parser.add_argument("--size-mb", type=float, help="text: 200, attachments: 300 by default")
    parser.add_argument("--seed", type=int, default=1)
    parser.add_argument("--folders", type=int, default=DEFAULT_FOLDERS, help="for kind folders")
    args = parser.parse_args()
    if Path(args.output_dir).exists():
        sys.exit(f"{args.output_dir} exists already")
    manifest = generate(args.kind, args.output_dir, args.size_mb, args.seed, args.folders)
    print(json.dumps(manifest, indent=1))


if __name__ == "__main__":
    main()
