// Reads arbitrary bytes as an export. Whatever they hold, the reader must finish and file every
// message there is (as many as lines that start with the separator): each one starts with the
// separator line, is made of whole lines, and is read again from where it lies; together they
// hold every byte from the first separator line on. Text without a separator line is no export.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "engine/reading/mailbox_reader.h"
#include "fuzz_files.h"

namespace {

bool IsWellFormed(std::string_view message) {
  if (!message.starts_with("From ???@???") || !message.ends_with("\r\n")) return false;
  // Lines end in CR LF only: no LF stands without its CR.
  for (std::size_t lf = message.find('\n'); lf != std::string_view::npos;
       lf = message.find('\n', lf + 1)) {
    if (lf == 0 || message[lf - 1] != '\r') return false;
  }
  return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);
  const auto path = vandrel::fuzz::WorkFolder() / "export.txt";
  vandrel::fuzz::WriteBytes(path, bytes);
  const std::optional<int> expected = vandrel::fuzz::SeparatorLines(bytes);
  vandrel::MailboxReader reader;
  if (!reader.LoadMailbox(path.string())) {
    if (reader.ErrorMessage().empty()) __builtin_trap();  // a failure must say why
    // Only a file that is no export may fail here.
    if (expected && (*expected != 0 || !vandrel::fuzz::HasText(bytes))) __builtin_trap();
    return 0;
  }
  if (expected && *expected != reader.MessageCount() - 1) __builtin_trap();
  std::int32_t filed = 0;
  std::uint64_t covered = 0;
  vandrel::MessageText message;
  for (const auto& folder : *reader.Folders()) {
    if (folder.messages.empty()) __builtin_trap();
    for (const vandrel::MessageSpan& span : folder.messages) {
      if (!reader.ReadMessage(span, message) || !IsWellFormed(message)) __builtin_trap();
      covered += span.length;
      ++filed;
    }
  }
  if (filed != reader.MessageCount() - 1) __builtin_trap();
  // The messages take up the text from the first separator line on, every byte of it (an
  // export with a byte order mark is read from a converted copy).
  if (expected && filed > 0 && !bytes.starts_with("\xEF\xBB\xBF")) {
    const std::size_t first = vandrel::fuzz::SeparatorLineStarts(bytes).front();
    if (covered != bytes.size() - first) __builtin_trap();
  }
  return 0;
}
