"""vandrel-cli.exe --thunderbird under Wine: the default profile is found through
%APPDATA%\\Thunderbird\\profiles.ini (a user folder outside ASCII included), the folders go
into its Local Folders, and a profile whose parent.lock another program holds open without
sharing, as a running Thunderbird does, is refused.

Usage: profile_check.py WINDOWS_CLI DIALOG_REMOTE_EXE SAMPLE_EXPORT"""
import os
import subprocess
import sys

from wine_tools import lines, run, windows_path


def unix_path(windows):
    return subprocess.run(["winepath", "-u", windows], check=True, capture_output=True,
                          text=True).stdout.strip()


def main():
    cli, remote, sample = sys.argv[1:4]
    app_data = unix_path(run("cmd", "/c", "echo %APPDATA%")[0].strip())
    data = os.path.join(app_data, "Thunderbird")
    profile = os.path.join(data, "Profiles", "w\u00fcrfel.default-release")
    local = os.path.join(profile, "Mail", "Local Folders")
    os.makedirs(local, exist_ok=True)
    with open(os.path.join(data, "profiles.ini"), "w", encoding="utf-8") as ini:
        ini.write("[Profile0]\nName=default-release\nIsRelative=1\n"
                  "Path=Profiles/w\u00fcrfel.default-release\nDefault=1\n")
    with open(os.path.join(profile, "prefs.js"), "w", encoding="utf-8") as prefs:
        prefs.write('user_pref("mail.accountmanager.localfoldersserver", "server1");\n'
                    'user_pref("mail.server.server1.directory-rel", "[ProfD]Mail/Local Folders");\n')
    try:
        stdout, _, _ = run(cli, "convert", "--thunderbird", windows_path(sample))
        assert "conversion done." in lines(stdout), stdout
        folders = sorted(os.listdir(os.path.join(local, "Calypso.sbd")))
        assert "Inbox" in folders and "Entwürfe" in folders, folders

        holder = subprocess.Popen(["wine", remote, "hold-file",
                                   windows_path(os.path.join(profile, "parent.lock"))],
                                  stdin=subprocess.PIPE, stdout=subprocess.PIPE,
                                  stderr=subprocess.DEVNULL)
        try:
            assert holder.stdout.readline().strip() == b"holding"
            stdout, _, status = run(cli, "convert", "--thunderbird", windows_path(sample),
                                    check=False)
            assert status == 1 and "Thunderbird is running with the profile" in stdout, stdout
            assert not os.path.exists(os.path.join(local, "Calypso-2")), "nothing was written"
        finally:
            holder.stdin.close()
            holder.wait(timeout=30)
    finally:
        subprocess.run(["rm", "-rf", data])
    print("profile check passed")


if __name__ == "__main__":
    main()
