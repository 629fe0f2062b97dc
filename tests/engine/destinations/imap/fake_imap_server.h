// An IMAP server in the test's own process, scripted by its options: no sockets, no threads.
// Each session's Send runs the server on the bytes at once, so its responses are there to
// Receive before Send returns; a Receive with nothing to hand out fails at once rather than
// wait for an answer that cannot come. The server is strict where a real one may be lax
// (literals it did not offer, 8-bit quoted strings, a literal sent before "+"), so that a
// client's fault fails a test instead of passing by luck.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "engine/network/connection.h"

namespace vandrel {

struct FakeImapOptions {
  char separator = '/';
  std::string user = "calypso";
  std::string password = "secret";
  std::string oauthToken = "tok";  // the bearer token XOAUTH2 and OAUTHBEARER accept

  // What is offered, and so taken.
  bool literalPlus = true;
  bool literalMinus = false;  // non-synchronizing literals up to 4096 bytes only
  bool saslIr = true;
  bool startTls = true;  // on sessions not under TLS yet
  bool uidPlus = true;
  bool utf8Accept = false;
  bool binary = false;
  bool xoauth2 = false;
  bool oauthBearer = false;
  std::optional<std::uint64_t> appendLimit;  // APPENDLIMIT=n
  std::string appendLimitCode = "TOOBIG";    // the code an APPEND over it is refused with
  // LOGINDISABLED, and no AUTH=, until the session is under TLS.
  bool plaintextNeedsTls = false;
  // The capabilities in the greeting, and in the tagged OK of a login.
  bool capabilitiesInGreeting = true;
  bool capabilitiesAfterLogin = true;

  // An APPEND whose message holds this is refused with NO [OVERQUOTA] (empty: never).
  std::string quotaMarker;
  // A CREATE of a name holding one of these is refused with NO [CANNOT].
  std::string refusedNameCharacters;
  // The connection drops after this APPEND (counted over the server's life, from 1) is
  // stored, before its OK is sent; once only, so that a new session gets on. 0: never.
  int dropAfterAppend = 0;
  // The server answers this command (counted over its life, from 1) with "* BYE byeText"
  // and closes the connection. 0: never.
  int byeAtCommand = 0;
  std::string byeText = "Server shutting down.";
  // How many sessions may log in over the server's life; later ones are refused with
  // NO [UNAVAILABLE]. -1: any number.
  int maxLogins = -1;
  // Sent in the clear right behind the OK to STARTTLS, as an attacker would inject it.
  std::string afterStartTlsOk;
  // FakeStartTls fails with this (a refused certificate, say); empty: it succeeds.
  std::string tlsFailure;

  std::uint32_t uidValidity = 1700000000;
};

struct FakeImapMessage {
  std::uint32_t uid = 0;
  std::string text;  // the literal's bytes, exactly
  std::vector<std::string> flags;
  std::string internalDate;  // as the APPEND gave it, without the quotes; empty if none
};

struct FakeImapMailbox {
  std::string name;  // as the client named it, with the server's separator
  std::uint32_t uidValidity = 0;
  std::uint32_t uidNext = 1;
  std::vector<FakeImapMessage> messages;
};

// What the server received: a whole command (its literals' bytes in place, its line ends
// kept), or a line answering an AUTHENTICATE challenge.
struct FakeImapReceived {
  int session = 0;  // from 1, in the order of Connect
  bool tls = false;
  bool saslAnswer = false;
  std::string bytes;
};

class FakeImapServer {
 public:
  explicit FakeImapServer(FakeImapOptions options = {});
  ~FakeImapServer();
  FakeImapServer(const FakeImapServer&) = delete;
  FakeImapServer& operator=(const FakeImapServer&) = delete;

  // A new session, greeted; in the clear (STARTTLS to come) or under TLS from the start.
  std::unique_ptr<Connection> Connect();
  std::unique_ptr<Connection> ConnectTls();

  // Before or between sessions: a mailbox (INBOX is there from the start), a message in one.
  void AddMailbox(const std::string& name);
  std::uint32_t AddMessage(const std::string& mailbox, const std::string& text);

  std::vector<std::string> MailboxNames() const;  // sorted, without the implied parents
  std::optional<FakeImapMailbox> Mailbox(const std::string& name) const;
  std::vector<FakeImapReceived> Received() const;
  // Protocol faults of the client that the server answered with BAD, in its words.
  std::vector<std::string> ClientFaults() const;
  int Sessions() const;
  int Logins() const;
  int Appends() const;  // stored, over the server's life

  struct State;

 private:
  std::shared_ptr<State> state_;
};

// Stands for StartTls: the session goes on under TLS once the server said OK to STARTTLS and
// nothing of its is left unread; fails as FakeImapOptions::tlsFailure says.
std::unique_ptr<Connection> FakeStartTls(std::unique_ptr<Connection> plain, std::string& error);

}  // namespace vandrel
