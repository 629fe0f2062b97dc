#!/usr/bin/env python3
"""Runs the README's conversion examples as they are written: every shell block that calls
vandrel-cli, line by line, in a temporary copy of the parts of the repository they name, with a
temporary HOME that holds a Thunderbird profile. Each conversion must exit 0, write all 12 sample
messages, and miss only the one file the sample leaves out on purpose; each check must tell as
much and write nothing."""
import mailbox
import os
import re
import shutil
import subprocess
import sys
import tempfile
from pathlib import Path

import profile_fixture

CLI = Path(sys.argv[1]).resolve()
SOURCE = Path(sys.argv[2]).resolve()
SAMPLE_MESSAGES = 12
MISSING_ON_PURPOSE = "C:\\Calypso\\Attach\\DSC00417.JPG"
failures = []


def check(condition, what):
    if not condition:
        failures.append(what)
        print("FAILED:", what)


def shell_blocks(readme):
    return re.findall(r"```sh\n(.*?)```", readme, re.S)


def make_profile(home):
    """The profile the README names, which Thunderbird also opens by default."""
    return profile_fixture.make_profile(home / ".thunderbird", "abcd1234.default-release")


def mbox_files(root):
    found = {}
    for path in root.rglob("*"):
        if path.is_file() and not path.name.endswith((".msf", ".json", ".js", ".ini", ".txt")) \
                and "examples" not in path.parts and "build" not in path.parts:
            found[path] = path.stat().st_mtime_ns
    return found


def messages_in(path):
    """An mbox file's messages; a maildir message file is one, a Maildir++ marker none."""
    if path.parent.name == "cur":
        return 1
    if path.name == "maildirfolder":
        return 0
    return len(mailbox.mbox(str(path), create=False))


def run_block(block):
    with tempfile.TemporaryDirectory() as tmp:
        work = Path(tmp)
        shutil.copytree(SOURCE / "examples" / "calypso-export", work / "examples" / "calypso-export")
        (work / "build" / "src" / "cli").mkdir(parents=True)
        os.symlink(CLI, work / "build" / "src" / "cli" / "vandrel-cli")
        home = work / "home"
        make_profile(home)
        env = dict(os.environ, HOME=str(home))
        for line in block.splitlines():
            line = line.strip()
            if not line or line.startswith("#"):
                continue
            before = mbox_files(work)
            result = subprocess.run(["bash", "-c", line], cwd=work, env=env, capture_output=True)
            check(result.returncode == 0, "%s exits 0 (%d): %r" % (line, result.returncode, result.stdout[-300:]))
            if "vandrel-cli" not in line:
                continue
            if "vandrel-cli check" in line:
                told = result.stdout.decode()
                check(told.endswith("\n%d messages in 4 folders; 10 named files found, 1 missing.\n" %
                                    SAMPLE_MESSAGES) and MISSING_ON_PURPOSE in told,
                      "%s tells every folder and file: %r" % (line, told[-300:]))
                check(mbox_files(work) == before, "%s writes nothing" % line)
                continue
            log = result.stdout.decode()
            check(log.endswith("\n%d mails written.\n" % SAMPLE_MESSAGES), "%s writes every message: %r" % (line, log[-200:]))
            report = result.stderr.decode()
            check(report.startswith("1 file named") and MISSING_ON_PURPOSE in report,
                  "%s finds every file there is: %r" % (line, report))
            written = [p for p, stamp in mbox_files(work).items() if before.get(p) != stamp]
            total = sum(messages_in(p) for p in written)
            check(total == SAMPLE_MESSAGES, "%s: %d messages in %s" % (line, total, written))


def main():
    blocks = [b for b in shell_blocks((SOURCE / "README.md").read_text()) if "vandrel-cli " in b]
    check(len(blocks) >= 3, "the README shows its conversion examples (%d blocks)" % len(blocks))
    for block in blocks:
        run_block(block)
    print("%d failures" % len(failures))
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
