"""vandrel-cli.exe under Wine with exports beyond Windows-1252: Greek and Cyrillic folder names,
attachment and HTML body paths, given with --export-codepage, convert, find their files and write the
same files as the Linux build; output paths longer than MAX_PATH work; an unknown code page is
a usage error.

Usage: non_ascii_check.py WINDOWS_CLI LINUX_CLI"""
import email
import mailbox
import os
import re
import subprocess
import sys
import tempfile

from wine_tools import lines, run, windows_path

EXPORTS = {
    # code page: (folders, attached file's folder and name, its text, HTML body file)
    "CP1253": (["Εισερχόμενα", "Πρόχειρα"], "Συνημμένα", "Αθήνα.txt", "Γεια σου", "σελίδα.htm"),
    "CP1251": (["Входящие", "Черновики"], "Вложения", "Отчёт.txt", "Привет", "страница.htm"),
}


def make_export(folder, code_page, folders, attach_dir, attach_name, html_name):
    messages = []
    for number, name in enumerate(folders):
        messages.append(
            f"From ???@??? Mon Mar 01 19:42:1{number} 2004\r\n"
            f"Date: Mon, 01 Mar 2004 19:41:52 +0100\r\nFrom: a@example.org\r\n"
            f"Subject: {name} {number}\r\nX-CalypsoFolder: {name}\r\n"
            f"X-CalypsoHtmlBody: \"C:\\Calypso\\{attach_dir}\\{html_name}\";\r\n"
            f"X-Attachment: \"C:\\Calypso\\{attach_dir}\\{attach_name}\"; 10\r\n\r\n"
            f"{name}\r\n")
    path = os.path.join(folder, "export.txt")
    with open(path, "wb") as export:
        export.write("".join(messages).encode(code_page.replace("CP", "cp")))
    return path


def masked(path):
    with open(path, "rb") as written:
        return re.sub(rb"__=_Part_Boundary_\d{3}_\d{6}\.\d{6}", b"BOUNDARY", written.read())


def check_export(windows_cli, linux_cli, work, code_page):
    folders, attach_dir, attach_name, text, html_name = EXPORTS[code_page]
    source = os.path.join(work, code_page)
    os.makedirs(os.path.join(source, attach_dir))
    with open(os.path.join(source, attach_dir, attach_name), "w", encoding="utf-8") as attached:
        attached.write(text)
    with open(os.path.join(source, attach_dir, html_name), "w", encoding="utf-8") as html:
        html.write(f"<html><body>{text}!</body></html>")
    export = make_export(source, code_page, folders, attach_dir, attach_name, html_name)
    windows_out = os.path.join(work, code_page + "-windows")
    linux_out = os.path.join(work, code_page + "-linux")
    os.makedirs(windows_out)
    os.makedirs(linux_out)
    stdout, stderr, _ = run(windows_cli, "convert", "--export-codepage", code_page,
                            windows_path(export), windows_path(windows_out) + "\\")
    for name in folders:
        assert f"processing {name}" in lines(stdout), stdout
    assert stderr == "", f"files not found: {stderr}"
    names = sorted(os.listdir(windows_out))
    assert names == sorted(name + ".mbx" for name in folders), names
    for name in names:
        # The attached file and the HTML body, each decoding to its bytes.
        box = mailbox.mbox(os.path.join(windows_out, name), create=False)
        message = email.message_from_bytes(box.get_bytes(box.keys()[0]))
        payloads = [part.get_payload(decode=True) for part in message.walk() if not part.is_multipart()]
        assert text.encode() in payloads, (name, payloads)
        assert f"<html><body>{text}!</body></html>".encode() in payloads, (name, payloads)
    subprocess.run([linux_cli, "convert", "--export-codepage", code_page, export, linux_out + "/"],
                   check=True, capture_output=True)
    assert sorted(os.listdir(linux_out)) == names
    for name in names:
        assert masked(os.path.join(windows_out, name)) == masked(os.path.join(linux_out, name)), name
    print(f"{code_page}: {names} with their attachments")


def check_long_path(windows_cli, work):
    folder = work
    while len(folder) < 300:
        folder = os.path.join(folder, "a-folder-name-of-some-length-" + str(len(folder)))
    os.makedirs(folder)
    source = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..", "examples",
                          "calypso-export", "export.txt")
    run(windows_cli, "convert", "-q", windows_path(source), windows_path(folder) + "\\mail.mbx")
    written = sorted(os.listdir(folder))
    assert "mailInbox.mbx" in written, written
    print(f"a path of {len(windows_path(folder))} characters: {written}")


def main():
    windows_cli, linux_cli = sys.argv[1:3]
    with tempfile.TemporaryDirectory(prefix="vandrel-scripts-") as work:
        for code_page in EXPORTS:
            check_export(windows_cli, linux_cli, work, code_page)
        check_long_path(windows_cli, work)
        _, stderr, status = run(windows_cli, "convert", "--export-codepage", "KLINGON",
                                "in.txt", "out.mbx", check=False)
        assert status == 2 and "unknown code page: KLINGON" in stderr, (status, stderr)
    print("non-ASCII check passed")


if __name__ == "__main__":
    main()
