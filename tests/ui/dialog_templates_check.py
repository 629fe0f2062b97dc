"""The Windows dialog's templates: each dialog of vandrel_win32.rc is there in English and in
German with the same controls in the same order (only the sizes may differ), and every text of
the German one is the catalog's German for the English one's text. A button's text is looked up
in the context "button", as the program looks it up.

Usage: dialog_templates_check.py RESOURCE_SCRIPT GERMAN_CATALOG_MO"""
import gettext
import re
import sys

ENGLISH = "LANG_ENGLISH, SUBLANG_ENGLISH_US"
GERMAN = "LANG_GERMAN, SUBLANG_GERMAN"
BUTTONS = {"PUSHBUTTON", "DEFPUSHBUTTON"}
# The main dialog's caption is the program's name, and its version at run time.
NAMES = {"Vandrel"}


def arguments(text):
    """The comma-separated arguments of a statement, strings kept whole."""
    return [part.strip() for part in re.findall(r'(?:"(?:[^"]|"")*"|[^,])+', text)]


def statements(path):
    """The script's statements, without comments, a statement continued over lines joined."""
    joined = []
    with open(path, encoding="utf-8") as script:
        for line in script:
            line = re.sub(r"^\s*//.*", "", line).rstrip()
            if not line:
                continue
            if joined and joined[-1].endswith(("|", ",")):
                joined[-1] += " " + line.strip()
            else:
                joined.append(line.strip())
    return joined


def dialogs(path):
    """{(language, name): {"caption": text, "controls": [(keyword, text, id, rest)]}}"""
    found, language, dialog = {}, None, None
    for statement in statements(path):
        word, _, rest = statement.partition(" ")
        if word == "LANGUAGE":
            language = rest.strip()
        elif rest.startswith("DIALOGEX"):
            dialog = {"caption": None, "controls": [], "open": False}
            found[(language, word)] = dialog
        elif dialog is None:
            continue
        elif word == "CAPTION":
            dialog["caption"] = rest.strip()[1:-1]
        elif word == "BEGIN":
            dialog["open"] = True
        elif word == "END":
            dialog = None
        elif dialog["open"]:
            args = arguments(rest)
            text = args.pop(0)[1:-1] if args[0].startswith('"') else None
            # The id, then for CONTROL the class and style before the four numbers of its place;
            # for the others the place comes first and the style after it.
            if word == "CONTROL":
                kept = args[:3]
            else:
                kept = args[:1] + args[5:]
            dialog["controls"].append((word, text, kept))
    return found


def main():
    script, catalog_file = sys.argv[1:3]
    with open(catalog_file, "rb") as mo:
        catalog = gettext.GNUTranslations(mo)
    known = catalog._catalog  # noqa: SLF001 - the keys tell a text without German apart

    def german(english, context):
        key = f"{context}\x04{english}" if context else english
        if english in NAMES:
            return english
        if key not in known:
            raise AssertionError(f"{english!r} is not in the catalog (context {context})")
        return known[key]

    found = dialogs(script)
    names = {name for language, name in found if language == ENGLISH}
    expect(names and names == {name for language, name in found if language == GERMAN},
           f"the dialogs in each language: {sorted(found)}")
    problems = []
    for name in sorted(names):
        english, translated = found[(ENGLISH, name)], found[(GERMAN, name)]
        if translated["caption"] != german(english["caption"], None):
            problems.append(f"{name}: caption {translated['caption']!r}")
        if len(english["controls"]) != len(translated["controls"]):
            problems.append(f"{name}: {len(translated['controls'])} controls, not "
                            f"{len(english['controls'])}")
            continue
        for (word, text, kept), (word_de, text_de, kept_de) in zip(english["controls"],
                                                                    translated["controls"]):
            if (word, kept) != (word_de, kept_de):
                problems.append(f"{name}: {word_de} {kept_de} where English has {word} {kept}")
            elif text:
                wanted = german(text, "button" if word in BUTTONS else None)
                if text_de != wanted:
                    problems.append(f"{name}: {text_de!r} for {text!r}, the catalog says {wanted!r}")
            elif text_de:
                problems.append(f"{name}: {text_de!r} where English has no text")
    expect(not problems, "\n".join(problems))
    print(f"dialog templates check passed: {', '.join(sorted(names))}")


def expect(condition, message):
    if not condition:
        raise AssertionError(message)


if __name__ == "__main__":
    main()
