#!/usr/bin/env python3
"""The bundled sample, converted and checked under a German, an English and the C locale: every
line the run shows comes from the catalog in that run's language, the file errors read as they
always have in German, and the files written are the same bytes in every language.

Usage: languages_check.py VANDREL_CLI SOURCE_DIR"""
import os
import re
import subprocess
import sys
import tempfile
from pathlib import Path

sys.path.insert(0, str(Path(__file__).resolve().parents[1] / "texts"))
from translations_check import read_po  # noqa: E402

failures = []


def check(condition, what):
    if not condition:
        failures.append(what)
        print("FAILED:", what)


# The environments a user may have; the locale variables are read in GNU order.
LANGUAGES = {
    "German": {"LANG": "de_DE.UTF-8"},
    "German by LANGUAGE": {"LANG": "en_US.UTF-8", "LANGUAGE": "fr:de"},
    "English": {"LANG": "en_US.UTF-8"},
    "C": {"LC_ALL": "C", "LANG": "de_DE.UTF-8", "LANGUAGE": "de"},
    "French": {"LANG": "fr_FR.UTF-8"},
}
GERMAN = {"German", "German by LANGUAGE"}


def environment(variables):
    env = {k: v for k, v in os.environ.items()
           if k not in ("LANGUAGE", "LC_ALL", "LC_MESSAGES", "LANG")}
    env.update(variables)
    return env


def pattern(text):
    """A catalog text as a regular expression for a whole line: placeholders match anything."""
    parts = re.split(r"(%[1-9])", text)
    body = "".join(".*" if re.fullmatch(r"%[1-9]", part) else re.escape(part) for part in parts)
    # A text that continues a line ("N" then " mails written.") follows a number.
    return re.compile((r"\d+" if text.startswith(" ") else "") + body + r"\s*")


WORD = re.compile(r"[^\W\d_]{2,}")


def catalog(source_dir):
    """Each language's texts as patterns, and the words only that language's texts use."""
    patterns = {"English": [], "German": []}
    words = {"English": set(), "German": set()}
    for (context, msgid), entry in read_po(source_dir / "po" / "de.po").items():
        if not msgid or entry["obsolete"]:
            continue
        texts = [(msgid, entry["msgstr"].get(0, ""))]
        if "msgid_plural" in entry:
            texts.append((entry["msgid_plural"], entry["msgstr"].get(1, "")))
        for en, de in texts:
            words["English"].update(WORD.findall(re.sub(r"%[1-9]", "", en)))
            words["German"].update(WORD.findall(re.sub(r"%[1-9]", "", de)))
            for line_en, line_de in zip(en.split("\n"), de.split("\n")):
                # Texts of nothing but placeholders and signs say nothing about the language.
                if not re.search(r"[A-Za-z]{2}", re.sub(r"%[1-9]", "", line_en)):
                    continue
                patterns["English"].append(pattern(line_en))
                patterns["German"].append(pattern(line_de))
    only = {"English": words["English"] - words["German"],
            "German": words["German"] - words["English"]}
    return patterns, only


# Lines made of data alone: check's folder lines and the lists of named files under a heading.
DATA_LINE = re.compile(r"\s+\d+  .*  ->  .*|  \S.*")


def check_lines(name, lines, catalog_texts):
    """Each line is one of the run's language's texts; a line made of several (check's totals)
    uses words of that language and none that only the other uses."""
    patterns, only = catalog_texts
    expected = "German" if name in GERMAN else "English"
    other = "English" if expected == "German" else "German"
    for line in lines:
        if not line.strip() or DATA_LINE.fullmatch(line):
            continue
        if any(regex.fullmatch(line) for regex in patterns[expected]):
            continue
        words = set(WORD.findall(line))
        check(words & only[expected] and not words & only[other],
              "%s run: %r is no %s text of the catalog" % (name, line, expected))


def masked(path):
    return re.sub(rb"__=_Part_Boundary_\d{3}_\d{6}\.\d{6}", b"BOUNDARY", path.read_bytes())


def run(cli, variables, *args):
    result = subprocess.run([cli, *args], capture_output=True, env=environment(variables),
                            timeout=300)
    return result.returncode, result.stdout.decode().splitlines() + result.stderr.decode().splitlines()


def main():
    cli, source_dir = sys.argv[1], Path(sys.argv[2])
    sample = source_dir / "examples" / "calypso-export" / "export.txt"
    catalog_texts = catalog(source_dir)
    written = {}
    with tempfile.TemporaryDirectory(prefix="vandrel-languages-") as work:
        work = Path(work)
        for name, variables in LANGUAGES.items():
            out = work / ("run%d" % len(written))
            (out / "mbox").mkdir(parents=True)
            (out / "maildir").mkdir()
            status, lines = run(cli, variables, "check", str(sample), str(out / "mbox" / "mail.mbx"))
            check(status == 0, "%s check exits 0 (%d)" % (name, status))
            check_lines(name, lines, catalog_texts)
            status, lines = run(cli, variables, "convert", str(sample), str(out / "mbox" / "mail.mbx"))
            check(status == 0, "%s convert exits 0 (%d)" % (name, status))
            check_lines(name, lines, catalog_texts)
            status, lines = run(cli, variables, "convert", "--maildir", str(out / "maildir"),
                                str(sample))
            check(status == 0, "%s Maildir convert exits 0 (%d)" % (name, status))
            check_lines(name, lines, catalog_texts)

            missing_folder = out / "nowhere" / "mail.mbx"
            status, lines = run(cli, variables, "convert", str(sample), str(missing_folder))
            check(status == 1, "%s convert into a missing folder exits 1 (%d)" % (name, status))
            check_lines(name, lines, catalog_texts)
            german = name in GERMAN
            expected = ("Fehler: %s enthält eine ungültige Pfadangabe." if german
                        else "Error: %s contains an invalid path.") % missing_folder
            check(lines[-1:] == [expected], "%s: %r ends the run" % (name, lines[-1:]))
            status, lines = run(cli, variables, "convert", str(out / "missing.txt"),
                                str(out / "mbox" / "m.mbx"))
            expected = ("Fehler: %s wurde nicht gefunden." if german
                        else "Error: %s was not found.") % (out / "missing.txt")
            check(status == 1 and lines[-1:] == [expected], "%s: %r ends the run" % (name, lines[-1:]))
            check_lines(name, lines, catalog_texts)

            written[name] = {
                str(path.relative_to(out)): masked(path)
                for path in sorted((out / "mbox").iterdir())}
            for path in sorted((out / "maildir").rglob("*")):
                if path.is_file() and path.parent.name in ("new", "cur"):
                    key = str(path.parent.relative_to(out))
                    written[name].setdefault(key, []).append(masked(path))
            for key in written[name]:
                if isinstance(written[name][key], list):
                    written[name][key] = sorted(written[name][key])

    first = next(iter(written))
    check(len(written[first]) >= 8, "the sample gives files and folders (%d)" % len(written[first]))
    for name in written:
        check(written[name] == written[first],
              "%s writes the same files and bytes as %s run" % (name, first))
    if failures:
        print("%d failures" % len(failures))
        return 1
    print("every run spoke its language; the files are the same in all of them")
    return 0


if __name__ == "__main__":
    sys.exit(main())
