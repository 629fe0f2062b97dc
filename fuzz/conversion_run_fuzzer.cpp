// A whole run on arbitrary export bytes: into a fresh output folder, with the files the export
// names looked up in a small fixture folder. The run must finish, write nothing outside the
// output folder, and write exactly as many messages as the export holds (the lines that start
// with the separator; the reader's own count for a UTF-16 export).
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <set>
#include <string>
#include <string_view>

#include "engine/conversion.h"
#include "engine/reading/mailbox_reader.h"
#include "fuzz_files.h"
#include "log/log_view.h"

namespace fs = std::filesystem;

namespace {

// A few files as the export names them: C:\Calypso\Attach\... and C:\Calypso\Html\...
const fs::path& Fixture() {
  static const fs::path folder = [] {
    const fs::path root = vandrel::fuzz::WorkFolder() / "fixture";
    fs::create_directories(root / "Attach");
    fs::create_directories(root / "Html");
    vandrel::fuzz::WriteBytes(root / "Attach" / "photo.jpg", std::string("\xFF\xD8\xFF\xE0", 4));
    vandrel::fuzz::WriteBytes(root / "Attach" / "notes.txt", "From here\r\nline\nlone\r");
    vandrel::fuzz::WriteBytes(root / "Attach" / "mail.msg", std::string("\0\1\r\n=\xFF", 6));
    vandrel::fuzz::WriteBytes(root / "Html" / "body.htm",
                              "<p>Gr\xFC\xDF"
                              "e</p>\r\n");
    return root;
  }();
  return folder;
}

// Every file below the folder with its size, for a before-and-after comparison.
std::set<std::string> Snapshot(const fs::path& folder) {
  std::set<std::string> entries;
  for (const auto& entry : fs::recursive_directory_iterator(folder)) {
    entries.insert(entry.path().string() + " " +
                   (entry.is_regular_file() ? std::to_string(entry.file_size()) : "dir"));
  }
  return entries;
}

// Messages in an mbox file: its separator lines (body lines that could pass for one are
// quoted with ">").
int CountMessages(const fs::path& file) {
  std::ifstream in(file, std::ios::binary);
  const std::string text{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
  int count = text.starts_with("From ") ? 1 : 0;
  for (std::size_t at = text.find("\nFrom "); at != std::string::npos;
       at = text.find("\nFrom ", at + 1)) {
    ++count;
  }
  return count;
}

class Discard : public vandrel::LogView {
 public:
  bool IsEmpty() const override { return empty_; }
  void AppendAndScroll(std::string_view text) override { empty_ = empty_ && text.empty(); }

 private:
  bool empty_ = true;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const fs::path work = vandrel::fuzz::WorkFolder();
  const fs::path out = work / "out";
  fs::remove_all(out);
  fs::create_directories(out);
  const fs::path input = work / "export.txt";
  vandrel::fuzz::WriteBytes(input, std::string_view(reinterpret_cast<const char*>(data), size));
  const std::set<std::string> fixtureBefore = Snapshot(Fixture());
  const auto workBefore = std::distance(fs::directory_iterator(work), fs::directory_iterator());

  vandrel::MailboxReader reader;
  const bool readable = reader.LoadMailbox(input.string());
  Discard view;
  vandrel::ActivityLog log;
  log.AttachEdit(&view);
  const vandrel::ConversionRequest request{
      input.string(),
      vandrel::ConversionOutput{vandrel::DestinationKind::kMboxFiles, out.string() + "/"},
      {Fixture().string()}};
  const bool finished = vandrel::Convert(request, vandrel::RunReport{log, nullptr}).succeeded;
  if (finished != readable) __builtin_trap();

  if (Snapshot(Fixture()) != fixtureBefore) __builtin_trap();
  if (std::distance(fs::directory_iterator(work), fs::directory_iterator()) != workBefore) {
    __builtin_trap();
  }
  int written = 0;
  for (const auto& file : fs::directory_iterator(out))
    written += CountMessages(file.path());
  const std::optional<int> expected =
      vandrel::fuzz::SeparatorLines(std::string_view(reinterpret_cast<const char*>(data), size));
  if (finished && written != expected.value_or(reader.MessageCount() - 1)) __builtin_trap();
  return 0;
}
