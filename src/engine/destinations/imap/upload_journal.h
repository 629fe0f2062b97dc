// What an upload into an account stored, written as each message is stored, so that a run
// that was stopped, killed or cut off can be run again and store only what is missing. One
// journal per account and export; the account's lock beside it keeps a second run out.
//
// The file is lines of text: a header, then for each folder a line "F <uidvalidity> <mailbox>"
// followed by the folder's messages, "S <number> <size>" before one is sent and
// "D <number> <size> <uid>" once the server took it (uid 0 when the server did not say).
// A line cut short by a kill is ignored.
#pragma once

#include <cstddef>
#include <cstdint>
#include <fstream>
#include <map>
#include <set>
#include <string>
#include <utility>

#include "engine/writing/run_lock.h"

namespace vandrel {

class UploadJournal {
 public:
  struct Entry {
    bool stored = false;  // else it was sent, and whether the server took it is not known
    std::size_t size = 0;
    std::uint32_t uid = 0;
  };

  // Takes the account's lock and reads the journal of this account and export in `folder`
  // (made when missing). Empty, or the error line's text. `place` names the account in it.
  std::string Open(const std::string& folder, const std::string& account,
                   const std::string& exportKey, const std::string& place);
  bool IsOpen() const { return file_.is_open(); }

  // The messages below go into this mailbox; what the journal holds of it under another
  // UIDVALIDITY no longer counts.
  void BeginFolder(const std::string& mailbox, std::uint32_t uidValidity);
  // The folder's entry for its `number`th message, or null.
  const Entry* Find(std::size_t number) const;
  std::size_t StoredCount() const;
  // The UIDs the folder's stored messages got.
  std::set<std::uint32_t> KnownUids() const;

  // Each line reaches the file before the call returns; false when it could not be written.
  bool Sending(std::size_t number, std::size_t size);
  bool Stored(std::size_t number, std::size_t size, std::uint32_t uid);
  void Close();

  // Where the journal of `account` and `exportKey` is kept in `folder`.
  static std::string FileName(const std::string& folder, const std::string& account,
                              const std::string& exportKey);

 private:
  using FolderKey = std::pair<std::string, std::uint32_t>;
  void Read(const std::string& path);
  bool Write(const std::string& line);

  std::map<FolderKey, std::map<std::size_t, Entry>> folders_;
  FolderKey current_;
  bool headerWritten_ = false;
  std::ofstream file_;
  RunLock lock_;
};

}  // namespace vandrel
