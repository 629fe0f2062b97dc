#!/usr/bin/env python3
"""Runs the README's conversion examples as they are written: every shell block that calls
vandrel-cli, line by line, in a temporary copy of the parts of the repository they name, with a
temporary HOME that holds a Thunderbird profile. Each conversion must exit 0, write all 12 sample
messages, and miss only the one file the sample leaves out on purpose; each check must tell as
much, in the language its line asks for, and write nothing. Where the README shows what a check
prints, it prints exactly that."""
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


# What the sample's runs end with, by the language a line asks for.
ENDINGS = {
    "English": {"check": "\n%d messages in 4 folders; 10 named files found, 1 missing.\n",
                "convert": "\n%d mails written.\n", "report": "1 file named"},
    "German": {"check": "\n%d Nachrichten in 4 Ordnern; 10 genannte Dateien gefunden, 1 fehlt.\n",
               "convert": "\n%d Mails geschrieben.\n", "report": "1 im Export genannte Datei"},
}


def shell_blocks(readme):
    return re.findall(r"```sh\n(.*?)```", readme, re.S)


def shown_outputs(readme):
    """The output the README shows right after a shell block, by that block."""
    fences = list(re.finditer(r"```(\w*)\n(.*?)```", readme, re.S))
    return {block.group(2): shown.group(2) for block, shown in zip(fences, fences[1:])
            if block.group(1) == "sh" and shown.group(1) == ""
            and not readme[block.end():shown.start()].strip()}


def user_environment(home):
    """A user's shell: English unless a line asks for another language itself."""
    env = {k: v for k, v in os.environ.items()
           if k not in ("LC_ALL", "LC_MESSAGES", "LANGUAGE")}
    env.update(HOME=str(home), LANG="en_US.UTF-8")
    return env


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


def run_block(block, shown):
    with tempfile.TemporaryDirectory() as tmp:
        work = Path(tmp)
        shutil.copytree(SOURCE / "examples" / "calypso-export", work / "examples" / "calypso-export")
        (work / "build" / "src" / "cli").mkdir(parents=True)
        os.symlink(CLI, work / "build" / "src" / "cli" / "vandrel-cli")
        home = work / "home"
        make_profile(home)
        env = user_environment(home)
        for line in block.splitlines():
            line = line.strip()
            if not line or line.startswith("#"):
                continue
            before = mbox_files(work)
            result = subprocess.run(["bash", "-c", line], cwd=work, env=env, capture_output=True)
            check(result.returncode == 0, "%s exits 0 (%d): %r" % (line, result.returncode, result.stdout[-300:]))
            if "vandrel-cli" not in line:
                continue
            endings = ENDINGS["German" if "LANG=de_DE" in line else "English"]
            if "vandrel-cli check" in line:
                told = result.stdout.decode()
                check(told.endswith(endings["check"] % SAMPLE_MESSAGES) and MISSING_ON_PURPOSE in told,
                      "%s tells every folder and file: %r" % (line, told[-300:]))
                check(shown is None or told == shown,
                      "%s prints what the README shows: %r" % (line, told))
                check(mbox_files(work) == before, "%s writes nothing" % line)
                continue
            log = result.stdout.decode()
            check(log.endswith(endings["convert"] % SAMPLE_MESSAGES), "%s writes every message: %r" % (line, log[-200:]))
            report = result.stderr.decode()
            check(report.startswith(endings["report"]) and MISSING_ON_PURPOSE in report,
                  "%s finds every file there is: %r" % (line, report))
            written = [p for p, stamp in mbox_files(work).items() if before.get(p) != stamp]
            total = sum(messages_in(p) for p in written)
            check(total == SAMPLE_MESSAGES, "%s: %d messages in %s" % (line, total, written))


def main():
    readme = (SOURCE / "README.md").read_text()
    blocks = [b for b in shell_blocks(readme) if "vandrel-cli " in b]
    check(len(blocks) >= 3, "the README shows its conversion examples (%d blocks)" % len(blocks))
    outputs = shown_outputs(readme)
    check(len(outputs) >= 2, "the README shows what check prints, in English and German (%d)" % len(outputs))
    for block in blocks:
        run_block(block, outputs.get(block))
    print("%d failures" % len(failures))
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
