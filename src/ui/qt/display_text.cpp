#include "ui/qt/display_text.h"

#include <QStringDecoder>

#include <array>

#include "log/visible_text.h"

namespace vandrel {
namespace {

// Windows-1252 differs from Latin-1 only in 0x80 to 0x9F; its five unassigned bytes keep the
// code point of the same number, as Windows itself maps them.
constexpr std::array<char16_t, 32> kWindows1252High = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,  //
    0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F,  //
    0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,  //
    0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

QString FromWindows1252(std::string_view bytes) {
  QString text;
  text.reserve(static_cast<qsizetype>(bytes.size()));
  for (const char byte : bytes) {
    const auto code = static_cast<unsigned char>(byte);
    text.append(code >= 0x80 && code < 0xA0 ? QChar(kWindows1252High[code - 0x80]) : QChar(code));
  }
  return text;
}

}  // namespace

QString DisplayText(std::string_view bytes) {
  QStringDecoder utf8(QStringConverter::Utf8, QStringConverter::Flag::Stateless);
  QString text = utf8(QByteArrayView(bytes.data(), static_cast<qsizetype>(bytes.size())));
  if (utf8.hasError()) text = FromWindows1252(bytes);
  // Controls as symbols, after decoding: in Windows-1252 too a byte may be one.
  return QString::fromStdString(VisibleText(text.toStdString()));
}

QString DisplayLogText(std::string_view bytes) {
  return DisplayLines(bytes, "\r\n");
}

QString DisplayLines(std::string_view bytes, std::string_view lineSeparator) {
  QString text;
  for (;;) {
    const std::size_t end = bytes.find(lineSeparator);
    text += DisplayText(bytes.substr(0, end));
    if (end == std::string_view::npos) return text;
    text += QLatin1Char('\n');
    bytes.remove_prefix(end + lineSeparator.size());
  }
}

}  // namespace vandrel
