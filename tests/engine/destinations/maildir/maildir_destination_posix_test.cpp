// The Maildir output where POSIX systems can make a write fail part-way.
#include <sys/resource.h>

#include <gtest/gtest.h>

#include <csignal>
#include <filesystem>

#include "destinations/maildir/maildir_fixture.h"
#include "engine/destinations/maildir/maildir_destination.h"
#include "temp_folder.h"

namespace vandrel {
namespace {

namespace fs = std::filesystem;

// A full disk part-way through a message: the run ends with the error and nothing of it stays.
TEST(MaildirDestinationPosixTest, AFailedWriteLeavesNothing) {
  TempFolder temp;
  const fs::path dir = temp.Path() / "Mail";
  for (const char* part : {"cur", "new", "tmp"})
    fs::create_directories(dir / part);
  temp.WriteFile("Mail/cur/1.host:2,", "own");
  const auto before = test::Snapshot(dir);
  ConvertedMessage big = test::MaildirMessage("big", "Mon, 01 Mar 2004 19:42:10 +0100");
  big.text += std::string(200000, 'x') + "\r\n";
  MaildirDestination maildir(dir.string());
  struct rlimit old {};
  ASSERT_EQ(::getrlimit(RLIMIT_FSIZE, &old), 0);
  struct rlimit limited = old;
  limited.rlim_cur = 100000;
  auto previous = std::signal(SIGXFSZ, SIG_IGN);
  ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &limited), 0);
  const std::string error =
      test::WriteFolders(maildir, {{"Small", {test::MaildirMessage("s", "x")}}, {"Big", {big}}});
  ::setrlimit(RLIMIT_FSIZE, &old);
  std::signal(SIGXFSZ, previous);
  EXPECT_TRUE(error.starts_with("An unknown error occurred while accessing " + dir.string() +
                                "/tmp/vandrel-staging-"))
      << error;
  EXPECT_EQ(maildir.Abandon(), " Nothing was added to the Maildir.");
  EXPECT_EQ(test::Snapshot(dir), before);
}

}  // namespace
}  // namespace vandrel
