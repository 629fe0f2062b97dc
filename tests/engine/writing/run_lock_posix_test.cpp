// The run lock where POSIX systems show more: a link at its place, a folder the user may not
// write into.
#include <sys/stat.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>

#include "engine/destinations/mbox/mbox_files.h"
#include "engine/file_error.h"
#include "engine/writing/run_lock.h"
#include "temp_folder.h"
#include "writing/permissions_bind.h"

namespace vandrel {
namespace {

namespace fs = std::filesystem;

// A link at the lock's place would have the run make or open a file wherever it points.
TEST(RunLockPosixTest, ALinkAtTheLocksPlaceIsRefusedAndNotWrittenThrough) {
  TempFolder temp;
  fs::create_directories(temp.Path() / "out");
  fs::create_directories(temp.Path() / "elsewhere");
  const fs::path existing = temp.WriteFile("elsewhere/kept", "the user's own");
  ::chmod(existing.c_str(), 0640);
  const fs::path missing = temp.Path() / "elsewhere" / "made";
  MboxFiles probe((temp.Path() / "out" / "mail.mbx").string());
  ASSERT_EQ(probe.Inspect(), "");
  const std::string prefix = probe.TemporaryPrefix();  // the run's name and "-"
  const fs::path lockFile = temp.Path() / "out" / (prefix.substr(0, prefix.size() - 1) + ".lock");
  for (const fs::path& target : {existing, missing}) {
    fs::remove(lockFile);
    fs::create_symlink(target, lockFile);
    RunLock lock;
    EXPECT_EQ(lock.Take(lockFile.string()), RunLock::Result::kLinked) << target;
    const std::string refused = lockFile.string() +
                                " is a link, which a run does not write through; remove it, then "
                                "convert again.";
    MboxFiles looked((temp.Path() / "out" / "mail.mbx").string());
    EXPECT_EQ(looked.Inspect(), refused) << target;
    MboxFiles converted((temp.Path() / "out" / "mail.mbx").string());
    EXPECT_EQ(converted.Check(), refused) << target;
    EXPECT_TRUE(fs::is_symlink(lockFile)) << target;
  }
  EXPECT_FALSE(fs::exists(fs::symlink_status(missing)));
  EXPECT_EQ(ReadBytes(existing), "the user's own");
  EXPECT_EQ(fs::status(existing).permissions(), static_cast<fs::perms>(0640));
}

// "check" says what "convert" meets: a folder the user may not write into refuses the run,
// the same words both times, and a look makes nothing.
TEST(RunLockPosixTest, ALookFindsAFolderTheUserMayNotWriteInto) {
  TempFolder temp;
  fs::permissions(temp.Path(), static_cast<fs::perms>(0755));
  const fs::path out = temp.Path() / "out";
  const struct {
    std::string output;
    unsigned mode;
    bool refused;
  } cases[] = {
      {(out / "mail.mbx").string(), 0555, true},
      {out.string() + "/", 0555, true},
      {(out / "mail.mbx").string(), 0666, true},  // no way into the folder
      {(out / "mail.mbx").string(), 0777, false},
      {out.string() + "/", 0333, false},  // files can be made, if not listed
  };
  for (const auto& c : cases) {
    fs::create_directories(out);
    fs::permissions(out, static_cast<fs::perms>(c.mode));
    const std::string found = test::WherePermissionsBind([&c] {
      MboxFiles looked(c.output);
      const std::string inspected = looked.Inspect();
      MboxFiles converted(c.output);
      return inspected + "|" + converted.Check();
    });
    const std::string expected =
        c.refused ? FileErrorMessage(FileErrorCause::kAccessDenied, c.output) : "";
    EXPECT_EQ(found, expected + "|" + expected) << c.output << " " << std::oct << c.mode;
    fs::permissions(out, fs::perms::owner_all);
    EXPECT_TRUE(fs::is_empty(out)) << c.output << " " << std::oct << c.mode;
    fs::remove_all(out);
  }
}

}  // namespace
}  // namespace vandrel
