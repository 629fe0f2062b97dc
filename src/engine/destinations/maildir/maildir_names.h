// Folder names in a Maildir++ directory, as Dovecot (LAYOUT=maildir++, its default) and Courier
// read them: folder "Calypso/Family/Holidays" is the directory ".Calypso.Family.Holidays" beside
// cur, new and tmp, each name in modified UTF-7 (RFC 3501 5.1.3).
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace vandrel {

// A file name holds at most this many bytes on every file system a Maildir is kept on.
inline constexpr std::size_t kMaxMaildirName = 255;

// Modified UTF-7 of well-formed UTF-8: printable ASCII as it is, "&" as "&-", everything else
// as UTF-16 in base64 (with "," for "/") between "&" and "-".
std::string ModifiedUtf7(std::string_view utf8);

// The name a folder can have there. "." separates folders in Maildir++ and "/" in IMAP (Dovecot
// refuses both inside a name unless its listescape plugin is on), so both become "_", as "/"
// does in the Thunderbird profile: a reader sees the name it knows with one mark changed.
// Control characters (which IMAP clients show as nothing or choke on) and bytes that are not
// UTF-8 become "_" too; on Windows also the characters it refuses in file names.
std::string UsableSegment(std::string_view segment);
// The same for a mailbox a server keeps, where names are no file names: the same on every
// system, so that a rerun from another one finds the same folders.
std::string UsableMailboxSegment(std::string_view segment);

// The segment in modified UTF-7, cut at the end by whole characters until, with `suffix`
// after it, it fits in `room` bytes; empty when not even one character fits.
std::string StoredSegment(std::string_view usableSegment, std::string_view suffix,
                          std::size_t room);

}  // namespace vandrel
