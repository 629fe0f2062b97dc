#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

#include "settings/registry_text_reader.h"
#include "settings/registry_text_writer.h"

namespace vandrel {
namespace {

constexpr const char* kKey = "HKEY_LOCAL_MACHINE\\Software\\ZQ\\Vandrel";

std::string Bytes(int count, int first = 0) {
  std::string bytes;
  for (int i = 0; i < count; ++i)
    bytes += static_cast<char>(first + i);
  return bytes;
}

TEST(RegistryTextTest, WritesTheRegeditLayout) {
  RegistryDocument document;
  document.SetValue(kKey, "MRU_MailboxInputFile", 1, std::string("C:\\Mail\\\"x\".txt\0", 16));
  document.SetValue(kKey, "", 1, std::string("d\0", 2));
  document.SetValue(kKey, "Count", 4, std::string("\x00\x01\x00\x00", 4));
  document.SetValue(kKey, "Blob", 3, std::string("\x00\x01\xff", 3));
  document.SetValue(kKey, "Lines", 1, std::string("a\nb\0", 4));
  document.SetValue(kKey, "new\nline\r", 4, std::string("\x00\x00\x00\x00", 4));
  document.SetValue(kKey, "Short", 4, "\x01\x02\x03");
  document.AddKey("HKEY_LOCAL_MACHINE\\Empty");
  EXPECT_EQ(WriteRegistryText(document),
            "REGEDIT4\n"
            "\n"
            "[HKEY_LOCAL_MACHINE\\Software\\ZQ\\Vandrel]\n"
            "\"MRU_MailboxInputFile\"=\"C:\\\\Mail\\\\\\\"x\\\".txt\"\n"
            "@=\"d\"\n"
            "\"Count\"=dword:00000100\n"
            "\"Blob\"=hex:00,01,ff\n"
            "\"Lines\"=hex(1):61,0a,62,00\n"
            "\"new\\nline\\r\"=dword:00000000\n"
            "\"Short\"=hex(4):01,02,03\n"
            "\n"
            "[HKEY_LOCAL_MACHINE\\Empty]\n"
            "\n");
}

TEST(RegistryTextTest, EveryValueSurvivesAWriteAndARead) {
  RegistryDocument document;
  const std::vector<RegistryDocument::Value> values = {
      {"plain", 1, std::string("C:\\Mail\\export.txt\0", 19)},
      {"", 1, std::string("default\0", 8)},
      {"no terminator", 1, "abc"},
      {"inner nul", 1, std::string("a\0b\0", 4)},
      {"control", 1, std::string("\x01\x7f\r\0", 4)},
      {"empty string", 1, std::string(1, '\0')},
      {"\"=\\@[]\n\r\t\xe9", 1, std::string("\xe9\"=\\\0", 5)},
      {"@", 4, std::string("\xff\xff\xff\xff", 4)},
      {"empty bytes", 3, ""},
      {"all bytes", 3, Bytes(256)},
      {"multi", 7, std::string("a\0b\0\0", 5)},
      {"big type", 0x20000, "\x10"},
      {"none", 0, ""},
  };
  for (const auto& value : values)
    document.SetValue(kKey, value.name, value.type, value.bytes);
  document.AddKey("HKEY_LOCAL_MACHINE\\a]b");
  const std::string text = WriteRegistryText(document);
  const RegistryText read = ReadRegistryText(text);
  EXPECT_TRUE(read.complete);
  EXPECT_EQ(read.document.Keys(), document.Keys());

  std::istringstream lines(text);
  for (std::string line; std::getline(lines, line);) {
    EXPECT_LE(line.size(), 80u) << line;
  }
}

TEST(RegistryTextTest, ReadsWhatRegeditAndEditorsWrite) {
  const RegistryText read = ReadRegistryText(
      "\xEF\xBB\xBFREGEDIT4\r\n\r\n"
      "[HKEY_LOCAL_MACHINE\\Software\\ZQ\\Vandrel]\r\n"
      "\"a\" = \"x\"   \r\n"
      "\"b\"=dword:1F\r\n"
      "\"c\"=hex:0A, 0b ,\\\r\n"
      "    0C\r\n"
      "[HKEY_LOCAL_MACHINE\\Other]\r\n"
      "[hkey_local_machine\\software\\zq\\vandrel]\r\n"
      "@=hex(0):\r\n");
  EXPECT_TRUE(read.complete);
  const auto* a = read.document.FindValue(kKey, "a");
  const auto* b = read.document.FindValue(kKey, "b");
  const auto* c = read.document.FindValue(kKey, "c");
  const auto* d = read.document.FindValue(kKey, "");
  ASSERT_TRUE(a && b && c && d);
  EXPECT_EQ(a->bytes, std::string("x\0", 2));
  EXPECT_EQ(b->bytes, std::string("\x1f\0\0\0", 4));
  EXPECT_EQ(c->bytes, "\x0a\x0b\x0c");
  EXPECT_EQ(d->type, 0u);
  EXPECT_TRUE(read.document.HasKey("HKEY_LOCAL_MACHINE\\Software"));
  EXPECT_FALSE(read.document.HasKey("HKEY_LOCAL_MACHINE\\Soft"));
}

TEST(RegistryTextTest, KeepsWhatItCanReadAndTellsWhenItLeftSomethingOut) {
  const std::string key = std::string("[") + kKey + "]\n";
  const std::string good = "\"good\"=\"yes\"\n";
  const std::vector<std::string> damaged = {
      key + good,  // no header line
      "REGEDIT4\n; a comment\n" + key + good,
      "REGEDIT4\n\"early\"=\"x\"\n" + key + good,
      "REGEDIT4\n" + key + "garbage\n" + good,
      "REGEDIT4\n" + key + good + "\"open\"=\"x\n",
      "REGEDIT4\n" + key + good + "\"escape\"=\"C:\\Mail\"\n",
      "REGEDIT4\n" + key + good + "\"trailing\"=\"x\" y\n",
      "REGEDIT4\n" + key + good + "\"long\"=dword:123456789\n",
      "REGEDIT4\n" + key + good + "\"word\"=dword:xyz\n",
      "REGEDIT4\n" + key + good + "\"hex\"=hex:0g\n",
      "REGEDIT4\n" + key + good + "\"type\"=hex(zz):00\n",
      "REGEDIT4\n" + key + good + "\"delete\"=-\n",
      "REGEDIT4\n" + key + "\"good\"=\"no\"\n" + good,
      "REGEDIT4\n" + key + good + "[broken\n\"lost\"=\"x\"\n",
      "REGEDIT4\n" + key + good + "[]\n",
      "REGEDIT4\n" + key + good + "REGEDIT4\n",
  };
  for (const std::string& text : damaged) {
    const RegistryText read = ReadRegistryText(text);
    EXPECT_FALSE(read.complete) << text;
    const auto* value = read.document.FindValue(kKey, "good");
    ASSERT_NE(value, nullptr) << text;
    EXPECT_EQ(value->bytes, std::string("yes\0", 4)) << text;
  }
}

}  // namespace
}  // namespace vandrel
