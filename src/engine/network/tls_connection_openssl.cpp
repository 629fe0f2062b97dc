// TLS with OpenSSL. The records go through memory buffers and the connection beneath, so that
// its timeouts, its Interrupt and its care for SIGPIPE hold for TLS too.
#include <arpa/inet.h>
#include <openssl/err.h>
#include <openssl/ssl.h>
#include <openssl/x509v3.h>

#include <algorithm>
#include <climits>
#include <cstdio>

#include "engine/network/connection.h"
#include "engine/network/connection_text.h"
#include "texts/texts.h"

namespace vandrel {
namespace {

// One TLS record's worth: what a Send hands to the connection at a time, and what a Receive
// asks of it.
constexpr int kChunk = 16 * 1024;

// The reason OpenSSL gives last, in its own words, and the queue emptied.
std::string OpenSslReason() {
  std::string reason;
  unsigned long code = 0;
  while ((code = ERR_get_error()) != 0) {
    const char* text = ERR_reason_error_string(code);
    reason = text != nullptr ? std::string(text) : Format(Tr("error %1"), code);
  }
  return reason.empty() ? std::string(Tr("no reason given")) : reason;
}

bool IsIpAddress(const std::string& host) {
  unsigned char address[16];
  return ::inet_pton(AF_INET, host.c_str(), address) == 1 ||
         ::inet_pton(AF_INET6, host.c_str(), address) == 1;
}

class TlsConnection final : public Connection {
 public:
  TlsConnection(std::unique_ptr<Connection> plain, SSL_CTX* context, SSL* ssl, BIO* incoming,
                BIO* outgoing)
      : plain_(std::move(plain)),
        context_(context),
        ssl_(ssl),
        incoming_(incoming),
        outgoing_(outgoing) {}
  ~TlsConnection() override {
    // No close_notify: the server may not read any more, and a run that stops must not wait on
    // it. The protocol above says goodbye in its own words.
    SSL_free(ssl_);  // frees both memory buffers
    SSL_CTX_free(context_);
  }
  TlsConnection(const TlsConnection&) = delete;
  TlsConnection& operator=(const TlsConnection&) = delete;

  bool Handshake(const std::string& host, std::string& error) {
    for (;;) {
      ERR_clear_error();
      const int result = SSL_connect(ssl_);
      if (!Flush(error)) return false;
      if (result == 1) return true;
      const int why = SSL_get_error(ssl_, result);
      if (why == SSL_ERROR_WANT_READ) {
        const int fed = Feed(error);
        if (fed < 0) return false;
        if (fed == 0) {
          error = network::ClosedInsteadOfTls(host);
          return false;
        }
        continue;
      }
      const long verified = SSL_get_verify_result(ssl_);
      if (verified == X509_V_ERR_HOSTNAME_MISMATCH || verified == X509_V_ERR_IP_ADDRESS_MISMATCH) {
        error = network::CertificateForAnotherName(host);
      } else if (verified != X509_V_OK) {
        error = network::CertificateNotTrusted(X509_verify_cert_error_string(verified));
      } else {
        error = network::CannotStartTlsWith(host, OpenSslReason());
      }
      ERR_clear_error();
      return false;
    }
  }

  bool Send(std::string_view bytes, std::string& error) override {
    while (!bytes.empty()) {
      const int size = static_cast<int>(std::min<std::size_t>(bytes.size(), kChunk));
      ERR_clear_error();
      // A memory buffer takes every record, so a write succeeds whole or fails.
      if (SSL_write(ssl_, bytes.data(), size) != size) {
        error = network::CannotSendTls(OpenSslReason());
        return false;
      }
      bytes.remove_prefix(static_cast<std::size_t>(size));
      if (!Flush(error)) return false;
    }
    return true;
  }

  std::ptrdiff_t Receive(char* buffer, std::size_t room, std::string& error) override {
    if (room == 0) {
      error = network::NoRoom();
      return -1;
    }
    const int most = static_cast<int>(std::min<std::size_t>(room, INT_MAX));
    for (;;) {
      ERR_clear_error();
      const int got = SSL_read(ssl_, buffer, most);
      // A read may answer the server (a key update), which goes out now.
      if (!Flush(error)) return -1;
      if (got > 0) return got;
      switch (SSL_get_error(ssl_, got)) {
        case SSL_ERROR_WANT_READ: {
          const int fed = Feed(error);
          if (fed < 0) return -1;
          continue;  // at the end of the stream, the buffer now says so
        }
        case SSL_ERROR_ZERO_RETURN:
          return 0;
        default:
          error = network::CannotReceiveTls(OpenSslReason());
          return -1;
      }
    }
  }

  void Interrupt() override { plain_->Interrupt(); }

 private:
  // Hands what TLS made to the connection beneath.
  bool Flush(std::string& error) {
    char chunk[kChunk];
    for (;;) {
      const int taken = BIO_read(outgoing_, chunk, sizeof chunk);
      if (taken <= 0) return true;
      if (!plain_->Send(std::string_view(chunk, static_cast<std::size_t>(taken)), error)) {
        return false;
      }
    }
  }

  // Gives TLS what the connection beneath received: 1, 0 at its end (the buffer then reports
  // the end to TLS), or -1 with the reason.
  int Feed(std::string& error) {
    char chunk[kChunk];
    const std::ptrdiff_t got = plain_->Receive(chunk, sizeof chunk, error);
    if (got < 0) return -1;
    if (got == 0) {
      BIO_set_mem_eof_return(incoming_, 0);
      return 0;
    }
    if (BIO_write(incoming_, chunk, static_cast<int>(got)) != got) {
      error = network::CannotReceiveTls(std::string(Tr("out of memory")));
      return -1;
    }
    return 1;
  }

  std::unique_ptr<Connection> plain_;
  SSL_CTX* const context_;
  SSL* const ssl_;
  BIO* const incoming_;
  BIO* const outgoing_;
};

}  // namespace

std::unique_ptr<Connection> StartTls(std::unique_ptr<Connection> plain, const std::string& host,
                                     const TlsTrust& trust, std::string& error) {
  const std::string name = network::TlsName(plain != nullptr, host, error);
  if (name.empty()) return nullptr;
  ERR_clear_error();
  SSL_CTX* context = SSL_CTX_new(TLS_client_method());
  if (context == nullptr) {
    error = network::CannotStartTls(OpenSslReason());
    return nullptr;
  }
  SSL_CTX_set_min_proto_version(context, TLS1_2_VERSION);
  SSL_CTX_set_verify(context, SSL_VERIFY_PEER, nullptr);
  // A server that drops the connection without TLS's goodbye has still ended it; what the
  // protocol above expected and missed, it sees for itself.
  SSL_CTX_set_options(context, SSL_OP_IGNORE_UNEXPECTED_EOF);
  SSL_CTX_set_default_verify_paths(context);
  if (!trust.caFile.empty()) {
    // OpenSSL's own words for a file that is missing or holds no certificate say neither.
    std::FILE* probe = std::fopen(trust.caFile.c_str(), "rb");
    if (probe == nullptr) {
      SSL_CTX_free(context);
      error = network::CannotReadCertificateFile(trust.caFile);
      return nullptr;
    }
    std::fclose(probe);
    if (SSL_CTX_load_verify_locations(context, trust.caFile.c_str(), nullptr) != 1) {
      SSL_CTX_free(context);
      ERR_clear_error();
      error = network::NoCertificateInFile(trust.caFile);
      return nullptr;
    }
  }
  SSL* ssl = SSL_new(context);
  BIO* incoming = BIO_new(BIO_s_mem());
  BIO* outgoing = BIO_new(BIO_s_mem());
  if (ssl == nullptr || incoming == nullptr || outgoing == nullptr) {
    BIO_free(incoming);
    BIO_free(outgoing);
    SSL_free(ssl);
    SSL_CTX_free(context);
    error = network::CannotStartTls(OpenSslReason());
    return nullptr;
  }
  // An empty buffer means "wait for more", not the end.
  BIO_set_mem_eof_return(incoming, -1);
  SSL_set_bio(ssl, incoming, outgoing);
  X509_VERIFY_PARAM* check = SSL_get0_param(ssl);
  bool named = false;
  if (IsIpAddress(name)) {
    named = X509_VERIFY_PARAM_set1_ip_asc(check, name.c_str()) == 1;
  } else {
    X509_VERIFY_PARAM_set_hostflags(check, X509_CHECK_FLAG_NO_PARTIAL_WILDCARDS);
    named = X509_VERIFY_PARAM_set1_host(check, name.c_str(), name.size()) == 1 &&
            SSL_set_tlsext_host_name(ssl, name.c_str()) == 1;
  }
  auto tls = std::make_unique<TlsConnection>(std::move(plain), context, ssl, incoming, outgoing);
  if (!named) {
    ERR_clear_error();
    error = Format(Tr("cannot check the server's certificate for the name %1"), name);
    return nullptr;
  }
  if (!tls->Handshake(name, error)) return nullptr;
  return tls;
}

}  // namespace vandrel
