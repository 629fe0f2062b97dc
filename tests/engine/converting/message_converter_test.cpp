#include "engine/converting/message_converter.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <regex>
#include <sstream>
#include <string>

#include "temp_folder.h"

namespace vandrel {
namespace {

namespace fs = std::filesystem;

const fs::path kGoldenDir = VANDREL_GOLDEN_DIR;

std::string ReadBytes(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream bytes;
  bytes << in.rdbuf();
  return bytes.str();
}

// Generated boundaries hold the time and a random number.
std::string WithoutBoundaryDigits(const std::string& text) {
  static const std::regex boundary("__=_Part_Boundary_\\d{3}_\\d{6}\\.\\d{6}");
  return std::regex_replace(text, boundary, "__=_Part_Boundary_NNN_NNNNNN.NNNNNN");
}

class MessageConverterTest : public ::testing::Test {
 protected:
  void SetUp() override {
    fs::copy(kGoldenDir / "files", files_.Path(), fs::copy_options::recursive);
    // A name in the export's code page, as Windows left it on disk.
    files_.WriteFile(
        "Attach/Bericht \xFC"
        "ber 2003.pdf",
        "%PDF-1.4\n%%EOF\n");
    // The same name as Windows itself spells it, found once the name is converted.
    files_.WriteFile(
        "Attach/Bericht \xC3\xBC"
        "ber 2003.pdf",
        "%PDF-1.4\n%%EOF\n");
  }

  std::string Convert(const std::string& exported, StatusLine& status) {
    return converter_.ConvertMessage(exported, status);
  }

  TempFolder files_;
  std::unique_ptr<ExportEncoding> encoding_ = ExportEncoding::Create("CP1252");
  MessageConverter converter_{{files_.Path().string()}, encoding_.get()};
};

// Whole converted messages, compared with the files kept beside the test. Set
// VANDREL_UPDATE_GOLDEN=1 to write them anew, then read every change before keeping it.
TEST_F(MessageConverterTest, ConvertedMessagesMatchTheirGoldenFiles) {
  const bool update = std::getenv("VANDREL_UPDATE_GOLDEN") != nullptr;
  for (const char* name :
       {"plain_text", "files_on_disk", "multipart_source", "header_injection", "empty_message"}) {
    StatusLine status;
    const std::string converted = WithoutBoundaryDigits(
        Convert(ReadBytes(kGoldenDir / (std::string(name) + ".eml")), status));
    const fs::path golden = kGoldenDir / (std::string(name) + ".mbox");
    if (update) std::ofstream(golden, std::ios::binary) << converted;
    EXPECT_EQ(converted, ReadBytes(golden)) << name;
  }
}

TEST_F(MessageConverterTest, TheSubjectFollowsTheProgressTextInTheStatusLine) {
  StatusLine status;
  status.Set("exporting (2 of 3)");
  Convert("From ???@???\r\nSubject: Hello\r\n\r\n", status);
  EXPECT_EQ(status.Text(), "exporting (2 of 3) Hello");
  status.Set("exporting (3 of 3)");
  Convert("From ???@???\r\n\r\n", status);
  EXPECT_EQ(status.Text(), "exporting (3 of 3) ");
}

TEST_F(MessageConverterTest, FilesThatCannotBeFoundOrReadAreReported) {
  StatusLine status;
  Convert(ReadBytes(kGoldenDir / "files_on_disk.eml"), status);
  fs::create_directories(files_.Path() / "Html" / "folder.htm");
  Convert(
      "From ???@???\r\nSubject: Second\r\nX-CalypsoFolder: Archiv\r\n"
      "X-CalypsoHtmlBody: \"C:\\Calypso\\Html\\folder.htm\";\r\n"
      "X-Attachment: \"C:\\Calypso\\Attach\\gone.gif\";\r\n\r\n",
      status);
  ASSERT_EQ(converter_.MissingFiles().size(), 3u);
  EXPECT_EQ(converter_.MissingFiles()[0].path, "C:\\Calypso\\Attach\\missing.zip");
  EXPECT_EQ(converter_.MissingFiles()[0].folder, "Sent Items");
  EXPECT_EQ(converter_.MissingFiles()[0].subject, "Urlaubsfotos");
  EXPECT_EQ(converter_.MissingFiles()[1].path, "C:\\Calypso\\Html\\folder.htm");
  EXPECT_EQ(converter_.MissingFiles()[2].path, "C:\\Calypso\\Attach\\gone.gif");
  EXPECT_EQ(converter_.MissingFiles()[2].folder, "Archiv");
}

}  // namespace
}  // namespace vandrel
