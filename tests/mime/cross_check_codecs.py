#!/usr/bin/env python3
"""Checks the transfer codecs against Python's own.

What vandrel_codec_tool encodes, binascii and quopri must decode back to the same bytes, and
what binascii encodes, the tool must decode back; quoted-printable lines stay within 76
characters. Usage: cross_check_codecs.py PATH_TO_CODEC_TOOL
"""
import binascii
import quopri
import random
import subprocess
import sys

SEED = 20240611


def records(items):
    return b"".join(b"%d\n" % len(item) + item for item in items)


def parse_records(data):
    items, at = [], 0
    while at < len(data):
        newline = data.index(b"\n", at)
        length = int(data[at:newline])
        items.append(data[newline + 1:newline + 1 + length])
        at = newline + 1 + length
    return items


def run_tool(tool, mode, items):
    done = subprocess.run([tool, mode], input=records(items), stdout=subprocess.PIPE, check=True)
    outputs = parse_records(done.stdout)
    if len(outputs) != len(items):
        raise RuntimeError("%s returned %d records for %d" % (mode, len(outputs), len(items)))
    return outputs


def text_with_crlf(rng, size):
    words = [b"Gr\xfc\xdfe", b"aus", b"K\xf6ln", b"a=b", b"100%", b"Ende.", b"x", b"\t", b"=",
             b"caf\xe9", b"--", b"..", b"Nachricht"]
    ends = [b"\r\n", b"\r\n", b" \r\n", b"\t\r\n", b"\r\n\r\n", b"\n"]
    out = bytearray()
    while len(out) < size:
        line = b" ".join(rng.choice(words) for _ in range(rng.randint(1, 25)))
        out += line + rng.choice(ends)
    return bytes(out[:size])


def blank_and_dot_lines(rng, size):
    lines = [b"", b".", b" ", b"\t", b"..", b" .", b". ", b"  "]
    ends = [b"\r\n", b"\r\n", b"\n", b"\r"]
    out = bytearray()
    while len(out) < size:
        out += rng.choice(lines) + rng.choice(ends)
    return bytes(out[:size])


def make_inputs(rng):
    inputs = [b"", b"a", b" ", b"=", b".", b"\r\n.\r\n", b"a" * 76, b"a " + b"x" * 73 + b"\xff" + b"y"]
    for _ in range(60):
        size = rng.randint(0, 3000)
        inputs.append(bytes(rng.getrandbits(8) for _ in range(size)))
        inputs.append(text_with_crlf(rng, size))
        inputs.append(blank_and_dot_lines(rng, size))
        inputs.append(bytes(rng.randint(0x20, 0x7E) for _ in range(size)))
    return inputs


def wrap_crlf(text, width=76):
    return b"".join(text[i:i + width] + b"\r\n" for i in range(0, len(text), width))


def longest_line(text):
    return max(len(line) for line in text.replace(b"\r\n", b"\n").replace(b"\r", b"\n").split(b"\n"))


def check(inputs, tool):
    failures = []

    def expect(ok, what, data):
        if not ok:
            failures.append("%s (input of %d bytes: %r...)" % (what, len(data), data[:40]))

    for data, encoded in zip(inputs, run_tool(tool, "base64-encode", inputs)):
        expect(binascii.a2b_base64(encoded) == data, "binascii cannot decode our base64", data)
        expect(not encoded or longest_line(encoded) <= 76, "base64 line over 76", data)

    for data, encoded in zip(inputs, run_tool(tool, "qp-encode", inputs)):
        expect(binascii.a2b_qp(encoded) == data, "binascii cannot decode our quoted-printable", data)
        expect(quopri.decodestring(encoded) == data, "quopri cannot decode our quoted-printable", data)
        expect(not encoded or longest_line(encoded) <= 76, "quoted-printable line over 76", data)

    theirs = [wrap_crlf(binascii.b2a_base64(data, newline=False)) for data in inputs]
    for data, decoded in zip(inputs, run_tool(tool, "base64-decode", theirs)):
        expect(decoded == data, "we cannot decode binascii's base64", data)

    # Binary mode escapes CR and LF, so every line end left is a soft break; ours are CR LF.
    theirs = [binascii.b2a_qp(data, istext=False).replace(b"=\r\n", b"=\n").replace(b"=\n", b"=\r\n")
              for data in inputs]
    for data, decoded in zip(inputs, run_tool(tool, "qp-decode", theirs)):
        expect(decoded == data, "we cannot decode binascii's quoted-printable", data)
    return failures


def main():
    if len(sys.argv) != 2:
        print(__doc__, file=sys.stderr)
        return 2
    inputs = make_inputs(random.Random(SEED))
    failures = check(inputs, sys.argv[1])
    for failure in failures[:20]:
        print(failure)
    print("%d inputs, %d failures" % (len(inputs), len(failures)))
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
