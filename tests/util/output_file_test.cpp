#include "util/output_file.hpp"

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

namespace fs = std::filesystem;

namespace {

// A fresh, empty directory for one test, removed afterwards.
class OutputFile : public testing::Test {
 protected:
  void SetUp() override {
    dir_ = fs::temp_directory_path() / ("infoloss-output-" + std::to_string(getpid()) + "-" +
                                        testing::UnitTest::GetInstance()->current_test_info()->name());
    fs::remove_all(dir_);
    fs::create_directories(dir_);
  }
  void TearDown() override { fs::remove_all(dir_); }

  std::vector<std::string> entries() const {
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(dir_)) {
      names.push_back(entry.path().filename().string());
    }
    std::sort(names.begin(), names.end());
    return names;
  }

  static std::string contents(const fs::path& path) {
    std::ifstream in(path);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
  }

  fs::path dir_;
};

std::string message_of(const std::function<void()>& action) {
  try {
    action();
  } catch (const util::file_not_writable& error) {
    return error.what();
  }
  return "no error";
}

}  // namespace

TEST_F(OutputFile, AppearsOnlyWhenCommittedAndComplete) {
  const fs::path target = dir_ / "counts.csv";
  {
    util::output_file file(target);
    file.stream() << "name,gate,combinations\n";
    EXPECT_FALSE(fs::exists(target));  // a reader never sees a half-written file
    EXPECT_EQ(entries().size(), 1u);   // only the hidden temporary file
    file.stream() << "g,AND,1 1 2 0\n";
    file.commit();
    file.commit();  // a second commit changes nothing
  }
  EXPECT_EQ(contents(target), "name,gate,combinations\ng,AND,1 1 2 0\n");
  EXPECT_EQ(entries(), std::vector<std::string>{"counts.csv"});
}

TEST_F(OutputFile, UncommittedLeavesNothingAndKeepsTheOldFile) {
  {
    util::output_file file(dir_ / "new.csv");
    file.stream() << "partial";
  }
  EXPECT_EQ(entries(), std::vector<std::string>{});

  util::write_file(dir_ / "old.csv", "old\n");
  fs::permissions(dir_ / "old.csv", fs::perms(0640));
  {
    util::output_file file(dir_ / "old.csv");
    file.stream() << "partial";
  }
  EXPECT_EQ(contents(dir_ / "old.csv"), "old\n");
  util::write_file(dir_ / "old.csv", "new\n");
  EXPECT_EQ(contents(dir_ / "old.csv"), "new\n");
  EXPECT_EQ(fs::status(dir_ / "old.csv").permissions(), fs::perms(0640));  // kept, as in-place writes do
  EXPECT_EQ(entries(), std::vector<std::string>{"old.csv"});
}

TEST_F(OutputFile, MissingDirectoryIsRefusedUpFrontAndLeavesNothing) {
  const fs::path target = dir_ / "missing" / "x.csv";
  const std::string expected = "Could not write file `\"" + target.string() + "\"`.";
  EXPECT_EQ(message_of([&] { util::output_file::check_writable(target); }), expected);
  EXPECT_EQ(message_of([&] { util::output_file file(target); }), expected);
  EXPECT_EQ(message_of([&] { util::output_file::check_writable(dir_); }),
            "Could not write file `\"" + dir_.string() + "\"`.");
  EXPECT_EQ(entries(), std::vector<std::string>{});

  util::output_file::check_writable(dir_ / "fine.csv");
  EXPECT_EQ(entries(), std::vector<std::string>{});
  // Quotes and backslashes in the path are escaped as the path type writes them.
  EXPECT_EQ(message_of([&] { util::write_file(dir_ / "no\\pe\"" / "x", ""); }),
            "Could not write file `\"" + dir_.string() + "/no\\\\pe\\\"/x\"`.");
}

TEST_F(OutputFile, WritesThroughLinksAndIntoDevices) {
  util::write_file(dir_ / "real.csv", "old\n");
  fs::create_symlink("real.csv", dir_ / "link.csv");
  util::write_file(dir_ / "link.csv", "through\n");
  EXPECT_TRUE(fs::is_symlink(dir_ / "link.csv"));
  EXPECT_EQ(contents(dir_ / "real.csv"), "through\n");
  EXPECT_EQ(entries(), (std::vector<std::string>{"link.csv", "real.csv"}));

  util::output_file::check_writable("/dev/null");
  util::write_file("/dev/null", "discarded\n");
  EXPECT_TRUE(fs::is_character_file("/dev/null"));
}

TEST_F(OutputFile, FailedWritesAreReportedAtCommit) {
  if (!fs::exists("/dev/full")) {
    GTEST_SKIP() << "no /dev/full";
  }
  util::output_file file("/dev/full");
  file.stream() << std::string(1 << 16, 'x');
  EXPECT_EQ(message_of([&] { file.commit(); }), "Could not write file `\"/dev/full\"`.");
}
