#include "random_tree.h"

#include <algorithm>
#include <string_view>

#include "mime/char_class.h"

namespace vandrel::mime::testing {

namespace {

int Uniform(std::mt19937& rng, int low, int high) {
  return std::uniform_int_distribution<int>(low, high)(rng);
}

bool Chance(std::mt19937& rng, double p) {
  return std::bernoulli_distribution(p)(rng);
}

// Words of letters and digits separated by single blanks, lines ending in CR LF.
std::string RandomText(std::mt19937& rng, int length) {
  static constexpr std::string_view kLetters =
      "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789";
  std::string text;
  while (static_cast<int>(text.size()) < length) {
    const int roll = Uniform(rng, 0, 19);
    if (roll == 0) {
      text += "\r\n";
    } else if (roll < 4) {
      text += ' ';
    } else {
      text += kLetters[static_cast<std::size_t>(
          Uniform(rng, 0, static_cast<int>(kLetters.size()) - 1))];
    }
  }
  return text;
}

std::string RandomBytes(std::mt19937& rng, int length) {
  std::string bytes(static_cast<std::size_t>(length), '\0');
  for (char& c : bytes)
    c = static_cast<char>(Uniform(rng, 0, 255));
  return bytes;
}

int RandomLength(std::mt19937& rng) {
  switch (Uniform(rng, 0, 5)) {
    case 0:
      return 0;
    case 1:
      return Uniform(rng, 1, 3);
    case 5:
      return Uniform(rng, 1000, 6000);
    default:
      return Uniform(rng, 4, 300);
  }
}

std::string Latin1Words(std::mt19937& rng) {
  static constexpr std::string_view kWords[] = {
      "Gr\xFC\xDF"
      "e",
      "aus",
      "K\xF6ln",
      "J\xFCrgen",
      "M\xFCller",
      "caf\xE9",
      "na\xEFve",
      "plain"};
  std::string text;
  const int count = Uniform(rng, 1, 6);
  for (int i = 0; i < count; ++i) {
    if (i > 0) text += ' ';
    text += kWords[static_cast<std::size_t>(Uniform(rng, 0, 7))];
  }
  return text;
}

std::string AsciiWords(std::mt19937& rng) {
  std::string text;
  const int count = Uniform(rng, 0, 8);
  for (int i = 0; i < count; ++i) {
    if (i > 0) text += ' ';
    text += "w" + std::to_string(Uniform(rng, 0, 99999));
  }
  return text;
}

void AddFields(std::mt19937& rng, MimePart& part) {
  if (Chance(rng, 0.5)) part.SetFieldValue("X-Note", AsciiWords(rng));
  if (Chance(rng, 0.4)) part.SetFieldValue("Subject", Latin1Words(rng), "iso-8859-1");
}

void FillLeaf(std::mt19937& rng, MimePart& part) {
  static constexpr std::string_view kTypes[] = {"text/plain", "application/octet-stream",
                                                "image/png"};
  part.SetFieldValue("Content-Type", kTypes[static_cast<std::size_t>(Uniform(rng, 0, 2))]);
  const int length = RandomLength(rng);
  switch (Uniform(rng, 0, 3)) {
    case 0:
      part.SetContent(RandomText(rng, length));
      break;
    case 1:
      part.SetFieldValue("Content-Transfer-Encoding", "7bit");
      part.SetContent(RandomText(rng, length));
      break;
    case 2:
      part.SetFieldValue("Content-Transfer-Encoding",
                         Chance(rng, 0.5) ? "quoted-printable" : "Quoted-Printable");
      part.SetContent(Chance(rng, 0.5) ? RandomBytes(rng, length) : RandomText(rng, length));
      break;
    default:
      part.SetFieldValue("Content-Transfer-Encoding", Chance(rng, 0.5) ? "base64" : "BASE64");
      part.SetContent(RandomBytes(rng, length));
      break;
  }
}

void FillPart(std::mt19937& rng, MimePart& part, int depth, const RandomTreeOptions& options,
              int& boundaries) {
  AddFields(rng, part);
  if (depth >= options.maxDepth || !Chance(rng, depth == 0 ? 0.8 : 0.35)) {
    FillLeaf(rng, part);
    return;
  }
  part.SetBoundary("=_b" + std::to_string(++boundaries) + "_");
  // A preamble keeps its form only when it ends in a line break.
  if (Chance(rng, 0.3)) part.SetContent(RandomText(rng, Uniform(rng, 1, 60)) + "\r\n");
  const int children = Uniform(rng, options.allowEmptyMultipart ? 0 : 1, 4);
  for (int i = 0; i < children; ++i)
    FillPart(rng, *part.CreatePart("text"), depth + 1, options, boundaries);
}

}  // namespace

std::unique_ptr<MailMessage> RandomMessage(std::mt19937& rng, const RandomTreeOptions& options) {
  auto message = std::make_unique<MailMessage>();
  message->SetFieldValue("From", "a@example.com");
  int boundaries = 0;
  FillPart(rng, *message, 0, options, boundaries);
  return message;
}

std::string CompareTrees(const MimePart& expected, const MimePart& actual) {
  if (expected.Content() != actual.Content()) return "content differs";
  if (expected.Fields().size() != actual.Fields().size()) return "field count differs";
  for (std::size_t i = 0; i < expected.Fields().size(); ++i) {
    const HeaderField& e = expected.Fields()[i];
    const HeaderField& a = actual.Fields()[i];
    // A charset only travels with the non-ASCII bytes it describes.
    const bool charsetMatters = std::any_of(e.value.begin(), e.value.end(), IsNonAscii);
    if (e.name != a.name || e.value != a.value || (charsetMatters && e.charset != a.charset)) {
      return "field " + e.name + " differs: [" + a.name + ": " + a.value + "]";
    }
  }
  if (expected.Children().size() != actual.Children().size()) return "child count differs";
  for (std::size_t i = 0; i < expected.Children().size(); ++i) {
    const std::string difference = CompareTrees(*expected.Children()[i], *actual.Children()[i]);
    if (!difference.empty()) return "child " + std::to_string(i) + ": " + difference;
  }
  return {};
}

std::string StoreChecked(const MimePart& part, std::string& text) {
  constexpr std::size_t kGuard = 32;
  const int bound = part.GetStoreLength();
  if (bound <= 0) return "no store length";
  std::string buffer(static_cast<std::size_t>(bound) + kGuard, '\x5A');
  const int written = part.Store(buffer.data(), bound);
  if (written <= 0 || written > bound)
    return "store wrote " + std::to_string(written) + " of " + std::to_string(bound);
  if (buffer.compare(static_cast<std::size_t>(bound), kGuard, std::string(kGuard, '\x5A')) != 0) {
    return "store wrote past its bound";
  }
  text.assign(buffer.data(), static_cast<std::size_t>(written));
  return {};
}

}  // namespace vandrel::mime::testing
