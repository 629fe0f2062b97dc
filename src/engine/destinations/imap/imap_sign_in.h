// Opening an account: connect, TLS (from the first byte, or STARTTLS, which must be offered),
// sign in with the strongest way the server offers for what the user handed in, and switch on
// what the upload uses (UTF8=ACCEPT).
#pragma once

#include <functional>
#include <memory>
#include <string>

#include "engine/conversion_request.h"
#include "engine/destinations/imap/imap_account.h"
#include "engine/destinations/imap/imap_client.h"

namespace vandrel {

// How connections are made; tests put a server of their own behind it.
struct ImapNetwork {
  std::function<std::unique_ptr<Connection>(const std::string& host, std::uint16_t port,
                                            std::string& error)>
      connect;
  std::function<std::unique_ptr<Connection>(std::unique_ptr<Connection> plain,
                                            const std::string& host, std::string& error)>
      startTls;

  // TCP and the system's TLS, trusting the system's authorities and `caFile`.
  static ImapNetwork System(const std::string& caFile);
};

struct OpenedAccount {
  std::unique_ptr<ImapClient> client;  // null when it failed
  std::string problem;                 // why it failed
  // The failure is the network's (worth another try), not the server's or the user's.
  bool retryable = false;
};

OpenedAccount OpenAccount(const ImapAccount& account, const AccountAccess& access,
                          const ImapNetwork& network);

// "user@host:port" as lines about the account name it: no password, ever.
std::string AccountName(const ImapAccount& account);

}  // namespace vandrel
