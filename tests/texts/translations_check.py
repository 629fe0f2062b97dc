#!/usr/bin/env python3
"""Every text the sources mark has its German in po/de.po, with the same placeholders, and
po/de.po holds nothing the sources no longer use.

Usage: translations_check.py SOURCE_DIR WORK_DIR
"""
import re
import subprocess
import sys
from pathlib import Path

PLACEHOLDER = re.compile(r"%[1-9]")


def unquote(text):
    """The value of a C string literal as .po files write it."""
    escapes = {"n": "\n", "t": "\t", '"': '"', "\\": "\\", "r": "\r", "a": "\a"}
    out, i = [], 0
    body = text[1:-1]
    while i < len(body):
        if body[i] == "\\" and i + 1 < len(body):
            out.append(escapes.get(body[i + 1], "\\" + body[i + 1]))
            i += 2
        else:
            out.append(body[i])
            i += 1
    return "".join(out)


def read_po(path):
    """Entries keyed by (context, msgid): dict of msgid_plural, msgstr forms, flags, obsolete."""
    entries, entry, field = {}, None, None

    def finish():
        if entry is not None and "msgid" in entry:
            key = (entry.get("msgctxt"), entry["msgid"])
            if key in entries:
                raise SystemExit(f"{path}: {key!r} appears twice")
            entries[key] = entry

    for number, line in enumerate(path.read_text(encoding="utf-8").splitlines(), 1):
        obsolete = line.startswith("#~")
        if obsolete:
            line = line[2:].lstrip()
        if not line.strip():
            finish()
            entry, field = None, None
            continue
        if entry is None:
            entry = {"flags": set(), "msgstr": {}, "obsolete": False}
        entry["obsolete"] |= obsolete
        if line.startswith("#,"):
            entry["flags"] |= {flag.strip() for flag in line[2:].split(",")}
        elif line.startswith("#"):
            continue
        elif line.startswith('"'):
            if field is None:
                raise SystemExit(f"{path}:{number}: a string continues nothing")
            kind, index = field
            if kind == "msgstr":
                entry["msgstr"][index] += unquote(line)
            else:
                entry[kind] += unquote(line)
        else:
            match = re.match(r'(msgctxt|msgid_plural|msgid|msgstr)(?:\[(\d+)\])?\s+(".*")$', line)
            if not match:
                raise SystemExit(f"{path}:{number}: cannot read {line!r}")
            kind, index, value = match.group(1), int(match.group(2) or 0), match.group(3)
            if kind == "msgstr":
                entry["msgstr"][index] = unquote(value)
            else:
                entry[kind] = unquote(value)
            field = (kind, index)
    finish()
    return entries


def main():
    source_dir, work_dir = Path(sys.argv[1]), Path(sys.argv[2])
    template = work_dir / "vandrel.pot"
    subprocess.run([str(source_dir / "po" / "extract-texts"), str(template)], check=True)
    marked = read_po(template)
    german = read_po(source_dir / "po" / "de.po")
    problems = []

    header = german.get((None, ""))
    if not header or "Plural-Forms: nplurals=2; plural=(n != 1);" not in header["msgstr"][0]:
        problems.append("po/de.po: the header must say Plural-Forms: nplurals=2; plural=(n != 1);")

    # The program picks plural forms by "one, and every other count" in both languages.
    for key, entry in marked.items():
        if key == (None, ""):
            continue
        shown = f"{key[1]!r}" + (f" (context {key[0]!r})" if key[0] else "")
        translation = german.get(key)
        if translation is None or translation["obsolete"]:
            problems.append(f"no German for {shown}")
            continue
        if "fuzzy" in translation["flags"]:
            problems.append(f"the German of {shown} is marked fuzzy")
        forms = translation["msgstr"]
        englishes = [entry["msgid"]]
        if "msgid_plural" in entry:
            englishes.append(entry["msgid_plural"])
            if "msgid_plural" not in translation or translation["msgid_plural"] != entry["msgid_plural"]:
                problems.append(f"the German of {shown} has another plural")
        for index, english in enumerate(englishes):
            text = forms.get(index, "")
            if not text:
                problems.append(f"no German for {shown}, form {index}")
                continue
            if sorted(PLACEHOLDER.findall(english)) != sorted(PLACEHOLDER.findall(text)):
                problems.append(f"placeholders differ: {english!r} and {text!r}")
            if english.endswith("\n") != text.endswith("\n"):
                problems.append(f"line ends differ: {english!r} and {text!r}")

    for key, entry in german.items():
        if key != (None, "") and key not in marked:
            problems.append(f"po/de.po holds a text no source uses: {key[1]!r}"
                            + (" (obsolete: remove it)" if entry["obsolete"] else ""))

    for problem in problems:
        print(problem)
    if problems:
        print(f"{len(problems)} problems; scripts/update-translations merges new texts into po/de.po")
        return 1
    print(f"{len(marked) - 1} texts, each in English and German with the same placeholders")
    return 0


if __name__ == "__main__":
    sys.exit(main())
