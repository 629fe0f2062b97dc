#include "engine/destinations/imap/imap_mailboxes.h"

#include "mime/ascii.h"
#include "texts/texts.h"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <chrono>
#include <cstdio>

namespace vandrel {
namespace {

ImapArgument Text(std::string_view text) {
  return {ImapArgument::Kind::kText, text};
}
ImapArgument String(std::string_view text) {
  return {ImapArgument::Kind::kString, text};
}

std::optional<std::uint32_t> NumberOf(std::string_view text) {
  std::uint32_t number = 0;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), number);
  if (error != std::errc() || end != text.data() + text.size()) return std::nullopt;
  return number;
}

// The number after `name` in a response code such as "UIDVALIDITY 3857529045".
std::optional<std::uint32_t> CodeNumber(const std::string& code, std::string_view name,
                                        std::size_t index = 1) {
  const std::vector<std::string> words = ImapWords(code);
  if (words.size() <= index || words[0] != name) return std::nullopt;
  return NumberOf(words[index]);
}

bool HasNul(std::string_view text) {
  return text.find('\0') != std::string_view::npos;
}

}  // namespace

ImapReply HierarchySeparator(ImapClient& client, char& separator) {
  const ImapReply reply = client.Command("LIST \"\" \"\"");
  separator = '\0';
  for (const ImapResponse& response : client.Untagged()) {
    if (response.name != "LIST" || response.values.size() < 2) continue;
    const ImapValue& value = response.values[1];
    if (value.kind == ImapValue::Kind::kString && value.text.size() == 1) separator = value.text[0];
  }
  return reply;
}

ImapReply ListMailboxes(ImapClient& client, std::string_view pattern,
                        std::vector<ListedMailbox>& mailboxes) {
  const ImapReply reply = client.Command({Text("LIST \"\" "), String(pattern)});
  for (const ImapResponse& response : client.Untagged()) {
    if (response.name != "LIST" || response.values.size() < 3) continue;
    ListedMailbox mailbox{response.values[2].text, false};
    for (const ImapValue& flag : response.values[0].items) {
      if (mime::EqualsIgnoreCase(flag.text, "\\Noselect") ||
          mime::EqualsIgnoreCase(flag.text, "\\NonExistent"))
        mailbox.noSelect = true;
    }
    mailboxes.push_back(std::move(mailbox));
  }
  return reply;
}

ImapReply CreateMailbox(ImapClient& client, std::string_view name) {
  ImapReply reply = client.Command({Text("CREATE "), String(name)});
  if (reply.status == ImapReply::Status::kNo && reply.code == "ALREADYEXISTS")
    reply.status = ImapReply::Status::kOk;
  return reply;
}

ImapReply SelectMailbox(ImapClient& client, std::string_view name, MailboxState& state) {
  const ImapReply reply = client.Command({Text("SELECT "), String(name)});
  state = {};
  for (const ImapResponse& response : client.Untagged()) {
    if (response.name == "EXISTS" && response.hasNumber) state.exists = response.number;
    if (response.name == "OK") {
      if (auto value = CodeNumber(response.code, "UIDVALIDITY")) state.uidValidity = *value;
    }
  }
  return reply;
}

AppendCommand::AppendCommand(const ImapClient& client, std::string_view mailbox,
                             std::string_view text, std::optional<std::int64_t> time)
    : mailbox_(mailbox),
      text_(text),
      date_(time ? " \"" + InternalDate(*time) + "\" " : std::string(" ")),
      binary_(HasNul(text)) {
  // A literal takes any byte but NUL; BINARY's literal8 takes that too.
  if (binary_ && !client.Has("BINARY"))
    refusal_ =
        Tr("the message holds NUL bytes, which the server takes only with BINARY, and it does not "
           "offer that");
}

std::vector<ImapArgument> AppendCommand::Arguments() const {
  return {Text("APPEND "),
          String(mailbox_),
          Text(date_),
          {binary_ ? ImapArgument::Kind::kBinary : ImapArgument::Kind::kLiteral, text_}};
}

std::uint32_t AppendedUid(const ImapReply& reply) {
  return reply.Ok() ? CodeNumber(reply.code, "APPENDUID", 2).value_or(0) : 0;
}

ImapReply AppendMessage(ImapClient& client, std::string_view mailbox, std::string_view text,
                        std::optional<std::int64_t> time, std::uint32_t& uid) {
  const AppendCommand command(client, mailbox, text, time);
  if (!command.Refusal().empty()) return {ImapReply::Status::kNo, {}, command.Refusal()};
  const ImapReply reply = client.Command(command.Arguments());
  uid = AppendedUid(reply);
  return reply;
}

ImapReply SearchMessages(ImapClient& client, std::string_view field, std::string_view value,
                         std::size_t size, std::vector<std::uint32_t>& uids) {
  const bool ascii = std::all_of(value.begin(), value.end(),
                                 [](char c) { return static_cast<unsigned char>(c) < 0x80; });
  const std::string sizes =
      " LARGER " + std::to_string(size > 0 ? size - 1 : 0) + " SMALLER " + std::to_string(size + 1);
  const std::string head = std::string(ascii ? "UID SEARCH" : "UID SEARCH CHARSET UTF-8") +
                           " HEADER " + std::string(field) + " ";
  const ImapReply reply = client.Command({Text(head), String(value), Text(sizes)});
  uids.clear();
  for (const ImapResponse& response : client.Untagged()) {
    if (response.name != "SEARCH") continue;
    for (const ImapValue& number : response.values) {
      if (auto uid = NumberOf(number.text)) uids.push_back(*uid);
    }
  }
  return reply;
}

std::string InternalDate(std::int64_t time) {
  using namespace std::chrono;
  static constexpr const char* kMonths[] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                            "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
  const sys_seconds at{seconds(time)};
  const sys_days day = floor<days>(at);
  const year_month_day date{day};
  const hh_mm_ss clock{at - day};
  char text[40];
  std::snprintf(text, sizeof text, "%2u-%s-%04d %02d:%02d:%02d +0000",
                static_cast<unsigned>(date.day()), kMonths[static_cast<unsigned>(date.month()) - 1],
                static_cast<int>(date.year()), static_cast<int>(clock.hours().count()),
                static_cast<int>(clock.minutes().count()),
                static_cast<int>(clock.seconds().count()));
  return text;
}

}  // namespace vandrel
