#!/usr/bin/env python3
"""Messages stored by our library must parse with Python's own email package into the same
leaves with the same decoded payload bytes."""
import email
import io
import email.policy
import subprocess
import sys


def read_line(stream):
    return stream.readline().rstrip(b"\n").decode()


def read_block(stream, size):
    data = stream.read(size)
    stream.read(1)  # the newline after the block
    return data


def main():
    tool, seed, count = sys.argv[1], sys.argv[2], sys.argv[3]
    proc = subprocess.run([tool, seed, count], stdout=subprocess.PIPE, check=True)
    stream = io.BytesIO(proc.stdout)
    failures = 0
    messages = 0
    while True:
        header = read_line(stream)
        if not header:
            break
        raw = read_block(stream, int(header.split()[1]))
        expected = []
        for _ in range(int(read_line(stream).split()[1])):
            content = read_block(stream, int(read_line(stream)))
            encoding = read_line(stream).lower()
            expected.append((content, encoding))
        messages += 1
        parsed = email.message_from_bytes(raw, policy=email.policy.compat32)
        leaves = [part for part in parsed.walk() if not part.is_multipart()]
        if len(leaves) != len(expected):
            print(f"message {messages}: {len(leaves)} leaves, expected {len(expected)}")
            failures += 1
            continue
        for index, (leaf, (content, encoding)) in enumerate(zip(leaves, expected)):
            payload = leaf.get_payload(decode=True) or b""
            if encoding == "quoted-printable":
                # Python's quopri turns CR LF line ends into LF.
                content = content.replace(b"\r\n", b"\n")
                payload = payload.replace(b"\r\n", b"\n")
            if payload != content:
                print(f"message {messages} leaf {index} ({encoding}): {payload[:60]!r} != {content[:60]!r}")
                failures += 1
    print(f"{messages} messages checked, {failures} differences")
    return 1 if failures or messages == 0 else 0


if __name__ == "__main__":
    sys.exit(main())
