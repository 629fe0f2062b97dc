"""Thunderbird profiles for the command line's tests: a data folder whose profiles.ini names the
profile Thunderbird opens by default, with prefs.js naming its Local Folders; and a snapshot of
every file of a folder (bytes and mode) to tell whether a run left it as it was."""
import os
import stat
from pathlib import Path

PREFS = ('user_pref("mail.accountmanager.localfoldersserver", "server1");\n'
         'user_pref("mail.server.server1.directory-rel", "[ProfD]Mail/Local Folders");\n'
         'user_pref("mail.server.server1.type", "none");\n')


def make_profile(data, name="p.default"):
    """The default profile below the data folder (~/.thunderbird); returns its folder."""
    profile = Path(data) / name
    (profile / "Mail" / "Local Folders").mkdir(parents=True, exist_ok=True)
    (profile / "prefs.js").write_text(PREFS)
    (Path(data) / "profiles.ini").write_text(
        "[Profile0]\nName=%s\nIsRelative=1\nPath=%s\nDefault=1\n" % (name, name))
    return profile


def snapshot(folder):
    """Every entry below the folder: its bytes or link target, and its mode."""
    entries = {}
    for root, dirs, files in os.walk(folder):
        for name in dirs + files:
            path = Path(root) / name
            info = path.lstat()
            if stat.S_ISLNK(info.st_mode):
                what = b"link to " + os.fsencode(os.readlink(path))
            elif stat.S_ISREG(info.st_mode):
                what = path.read_bytes()
            else:
                what = b"folder"
            entries[str(path.relative_to(folder))] = (info.st_mode, what)
    return entries
