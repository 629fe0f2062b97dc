"""vandrel.exe under Wine speaks the user's language: with a German locale the main dialog and
the "Mail account" dialog show German texts (the buttons, the destinations, the labels, what to
correct) on their German templates, which are wider than the English ones; with an English
locale the same controls are English. Wine takes the user's language from LC_ALL, LC_MESSAGES
or LANG, and needs the locale itself installed to go on reading names outside ASCII; without
de_DE.UTF-8 the check is skipped (scripts/test-windows generates it).

Usage: dialog_language_check.py VANDREL_EXE DIALOG_REMOTE_EXE GERMAN_CATALOG_MO CHOICES_HEADER"""
import gettext
import os
import sys

from dialog_check import Dialog, expect, table_choices
from wine_tools import has_locale, lines, run

SKIPPED = 77
BUTTONS = [1, 1002, 1004, 2]  # Convert, Get Mailbox, Set Output, Exit
LABELS = [1110, 1111, 1112, 1113, 1114, 1, 2]  # the account dialog's labels, OK, Cancel
PROBLEM, SET_OUTPUT, OK, CANCEL = 1105, 1004, 1, 2

LANGUAGES = {
    "English": {
        "locale": "C.UTF-8",
        "buttons": ["Convert", "Get Mailbox", "Set Output", "Exit"],
        "account": "Mail account",
        "labels": ["&Server:", "&Port:", "&User name:", "Pass&word:", "Se&curity:", "OK",
                   "Cancel"],
        "problem": "Name the server.",
    },
    "German": {
        "locale": "de_DE.UTF-8",
        "buttons": ["Konvertieren", "Postfach wählen", "Ausgabe festlegen", "Beenden"],
        "account": "E-Mail-Konto",
        "labels": ["&Server:", "&Port:", "&Benutzername:", "Pass&wort:", "Si&cherheit:", "OK",
                   "Abbrechen"],
        "problem": "Geben Sie den Server an.",
    },
}


def width(remote, *within):
    size = run(remote, *within, "rect")[0].split("+")[0]
    return int(size.split("x")[0])


def look(exe, remote, language, keys, choices):
    """What the two dialogs show in one language; returns the widths of both."""
    wanted = LANGUAGES[language]
    dialog = Dialog(exe, remote, dict(os.environ, LC_ALL=wanted["locale"]))
    shown = lines(dialog.call("texts", *map(str, BUTTONS)))
    expect(shown == wanted["buttons"], f"{language} buttons: {shown}")
    expect(dialog.entries() == choices, f"{language} destinations: {dialog.entries()}")
    main_width = width(remote)

    dialog.pick(keys.index("imap"))
    dialog.call("post", str(SET_OUTPUT))
    within = ("within", wanted["account"])
    run(remote, *within, "wait", "30000")
    labels = lines(run(remote, *within, "texts", *map(str, LABELS))[0])
    expect(labels == wanted["labels"], f"{language} account dialog: {labels}")
    run(remote, *within, "click", str(OK))  # nothing typed: it says what to correct
    problem = run(remote, *within, "get", str(PROBLEM))[0]
    expect(problem == wanted["problem"], f"{language} problem: {problem!r}")
    account_width = width(remote, *within)
    run(remote, *within, "post", str(CANCEL))
    dialog.exit()
    return main_width, account_width


def main():
    exe, remote, catalog_file, header = sys.argv[1:5]
    if not has_locale("de_DE.UTF-8"):
        print("the locale de_DE.UTF-8 is not installed: skipped (scripts/test-windows makes it)")
        sys.exit(SKIPPED)
    choices = table_choices(header)
    keys = [key for key, _, _ in choices]
    english = [label for _, label, _ in choices]
    with open(catalog_file, "rb") as mo:
        catalog = gettext.GNUTranslations(mo)
    german = [catalog.gettext(label) for label in english]
    expect(all(a != b for a, b in zip(english, german)), f"German destinations: {german}")
    try:
        widths = {
            "English": look(exe, remote, "English", keys, english),
            "German": look(exe, remote, "German", keys, german),
        }
    finally:
        for process in Dialog.started:
            if process.poll() is None:
                process.kill()
    # The German templates are laid out for the longer texts.
    expect(all(de > en for en, de in zip(widths["English"], widths["German"])),
           f"widths of the dialogs: {widths}")
    print("dialog language check passed")


if __name__ == "__main__":
    main()
