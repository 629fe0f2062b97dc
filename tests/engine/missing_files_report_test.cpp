#include "engine/missing_files_report.h"

#include <gtest/gtest.h>

namespace vandrel {
namespace {

TEST(MissingFilesReportTest, CountsListsUpToTwentyAndSaysHowManyMore) {
  EXPECT_EQ(MissingFilesReport({}), "");
  EXPECT_EQ(MissingFilesReport({{"C:\\a\\x.jpg", "Inbox", "Hi"}}),
            "1 file named in the export was not found or could not be read:\n  C:\\a\\x.jpg "
            "(Inbox, Hi)\n");
  std::vector<MissingFile> many;
  for (int i = 0; i < 23; ++i)
    many.push_back({"f" + std::to_string(i), "Sent", "s"});
  const std::string report = MissingFilesReport(many);
  EXPECT_TRUE(report.starts_with(
      "23 files named in the export were not found or could not be read:\n  f0 (Sent, s)\n"));
  EXPECT_NE(report.find("  f19 (Sent, s)\n  ... and 3 more\n"), std::string::npos) << report;
  EXPECT_EQ(report.find("f20"), std::string::npos);
}

}  // namespace
}  // namespace vandrel
