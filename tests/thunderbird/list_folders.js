// Every folder of Local Folders, by its names from the top, with the messages Thunderbird itself
// parsed from its file or, in the maildir store, from its directory.
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
function openDatabase(folder) {
  try {
    return folder.msgDatabase;
  } catch (e) {
    return null;
  }
}
// Asks for the summary to be built, as selecting the folder does, and waits until the parser
// says it is done; the maildir store may refuse the request and build it on its own.
function reparse(folder) {
  return new Promise(resolve => {
    setTimeout(resolve, 20000);
    try {
      folder.QueryInterface(Ci.nsIMsgLocalMailFolder).getDatabaseWithReparse(
        { OnStartRunningUrl() {}, OnStopRunningUrl() { resolve(); } }, null);
    } catch (e) {
      resolve();
    }
  });
}
// How many message files a maildir folder holds; -1 for an mbox file.
function filesIn(folder) {
  if (!folder.filePath.isDirectory()) return -1;
  let count = 0;
  for (const part of ["cur", "new"]) {
    const dir = folder.filePath.clone();
    dir.append(part);
    if (dir.exists()) count += [...dir.directoryEntries].length;
  }
  return count;
}
// The summary, once its message count holds still and, in the maildir store, which fills it in
// the background, covers every file. Null when none comes within the script's patience.
async function readyDatabase(window, folder) {
  const files = filesIn(folder);
  let db = openDatabase(folder);
  if (!db) {
    window.gTabmail.currentAbout3Pane.displayFolder(folder.URI);
    await reparse(folder);
  }
  let last = -1;
  for (let attempt = 0; attempt < 150; attempt++) {
    db = openDatabase(folder);
    const count = db ? [...db.enumerateMessages()].length : -1;
    if (db && count == last && count >= files) return db;
    last = count;
    await pause(200);
  }
  return null;
}
// The folder's names from below the account's root down to the folder itself.
function namesFromTop(folder) {
  const names = [];
  for (let f = folder; f && !f.isServer; f = f.parent) names.unshift(f.name);
  return names;
}
(async () => {
  const window = await mainWindow();
  const root = MailServices.accounts.localFoldersServer.rootFolder;
  const folders = [];
  for (const folder of root.descendants) {
    const entry = { path: namesFromTop(folder), file: folder.filePath.leafName, messages: [] };
    const file = folder.filePath;
    // An mbox file of no bytes holds nothing; a maildir folder is a directory, never "empty".
    const empty = !file.exists() || (!file.isDirectory() && file.fileSize == 0);
    if (!empty) {
      const db = await readyDatabase(window, folder);
      if (!db) entry.error = "no summary";
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
