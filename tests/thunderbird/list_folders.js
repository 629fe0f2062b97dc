// Every folder of Local Folders with the messages Thunderbird itself parsed from its file.
const done = arguments[arguments.length - 1];
const { MailServices } = ChromeUtils.importESModule("resource:///modules/MailServices.sys.mjs");
const pause = ms => new Promise(resolve => setTimeout(resolve, ms));
// Waits, however long Thunderbird takes to start, for its main window.
async function mainWindow() {
  for (;;) {
    const window = Services.wm.getMostRecentWindow("mail:3pane");
    if (window && window.gTabmail && window.gTabmail.currentAbout3Pane) return window;
    await pause(200);
  }
}
(async () => {
  const window = await mainWindow();
  const root = MailServices.accounts.localFoldersServer.rootFolder;
  const folders = [];
  for (const folder of root.descendants) {
    const entry = { name: folder.name, file: folder.filePath.leafName, messages: [] };
    if (folder.filePath.exists() && folder.filePath.fileSize > 0) {
      let db = null;
      // The summary is built in the background once the folder is shown; the script's own time
      // limit ends a wait for one that never comes.
      for (let attempt = 0; !db; attempt++) {
        try {
          db = folder.msgDatabase;
        } catch (e) {
          if (attempt == 0) window.gTabmail.currentAbout3Pane.displayFolder(folder.URI);
          await pause(200);
        }
      }
      for (const header of db ? db.enumerateMessages() : []) {
        entry.messages.push({
          subject: header.mime2DecodedSubject,
          author: header.mime2DecodedAuthor,
          date: header.dateInSeconds,
        });
      }
    }
    folders.push(entry);
  }
  done(folders);
})().catch(error => done("ERROR " + error));
