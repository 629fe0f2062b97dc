#!/usr/bin/env python3
"""Reads the encoded words that our field codecs write with an independent RFC 2047 decoder,
Python's email.header, and checks that it finds the same bytes as our own decoder.

Usage: field_codec_cross_check.py PATH_TO_field_codec_tool
"""
import random
import subprocess
import sys
from email.header import decode_header, make_header

FOLD = b"\r\n\t"
FIELDS = ["Subject", "To", "Content-Type", "X-Other"]
CHARSETS = ["iso-8859-1", "utf-8", "windows-1252", "x-" + "a" * 38]


def run_tool(tool, requests):
    """Sends (direction, field, charset, data) requests to the tool, returns its answers."""
    stream = b""
    for direction, field, charset, data in requests:
        words = [direction, field] + ([charset] if direction == "encode" else []) + [str(len(data))]
        stream += " ".join(words).encode("ascii") + b"\n" + data
    out = subprocess.run([tool], input=stream, stdout=subprocess.PIPE, check=True).stdout
    answers = []
    while out:
        count, _, out = out.partition(b"\n")
        answers.append(out[:int(count)])
        out = out[int(count):]
    assert len(answers) == len(requests), "the tool answered fewer requests than it got"
    return answers


def python_decode(encoded):
    # Encoded output is ASCII by construction: every 8-bit byte must sit inside a word.
    parts = decode_header(encoded.decode("ascii"))
    return b"".join(p if isinstance(p, bytes) else p.encode("latin-1") for p, _ in parts)


def ascii_word(rng):
    return bytes(rng.choice(b"abcdefXYZ0129-+!'/*") for _ in range(rng.randint(1, 10)))


def eight_bit_word(rng, length):
    word = bytes([rng.randint(0x80, 0xFF)])
    while len(word) < length:
        word += bytes([rng.randint(0x80, 0xFF) if rng.random() < 0.5 else rng.choice(b"abc?_")])
    return word


def inner(rng, closer):
    pieces = [rng.choice([ascii_word(rng), eight_bit_word(rng, rng.randint(1, 8)), b" ", b","])
              for _ in range(rng.randint(0, 5))]
    return b"".join(pieces).replace(closer, b"")


def random_value(rng):
    """A value without leading blanks, line breaks or "=?" outside encoded words."""
    pieces = []
    for _ in range(rng.randint(1, 12)):
        pieces.append(rng.choice([
            ascii_word(rng),
            eight_bit_word(rng, rng.randint(1, 12)),
            eight_bit_word(rng, rng.randint(1, 12)),
            b" " * rng.randint(1, 3),
            rng.choice([b",", b", ", b";", b"; ", b":", b"@", b"."]),
            b'"' + inner(rng, b'"') + b'"',
            b"(" + inner(rng, b")") + b")",
            b"<" + inner(rng, b">") + b">",
            eight_bit_word(rng, rng.randint(80, 200)),
            b" ".join(eight_bit_word(rng, rng.randint(1, 8)) for _ in range(rng.randint(3, 20))),
        ]))
    return b"".join(pieces).lstrip(b" ")


def fixed_cases():
    """Text values with real charsets, also checked as text through make_header."""
    return [
        ("Subject", "iso-8859-1", "Grüße aus Köln".encode("latin-1")),
        ("Subject", "iso-8859-1", ("Ärger über Übergrößen " * 8).encode("latin-1")),
        ("Subject", "utf-8", "Ελληνικά και 日本語のテキスト".encode("utf-8")),
        ("Subject", "utf-8", ("Çà et là, déjà vu? = _ " * 6).encode("utf-8")),
        ("Subject", "iso-8859-9", bytes([0xE9]) * 100),
    ]


def check_all(tool, cases):
    """Returns (case, encoded, problem) for every case on which the decoders disagree."""
    encoded = run_tool(tool, [("encode", f, c, v) for f, c, v in cases])
    ours = run_tool(tool, [("decode", f, "", e) for (f, _, _), e in zip(cases, encoded)])
    failures = []
    for case, enc, our in zip(cases, encoded, ours):
        field, _, value = case
        our = our.replace(FOLD, b"")
        try:
            theirs = python_decode(enc.replace(FOLD, b""))
        except Exception as error:  # noqa: BLE001 - any decoder failure is a finding
            failures.append((case, enc, f"python could not decode: {error!r}"))
            continue
        if theirs != our:
            failures.append((case, enc, f"python {theirs!r} != ours {our!r}"))
        elif field == "Subject" and theirs != value:
            failures.append((case, enc, f"decoded {theirs!r}"))
    return failures


def main():
    if len(sys.argv) != 2:
        print(__doc__, file=sys.stderr)
        return 2
    tool = sys.argv[1]
    rng = random.Random(2047)
    cases = fixed_cases() + [(field, charset, random_value(rng))
                             for field in FIELDS for charset in CHARSETS for _ in range(25)]
    failures = check_all(tool, cases)
    encoded = run_tool(tool, [("encode", f, c, v) for f, c, v in fixed_cases()])
    for (field, charset, value), enc in zip(fixed_cases(), encoded):
        text = str(make_header(decode_header(enc.decode("ascii"))))
        if text != value.decode(charset):
            failures.append(((field, charset, value), enc, f"make_header gave {text!r}"))
    for (field, charset, value), enc, problem in failures[:5]:
        print(f"{field} [{charset}] {value!r}\n  encoded {enc!r}\n  {problem}", file=sys.stderr)
    print(f"{len(cases)} values checked, {len(failures)} failed")
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
