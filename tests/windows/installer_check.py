"""The installer under Wine: a silent install puts both programs under Program Files with a
Start-menu entry, and they run; the uninstaller takes them away again. The exit status of a
silent NSIS installer says little, so the files are looked at.

Usage: installer_check.py INSTALLER DIALOG_REMOTE_EXE VERSION"""
import os
import subprocess
import sys

from wine_tools import run


def main():
    installer, remote, version = sys.argv[1:4]
    prefix = os.environ["WINEPREFIX"]
    folder = os.path.join(prefix, "drive_c", "Program Files", "Vandrel")
    shortcut = os.path.join(prefix, "drive_c", "ProgramData", "Microsoft", "Windows",
                            "Start Menu", "Programs", "Vandrel.lnk")
    run(installer, "/S", timeout=180, check=False)
    for name in ("vandrel.exe", "vandrel-cli.exe", "uninstall.exe"):
        assert os.path.isfile(os.path.join(folder, name)), f"{name} not installed: {folder}"
    assert os.path.isfile(shortcut), f"no Start-menu entry at {shortcut}"

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

    run(os.path.join(folder, "uninstall.exe"), "/S", timeout=180, check=False)
    # The uninstaller copies itself away and returns before it has finished.
    for _ in range(300):
        if not os.path.exists(os.path.join(folder, "vandrel.exe")):
            break
        subprocess.run(["sleep", "0.1"])
    assert not os.path.exists(os.path.join(folder, "vandrel.exe")), "uninstall left the program"
    assert not os.path.exists(shortcut), "uninstall left the Start-menu entry"
    print("installer check passed")


if __name__ == "__main__":
    main()
