"""The installer under Wine: a silent install puts both programs under Program Files with a
Start-menu entry, and they run; the uninstaller takes them away again. The exit status of a
silent NSIS installer says little, so the files are looked at. The installer speaks the user's
language: the Start-menu entry's comment is English, and German when it runs with a German
locale (where de_DE.UTF-8 is installed; Wine needs it).

Usage: installer_check.py INSTALLER DIALOG_REMOTE_EXE VERSION"""
import os
import subprocess
import sys

from wine_tools import has_locale, run

COMMENTS = {
    "C.UTF-8": "Convert a mailbox exported by Calypso into mbox files for Thunderbird",
    "de_DE.UTF-8": "Ein von Calypso exportiertes Postfach in mbox-Dateien für Thunderbird "
                   "konvertieren",
}


def install_run_remove(installer, remote, version, locale):
    env = dict(os.environ, LC_ALL=locale)
    prefix = os.environ["WINEPREFIX"]
    folder = os.path.join(prefix, "drive_c", "Program Files", "Vandrel")
    shortcut = os.path.join(prefix, "drive_c", "ProgramData", "Microsoft", "Windows",
                            "Start Menu", "Programs", "Vandrel.lnk")
    run(installer, "/S", timeout=180, check=False, env=env)
    for name in ("vandrel.exe", "vandrel-cli.exe", "uninstall.exe"):
        assert os.path.isfile(os.path.join(folder, name)), f"{name} not installed: {folder}"
    assert os.path.isfile(shortcut), f"no Start-menu entry at {shortcut}"
    with open(shortcut, "rb") as link:
        # The link keeps its comment in UTF-16.
        assert COMMENTS[locale].encode("utf-16-le") in link.read(), \
            f"the Start-menu entry's comment is not the one for {locale}"

    stdout, _, _ = run(os.path.join(folder, "vandrel-cli.exe"), "--version")
    assert stdout.strip() == f"vandrel-cli {version}", stdout
    dialog = subprocess.Popen(["wine", os.path.join(folder, "vandrel.exe")],
                              stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL,
                              stderr=subprocess.DEVNULL)
    run(remote, "wait", "30000")
    caption, _, _ = run(remote, "caption")
    assert caption == f"Vandrel {version}", caption
    run(remote, "post", "2")
    assert dialog.wait(timeout=30) == 0

    run(os.path.join(folder, "uninstall.exe"), "/S", timeout=180, check=False, env=env)
    # The uninstaller copies itself away and returns before it has finished.
    for _ in range(300):
        if not os.path.exists(os.path.join(folder, "vandrel.exe")):
            break
        subprocess.run(["sleep", "0.1"])
    assert not os.path.exists(os.path.join(folder, "vandrel.exe")), "uninstall left the program"
    assert not os.path.exists(shortcut), "uninstall left the Start-menu entry"


def main():
    installer, remote, version = sys.argv[1:4]
    install_run_remove(installer, remote, version, "C.UTF-8")
    if has_locale("de_DE.UTF-8"):
        install_run_remove(installer, remote, version, "de_DE.UTF-8")
        print("installer check passed, in English and German")
    else:
        print("installer check passed in English; German skipped: de_DE.UTF-8 is not installed")


if __name__ == "__main__":
    main()
