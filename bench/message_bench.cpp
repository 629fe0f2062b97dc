// Load and store of a 1 MiB message: a quoted-printable text body and three base64 attachments;
// and of a 64 KiB text message with the fields the converter writes.
#include <benchmark/benchmark.h>

#include <random>
#include <string>
#include <vector>

#include "mime/mime_part.h"

namespace vandrel::mime {
namespace {

std::string StoredSampleMessage() {
  std::mt19937 rng(7);
  MailMessage message;
  message.SetFieldValue("From", "Jane Doe <jane@example.com>");
  message.SetFieldValue("Subject", "Quarterly figures");
  message.SetBoundary("=_bench_boundary_");
  MimePart* body = message.CreatePart("text");
  body->SetFieldValue("Content-Type", "text/plain; charset=\"iso-8859-1\"");
  body->SetFieldValue("Content-Transfer-Encoding", "quoted-printable");
  std::string text;
  while (text.size() < 100 * 1024)
    text += "Die Zahlen f\xFCr das dritte Quartal liegen bei = 42 %.\r\n";
  body->SetContent(text);
  for (int i = 0; i < 3; ++i) {
    MimePart* attachment = message.CreatePart("application");
    attachment->SetFieldValue("Content-Type",
                              "application/pdf; name=\"report" + std::to_string(i) + ".pdf\"");
    attachment->SetFieldValue("Content-Transfer-Encoding", "base64");
    std::string bytes(230 * 1024, '\0');
    for (char& c : bytes)
      c = static_cast<char>(rng() & 0xFF);
    attachment->SetContent(bytes);
  }
  std::vector<char> buffer(static_cast<std::size_t>(message.GetStoreLength()));
  const int written = message.Store(buffer.data(), static_cast<int>(buffer.size()));
  return std::string(buffer.data(), static_cast<std::size_t>(written));
}

void BM_LoadAndStoreMessage(benchmark::State& state) {
  const std::string text = StoredSampleMessage();
  for (auto _ : state) {
    MailMessage message;
    message.Load(text);
    std::vector<char> buffer(static_cast<std::size_t>(message.GetStoreLength()));
    benchmark::DoNotOptimize(message.Store(buffer.data(), static_cast<int>(buffer.size())));
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) *
                          static_cast<std::int64_t>(text.size()));
  state.counters["message_bytes"] = static_cast<double>(text.size());
}

std::string StoredTextMessage() {
  MailMessage message;
  for (const char* name :
       {"To", "From", "Subject", "MIME-Version", "X-Account-Key", "X-CalypsoFolder", "Return-Path",
        "Message-ID", "X-Priority", "X-Mailer", "X-Mozilla-Status", "X-Mozilla-Status2",
        "X-Envelope-From", "X-Envelope-To"}) {
    message.SetFieldValue(name, std::string("value of ") + name + " <someone@example.com>");
  }
  message.SetBoundary("__=_Part_Boundary_001_012345.678901");
  MimePart* body = message.CreatePart("text");
  body->SetFieldValue("Content-Type", "text/plain; charset=\"windows-1252\"");
  body->SetFieldValue("Content-Transfer-Encoding", "quoted-printable");
  std::string text;
  while (text.size() < 64 * 1024)
    text += "Die Zahlen f\xFCr das dritte Quartal liegen bei 42 Prozent, wie besprochen.\r\n";
  body->SetContent(text);
  std::vector<char> buffer(static_cast<std::size_t>(message.GetStoreLength()));
  const int written = message.Store(buffer.data(), static_cast<int>(buffer.size()));
  return std::string(buffer.data(), static_cast<std::size_t>(written));
}

void BM_LoadAndStoreTextMessage(benchmark::State& state) {
  const std::string text = StoredTextMessage();
  std::vector<char> buffer;
  for (auto _ : state) {
    MailMessage message;
    message.Load(text);
    buffer.resize(static_cast<std::size_t>(message.GetStoreLength()));
    benchmark::DoNotOptimize(message.Store(buffer.data(), static_cast<int>(buffer.size())));
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) *
                          static_cast<std::int64_t>(text.size()));
}

BENCHMARK(BM_LoadAndStoreMessage)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_LoadAndStoreTextMessage)->Unit(benchmark::kMicrosecond);

}  // namespace
}  // namespace vandrel::mime

BENCHMARK_MAIN();
