#include "settings/registry_file.h"

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <optional>
#include <string>
#include <vector>

#include "settings/registry_file_content.h"
#include "settings/registry_text_reader.h"
#include "temp_folder.h"

namespace vandrel {
namespace {

constexpr RegistryRoot kRoot = RegistryRoot::LocalMachine;
constexpr const char* kKey = "Software\\ZQ\\Vandrel";

bool Write(const FileRegistry& registry, const std::string& name, const std::string& text) {
  const auto key = registry.CreateKey(kRoot, kKey);
  return key && key->SetValue(name, RegistryType::String, text + '\0') && key->Close();
}

std::optional<std::string> Read(const FileRegistry& registry, const std::string& name) {
  const auto key = registry.OpenKey(kRoot, kKey);
  if (!key) return std::nullopt;
  const std::optional<RegistryData> value = key->QueryValue(name, 1024);
  if (!value || value->bytes.empty()) return std::nullopt;
  return value->bytes.substr(0, value->bytes.size() - 1);
}

int WaitForExit(pid_t child) {
  int status = 0;
  if (waitpid(child, &status, 0) != child || !WIFEXITED(status)) return -1;
  return WEXITSTATUS(status);
}

mode_t ModeOf(const std::filesystem::path& path) {
  struct stat status {};
  stat(path.c_str(), &status);
  return status.st_mode & 07777;
}

class RegistryFileTest : public ::testing::Test {
 protected:
  std::filesystem::path File() const { return registry_.FileOf(kRoot); }

  // Files in the folder besides the settings file and its lock.
  std::vector<std::string> Leftovers() const {
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(folder_.Path())) {
      const std::string name = entry.path().filename().string();
      if (name != "local_machine.reg" && name != "local_machine.reg.lock") names.push_back(name);
    }
    return names;
  }

  TempFolder folder_;
  FileRegistry registry_{folder_.Path()};
};

TEST_F(RegistryFileTest, TwoProcessesWritingAtOnceKeepEachOthersValues) {
  constexpr int kWrites = 60;
  int start[2];
  ASSERT_EQ(pipe(start), 0);
  pid_t children[2];
  for (int c = 0; c < 2; ++c) {
    children[c] = fork();
    ASSERT_GE(children[c], 0);
    if (children[c] == 0) {
      close(start[1]);
      char go;
      if (read(start[0], &go, 1) != 0) _exit(2);
      for (int i = 0; i < kWrites; ++i) {
        const std::string name = std::to_string(c) + "-" + std::to_string(i);
        if (!Write(registry_, name, "value " + name)) _exit(1);
      }
      _exit(0);
    }
  }
  close(start[0]);
  close(start[1]);  // both writers start now
  EXPECT_EQ(WaitForExit(children[0]), 0);
  EXPECT_EQ(WaitForExit(children[1]), 0);

  for (int c = 0; c < 2; ++c) {
    for (int i = 0; i < kWrites; ++i) {
      const std::string name = std::to_string(c) + "-" + std::to_string(i);
      EXPECT_EQ(Read(registry_, name), "value " + name);
    }
  }
  EXPECT_TRUE(ReadRegistryText(ReadWholeFile(File())).complete);
  EXPECT_TRUE(Leftovers().empty());
}

TEST_F(RegistryFileTest, AWriterKilledBeforeItsRenameLeavesTheEarlierFileWhole) {
  ASSERT_TRUE(Write(registry_, "path", "earlier"));
  const std::string before = ReadWholeFile(File());
  int ready[2];
  ASSERT_EQ(pipe(ready), 0);
  const pid_t child = fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    close(ready[0]);
    const FileRegistry stopping(folder_.Path(), [&] {
      if (write(ready[1], "r", 1) == 1) pause();
    });
    Write(stopping, "path", "later");
    _exit(0);
  }
  close(ready[1]);
  char signal;
  ASSERT_EQ(read(ready[0], &signal, 1), 1) << "the writer never reached its rename";
  close(ready[0]);
  EXPECT_EQ(Read(registry_, "path"), "earlier");
  kill(child, SIGKILL);
  waitpid(child, nullptr, 0);

  EXPECT_EQ(ReadWholeFile(File()), before);
  EXPECT_EQ(Leftovers().size(), 1u);  // the killed writer's temporary file
  // The lock went with the writer, and the next writer clears its leftovers.
  ASSERT_TRUE(Write(registry_, "path", "after"));
  EXPECT_EQ(Read(registry_, "path"), "after");
  EXPECT_TRUE(Leftovers().empty());
}

TEST_F(RegistryFileTest, AMalformedFileIsReadAsFarAsItCanAndKeptBeforeItIsReplaced) {
  WriteWholeFile(File(),
                 "REGEDIT4\n\n[HKEY_LOCAL_MACHINE\\Software\\ZQ\\Vandrel]\n"
                 "\"good\"=\"kept\"\nnot a value\n\"bad\"=dword:zz\n");
  const std::string original = ReadWholeFile(File());
  EXPECT_EQ(Read(registry_, "good"), "kept");
  EXPECT_EQ(Read(registry_, "bad"), std::nullopt);

  ASSERT_TRUE(Write(registry_, "new", "value"));
  ASSERT_EQ(Leftovers().size(), 1u);
  EXPECT_EQ(Leftovers()[0].rfind("local_machine.reg.bad-", 0), 0u) << Leftovers()[0];
  EXPECT_EQ(ReadWholeFile(folder_.Path() / Leftovers()[0]), original);
  EXPECT_TRUE(ReadRegistryText(ReadWholeFile(File())).complete);
  EXPECT_EQ(Read(registry_, "good"), "kept");
  EXPECT_EQ(Read(registry_, "new"), "value");

  ASSERT_TRUE(Write(registry_, "new", "again"));
  EXPECT_EQ(Leftovers().size(), 1u);  // the rewritten file is whole again
}

TEST_F(RegistryFileTest, AFileThatCannotBeReadIsNeverDestroyed) {
  WriteWholeFile(File(), "REGEDIT4\n");
  std::filesystem::resize_file(File(), RegistryFileContent::kSizeLimit + 1);
  EXPECT_EQ(Read(registry_, "new"), std::nullopt);
  ASSERT_TRUE(Write(registry_, "new", "value"));
  ASSERT_EQ(Leftovers().size(), 1u);
  EXPECT_EQ(std::filesystem::file_size(folder_.Path() / Leftovers()[0]),
            RegistryFileContent::kSizeLimit + 1);
  EXPECT_EQ(Read(registry_, "new"), "value");

  // A folder in the file's place cannot be kept aside, so nothing is written.
  const FileRegistry blocked(folder_.Path() / "blocked");
  std::filesystem::create_directories(blocked.FileOf(kRoot));
  EXPECT_FALSE(Write(blocked, "new", "value"));
  EXPECT_TRUE(std::filesystem::is_directory(blocked.FileOf(kRoot)));
}

TEST_F(RegistryFileTest, FilesAndFoldersArePrivateAndAChosenModeIsKept) {
  const FileRegistry nested(folder_.Path() / "config" / "vandrel");
  ASSERT_TRUE(Write(nested, "a", "1"));
  EXPECT_EQ(ModeOf(folder_.Path() / "config"), 0700u);
  EXPECT_EQ(ModeOf(folder_.Path() / "config" / "vandrel"), 0700u);
  EXPECT_EQ(ModeOf(nested.FileOf(kRoot)), 0600u);
  chmod(nested.FileOf(kRoot).c_str(), 0640);
  ASSERT_TRUE(Write(nested, "a", "2"));
  EXPECT_EQ(ModeOf(nested.FileOf(kRoot)), 0640u);
}

TEST_F(RegistryFileTest, ALinkedFileIsWrittenThroughItsLink) {
  std::filesystem::create_directory(folder_.Path() / "dotfiles");
  WriteWholeFile(folder_.Path() / "dotfiles" / "settings.reg", "REGEDIT4\n");
  std::filesystem::create_symlink("dotfiles/settings.reg", File());
  ASSERT_TRUE(Write(registry_, "a", "linked"));
  EXPECT_TRUE(std::filesystem::is_symlink(File()));
  EXPECT_NE(ReadWholeFile(folder_.Path() / "dotfiles" / "settings.reg").find("\"a\"=\"linked\""),
            std::string::npos);
  EXPECT_EQ(Read(registry_, "a"), "linked");
}

TEST_F(RegistryFileTest, KeysRefuseWhatTheFileCannotHold) {
  EXPECT_EQ(registry_.CreateKey(kRoot, "line\nbreak"), nullptr);
  EXPECT_EQ(registry_.OpenKey(kRoot, "line\rbreak"), nullptr);
  EXPECT_FALSE(std::filesystem::exists(File()));
  ASSERT_TRUE(Write(registry_, "a", "1"));
  const auto key = registry_.OpenKey(kRoot, kKey);
  ASSERT_NE(key, nullptr);
  EXPECT_FALSE(key->SetValue("a", RegistryType::String, std::string("2\0", 2)));
  EXPECT_NE(registry_.OpenKey(kRoot, "SOFTWARE\\ZQ"), nullptr);
  EXPECT_EQ(registry_.OpenKey(kRoot, "Software\\Z"), nullptr);
}

}  // namespace
}  // namespace vandrel
