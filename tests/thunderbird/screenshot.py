#!/usr/bin/env python3
"""Converts the sample export into a fresh Thunderbird profile and saves a picture of
Thunderbird showing the converted folders (docs/thunderbird-folders.png).

Usage: screenshot.py VANDREL_CLI SAMPLE_EXPORT OUTPUT_PNG
"""
import base64
import os
import subprocess
import sys
import tempfile
import time
from pathlib import Path

from marionette_client import Marionette
from thunderbird_check import write_prefs

SHOW_FOLDER = """
const done = arguments[arguments.length - 1];
const { MailServices } = ChromeUtils.importESModule("resource:///modules/MailServices.sys.mjs");
(async () => {
  const root = MailServices.accounts.localFoldersServer.rootFolder;
  const inbox = [...root.descendants].find(f => f.name == "Inbox" && f.parent.name.startsWith("Calypso"));
  const window = Services.wm.getMostRecentWindow("mail:3pane");
  window.resizeTo(1280, 760);
  window.gTabmail.currentAbout3Pane.displayFolder(inbox.URI);
  await new Promise(resolve => setTimeout(resolve, 4000));
  window.gTabmail.currentAbout3Pane.threadTree.selectedIndex = 1;
  await new Promise(resolve => setTimeout(resolve, 3000));
  done("shown");
})().catch(error => done("ERROR " + error));
"""


def main():
    cli, export, output = sys.argv[1:4]
    port = 2861
    with tempfile.TemporaryDirectory() as tmp:
        profile = Path(tmp) / "profile"
        write_prefs(profile)
        with open(profile / "prefs.js", "a") as prefs:
            prefs.write('user_pref("marionette.port", %d);\n' % port)
        subprocess.run([cli, "convert", "-q", "--thunderbird", str(profile), export], check=True)
        display = ":%d" % (400 + os.getpid() % 300)
        xvfb = subprocess.Popen(["Xvfb", display, "-screen", "0", "1280x800x24"])
        env = dict(os.environ, DISPLAY=display, HOME=tmp)
        time.sleep(1)
        thunderbird = subprocess.Popen(["thunderbird", "--no-remote", "--marionette", "-remote-allow-system-access",
                                        "-profile", str(profile)], env=env, stdout=subprocess.DEVNULL,
                                       stderr=subprocess.DEVNULL)
        try:
            client = Marionette(port, timeout=90)
            time.sleep(5)
            print(client.run_chrome_script(SHOW_FOLDER))
            png = client.command("WebDriver:TakeScreenshot", {"full": False})["value"]
            Path(output).write_bytes(base64.b64decode(png))
        finally:
            thunderbird.kill()
            xvfb.kill()
    print("wrote", output)


if __name__ == "__main__":
    main()
