#!/usr/bin/env python3
"""The real client reads what we write: a normal run's files copied into Local Folders, and
Thunderbird profiles filled by --thunderbird, one in the mbox store and one whose Local Folders
keep maildir directories, opened in Thunderbird itself (under Xvfb, driven by Marionette). Every
folder must show with every message, subjects and authors decoded as in the export; in the
profiles every folder under its parent in the tree its Calypso name gives, with its full name.

Usage: thunderbird_check.py VANDREL_CLI     (exits 77, "skipped", without thunderbird and Xvfb)
"""
import os
import shutil
import socket
import subprocess
import sys
import tempfile
from datetime import datetime, timedelta, timezone
from pathlib import Path

from marionette_client import Marionette

HERE = Path(__file__).resolve().parent
SKIPPED = 77

FOLDERS = [
    "Inbox",
    "Sent Items",
    "Entw\u00fcrfe",
    "Wichtig; sp\u00e4ter lesen",
    "\u00c4rger mit der Stra\u00dfenbahn, Teil 1 (30)",
    "Projekt Gr\u00fcnfl\u00e4che: Protokolle und Pl\u00e4ne 2003/2004 x",
    "Projekt Gr\u00fcnfl\u00e4che: Protokolle und Pl\u00e4ne 2003/2004 xy",
    ("Sehr lange Ordnernamen \u00fcberleben den Umzug nach Thunderbird, "
     "auch wenn Calypso sie einst ohne Grenzen erlaubte \u2013 Teil 120"),
    # Thunderbird keeps such a name almost whole: 252 bytes, no room left for ".msf".
    ("Protokolle \u00fcber \u00dcbungen, " * 10)[:239] + " ",
    # Names Thunderbird gives its own files.
    "Inbox.msf",
    "Foo.sbd",
    # A tree: a parent with mail of its own, parents without, two names that meet in one path,
    # a nested name Thunderbird hashes on disk.
    "Family\\Holidays",
    "Family",
    "Archiv\\2003\\Q4",
    "A\\\\B",
    "A\\B",
    "Famili\u00e9\\Gr\u00fc\u00dfe aus K\u00f6ln\\\u00dcberraschung",
    "Family\\Briefe an Gro\u00dfmutter und Gro\u00dfvater, gesammelt von 1998 bis 2004",
]
SUBJECTS = [  # (as the export writes it, as a reader sees it)
    (b"=?iso-8859-1?Q?Gr=FC=DFe_aus_K=F6ln?=", "Gr\u00fc\u00dfe aus K\u00f6ln"),
    (b"=?utf-8?B?UHLDvGZ1bmcgYmVzdGFuZGVu?=", "Pr\u00fcfung bestanden"),
    ("Sch\u00f6ne Tage".encode("cp1252"), "Sch\u00f6ne Tage"),
]
AUTHORS = [  # (From line, as Thunderbird shows the author)
    ('"M\u00fcller, J\u00fcrgen" <jm@example.de>'.encode("cp1252"), '"M\u00fcller, J\u00fcrgen" <jm@example.de>'),
    (b"Anna Berg <anna@example.org>", "Anna Berg <anna@example.org>"),
]


def thunderbird_hash_name(name):
    """Thunderbird's file name for a folder name (too long or refused characters)."""
    units = name.encode("utf-16-le")
    count = len(units) // 2
    kept = None
    for index, char in enumerate(name):
        if char in '/:*?"<>|;#' or 0x01 <= ord(char) <= 0x1F or 0x7F <= ord(char) <= 0x9F:
            kept = len(name[:index].encode("utf-16-le")) // 2
            break
    if kept is None:
        if name.startswith("."):
            kept = 0
        elif name[-1:] in (".", "~", " "):
            kept = count - 1
        elif count > 55:
            kept = 47
    if kept is None:
        return name
    value = 1
    for byte in units:
        value = (0x63C63CD9 * value + 0x9C39C33D + byte) & 0xFFFFFFFF
    return units[: kept * 2].decode("utf-16-le", "surrogatepass") + "%08x" % value


def make_export(path):
    messages, expected = [], {}
    number = 0
    for index, folder in enumerate(FOLDERS):
        expected[folder] = []
        for _ in range(1 + index % 3):
            raw_subject, subject = SUBJECTS[number % len(SUBJECTS)]
            raw_author, author = AUTHORS[number % len(AUTHORS)]
            number += 1
            # Every other message has no date of its own: the separator line's date stands in
            # for it (a zone not known counts as UTC), where the others are an hour ahead of UTC.
            minute, second = divmod(number, 60)
            own_date = number % 2 == 1
            date_field = b"Date: Mon, 1 Mar 2004 10:%02d:%02d +0100\r\n" % (minute, second)
            messages.append(
                b"From ???@??? Mon Mar 01 10:%02d:%02d 2004\r\n" % (minute, second) +
                (date_field if own_date else b"") + b"From: " + raw_author +
                b"\r\nTo: team@example.de\r\nSubject: " + raw_subject +
                b"\r\nX-CalypsoFolder: " + folder.encode("cp1252", "replace") +
                b"\r\n\r\nText %d\r\nFrom here on a line that must not split the message.\r\n" % number)
            utc = datetime(2004, 3, 1, 10, minute, second, tzinfo=timezone.utc)
            if own_date:
                utc -= timedelta(hours=1)
            expected[folder].append((subject, author, int(utc.timestamp())))
    Path(path).write_bytes(b"".join(messages))
    return expected


def cut(text, limit):
    """At most `limit` UTF-8 bytes, never half a character."""
    data = text.encode("utf-8")[:limit]
    return data.decode("utf-8", "ignore")


def cleaned(folder):
    out = "".join("_" if c in '\\ /<>:|?*' or ord(c) < 32 else c for c in folder if c != '"')
    return cut(out, 200)


def own_file_name(name):
    return name.lower().endswith((".msf", ".sbd"))


def plain_run_name(folder):
    """The folder a normal run's file shows as, once copied into Local Folders."""
    stem = "mail" + cleaned(folder)
    if own_file_name(stem):
        stem += "-2"
    return thunderbird_hash_name(stem)


def profile_name(folder):
    """The name a folder of the profile mode shows under."""
    name = folder.replace("/", "_")
    if len(thunderbird_hash_name(name).encode("utf-8")) + 4 > 255:
        name = cut(name, 200).rstrip(" .~")
    if own_file_name(thunderbird_hash_name(name)):
        name += "-2"
    return name


def profile_tree(expected):
    """Per place in the profile's tree a run of folders that want it, as (paths, messages): a
    folder whose path another took first goes beside it as "<name>-2". Which of them comes first
    is the export's folder order, so each run is compared as a whole. Parents that no folder
    wants come with no messages."""
    wanted = {}
    for folder in FOLDERS:
        path = tuple(["Calypso"] + [s for s in folder.split("\\") if s])
        wanted.setdefault(path, []).append(folder)
    runs, parents = [], set()
    for path, folders in wanted.items():
        last = [path[-1]] + ["%s-%d" % (path[-1], n) for n in range(2, len(folders) + 1)]
        shown = [tuple(profile_name(s) for s in path[:-1]) + (profile_name(name),) for name in last]
        runs.append((shown, [expected[f] for f in folders]))
        parents.update(shown[0][:n] for n in range(1, len(path)))
    claimed = {p for paths, _ in runs for p in paths}
    runs += [([p], [[]]) for p in sorted(parents - claimed)]
    return runs


def write_prefs(profile, store=None):
    (profile / "Mail" / "Local Folders").mkdir(parents=True, exist_ok=True)
    store_pref = [("mail.server.server1.storeContractID", '"%s"' % store)] if store else []
    (profile / "prefs.js").write_text("".join('user_pref("%s", %s);\n' % item for item in store_pref + [
        ("mail.accountmanager.accounts", '"account1"'),
        ("mail.accountmanager.localfoldersserver", '"server1"'),
        ("mail.account.account1.server", '"server1"'),
        ("mail.server.server1.type", '"none"'),
        ("mail.server.server1.hostname", '"Local Folders"'),
        ("mail.server.server1.name", '"Local Folders"'),
        ("mail.server.server1.userName", '"nobody"'),
        ("mail.server.server1.directory-rel", '"[ProfD]Mail/Local Folders"'),
        ("mail.shell.checkDefaultClient", "false"),
        ("mail.provider.suppress_dialog_on_startup", "true"),
        ("mailnews.start_page.enabled", "false"),
        ("toolkit.telemetry.reportingpolicy.firstRun", "false"),
        ("datareporting.policy.dataSubmissionPolicyBypassNotification", "true"),
        ("app.update.enabled", "false"),
    ]))


def free_port():
    """A port nobody listens on now, so that runs side by side do not meet."""
    with socket.socket() as probe:
        probe.bind(("127.0.0.1", 0))
        return probe.getsockname()[1]


def start_xvfb():
    """Xvfb on a display it picks itself; returns once it takes connections."""
    read_end, write_end = os.pipe()
    xvfb = subprocess.Popen(["Xvfb", "-displayfd", str(write_end), "-screen", "0", "1280x800x24"],
                            pass_fds=(write_end,), stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    os.close(write_end)
    with os.fdopen(read_end) as announced:
        display = announced.readline().strip()
    return xvfb, ":" + display


def folders_in_thunderbird(profile, home):
    port = free_port()
    with open(profile / "prefs.js", "a") as prefs:
        prefs.write('user_pref("marionette.port", %d);\n' % port)
    xvfb, display = start_xvfb()
    # A zone far from UTC: a date read in the wrong zone shows.
    env = dict(os.environ, DISPLAY=display, HOME=str(home), TZ="Asia/Tokyo")
    thunderbird = None
    try:
        thunderbird = subprocess.Popen(
            ["thunderbird", "--no-remote", "--marionette", "-remote-allow-system-access", "-profile", str(profile)],
            env=env, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        client = Marionette(port, timeout=300)
        return client.run_chrome_script((HERE / "list_folders.js").read_text())
    finally:
        if thunderbird:
            thunderbird.kill()
            thunderbird.wait()
        xvfb.kill()
        xvfb.wait()


def messages_of(folder, in_file_order):
    got = [(m["subject"], m["author"], m["date"]) for m in folder["messages"]]
    # A maildir folder has no order of its own: Thunderbird lists its files as it finds them.
    return got if in_file_order else sorted(got)


def compare_flat(label, seen, expected_names, expected, problems):
    by_name = {tuple(folder["path"]): folder for folder in seen}
    for folder, name in expected_names.items():
        found = by_name.get((name,))
        if found is None:
            problems.append("%s: folder %r missing; Thunderbird shows %s" % (label, name, sorted(by_name)))
            continue
        got = messages_of(found, True)
        if got != expected[folder]:
            problems.append("%s: folder %r holds %s, expected %s" % (label, name, got, expected[folder]))


def compare_tree(label, seen, runs, in_file_order, problems):
    by_path = {tuple(folder["path"]): folder for folder in seen}
    for folder in seen:
        if "error" in folder:
            problems.append("%s: %s: %s" % (label, "/".join(folder["path"]), folder["error"]))
    for paths, lists in runs:
        missing = [p for p in paths if p not in by_path]
        if missing:
            problems.append("%s: %s missing; Thunderbird shows %s" % (
                label, ["/".join(p) for p in missing], sorted("/".join(p) for p in by_path)))
            continue
        # A name Thunderbird hashes on disk shows whole only through the folder cache.
        for p in paths:
            if by_path[p]["file"] != thunderbird_hash_name(p[-1]):
                problems.append("%s: %s is stored as %r" % (label, "/".join(p), by_path[p]["file"]))
        got = sorted(messages_of(by_path[p], in_file_order) for p in paths)
        want = sorted(m if in_file_order else sorted(m) for m in lists)
        if got != want:
            problems.append("%s: %s hold %s, expected %s" % (label, ["/".join(p) for p in paths], got, want))
    wanted = {p for paths, _ in runs for p in paths}
    extra = sorted("/".join(p) for p in by_path if p[0] == "Calypso" and p not in wanted)
    if extra:
        problems.append("%s: folders nobody asked for: %s" % (label, extra))


def check_profile(label, tmp, cli, export, store, expected, problems):
    profile = tmp / label.replace(" ", "-")
    write_prefs(profile, store)
    subprocess.run([cli, "convert", "-q", "--thunderbird", profile, export], check=True,
                   stdout=subprocess.DEVNULL)
    top = profile / "Mail" / "Local Folders" / "Calypso"
    # The folder is in the store the account names, or Thunderbird would read it as nothing.
    if top.is_dir() != (store is not None) or (store and not (top / "cur").is_dir()):
        problems.append("%s: the top folder %s is not in the account's store" % (label, top))
    compare_tree(label, folders_in_thunderbird(profile, tmp), profile_tree(expected), store is None,
                 problems)


def main():
    cli = Path(sys.argv[1]).resolve()
    if not shutil.which("thunderbird") or not shutil.which("Xvfb"):
        print("SKIPPED: Thunderbird or Xvfb is not installed, so the real client cannot check the output")
        return SKIPPED
    problems = []
    with tempfile.TemporaryDirectory() as tmp:
        tmp = Path(tmp)
        export = tmp / "export.txt"
        expected = make_export(export)

        # A normal run, its files copied into Local Folders as the README says.
        (tmp / "out").mkdir()
        subprocess.run([cli, "convert", "-q", export, tmp / "out" / "mail.mbx"], check=True,
                       stdout=subprocess.DEVNULL)
        plain = tmp / "plain-profile"
        write_prefs(plain)
        for file in (tmp / "out").iterdir():
            shutil.copy(file, plain / "Mail" / "Local Folders" / file.name[: -len(".mbx")])
        names = {folder: plain_run_name(folder) for folder in FOLDERS}
        compare_flat("normal run", folders_in_thunderbird(plain, tmp), names, expected, problems)

        # The profile mode, straight into a profile of each store Thunderbird offers.
        check_profile("mbox store", tmp, cli, export, None, expected, problems)
        check_profile("maildir store", tmp, cli, export, "@mozilla.org/msgstore/maildirstore;1",
                      expected, problems)
    for problem in problems:
        print("FAILED:", problem)
    print("%d problems" % len(problems))
    return 1 if problems else 0


if __name__ == "__main__":
    sys.exit(main())
