#include "engine/writing/maildir_delivery.h"

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <set>
#include <string>

#include "engine/writing/file_system_sync.h"
#include "temp_folder.h"

namespace vandrel {
namespace {

namespace fs = std::filesystem;

TEST(MaildirDeliveryTest, NamesCarryTimeProcessCountAndAnEscapedHost) {
  const struct {
    const char* host;
    const char* escaped;
  } cases[] = {
      {"mail.example.org", "mail.example.org"}, {"a/b", "a\\057b"}, {"a:b", "a\\072b"},
      {"//::", "\\057\\057\\072\\072"},         {"", ""},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(MaildirHostName(c.host), c.escaped) << c.host;
    EXPECT_EQ(MaildirUniqueName(1078166530, 42, 7, 3, c.host),
              std::string("1078166530.M42P7Q3.") + c.escaped);
  }
}

TEST(MaildirDeliveryTest, LinesEndInLfAndALoneCrStays) {
  const struct {
    std::string crLf;
    std::string lf;
  } cases[] = {
      {"Date: x\r\n\r\nbody\r\n", "Date: x\n\nbody\n"},
      {"a\rb\r\n", "a\rb\n"},
      {"a\r\r\n", "a\r\n"},
      {"a\r", "a\r"},
      {"\r\n\r\n", "\n\n"},
      {"no end", "no end"},
      {"", ""},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(MaildirText(c.crLf), c.lf) << c.crLf;
  }
}

class MaildirDeliveryFolderTest : public ::testing::Test {
 protected:
  MaildirDeliveryFolderTest() {
    fs::create_directories(folder_.Path() / "tmp");
    fs::create_directories(folder_.Path() / "cur");
  }
  std::vector<fs::path> In(const char* part) const {
    std::vector<fs::path> files;
    for (const auto& entry : fs::directory_iterator(folder_.Path() / part))
      files.push_back(entry.path());
    return files;
  }

  TempFolder folder_;
};

TEST_F(MaildirDeliveryFolderTest, AMessageLandsInCurUnreadWithItsTime) {
  MaildirDelivery delivery;
  std::string error;
  const std::optional<std::int64_t> times[] = {1078166530, 0, std::nullopt};
  for (const auto& time : times) {
    const auto before = fs::file_time_type::clock::now();
    ASSERT_TRUE(delivery.Deliver(folder_.Path().string(), "Date: x\n\nhi\n", time, error)) << error;
    const std::vector<fs::path> files = In("cur");
    ASSERT_EQ(files.size(), 1u);
    EXPECT_TRUE(In("tmp").empty());
    const std::string name = files[0].filename().string();
    EXPECT_TRUE(name.ends_with(std::string(1, kMaildirInfoSeparator) + "2,")) << name;
    EXPECT_EQ(ReadBytes(files[0]), "Date: x\n\nhi\n");
    const auto written = fs::last_write_time(files[0]);
    if (time) {
      const auto seconds = std::chrono::duration_cast<std::chrono::seconds>(
          std::chrono::file_clock::to_sys(written).time_since_epoch());
      EXPECT_EQ(seconds.count(), *time) << name;
    } else {
      EXPECT_GE(written + std::chrono::seconds(1), before) << name;
    }
    fs::remove(files[0]);
  }
}

TEST_F(MaildirDeliveryFolderTest, EveryDeliveryGetsANameOfItsOwn) {
  MaildirDelivery first;
  MaildirDelivery second;  // the same process, the same microsecond: the count tells apart
  std::string error;
  for (int i = 0; i < 200; ++i) {
    ASSERT_TRUE((i % 2 ? first : second)
                    .Deliver(folder_.Path().string(), std::to_string(i), std::nullopt, error))
        << error;
  }
  std::set<std::string> bodies;
  for (const fs::path& file : In("cur"))
    bodies.insert(ReadBytes(file));
  EXPECT_EQ(bodies.size(), 200u);
}

TEST_F(MaildirDeliveryFolderTest, AFolderWithoutTmpFailsAndSaysWhere) {
  fs::remove(folder_.Path() / "tmp");
  MaildirDelivery delivery;
  std::string error;
  EXPECT_FALSE(delivery.Deliver(folder_.Path().string(), "x", std::nullopt, error));
  EXPECT_NE(error.find((folder_.Path() / "tmp").string()), std::string::npos) << error;
  EXPECT_TRUE(In("cur").empty());
}

TEST_F(MaildirDeliveryFolderTest, AFolderWithoutCurLeavesNothingInTmp) {
  fs::remove(folder_.Path() / "cur");
  MaildirDelivery delivery;
  std::string error;
  EXPECT_FALSE(delivery.Deliver(folder_.Path().string(), "x", std::nullopt, error));
  EXPECT_NE(error.find((folder_.Path() / "cur").string()), std::string::npos) << error;
  EXPECT_TRUE(In("tmp").empty());
}

TEST_F(MaildirDeliveryFolderTest, TheFileSystemIsFlushed) {
  EXPECT_TRUE(SyncFileSystemOf(folder_.Path().string()));
}

}  // namespace
}  // namespace vandrel
