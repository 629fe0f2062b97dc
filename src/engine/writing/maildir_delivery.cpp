#include "engine/writing/maildir_delivery.h"

#include <chrono>

#include "engine/utf8_path.h"
#include "engine/writing/maildir_delivery_platform.h"
#include "engine/writing/move_without_replacing.h"
#include "texts/texts.h"

namespace vandrel {

namespace {

// Enough to step past names other deliveries of this host took in the same microsecond.
constexpr int kAttempts = 100;

std::string Joined(const std::string& folder, std::string_view sub, const std::string& name) {
  return PathText(Utf8Path(folder) / Utf8Path(sub) / Utf8Path(name));
}

}  // namespace

std::string MaildirHostName(std::string_view host) {
  std::string name;
  for (char c : host) {
    if (c == '/') {
      name += "\\057";
    } else if (c == ':') {
      name += "\\072";
    } else {
      name += c;
    }
  }
  return name;
}

std::string MaildirUniqueName(std::int64_t seconds, std::int64_t microseconds, std::int64_t process,
                              std::uint64_t count, std::string_view host) {
  return std::to_string(seconds) + ".M" + std::to_string(microseconds) + "P" +
         std::to_string(process) + "Q" + std::to_string(count) + "." + MaildirHostName(host);
}

std::string MaildirText(std::string_view crLfText) {
  std::string text;
  text.reserve(crLfText.size());
  for (std::size_t i = 0; i < crLfText.size(); ++i) {
    if (crLfText[i] == '\r' && i + 1 < crLfText.size() && crLfText[i + 1] == '\n') continue;
    text += crLfText[i];
  }
  return text;
}

MaildirDelivery::MaildirDelivery() : host_(maildir::HostName()), process_(maildir::ProcessId()) {}

std::string MaildirDelivery::NextName() {
  using namespace std::chrono;
  const std::int64_t now =
      duration_cast<microseconds>(system_clock::now().time_since_epoch()).count();
  return MaildirUniqueName(now / 1000000, now % 1000000, process_, ++count_, host_);
}

// The name is new in tmp/ (made exclusively) and, by the rename that never replaces, in cur/:
// a name that is taken in either place is given up for the next one.
bool MaildirDelivery::Deliver(const std::string& folderDir, std::string_view bytes,
                              std::optional<std::int64_t> time, std::string& error) {
  for (int attempt = 0; attempt < kAttempts; ++attempt) {
    const std::string name = NextName();
    const std::string temporary = Joined(folderDir, "tmp", name);
    switch (maildir::WriteNewFile(temporary, bytes, time, error)) {
      case maildir::WriteResult::kExists:
        continue;
      case maildir::WriteResult::kFailed:
        return false;
      case maildir::WriteResult::kWritten:
        break;
    }
    const std::string placed = Joined(folderDir, "cur", name + kMaildirInfoSeparator + "2,");
    if (MoveWithoutReplacing(temporary, placed)) return true;
    error = maildir::LastErrorText(placed);
    const bool taken = maildir::Exists(placed);
    maildir::RemoveFile(temporary);
    if (!taken) return false;
  }
  error = Format(Tr("cannot find a free file name in %1."), folderDir);
  return false;
}

}  // namespace vandrel
