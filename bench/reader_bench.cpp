// Loads a generated 200 MB export and reports throughput and peak memory. The export is
// generated once (bench/generate_export.py) and kept beside the binary; VANDREL_EXPORT
// names another file to load instead.
#include <benchmark/benchmark.h>
#include <sys/resource.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "engine/reading/line_reader.h"
#include "engine/reading/mailbox_reader.h"

namespace vandrel {
namespace {

constexpr int kExportMegabytes = 200;
constexpr int kExportSeed = 1;

class NullStatus : public StatusSink {
 public:
  void SetStatusText(std::string_view text) override { benchmark::DoNotOptimize(text.data()); }
  void SetProgressRange(int) override {}
  void SetProgressPosition(int) override {}
  void StepProgress() override {}
};

// The export to load, generated on first use.
const std::string& ExportPath() {
  static const std::string path = [] {
    if (const char* chosen = std::getenv("VANDREL_EXPORT")) return std::string(chosen);
    const std::string generated = VANDREL_BENCH_EXPORT;
    if (!std::filesystem::exists(generated)) {
      const std::string command = "python3 \"" VANDREL_BENCH_GENERATOR "\" \"" + generated + "\" " +
                                  std::to_string(kExportMegabytes) + " " +
                                  std::to_string(kExportSeed);
      if (std::system(command.c_str()) != 0)
        std::fprintf(stderr, "could not run: %s\n", command.c_str());
    }
    return generated;
  }();
  return path;
}

double PeakResidentMegabytes() {
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  return static_cast<double>(usage.ru_maxrss) / 1024.0;  // kilobytes on Linux
}

void BM_LoadMailbox(benchmark::State& state) {
  const std::string& path = ExportPath();
  const auto size = static_cast<std::int64_t>(std::filesystem::file_size(path));
  NullStatus status;
  std::int32_t messages = 0;
  std::size_t folders = 0;
  for (auto _ : state) {
    MailboxReader reader;
    reader.SetStatusSink(&status);
    if (!reader.LoadMailbox(path)) state.SkipWithError(reader.ErrorMessage().c_str());
    messages = reader.MessageCount();
    folders = reader.Folders()->FolderCount();
  }
  state.SetBytesProcessed(state.iterations() * size);
  state.counters["file_MB"] = static_cast<double>(size) / (1024.0 * 1024.0);
  state.counters["messages"] = messages;
  state.counters["folders"] = static_cast<double>(folders);
  state.counters["peak_rss_MB"] = PeakResidentMegabytes();
}

// The line splitting alone, without building messages.
void BM_ReadLines(benchmark::State& state) {
  const std::string& path = ExportPath();
  const auto size = static_cast<std::int64_t>(std::filesystem::file_size(path));
  std::int64_t lines = 0;
  for (auto _ : state) {
    std::FILE* file = std::fopen(path.c_str(), "rb");
    if (file == nullptr) {
      state.SkipWithError("cannot open the export");
      break;
    }
    LineReader reader(file);
    std::string_view line;
    lines = 0;
    while (reader.NextLine(line))
      ++lines;
    std::fclose(file);
  }
  state.SetBytesProcessed(state.iterations() * size);
  state.counters["lines"] = static_cast<double>(lines);
}

BENCHMARK(BM_ReadLines)->Unit(benchmark::kMillisecond)->Iterations(3)->UseRealTime();
// Last, so that its peak memory is not the line benchmark's.
BENCHMARK(BM_LoadMailbox)->Unit(benchmark::kMillisecond)->Iterations(3)->UseRealTime();

}  // namespace
}  // namespace vandrel

BENCHMARK_MAIN();
