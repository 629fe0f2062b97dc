#!/usr/bin/env python3
"""The scale run's generators write the same bytes for the same seed and what their manifests
claim; the run's output comparison tells boundary digits from real differences.

Usage: scale_export_check.py BENCH_DIR"""
import collections
import re
import sys
import tempfile
from pathlib import Path

sys.dont_write_bytecode = True  # nothing written into the source tree
sys.path.insert(0, sys.argv[1])
import scale_bench  # noqa: E402
import scale_export  # noqa: E402

failures = []


def check(condition, what):
    if not condition:
        failures.append(what)
        print("FAILED:", what)


def tree(folder):
    return {str(p.relative_to(folder)): p.read_bytes() for p in sorted(folder.rglob("*")) if p.is_file()}


def messages_of(data):
    starts = [m.start() for m in re.finditer(rb"(?:^|(?<=\r\n))From \?\?\?@\?\?\? ", data)]
    return [data[a:b] for a, b in zip(starts, starts[1:] + [len(data)])]


def common_checks(kind, folder, manifest):
    data = (folder / "export.txt").read_bytes()
    messages = messages_of(data)
    check(b"".join(messages) == data, f"{kind}: the export starts with a separator line")
    check(manifest["messages"] == len(messages), f"{kind}: {manifest['messages']} messages claimed, "
          f"{len(messages)} separator lines")
    check(manifest["export_bytes"] == len(data), f"{kind}: export size as claimed")
    check(manifest["largest_message_bytes"] == max(map(len, messages)), f"{kind}: largest message as claimed")
    check(data.count(b"\n") == data.count(b"\r\n") == data.count(b"\r"), f"{kind}: every line ends in CR LF")
    try:
        data.decode("cp1252")
    except UnicodeDecodeError as error:
        check(False, f"{kind}: not Windows-1252: {error}")
    folders = collections.Counter(re.findall(rb"\r\nX-CalypsoFolder: ([^\r\n]*)", data))
    check(len(folders) == manifest["folders"], f"{kind}: {manifest['folders']} folders claimed, {len(folders)} found")
    check(sum(folders.values()) == len(messages), f"{kind}: every message names its folder")
    return data, messages


def same_seed_same_bytes(tmp, kind, **options):
    first = scale_export.generate(kind, tmp / f"{kind}-a", seed=5, **options)
    second = scale_export.generate(kind, tmp / f"{kind}-b", seed=5, **options)
    other = scale_export.generate(kind, tmp / f"{kind}-c", seed=6, **options)
    check(first == second, f"{kind}: same manifest for the same seed")
    check(tree(tmp / f"{kind}-a") == tree(tmp / f"{kind}-b"), f"{kind}: same bytes for the same seed")
    check((tmp / f"{kind}-a" / "export.txt").read_bytes() != (tmp / f"{kind}-c" / "export.txt").read_bytes(),
          f"{kind}: another seed, another export")
    return tmp / f"{kind}-a", first


def text_export(tmp):
    folder, manifest = same_seed_same_bytes(tmp, "text", size_mb=0.5)
    data, messages = common_checks("text", folder, manifest)
    target = 0.5 * scale_export.MB
    check(target <= len(data) < target + manifest["largest_message_bytes"], "text: the size asked for")
    check(manifest["folders"] == 10, "text: ten folders")
    check(any(byte >= 0x80 for byte in data), "text: 8-bit text")
    check(re.search(rb"\r\nSubject: [^\r\n]*=\?[-\w]+\?[QB]\?", data) is not None, "text: encoded-word subjects")
    body_from = sum(1 for m in messages if re.search(rb"\r\n\r\n(?:.*\r\n)*From (?!\?\?\?@)", m))
    check(body_from > 0, "text: body lines that start with \"From \"")
    check(1000 <= len(data) / len(messages) <= 5000, f"text: a few KB a message ({len(data) / len(messages):.0f} bytes)")


def attachments_export(tmp):
    folder, manifest = same_seed_same_bytes(tmp, "attachments", size_mb=20)
    data, _ = common_checks("attachments", folder, manifest)
    named = re.findall(rb'\r\nX-Attachment: "C:\\Calypso\\Attach\\([^"\r\n]+)"; (\d+)(?=\r\n)', data)
    check(len(named) == data.count(b"X-Attachment: ") == manifest["attachment_files"],
          f"attachments: {manifest['attachment_files']} files claimed, {len(named)} lines")
    files = folder / "attachments"
    on_disk = {p.name: p.stat().st_size for p in files.iterdir()}
    wanted = {name.decode("cp1252"): int(size) for name, size in named}
    check(on_disk == wanted, "attachments: every named file exists with the size its line gives, and no other")
    check(sum(on_disk.values()) == manifest["attachment_bytes"], "attachments: file bytes as claimed")
    check(manifest["attachment_bytes"] > 0.9 * (manifest["attachment_bytes"] + len(data)),
          "attachments: the files make most of the bytes")
    extensions = {Path(name).suffix.lower() for name in on_disk}
    check(len(extensions) >= 5 and {".jpg", ".pdf", ".txt"} <= extensions, f"attachments: several types {extensions}")
    check(any(not name.isascii() for name in on_disk), "attachments: names with 8-bit letters")


def folders_export(tmp):
    folder, manifest = same_seed_same_bytes(tmp, "folders", folders=50)
    common_checks("folders", folder, manifest)
    check(manifest["messages"] == manifest["folders"] == 50, "folders: one message in each of 50 folders")


def cache_reuses_complete_exports(tmp):
    folder, manifest, made = scale_export.cached("text", tmp / "cache", 0.05, 2)
    again, manifest_again, made_again = scale_export.cached("text", tmp / "cache", 0.05, 2)
    check(made and not made_again and folder == again and manifest == manifest_again, "cache: reused")
    other, _, made_other = scale_export.cached("text", tmp / "cache", 0.05, 3)
    check(made_other and other != folder, "cache: another seed is generated")
    with open(folder / "export.txt", "ab") as export:
        export.write(b"x")
    _, _, remade = scale_export.cached("text", tmp / "cache", 0.05, 2)
    check(remade, "cache: an export of the wrong size is generated again")


def output_comparison(tmp):
    a, b = tmp / "out-a", tmp / "out-b"
    a.mkdir()
    b.mkdir()
    body = (b"From a@b.de Mon Jan  1 00:00:00 2001\nContent-Type: multipart/mixed; "
            b"boundary=\"__=_Part_Boundary_%s\"\n\n>From here\n--__=_Part_Boundary_%s--\n"
            b"From c@d.de Mon Jan  1 00:00:00 2001\nContent-Description: text file\n\nx\n")
    (a / "mailInbox.mbx").write_bytes(body % (b"001_123456.654321", b"001_123456.654321") * 3000)
    (b / "mailInbox.mbx").write_bytes(body % (b"001_999999.000001", b"001_999999.000001") * 3000)
    check(scale_bench.compare_outputs(a, b) is None, "comparison: boundary digits are masked")
    changed = bytearray((b / "mailInbox.mbx").read_bytes())
    changed[200_000] ^= 1
    (b / "mailInbox.mbx").write_bytes(bytes(changed))
    difference = scale_bench.compare_outputs(a, b)
    check(difference is not None and "byte 200000" in difference, f"comparison: a changed byte is found: {difference}")
    (b / "mailInbox.mbx").write_bytes((a / "mailInbox.mbx").read_bytes()[:-1])
    check(scale_bench.compare_outputs(a, b) is not None, "comparison: a shorter file differs")
    (b / "mailInbox.mbx").write_bytes((a / "mailInbox.mbx").read_bytes())
    (b / "mailSent.mbx").write_bytes(b"")
    check(scale_bench.compare_outputs(a, b) is not None, "comparison: an extra file differs")
    messages, largest, attached = scale_bench.scan_output([a / "mailInbox.mbx"])
    check((messages, attached) == (6000, 3000), f"scan: 6000 messages, 3000 attached parts: {messages}, {attached}")
    check(largest == body.index(b"From c") - 4 + 2 * len(b"001_123456.654321"), f"scan: largest message {largest}")


def main():
    for step in (text_export, attachments_export, folders_export, cache_reuses_complete_exports,
                 output_comparison):
        with tempfile.TemporaryDirectory() as tmp:
            step(Path(tmp))
    print("%d failures" % len(failures))
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
