// TLS with Windows' Schannel. The certificate is checked here, not by Schannel: the chain must
// end at an authority Windows trusts, or at exactly the one in the user's certificate file, and
// the certificate must be for the server's name.
// Winsock before the rest of Windows.
#include <winsock2.h>
#include <ws2tcpip.h>

#include <windows.h>
#define SECURITY_WIN32
#include <schannel.h>
#include <security.h>
#include <wincrypt.h>

#include <algorithm>
#include <cstring>
#include <fstream>
#include <iterator>
#include <optional>
#include <vector>

#include "engine/network/connection.h"
#include "engine/network/connection_text.h"
#include "engine/network/winsock_text_win32.h"
#include "engine/utf8_path.h"
#include "platform/utf16_win32.h"
#include "texts/texts.h"

namespace vandrel {
namespace {

// From wininet.h: the SSL policy's leave to end at an authority the system does not know, which
// is only given once that authority was found to be the user's own.
constexpr DWORD kIgnoreUnknownAuthority = 0x00000100;
// From wininet.h: the policy's leave to skip the name, for an IP address, checked here instead
// (not every Windows, nor Wine, matches addresses).
constexpr DWORD kIgnoreName = 0x00001000;

// What a Receive asks of the connection beneath at a time.
constexpr std::size_t kChunk = 16 * 1024;

std::string StatusText(SECURITY_STATUS status) {
  char code[16];
  std::snprintf(code, sizeof code, "0x%08lX", static_cast<unsigned long>(status));
  const std::optional<std::string> words = network::WinsockWords(static_cast<int>(status));
  return words ? *words + ", " + code : std::string(code);
}

// The certificates of a PEM file, as DER, or false when it cannot be read or holds none.
bool ReadPemCertificates(const std::string& file, std::vector<std::vector<BYTE>>& certificates) {
  std::ifstream in(Utf8Path(file), std::ios::binary);
  if (!in) return false;
  const std::string text{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
  static constexpr std::string_view kBegin = "-----BEGIN CERTIFICATE-----";
  static constexpr std::string_view kEnd = "-----END CERTIFICATE-----";
  for (std::size_t begin = text.find(kBegin); begin != std::string::npos;
       begin = text.find(kBegin, begin + kBegin.size())) {
    const std::size_t end = text.find(kEnd, begin);
    if (end == std::string::npos) break;
    const DWORD length = static_cast<DWORD>(end + kEnd.size() - begin);
    DWORD size = 0;
    if (!::CryptStringToBinaryA(text.data() + begin, length, CRYPT_STRING_BASE64HEADER, nullptr,
                                &size, nullptr, nullptr)) {
      continue;
    }
    std::vector<BYTE> der(size);
    if (::CryptStringToBinaryA(text.data() + begin, length, CRYPT_STRING_BASE64HEADER, der.data(),
                               &size, nullptr, nullptr)) {
      der.resize(size);
      certificates.push_back(std::move(der));
    }
  }
  return !certificates.empty();
}

// The bytes of an IP address, or none when `host` is a name.
std::vector<BYTE> IpAddressBytes(const std::string& host) {
  in6_addr v6;
  in_addr v4;
  if (::inet_pton(AF_INET, host.c_str(), &v4) == 1) {
    const BYTE* bytes = reinterpret_cast<const BYTE*>(&v4);
    return {bytes, bytes + sizeof v4};
  }
  if (::inet_pton(AF_INET6, host.c_str(), &v6) == 1) {
    const BYTE* bytes = reinterpret_cast<const BYTE*>(&v6);
    return {bytes, bytes + sizeof v6};
  }
  return {};
}

// Whether the certificate names the IP address among its alternative names.
bool NamesAddress(PCCERT_CONTEXT certificate, const std::vector<BYTE>& address) {
  const CERT_EXTENSION* names =
      ::CertFindExtension(szOID_SUBJECT_ALT_NAME2, certificate->pCertInfo->cExtension,
                          certificate->pCertInfo->rgExtension);
  if (names == nullptr) return false;
  CERT_ALT_NAME_INFO* info = nullptr;
  DWORD size = 0;
  if (!::CryptDecodeObjectEx(X509_ASN_ENCODING, X509_ALTERNATE_NAME, names->Value.pbData,
                             names->Value.cbData, CRYPT_DECODE_ALLOC_FLAG, nullptr, &info, &size)) {
    return false;
  }
  bool found = false;
  for (DWORD i = 0; i < info->cAltEntry && !found; ++i) {
    const CERT_ALT_NAME_ENTRY& entry = info->rgAltEntry[i];
    found = entry.dwAltNameChoice == CERT_ALT_NAME_IP_ADDRESS &&
            entry.IPAddress.cbData == address.size() &&
            std::memcmp(entry.IPAddress.pbData, address.data(), address.size()) == 0;
  }
  ::LocalFree(info);
  return found;
}

// Windows' reason for a check that could not be made.
std::string CannotCheck() {
  const int code = static_cast<int>(::GetLastError());
  return Format(Tr("cannot check the server's certificate (%1)"), network::WinsockText(code));
}

// Why a chain is not trusted, in words.
std::string ChainFault(DWORD status, DWORD length) {
  if (status & CERT_TRUST_IS_REVOKED) return std::string(Tr("it was revoked"));
  if (status & CERT_TRUST_IS_NOT_TIME_VALID) {
    return std::string(Tr("it has expired or is not valid yet"));
  }
  if (status & CERT_TRUST_IS_NOT_SIGNATURE_VALID)
    return std::string(Tr("its signature is not valid"));
  if (status & CERT_TRUST_IS_NOT_VALID_FOR_USAGE) return std::string(Tr("it is not for servers"));
  if (status & CERT_TRUST_IS_UNTRUSTED_ROOT) {
    return std::string(length <= 1 ? Tr("self-signed certificate")
                                   : Tr("its authority is not trusted"));
  }
  if (status & CERT_TRUST_IS_PARTIAL_CHAIN) return std::string(Tr("its authority is unknown"));
  char code[16];
  std::snprintf(code, sizeof code, "0x%08lX", static_cast<unsigned long>(status));
  return Format(Tr("chain status %1"), code);
}

class TlsConnection final : public Connection {
 public:
  TlsConnection(std::unique_ptr<Connection> plain, std::string host,
                std::vector<std::vector<BYTE>> authorities)
      : plain_(std::move(plain)), host_(std::move(host)), authorities_(std::move(authorities)) {}
  ~TlsConnection() override {
    // No close_notify: the server may not read any more, and a run that stops must not wait on
    // it. The protocol above says goodbye in its own words.
    if (haveContext_) ::DeleteSecurityContext(&context_);
    if (haveCredentials_) ::FreeCredentialsHandle(&credentials_);
  }
  TlsConnection(const TlsConnection&) = delete;
  TlsConnection& operator=(const TlsConnection&) = delete;

  bool Start(std::string& error) {
    SCHANNEL_CRED settings{};
    settings.dwVersion = SCHANNEL_CRED_VERSION;
    settings.grbitEnabledProtocols = SP_PROT_TLS1_2_CLIENT;
    settings.dwFlags =
        SCH_CRED_MANUAL_CRED_VALIDATION | SCH_CRED_NO_DEFAULT_CREDS | SCH_USE_STRONG_CRYPTO;
    TimeStamp expiry;
    const SECURITY_STATUS acquired = ::AcquireCredentialsHandleW(
        nullptr, const_cast<wchar_t*>(UNISP_NAME_W), SECPKG_CRED_OUTBOUND, nullptr, &settings,
        nullptr, nullptr, &credentials_, &expiry);
    if (acquired != SEC_E_OK) {
      error = network::CannotStartTls(StatusText(acquired));
      return false;
    }
    haveCredentials_ = true;
    return Handshake(error) && CheckCertificate(error) && ReadSizes(error);
  }

  bool Send(std::string_view bytes, std::string& error) override {
    std::vector<char> record;
    while (!bytes.empty()) {
      const std::size_t size = std::min<std::size_t>(bytes.size(), sizes_.cbMaximumMessage);
      record.assign(sizes_.cbHeader + size + sizes_.cbTrailer, '\0');
      std::memcpy(record.data() + sizes_.cbHeader, bytes.data(), size);
      SecBuffer buffers[4] = {
          {sizes_.cbHeader, SECBUFFER_STREAM_HEADER, record.data()},
          {static_cast<unsigned long>(size), SECBUFFER_DATA, record.data() + sizes_.cbHeader},
          {sizes_.cbTrailer, SECBUFFER_STREAM_TRAILER, record.data() + sizes_.cbHeader + size},
          {0, SECBUFFER_EMPTY, nullptr}};
      SecBufferDesc message{SECBUFFER_VERSION, 4, buffers};
      const SECURITY_STATUS status = ::EncryptMessage(&context_, 0, &message, 0);
      if (status != SEC_E_OK) {
        error = network::CannotSendTls(StatusText(status));
        return false;
      }
      const std::size_t total = buffers[0].cbBuffer + buffers[1].cbBuffer + buffers[2].cbBuffer;
      if (!plain_->Send(std::string_view(record.data(), total), error)) return false;
      bytes.remove_prefix(size);
    }
    return true;
  }

  std::ptrdiff_t Receive(char* buffer, std::size_t room, std::string& error) override {
    if (room == 0) {
      error = network::NoRoom();
      return -1;
    }
    while (plain_text_.empty()) {
      if (closed_) return 0;
      if (incoming_.empty() && !Feed(error)) return -1;
      if (closed_) return 0;
      if (!Decrypt(error)) return -1;
    }
    const std::size_t given = std::min(room, plain_text_.size());
    std::memcpy(buffer, plain_text_.data(), given);
    plain_text_.erase(plain_text_.begin(),
                      plain_text_.begin() + static_cast<std::ptrdiff_t>(given));
    return static_cast<std::ptrdiff_t>(given);
  }

  void Interrupt() override { plain_->Interrupt(); }

 private:
  // Appends what the connection beneath received to `incoming_`; at its end sets `closed_`.
  bool Feed(std::string& error) {
    char chunk[kChunk];
    const std::ptrdiff_t got = plain_->Receive(chunk, sizeof chunk, error);
    if (got < 0) return false;
    if (got == 0) closed_ = true;
    incoming_.insert(incoming_.end(), chunk, chunk + got);
    return true;
  }

  // Keeps of `incoming_` what the last call left unread: the last `extra` bytes.
  void KeepExtra(unsigned long extra) {
    extra = std::min<unsigned long>(extra, static_cast<unsigned long>(incoming_.size()));
    incoming_.erase(incoming_.begin(), incoming_.end() - extra);
  }

  // Decrypts the records in `incoming_` into `plain_text_`, reading more for a part of one.
  bool Decrypt(std::string& error) {
    for (;;) {
      SecBuffer buffers[4] = {
          {static_cast<unsigned long>(incoming_.size()), SECBUFFER_DATA, incoming_.data()},
          {0, SECBUFFER_EMPTY, nullptr},
          {0, SECBUFFER_EMPTY, nullptr},
          {0, SECBUFFER_EMPTY, nullptr}};
      SecBufferDesc message{SECBUFFER_VERSION, 4, buffers};
      // TLS 1.2 shows a record's kind before it is decrypted. Wine reports the server's
      // close_notify as an alert record without data, not SEC_I_CONTEXT_EXPIRED.
      const bool alert = !incoming_.empty() && static_cast<unsigned char>(incoming_[0]) == 21;
      const SECURITY_STATUS status = ::DecryptMessage(&context_, &message, 0, nullptr);
      if (status == SEC_E_INCOMPLETE_MESSAGE) {
        if (!Feed(error)) return false;
        if (closed_) {
          incoming_.clear();  // a part of a record the server never finished
          return true;
        }
        continue;
      }
      if (status == SEC_I_CONTEXT_EXPIRED) {  // the server's close_notify
        closed_ = true;
        incoming_.clear();
        return true;
      }
      if (status != SEC_E_OK && status != SEC_I_RENEGOTIATE) {
        error = network::CannotReceiveTls(StatusText(status));
        return false;
      }
      unsigned long extra = 0;
      unsigned long decrypted = 0;
      for (const SecBuffer& part : buffers) {
        if (part.BufferType == SECBUFFER_DATA && part.pvBuffer != nullptr) {
          const char* data = static_cast<const char*>(part.pvBuffer);
          plain_text_.insert(plain_text_.end(), data, data + part.cbBuffer);
          decrypted += part.cbBuffer;
        } else if (part.BufferType == SECBUFFER_EXTRA) {
          extra = part.cbBuffer;
        }
      }
      KeepExtra(extra);
      if (status == SEC_E_OK && alert && decrypted == 0) {
        closed_ = true;
        incoming_.clear();
        return true;
      }
      if (status == SEC_I_RENEGOTIATE) {
        // The server starts a handshake again (or sends TLS 1.3's messages after one): what
        // follows goes to the handshake, and the certificate is checked once more.
        return Handshake(error) && CheckCertificate(error);
      }
      return true;
    }
  }

  // Runs a handshake with what `incoming_` holds and what the server sends after it.
  bool Handshake(std::string& error) {
    const DWORD wanted = ISC_REQ_SEQUENCE_DETECT | ISC_REQ_REPLAY_DETECT | ISC_REQ_CONFIDENTIALITY |
                         ISC_REQ_EXTENDED_ERROR | ISC_REQ_ALLOCATE_MEMORY | ISC_REQ_STREAM;
    const std::wstring target = platform::Widen(host_);
    bool first = !haveContext_;
    for (;;) {
      SecBuffer in[2] = {
          {static_cast<unsigned long>(incoming_.size()), SECBUFFER_TOKEN, incoming_.data()},
          {0, SECBUFFER_EMPTY, nullptr}};
      SecBufferDesc inDesc{SECBUFFER_VERSION, 2, in};
      SecBuffer out[1] = {{0, SECBUFFER_TOKEN, nullptr}};
      SecBufferDesc outDesc{SECBUFFER_VERSION, 1, out};
      DWORD given = 0;
      const SECURITY_STATUS status = ::InitializeSecurityContextW(
          &credentials_, first ? nullptr : &context_, const_cast<wchar_t*>(target.c_str()), wanted,
          0, 0, first ? nullptr : &inDesc, 0, first ? &context_ : nullptr, &outDesc, &given,
          nullptr);
      if (first && (status == SEC_E_OK || status == SEC_I_CONTINUE_NEEDED ||
                    status == SEC_I_INCOMPLETE_CREDENTIALS || out[0].cbBuffer > 0)) {
        haveContext_ = true;
      }
      // The token goes out even on a failure: it may be the alert that tells the server why.
      if (out[0].pvBuffer != nullptr) {
        const bool sent =
            out[0].cbBuffer == 0 ||
            plain_->Send(std::string_view(static_cast<char*>(out[0].pvBuffer), out[0].cbBuffer),
                         error);
        ::FreeContextBuffer(out[0].pvBuffer);
        if (!sent) return false;
      }
      if (status == SEC_E_INCOMPLETE_MESSAGE) {
        if (!Feed(error)) return false;
        if (closed_) {
          error = Format(Tr("the server %1 closed the connection during the TLS handshake"), host_);
          return false;
        }
        continue;
      }
      // Without a certificate of our own, a server's request for one is answered with none: the
      // same input again.
      if (status == SEC_I_INCOMPLETE_CREDENTIALS) {
        first = false;
        continue;
      }
      if (!first) KeepExtra(in[1].BufferType == SECBUFFER_EXTRA ? in[1].cbBuffer : 0);
      first = false;
      if (status == SEC_E_OK) return true;
      if (status == SEC_I_CONTINUE_NEEDED) {
        if (incoming_.empty()) {
          if (!Feed(error)) return false;
          if (closed_) {
            error = network::ClosedInsteadOfTls(host_);
            return false;
          }
        }
        continue;
      }
      error = network::CannotStartTlsWith(host_, StatusText(status));
      return false;
    }
  }

  bool CheckCertificate(std::string& error) {
    PCCERT_CONTEXT certificate = nullptr;
    const SECURITY_STATUS queried =
        ::QueryContextAttributesW(&context_, SECPKG_ATTR_REMOTE_CERT_CONTEXT, &certificate);
    if (queried != SEC_E_OK || certificate == nullptr) {
      error = Format(Tr("the server sent no certificate (%1)"), StatusText(queried));
      return false;
    }
    // The user's authorities and the intermediates the server sent, to build the chain with.
    const HCERTSTORE own = ::CertOpenStore(CERT_STORE_PROV_MEMORY, 0, 0, 0, nullptr);
    const HCERTSTORE extra = ::CertOpenStore(CERT_STORE_PROV_COLLECTION, 0, 0, 0, nullptr);
    bool trusted = false;
    if (own != nullptr && extra != nullptr) {
      for (const std::vector<BYTE>& der : authorities_) {
        ::CertAddEncodedCertificateToStore(own, X509_ASN_ENCODING, der.data(),
                                           static_cast<DWORD>(der.size()), CERT_STORE_ADD_ALWAYS,
                                           nullptr);
      }
      ::CertAddStoreToCollection(extra, own, 0, 0);
      if (certificate->hCertStore != nullptr) {
        ::CertAddStoreToCollection(extra, certificate->hCertStore, 0, 0);
      }
      trusted = CheckChain(certificate, extra, error);
    } else {
      error = CannotCheck();
    }
    if (extra != nullptr) ::CertCloseStore(extra, 0);
    if (own != nullptr) ::CertCloseStore(own, 0);
    ::CertFreeCertificateContext(certificate);
    return trusted;
  }

  bool CheckChain(PCCERT_CONTEXT certificate, HCERTSTORE extra, std::string& error) {
    LPSTR serverUse = const_cast<LPSTR>(szOID_PKIX_KP_SERVER_AUTH);
    CERT_CHAIN_PARA request{};
    request.cbSize = sizeof request;
    request.RequestedUsage.dwType = USAGE_MATCH_TYPE_AND;
    request.RequestedUsage.Usage.cUsageIdentifier = 1;
    request.RequestedUsage.Usage.rgpszUsageIdentifier = &serverUse;
    PCCERT_CHAIN_CONTEXT chain = nullptr;
    if (!::CertGetCertificateChain(nullptr, certificate, nullptr, extra, &request, 0, nullptr,
                                   &chain)) {
      error = CannotCheck();
      return false;
    }
    const bool result = CheckTrustedChain(chain, error);
    ::CertFreeCertificateChain(chain);
    return result;
  }

  bool CheckTrustedChain(PCCERT_CHAIN_CONTEXT chain, std::string& error) {
    const DWORD status = chain->TrustStatus.dwErrorStatus;
    const CERT_SIMPLE_CHAIN* simple = chain->cChain > 0 ? chain->rgpChain[0] : nullptr;
    if (simple == nullptr || simple->cElement == 0) {
      error = network::CertificateNotTrusted(std::string(Tr("no chain")));
      return false;
    }
    bool ownAuthority = false;
    if (status != CERT_TRUST_NO_ERROR) {
      // Only an authority the system does not know, and that is exactly the user's own.
      const CERT_CONTEXT* root = simple->rgpElement[simple->cElement - 1]->pCertContext;
      ownAuthority =
          status == CERT_TRUST_IS_UNTRUSTED_ROOT &&
          std::any_of(authorities_.begin(), authorities_.end(),
                      [root](const std::vector<BYTE>& der) {
                        return der.size() == root->cbCertEncoded &&
                               std::memcmp(der.data(), root->pbCertEncoded, der.size()) == 0;
                      });
      if (!ownAuthority) {
        error = network::CertificateNotTrusted(ChainFault(status, simple->cElement));
        return false;
      }
    }
    // The name, and what else the SSL policy asks of a server's chain.
    std::wstring name = platform::Widen(host_);
    SSL_EXTRA_CERT_CHAIN_POLICY_PARA ssl{};
    ssl.cbSize = sizeof ssl;
    ssl.dwAuthType = AUTHTYPE_SERVER;
    ssl.fdwChecks = ownAuthority ? kIgnoreUnknownAuthority : 0;
    const std::vector<BYTE> address = IpAddressBytes(host_);
    if (!address.empty()) {
      if (!NamesAddress(simple->rgpElement[0]->pCertContext, address)) {
        error = network::CertificateForAnotherName(host_);
        return false;
      }
      ssl.fdwChecks |= kIgnoreName;
    }
    ssl.pwszServerName = name.data();
    CERT_CHAIN_POLICY_PARA policy{};
    policy.cbSize = sizeof policy;
    policy.pvExtraPolicyPara = &ssl;
    CERT_CHAIN_POLICY_STATUS verdict{};
    verdict.cbSize = sizeof verdict;
    if (!::CertVerifyCertificateChainPolicy(CERT_CHAIN_POLICY_SSL, chain, &policy, &verdict)) {
      error = CannotCheck();
      return false;
    }
    if (verdict.dwError == static_cast<DWORD>(CERT_E_CN_NO_MATCH)) {
      error = network::CertificateForAnotherName(host_);
      return false;
    }
    if (verdict.dwError != 0) {
      error =
          network::CertificateNotTrusted(StatusText(static_cast<SECURITY_STATUS>(verdict.dwError)));
      return false;
    }
    return true;
  }

  bool ReadSizes(std::string& error) {
    const SECURITY_STATUS status =
        ::QueryContextAttributesW(&context_, SECPKG_ATTR_STREAM_SIZES, &sizes_);
    if (status != SEC_E_OK || sizes_.cbMaximumMessage == 0) {
      error = network::CannotStartTlsWith(host_, StatusText(status));
      return false;
    }
    return true;
  }

  std::unique_ptr<Connection> plain_;
  const std::string host_;
  const std::vector<std::vector<BYTE>> authorities_;
  CredHandle credentials_{};
  CtxtHandle context_{};
  bool haveCredentials_ = false;
  bool haveContext_ = false;
  SecPkgContext_StreamSizes sizes_{};
  std::vector<char> incoming_;    // received, not yet decrypted
  std::vector<char> plain_text_;  // decrypted, not yet given out
  bool closed_ = false;           // the server ended the stream
};

}  // namespace

std::unique_ptr<Connection> StartTls(std::unique_ptr<Connection> plain, const std::string& host,
                                     const TlsTrust& trust, std::string& error) {
  const std::string name = network::TlsName(plain != nullptr, host, error);
  if (name.empty()) return nullptr;
  std::vector<std::vector<BYTE>> authorities;
  if (!trust.caFile.empty()) {
    if (!std::ifstream(Utf8Path(trust.caFile), std::ios::binary)) {
      error = network::CannotReadCertificateFile(trust.caFile);
      return nullptr;
    }
    if (!ReadPemCertificates(trust.caFile, authorities)) {
      error = network::NoCertificateInFile(trust.caFile);
      return nullptr;
    }
  }
  auto tls = std::make_unique<TlsConnection>(std::move(plain), name, std::move(authorities));
  if (!tls->Start(error)) return nullptr;
  return tls;
}

}  // namespace vandrel
