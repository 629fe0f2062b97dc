// Every folder of Local Folders with the messages Thunderbird itself parsed from its file.
const done = arguments[arguments.length - 1];
const { MailServices } = ChromeUtils.importESModule("resource:///modules/MailServices.sys.mjs");
const pause = ms => new Promise(resolve => setTimeout(resolve, ms));
(async () => {
  const root = MailServices.accounts.localFoldersServer.rootFolder;
  const folders = [];
  for (const folder of root.descendants) {
    const entry = { name: folder.name, file: folder.filePath.leafName, messages: [] };
    if (folder.filePath.exists() && folder.filePath.fileSize > 0) {
      let db = null;
      for (let attempt = 0; attempt < 60 && !db; attempt++) {
        try {
          db = folder.msgDatabase;
        } catch (e) {
          // The summary is built in the background once the folder is shown.
          if (attempt == 0) {
            Services.wm.getMostRecentWindow("mail:3pane").gTabmail.currentAbout3Pane.displayFolder(folder.URI);
          }
          await pause(500);
        }
      }
      if (!db) entry.error = "no summary";
      for (const header of db ? db.enumerateMessages() : []) {
        entry.messages.push({ subject: header.mime2DecodedSubject, author: header.mime2DecodedAuthor });
      }
    }
    folders.push(entry);
  }
  done(folders);
})().catch(error => done("ERROR " + error));
