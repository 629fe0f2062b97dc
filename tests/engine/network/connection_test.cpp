// TCP and TLS against the servers test_servers.py runs: what is trusted and what is refused,
// large transfers both ways, the end of a stream, Interrupt from another thread, and the
// reasons a connection fails.
#include "engine/network/connection.h"

#include <gtest/gtest.h>

#include <future>
#include <random>
#include <string>
#include <thread>

#include "engine/network/connection_text.h"
#include "network/test_servers.h"
#include "temp_folder.h"
#include "texts/scoped_language.h"

namespace vandrel {
namespace {

using test::TestServers;

// A connection to the named test server, TLS started when `caFile` is given.
std::unique_ptr<Connection> Open(const std::string& host, const std::string& server, bool tls,
                                 const std::string& caFile, std::string& error,
                                 const ConnectionTimeouts& timeouts = {}) {
  auto connection = ConnectTcp(host, TestServers::Get().Port(server), timeouts, error);
  if (!connection || !tls) return connection;
  return StartTls(std::move(connection), host, TlsTrust{caFile}, error);
}

std::string RandomBytes(std::size_t size, unsigned seed) {
  std::mt19937 random(seed);
  std::string bytes(size, '\0');
  for (char& byte : bytes)
    byte = static_cast<char>(random());
  return bytes;
}

// Receives exactly `size` bytes in pieces of `room`; fewer when the stream ends or fails.
std::string ReceiveExactly(Connection& connection, std::size_t size, std::size_t room,
                           std::string& error) {
  std::string received;
  std::string buffer(room + 16, '#');  // what lies past `room` must stay untouched
  while (received.size() < size) {
    const std::ptrdiff_t got = connection.Receive(buffer.data(), room, error);
    if (got <= 0) break;
    EXPECT_LE(static_cast<std::size_t>(got), room);
    received.append(buffer.data(), static_cast<std::size_t>(got));
  }
  EXPECT_EQ(buffer.substr(room), std::string(16, '#'));
  return received;
}

TEST(ConnectionTest, EchoesMegabytesBothWaysOverTrustedConnections) {
  const auto& servers = TestServers::Get();
  const struct {
    const char* host;
    const char* server;
    bool tls;
    std::string caFile;
    std::size_t room;
  } cases[] = {
      {"localhost", "echo", true, servers.File("ca.pem"), 7001},
      {"127.0.0.1", "echo", true, servers.File("ca.pem"), 1 << 20},
      {"localhost", "self", true, servers.File("self.pem"), 1},
      {"127.0.0.1", "plain-echo", false, "", 65536},
  };
  unsigned seed = 1;
  for (const auto& c : cases) {
    SCOPED_TRACE(std::string(c.host) + " " + c.server);
    std::string error;
    auto connection = Open(c.host, c.server, c.tls, c.caFile, error);
    ASSERT_TRUE(connection) << error;
    // A tiny one first, then megabytes, which fill every buffer on the way.
    for (const std::size_t size : {std::size_t{5}, std::size_t{6} << 20}) {
      const std::size_t room = size < 100 ? 1 : c.room;
      const std::string payload = RandomBytes(size, seed++);
      ASSERT_TRUE(connection->Send(std::to_string(size) + "\n" + payload, error)) << error;
      const std::string back = ReceiveExactly(*connection, size, room, error);
      ASSERT_EQ(back.size(), size) << error;
      EXPECT_TRUE(back == payload);
    }
  }
}

TEST(ConnectionTest, RefusesServersItCannotTrust) {
  const auto& servers = TestServers::Get();
  TempFolder temp;
  const std::string notACertificate = temp.WriteFile("notes.pem", "no certificate here\n");
  const std::string missing = PathText(temp.Path() / "missing.pem");
  const struct {
    const char* host;
    const char* server;
    std::string caFile;
    std::string reason;  // how the error starts
  } cases[] = {
      {"localhost", "echo", "", "the server's certificate is not trusted ("},
      {"localhost", "echo", servers.File("self.pem"), "the server's certificate is not trusted ("},
      {"localhost", "self", servers.File("ca.pem"), "the server's certificate is not trusted ("},
      {"localhost", "other", servers.File("ca.pem"),
       "the server's certificate is for another name than localhost"},
      {"127.0.0.1", "other", servers.File("ca.pem"),
       "the server's certificate is for another name than 127.0.0.1"},
      {"localhost", "echo", missing, "cannot read the certificate file " + missing},
      {"localhost", "echo", notACertificate, "cannot read the certificate file " + notACertificate},
      // A server that answers without TLS.
      {"localhost", "plain-greets", servers.File("ca.pem"), ""},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(std::string(c.host) + " " + c.server + " " + c.caFile);
    std::string error;
    const auto connection = Open(c.host, c.server, true, c.caFile, error);
    EXPECT_FALSE(connection);
    EXPECT_FALSE(error.empty());
    EXPECT_EQ(error.substr(0, c.reason.size()), c.reason) << error;
  }
}

TEST(ConnectionTest, ReceiveGivesZeroOnceTheServerClosed) {
  const auto& servers = TestServers::Get();
  const struct {
    const char* server;
    bool tls;
    std::string said;
  } cases[] = {
      {"closes", true, "bye\n"},
      {"plain-greets", false, "* OK no TLS here\r\n"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.server);
    std::string error;
    auto connection = Open("localhost", c.server, c.tls, servers.File("ca.pem"), error);
    ASSERT_TRUE(connection) << error;
    EXPECT_EQ(ReceiveExactly(*connection, c.said.size(), 3, error), c.said) << error;
    char byte = 0;
    EXPECT_EQ(connection->Receive(&byte, 1, error), 0) << error;
  }
}

// Another thread's Interrupt ends a Receive or a Send the server leaves waiting, and every later
// call fails at once.
TEST(ConnectionTest, InterruptEndsABlockedCallAndEveryLaterOne) {
  const auto& servers = TestServers::Get();
  for (const bool tls : {true, false}) {
    for (const bool sending : {false, true}) {
      SCOPED_TRACE(std::string(tls ? "TLS " : "TCP ") + (sending ? "Send" : "Receive"));
      std::string error;
      auto connection =
          Open("127.0.0.1", tls ? "silent" : "plain-silent", tls, servers.File("ca.pem"), error);
      ASSERT_TRUE(connection) << error;
      // The server reads nothing, so sockets' buffers fill long before this is sent.
      const std::string huge(64 << 20, 'x');
      std::promise<void> started;
      auto call = std::async(std::launch::async, [&] {
        std::string reason;
        started.set_value();
        char buffer[64];
        const bool failed =
            sending ? !connection->Send(huge, reason) : connection->Receive(buffer, 64, reason) < 0;
        return failed ? reason : std::string("succeeded");
      });
      started.get_future().wait();
      connection->Interrupt();
      EXPECT_EQ(call.get(), "the connection was stopped");
      char byte = 0;
      EXPECT_EQ(connection->Receive(&byte, 1, error), -1);
      EXPECT_EQ(error, "the connection was stopped");
      error.clear();
      EXPECT_FALSE(connection->Send("a", error));
      EXPECT_EQ(error, "the connection was stopped");
    }
  }
}

TEST(ConnectionTest, AServerThatDoesNotAnswerTimesOut) {
  const auto& servers = TestServers::Get();
  ConnectionTimeouts timeouts;
  timeouts.transferSeconds = 1;
  std::string error;
  auto connection = Open("127.0.0.1", "plain-silent", false, "", error, timeouts);
  ASSERT_TRUE(connection) << error;
  char byte = 0;
  EXPECT_EQ(connection->Receive(&byte, 1, error), -1);
  EXPECT_EQ(error, "the server did not answer for 1 second");
  // A TLS handshake the server never answers.
  error.clear();
  EXPECT_FALSE(Open("127.0.0.1", "plain-silent", true, servers.File("ca.pem"), error, timeouts));
  EXPECT_EQ(error, "the server did not answer for 1 second");
}

TEST(ConnectionTest, SaysWhyItCannotConnect) {
  const std::string refused = std::to_string(TestServers::Get().Port("refused"));
  const struct {
    const char* host;
    std::uint16_t port;
    std::string error;
  } cases[] = {
      {"127.0.0.1", TestServers::Get().Port("refused"),
       "cannot connect to 127.0.0.1:" + refused + ": Connection refused"},
      {"localhost", TestServers::Get().Port("refused"),
       "cannot connect to localhost:" + refused + ": Connection refused"},
      {"no-such-server.invalid", 993, "cannot find the server no-such-server.invalid"},
  };
  for (const auto& c : cases) {
    std::string error;
    EXPECT_FALSE(ConnectTcp(c.host, c.port, error));
    EXPECT_EQ(error, c.error);
  }
}

// German puts the address and the system's reason where its sentences want them, and counts
// seconds in the form the number takes.
TEST(ConnectionTest, SaysWhyInGerman) {
  const ScopedLanguage german(Language::kGerman);
  const struct {
    int seconds;
    std::string noAnswer;
    std::string timedOut;
  } counts[] = {
      {1, "der Server hat 1 Sekunde lang nicht geantwortet",
       "keine Verbindung zu h:1 möglich: keine Antwort innerhalb von 1 Sekunde"},
      {60, "der Server hat 60 Sekunden lang nicht geantwortet",
       "keine Verbindung zu h:1 möglich: keine Antwort innerhalb von 60 Sekunden"},
  };
  for (const auto& c : counts) {
    EXPECT_EQ(network::NoAnswer(c.seconds), c.noAnswer);
    EXPECT_EQ(network::ConnectTimedOut("h:1", c.seconds), c.timedOut);
  }
  const std::string refused = std::to_string(TestServers::Get().Port("refused"));
  std::string error;
  EXPECT_FALSE(ConnectTcp("127.0.0.1", TestServers::Get().Port("refused"), error));
  // The reason is the system's, in the system's words.
  EXPECT_TRUE(error.starts_with("keine Verbindung zu 127.0.0.1:" + refused + " möglich: "))
      << error;
  EXPECT_FALSE(ConnectTcp("no-such-server.invalid", 993, error));
  EXPECT_EQ(error, "der Server no-such-server.invalid wurde nicht gefunden");
  const auto& servers = TestServers::Get();
  EXPECT_FALSE(Open("localhost", "other", true, servers.File("ca.pem"), error));
  EXPECT_EQ(error, "das Zertifikat des Servers gilt für einen anderen Namen als localhost");
  EXPECT_FALSE(Open("localhost", "echo", true, "", error));
  EXPECT_TRUE(error.starts_with("dem Zertifikat des Servers wird nicht vertraut (")) << error;
}

}  // namespace
}  // namespace vandrel
