#pragma once

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <sstream>
#include <string>
#include <string_view>

#include "job/error.hpp"

// A fresh, empty job directory for one test, removed afterwards.
class JobDir : public testing::Test {
 protected:
  void SetUp() override {
    const auto* test = testing::UnitTest::GetInstance()->current_test_info();
    dir_ = std::filesystem::temp_directory_path() / (std::string("infoloss-job-") + std::to_string(getpid()) +
                                                     "-" + test->test_suite_name() + "-" + test->name());
    std::filesystem::remove_all(dir_);
    std::filesystem::create_directories(dir_);
  }
  void TearDown() override { std::filesystem::remove_all(dir_); }

  void write(std::string_view name, std::string_view text) const { std::ofstream(dir_ / name) << text; }

  std::string read(std::string_view name) const {
    std::ifstream in(dir_ / name);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
  }

  std::filesystem::path dir_;
};

// The exit status and message of the job error that `action` throws.
struct job_failure {
  int status = -1;
  std::string message;
};

inline job_failure failure_of(const std::function<void()>& action) {
  try {
    action();
  } catch (const job::error& error) {
    return {error.status(), error.what()};
  }
  return {};
}
