// Putting one message file into a maildir folder the way the Maildir rules want it: a name no
// other delivery can have, the file written in tmp/ and renamed into cur/ only when complete,
// so a reader never sees half a message. Nothing here knows how folders are named.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace vandrel {

// Between a file's unique name and its flags. Windows refuses ':' in file names; "!" is what
// the Windows maildir tools took instead (and what Dovecot's maildir_info_separator is set to
// for such folders).
#ifdef _WIN32
inline constexpr char kMaildirInfoSeparator = '!';
#else
inline constexpr char kMaildirInfoSeparator = ':';
#endif

// The host name as a Maildir file name carries it: "/" and ":" written as \057 and \072.
std::string MaildirHostName(std::string_view host);

// "<seconds>.M<microseconds>P<process>Q<count>.<host>".
std::string MaildirUniqueName(std::int64_t seconds, std::int64_t microseconds, std::int64_t process,
                              std::uint64_t count, std::string_view host);

// The message text as a maildir file holds it: every CR LF made LF. Maildir files are LF text
// like every other local mail file: Dovecot stores its own so (mail_save_crlf=no) and makes the
// CR LF of IMAP itself; mutt and other local readers show a CR before each LF as "^M" where
// they do not strip it. A CR alone stays.
std::string MaildirText(std::string_view crLfText);

class MaildirDelivery {
 public:
  MaildirDelivery();

  // Writes the bytes as a new message in `folderDir` (which has tmp/ and cur/), unread: in
  // cur/ with no flags. The file's time is `time` (seconds since the epoch) when known, which
  // IMAP servers show as the date the message arrived. The file is not flushed: see
  // SyncFileSystemOf. False, with the error line's text in `error`, when it fails; then
  // nothing of the message is left.
  bool Deliver(const std::string& folderDir, std::string_view bytes,
               std::optional<std::int64_t> time, std::string& error);

 private:
  std::string NextName();

  std::string host_;
  std::int64_t process_ = 0;
  std::uint64_t count_ = 0;
};

}  // namespace vandrel
