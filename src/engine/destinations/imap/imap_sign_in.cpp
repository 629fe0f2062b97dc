#include "engine/destinations/imap/imap_sign_in.h"

#include <utility>

#include "mime/base64_codec.h"
#include "texts/texts.h"

namespace vandrel {
namespace {

std::string Base64(std::string_view bytes) {
  mime::Base64Codec codec;
  codec.SetInput(bytes.data(), static_cast<int>(bytes.size()), true);
  std::string encoded(static_cast<std::size_t>(codec.OutputLength()), '\0');
  encoded.resize(
      static_cast<std::size_t>(codec.Output(encoded.data(), static_cast<int>(encoded.size()))));
  return encoded;
}

OpenedAccount Failed(std::string problem, bool retryable) {
  return {nullptr, std::move(problem), retryable};
}

// AUTHENTICATE with an initial response: in the command where SASL-IR allows it, else after
// the server's empty challenge. A challenge after the response is the server's error (XOAUTH2
// and OAUTHBEARER send one); it is answered with an empty line to get the refusal.
ImapReply Authenticate(ImapClient& client, std::string_view mechanism,
                       const std::string& response) {
  const std::string command = "AUTHENTICATE " + std::string(mechanism);
  ImapReply reply;
  if (client.Has("SASL-IR")) {
    reply = client.Command(command + " " + (response.empty() ? "=" : response));
  } else {
    reply = client.Command(command);
    if (reply.status == ImapReply::Status::kContinue) reply = client.Answer(response);
  }
  if (reply.status == ImapReply::Status::kContinue) reply = client.Answer("");
  if (reply.status == ImapReply::Status::kContinue)
    return {ImapReply::Status::kNo,
            {},
            std::string(Tr("the server asked for more than a sign-in takes"))};
  return reply;
}

ImapReply SignInWithToken(ImapClient& client, const ImapAccount& account, const std::string& token,
                          std::string& problem) {
  if (client.Has("AUTH=OAUTHBEARER")) {
    // ^A separates the fields; as an escape in a literal it would take the hex letters after it.
    const std::string soh(1, '\x01');
    const std::string response = "n,a=" + account.user + "," + soh + "host=" + account.host + soh +
                                 "port=" + std::to_string(account.port) + soh + "auth=Bearer " +
                                 token + soh + soh;
    return Authenticate(client, "OAUTHBEARER", Base64(response));
  }
  if (client.Has("AUTH=XOAUTH2")) {
    return Authenticate(client, "XOAUTH2",
                        Base64("user=" + account.user + std::string(1, '\x01') + "auth=Bearer " +
                               token + "\x01\x01"));
  }
  problem =
      Tr("the server does not take a token (it offers neither OAUTHBEARER nor XOAUTH2); use a "
         "password instead");
  return {ImapReply::Status::kNo, {}, {}};
}

ImapReply SignInWithPassword(ImapClient& client, const ImapAccount& account,
                             const std::string& password, std::string& problem) {
  if (client.Has("AUTH=PLAIN"))
    return Authenticate(client, "PLAIN",
                        Base64(std::string(1, '\0') + account.user + '\0' + password));
  if (client.Has("LOGINDISABLED")) {
    problem = Tr("the server offers no way to sign in with a password");
    return {ImapReply::Status::kNo, {}, {}};
  }
  return client.Command({{ImapArgument::Kind::kText, "LOGIN "},
                         {ImapArgument::Kind::kString, account.user},
                         {ImapArgument::Kind::kText, " "},
                         {ImapArgument::Kind::kString, password}});
}

OpenedAccount SignIn(std::unique_ptr<ImapClient> client, const ImapAccount& account,
                     const AccountAccess& access) {
  std::string problem;
  const ImapReply reply = access.token.empty()
                              ? SignInWithPassword(*client, account, access.password, problem)
                              : SignInWithToken(*client, account, access.token, problem);
  if (!problem.empty()) return Failed(problem, false);
  if (reply.status == ImapReply::Status::kLost)
    return Failed(Format(Tr("the connection was lost while signing in: %1"), reply.text), true);
  if (!reply.Ok())
    return Failed(Format(Tr("the server refused the sign-in: %1"), reply.Told()), false);
  // Servers announce other capabilities once signed in.
  if (!reply.code.starts_with("CAPABILITY ") && !client->RefreshCapabilities().Ok())
    return Failed(std::string(Tr("the server did not say what it can do after the sign-in")), true);
  if (client->Has("UTF8=ACCEPT") && client->Has("ENABLE")) {
    const ImapReply enabled = client->Command("ENABLE UTF8=ACCEPT");
    if (enabled.status == ImapReply::Status::kLost) return Failed(enabled.text, true);
    for (const ImapResponse& response : client->Untagged()) {
      if (response.name != "ENABLED") continue;
      for (const ImapValue& value : response.values)
        if (value.text == "UTF8=ACCEPT") client->SetUtf8(true);
    }
  }
  return {std::move(client), {}, false};
}

}  // namespace

std::string AccountName(const ImapAccount& account) {
  return account.user + "@" + account.host + ":" + std::to_string(account.port);
}

OpenedAccount OpenAccount(const ImapAccount& account, const AccountAccess& access,
                          const ImapNetwork& network) {
  const std::string where = account.host + ":" + std::to_string(account.port);
  std::string error;
  std::unique_ptr<Connection> connection = network.connect(account.host, account.port, error);
  if (connection == nullptr) return Failed(error, true);
  if (account.security == ImapSecurity::kTls) {
    connection = network.startTls(std::move(connection), account.host, error);
    if (connection == nullptr) return Failed(error, false);
  }
  auto client = std::make_unique<ImapClient>(std::move(connection));
  const ImapReply greeting = client->Greeting();
  if (greeting.status == ImapReply::Status::kLost)
    return Failed(Format(Tr("%1 did not greet as an IMAP server: %2"), where, greeting.text), true);
  if (!greeting.Ok())
    return Failed(Format(Tr("%1 refused the connection: %2"), where, greeting.Told()), true);
  if (account.security == ImapSecurity::kStartTls) {
    if (!client->Has("STARTTLS") && !client->RefreshCapabilities().Ok())
      return Failed(Format(Tr("%1 did not say what it can do"), where), true);
    if (!client->Has("STARTTLS"))
      return Failed(Format(Tr("%1 does not offer STARTTLS, and a password never travels in the "
                              "clear; use imaps:// if the server offers TLS on another port"),
                           where),
                    false);
    const ImapReply started =
        client->StartTls([&](std::unique_ptr<Connection> plain, std::string& why) {
          return network.startTls(std::move(plain), account.host, why);
        });
    if (!started.Ok()) return Failed(Format(Tr("STARTTLS failed: %1"), started.Told()), false);
  } else if (!client->Has("IMAP4REV1") && !client->RefreshCapabilities().Ok()) {
    return Failed(Format(Tr("%1 did not say what it can do"), where), true);
  }
  return SignIn(std::move(client), account, access);
}

ImapNetwork ImapNetwork::System(const std::string& caFile) {
  ImapNetwork network;
  network.connect = [](const std::string& host, std::uint16_t port, std::string& error) {
    return ConnectTcp(host, port, error);
  };
  network.startTls = [caFile](std::unique_ptr<Connection> plain, const std::string& host,
                              std::string& error) {
    return StartTls(std::move(plain), host, TlsTrust{caFile}, error);
  };
  return network;
}

}  // namespace vandrel
