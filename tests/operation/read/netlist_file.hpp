#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iostream>
#include <sstream>
#include <string>
#include <string_view>

namespace netlist_file {

// A file holding `text`, named `name` in a fresh directory of its own; both go with the object.
class Temporary {
 public:
  Temporary(std::string_view name, std::string_view text) {
    const auto* test = testing::UnitTest::GetInstance()->current_test_info();
    directory_ =
        std::filesystem::temp_directory_path() / (std::string("infoloss-") + test->test_suite_name() + "-" +
                                                  test->name() + "-" + std::to_string(counter_++));
    std::filesystem::create_directories(directory_);
    path_ = directory_ / name;
    std::ofstream(path_, std::ios::binary) << text;
  }
  Temporary(const Temporary&) = delete;
  Temporary& operator=(const Temporary&) = delete;
  ~Temporary() { std::filesystem::remove_all(directory_); }

  const std::filesystem::path& path() const { return path_; }

 private:
  static inline int counter_ = 0;
  std::filesystem::path directory_;
  std::filesystem::path path_;
};

// Collects what is written to standard output while it lives.
class CapturedStdout {
 public:
  CapturedStdout() : console_(std::cout.rdbuf(text_.rdbuf())) {}
  CapturedStdout(const CapturedStdout&) = delete;
  CapturedStdout& operator=(const CapturedStdout&) = delete;
  ~CapturedStdout() { std::cout.rdbuf(console_); }

  std::string text() const { return text_.str(); }

 private:
  std::ostringstream text_;
  std::streambuf* console_;
};

// The message of the exception that `action` throws as E, or a failure when it throws nothing.
template <typename E = std::exception, typename Action>
std::string error_of(Action action) {
  try {
    action();
  } catch (const E& error) {
    return error.what();
  }
  ADD_FAILURE() << "no exception";
  return {};
}

}  // namespace netlist_file
