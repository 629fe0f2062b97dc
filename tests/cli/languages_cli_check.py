#!/usr/bin/env python3
"""What vandrel-cli says itself, in German where the system asks for German and in English
where it asks for English or for the C locale: help, usage errors (exit status 2 in both),
"check"'s totals with each count's form, the password prompt and the password file's warning.
Texts that the conversion itself produces (log lines, the end report, file errors) are not
asserted here.

Usage: languages_cli_check.py VANDREL_CLI"""
import fcntl
import os
import pty
import select
import subprocess
import sys
import tempfile
import termios
import time
from pathlib import Path

CLI = sys.argv[1]
failures = []
# Only a hang reaches this.
HANG_SECONDS = 60


def check(condition, what):
    if not condition:
        failures.append(what)
        print("FAILED:", what)


def environment(**chosen):
    env = {k: v for k, v in os.environ.items()
           if k not in ("LC_ALL", "LC_MESSAGES", "LANG", "LANGUAGE", "VANDREL_IMAP_PASSWORD",
                        "VANDREL_IMAP_TOKEN")}
    env.update(chosen)
    return env


GERMAN = {"German": environment(LANG="de_DE.UTF-8")}
# LC_ALL=C wins over a German LANG and LANGUAGE, as in GNU programs.
ENGLISH = {"C locale": environment(LC_ALL="C", LANG="de_DE.UTF-8", LANGUAGE="de"),
           "English": environment(LANG="en_US.UTF-8")}


def run(env, *args):
    return subprocess.run([CLI, *args], capture_output=True, env=env, stdin=subprocess.DEVNULL)


def message(folder, subject, attachments=b""):
    return (b"From ???@??? Mon Jan 01 00:00:00 2001\r\nSubject: " + subject + b"\r\nX-CalypsoFolder: " +
            folder + b"\r\n" + attachments + b"\r\nText\r\n")


def attachment(name):
    return b'X-Attachment: "C:\\Calypso\\Attach\\' + name + b'"; 1 KB\r\n'


def help_texts(env):
    return {args: run(env, *args).stdout.decode() for args in (("--help",), ("convert", "--help"),
                                                               ("check", "--help"))}


def help_words():
    german = help_texts(GERMAN["German"])
    top, convert, check_help = german[("--help",)], german[("convert", "--help")], german[("check", "--help")]
    check(top.startswith("Vandrel konvertiert ein von Calypso exportiertes Postfach") and
          "\nAufruf: vandrel-cli [OPTIONEN] UNTERBEFEHL\n" in top and "\nUnterbefehle:\n" in top and
          "Diese Hilfe zeigen und beenden\n" in top and "Die Version des Programms zeigen und beenden\n" in top,
          "the German top help:\n" + top)
    check("Aufruf: vandrel-cli convert [OPTIONEN] EINGABE AUSGABE\n"
          "  oder: vandrel-cli convert [OPTIONEN] --thunderbird [PROFILORDNER] EINGABE\n"
          "  oder: vandrel-cli convert [OPTIONEN] --maildir ORDNER EINGABE\n"
          "  oder: vandrel-cli convert [OPTIONEN] --imap ADRESSE EINGABE\n" in convert,
          "German usage forms, each line's program name under the first's:\n" + convert)
    check("Aufruf: vandrel-cli check [OPTIONEN] EINGABE [AUSGABE]\n" in check_help, "check's German usage")
    for text in (convert, check_help):
        check("\nArgumente:\n  EINGABE " in text and "\n  AUSGABE " in text and "\n  PROFILORDNER " in text and
              "--attachments-dir ORDNER " in text and "--password-file DATEI " in text and
              "--imap imaps://BENUTZER@HOST[:PORT][/OBERORDNER]\n" in text and
              "--thunderbird Nicht mit: --maildir --imap\n" in text,
              "German positionals and value names:\n" + text)
        # The help flag is in the same group as the other options, not in one of its own.
        check(text.count("Optionen:\n") == 1 and "  -h,--help                   Diese Hilfe" in text,
              "one German group of options:\n" + text)
    for label, env in ENGLISH.items():
        english = help_texts(env)
        check("Usage: vandrel-cli convert [OPTIONS] INPUT OUTPUT\n"
              "   or: vandrel-cli convert [OPTIONS] --thunderbird [PROFILE_DIR] INPUT\n" in
              english[("convert", "--help")] and "\nPositionals:\n" in english[("convert", "--help")] and
              "\nSubcommands:\n" in english[("--help",)], "%s help:\n%s" % (label, english[("convert", "--help")]))
        # No line of the English help is left in the German one.
        for args, text in english.items():
            kept = {line for line in text.splitlines() if line.strip()} & set(german[args].splitlines())
            check(not kept, "%s: English help lines in German: %s" % (" ".join(args), sorted(kept)))
        check(run(env, "--version").stdout == run(GERMAN["German"], "--version").stdout,
              "--version is the same in both languages")


def usage_errors(tmp):
    """Each kind of mistake on the command line, with its details in place; exit 2 in both."""
    folder_missing = str(tmp / "no-such-folder")
    a_file = tmp / "a-file"
    a_file.write_bytes(b"")
    cases = [  # arguments, English, German
        ((), "A subcommand is required", "Ein Unterbefehl ist erforderlich"),
        (("convert", "--bogus", "a", "b"), "The following argument was not expected: --bogus",
         "Dieses Argument wurde nicht erwartet: --bogus"),
        (("check", "-x", "-y", "a"), "The following arguments were not expected: -y -x",
         "Diese Argumente wurden nicht erwartet: -y -x"),
        (("convert", "--attachments-dir"), "--attachments-dir: 1 required TEXT:DIR missing",
         "--attachments-dir: Wert fehlt (1 erforderlich, Typ TEXT:ORDNER)"),
        (("convert", "a", "b", "c"), "PATHS: At Most 2 required but received 3",
         "PATHS: höchstens 2 erlaubt, aber 3 angegeben"),
        (("convert", "--threads", "65", "a", "b"), "--threads: Value 65 not in range 1 to 64",
         "--threads: Wert 65 liegt nicht zwischen 1 und 64"),
        (("convert", "--attachments-dir", folder_missing, "a", "b"),
         "--attachments-dir: Directory does not exist: " + folder_missing,
         "--attachments-dir: Ordner existiert nicht: " + folder_missing),
        (("check", "--attachments-dir", str(a_file), "a"),
         "--attachments-dir: Directory is actually a file: %s" % a_file,
         "--attachments-dir: Kein Ordner, sondern eine Datei: %s" % a_file),
        (("convert", "--thunderbird", "--maildir", "d", "a"), "--thunderbird excludes --maildir",
         "--thunderbird schließt --maildir aus"),
        (("convert", "--password-file", "f", "a", "b"), "--password-file requires --imap",
         "--password-file erfordert --imap"),
        (("convert", "--quiet=abc", "a", "b"), "Could not convert: --quiet = abc",
         "Ungültiger Wert: --quiet = abc"),
        (("convert",), "INPUT and OUTPUT are required", "EINGABE und AUSGABE sind erforderlich"),
        (("check",), "INPUT is required", "EINGABE ist erforderlich"),
        (("convert", "a"), "OUTPUT is required (or --thunderbird, --maildir DIR or --imap ADDRESS)",
         "AUSGABE ist erforderlich (oder --thunderbird, --maildir ORDNER oder --imap ADRESSE)"),
        (("check", "--maildir", "d", "a", "b"), "with --maildir only INPUT is given",
         "mit --maildir wird nur EINGABE angegeben"),
        (("check", "--export-codepage", "NO-SUCH", "a"), "unknown code page: NO-SUCH",
         "unbekannte Codepage: NO-SUCH"),
        (("convert", "--export-codepage", "UTF-16", "a", "b"),
         "unusable code page: UTF-16 (an export is a text file with ASCII field names, and UTF-16 does not "
         "write ASCII characters as single ASCII bytes)",
         "unbrauchbare Codepage: UTF-16 (eine Exportdatei ist eine Textdatei mit ASCII-Feldnamen, und UTF-16 "
         "schreibt ASCII-Zeichen nicht als einzelne ASCII-Bytes)"),
    ]
    hints = {"English": "Run with --help for more information.\n",
             "German": "Weitere Informationen erhalten Sie mit --help.\n"}
    for args, english, german in cases:
        for language, envs, said in (("English", ENGLISH, english), ("German", GERMAN, german)):
            for label, env in envs.items():
                result = run(env, *args)
                check(result.returncode == 2 and result.stdout == b"" and
                      result.stderr.decode() == said + "\n" + hints[language],
                      "%s: %s: %d %r" % (label, " ".join(args), result.returncode, result.stderr.decode()))


def check_totals(tmp):
    """Both forms of each count in "check"'s last line, and its error line's first word."""
    (tmp / "files" / "Attach").mkdir(parents=True)
    (tmp / "files" / "Attach" / "here.txt").write_bytes(b"here\r\n")
    one = tmp / "one.txt"
    one.write_bytes(message(b"Inbox", b"one", attachment(b"here.txt")))
    two = tmp / "two.txt"
    two.write_bytes(message(b"Inbox", b"one", attachment(b"gone.txt")) + message(b"Sent", b"two"))
    cases = [  # arguments, English, German
        (("--attachments-dir", str(tmp / "files"), str(one)),
         "1 message in 1 folder; 1 named file found, 0 missing.",
         "1 Nachricht in 1 Ordner; 1 genannte Datei gefunden, 0 fehlen."),
        ((str(two),), "2 messages in 2 folders; 0 named files found, 1 missing.",
         "2 Nachrichten in 2 Ordnern; 0 genannte Dateien gefunden, 1 fehlt."),
    ]
    for args, english, german in cases:
        for envs, said in ((ENGLISH, english), (GERMAN, german)):
            for label, env in envs.items():
                result = run(env, "check", *args)
                check(result.returncode == 0 and result.stdout.decode().splitlines()[-1:] == [said],
                      "%s: check's totals: %d %r" % (label, result.returncode, result.stdout.decode()))
    for envs, word in ((ENGLISH, "Error: "), (GERMAN, "Fehler: ")):
        for label, env in envs.items():
            result = run(env, "check", str(one), str(tmp / "nowhere" / "m.mbx"))
            lines = result.stdout.decode().splitlines()
            check(result.returncode == 1 and lines and lines[-1].startswith(word),
                  "%s: check's error line: %d %r" % (label, result.returncode, lines[-1:]))


def password_files(tmp):
    """The password file's problems, and the warning for one that others can read."""
    export = tmp / "export.txt"
    export.write_bytes(message(b"Inbox", b"one"))
    # Readable by all and empty: the warning, then no password in it, before any connection.
    shared = tmp / "shared"
    shared.write_bytes(b"")
    shared.chmod(0o644)
    account = "imaps://ann@127.0.0.1:1"
    cases = [  # password file, English, German
        (shared, "Warning: others can read {0}; it should be readable by you alone (chmod 600 {0}).\n"
                 "Error: cannot read {0}\n",
         "Warnung: Andere können {0} lesen; nur Sie sollten die Datei lesen können (chmod 600 {0}).\n"
         "Fehler: {0} kann nicht gelesen werden\n"),
        (tmp, "Error: {0} is not a file that can be read\n", "Fehler: {0} ist keine Datei, die gelesen werden kann\n"),
    ]
    for path, english, german in cases:
        for envs, said in ((ENGLISH, english), (GERMAN, german)):
            for label, env in envs.items():
                result = run(env, "convert", "--imap", account, "--password-file", str(path), str(export))
                check(result.returncode == 1 and result.stderr.decode() == said.format(path),
                      "%s: password file %s: %d %r" % (label, path, result.returncode, result.stderr.decode()))


def read_until(master, shown, wanted):
    deadline = time.monotonic() + HANG_SECONDS
    while wanted not in shown:
        ready, _, _ = select.select([master], [], [], max(0, deadline - time.monotonic()))
        if not ready:
            return shown
        try:
            chunk = os.read(master, 4096)
        except OSError:
            return shown
        if not chunk:
            return shown
        shown += chunk
    return shown


def password_prompt(tmp):
    """The prompt on the terminal, then the input ends (Ctrl-D): no password, said so."""
    export = tmp / "export.txt"
    export.write_bytes(message(b"Inbox", b"one"))
    account = "imaps://ann@127.0.0.1:1"
    cases = [(ENGLISH, "Password for %s: " % account,
              "Error: no password for %s: type it when asked on a terminal" % account),
             (GERMAN, "Passwort für %s: " % account,
              "Fehler: kein Passwort für %s: Geben Sie es im Terminal ein" % account)]
    for envs, prompt, error in cases:
        for label, env in envs.items():
            master, slave = pty.openpty()

            def own_terminal():
                os.setsid()
                fcntl.ioctl(0, termios.TIOCSCTTY, 0)

            process = subprocess.Popen([CLI, "convert", "--imap", account, str(export)],
                                       stdin=slave, stdout=subprocess.PIPE, stderr=subprocess.PIPE, env=env,
                                       preexec_fn=own_terminal)
            os.close(slave)
            shown = read_until(master, b"", prompt.encode())
            os.write(master, b"\x04")
            try:
                _, stderr = process.communicate(timeout=HANG_SECONDS)
            except subprocess.TimeoutExpired:
                process.kill()
                _, stderr = process.communicate()
            os.close(master)
            check(prompt.encode() in shown, "%s: the prompt %r: %r" % (label, prompt, shown))
            check(process.returncode == 1 and stderr.decode().startswith(error),
                  "%s: no password: %d %r" % (label, process.returncode, stderr.decode()))


def main():
    help_words()
    for step in (usage_errors, check_totals, password_files, password_prompt):
        with tempfile.TemporaryDirectory() as tmp:
            step(Path(tmp))
    print("%d failures" % len(failures))
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
