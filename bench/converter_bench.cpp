// Converting one message: with a 10 MiB attached file (read, base64, store, line ends), with
// 1 MiB of text (quoted-printable), and with 2 KiB of text, where the fields cost the most.
#include <benchmark/benchmark.h>

#include <filesystem>
#include <fstream>
#include <random>
#include <string>

#include "engine/converting/message_converter.h"

namespace vandrel {
namespace {

namespace fs = std::filesystem;

constexpr std::size_t kMiB = 1 << 20;

struct AttachmentFixture {
  AttachmentFixture() {
    folder =
        fs::temp_directory_path() / ("vandrel-bench-" + std::to_string(std::random_device()()));
    fs::create_directories(folder / "Attach");
    std::mt19937 rng(3);
    std::string bytes(10 * kMiB, '\0');
    for (char& c : bytes)
      c = static_cast<char>(rng() & 0xFF);
    std::ofstream(folder / "Attach" / "video.bin", std::ios::binary) << bytes;
  }
  ~AttachmentFixture() { fs::remove_all(folder); }
  fs::path folder;
};

std::string ExportedMessage(const std::string& extraHeader, const std::string& body) {
  return "From ???@??? Mon Jan 01 00:00:00 2001\r\nFrom: \"Jane\" <jane@example.com>\r\n"
         "To: joe@example.com\r\nSubject: Figures\r\nX-CalypsoFolder: Inbox\r\n" +
         extraHeader + "\r\n" + body;
}

void BM_ConvertMessageWithTenMiBAttachment(benchmark::State& state) {
  AttachmentFixture fixture;
  const std::string message =
      ExportedMessage("X-Attachment: \"C:\\Calypso\\Attach\\video.bin\";\r\n", "Hi\r\n");
  MessageConverter converter({fixture.folder.string()});
  for (auto _ : state)
    benchmark::DoNotOptimize(converter.ConvertMessage(message));
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) *
                          static_cast<std::int64_t>(10 * kMiB));
}

void BM_ConvertMessageWithOneMiBText(benchmark::State& state) {
  std::string body;
  while (body.size() < kMiB)
    body += "Die Zahlen f\xFCr das dritte Quartal liegen bei 42 Prozent.\r\n";
  const std::string message = ExportedMessage("", body);
  MessageConverter converter;
  for (auto _ : state)
    benchmark::DoNotOptimize(converter.ConvertMessage(message));
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) *
                          static_cast<std::int64_t>(message.size()));
}

void BM_ConvertMessageWithTwoKiBText(benchmark::State& state) {
  std::string body;
  while (body.size() < 2 * 1024)
    body += "Die Zahlen f\xFCr das dritte Quartal liegen bei 42 Prozent.\r\n";
  const std::string message = ExportedMessage(
      "Date: Mon, 1 Jan 2001 10:00:00 +0100\r\nMessage-ID: <1.2@example.de>\r\n"
      "X-CalypsoAccount: Standard\r\n",
      body);
  MessageConverter converter;
  for (auto _ : state)
    benchmark::DoNotOptimize(converter.ConvertMessage(message));
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) *
                          static_cast<std::int64_t>(message.size()));
}

BENCHMARK(BM_ConvertMessageWithTenMiBAttachment)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ConvertMessageWithOneMiBText)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ConvertMessageWithTwoKiBText)->Unit(benchmark::kMicrosecond);

}  // namespace
}  // namespace vandrel

BENCHMARK_MAIN();
