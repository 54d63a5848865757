#include "run/choice.hpp"

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>

namespace {

namespace fs = std::filesystem;

TEST(Choice, MethodFileRoundTripsAndIgnoresOthers) {
  const fs::path dir = fs::temp_directory_path() / ("choice_test-" + std::to_string(::getpid()));
  fs::create_directories(dir);
  EXPECT_FALSE(run::read_choice(dir));  // a job of infoloss-job has no method file

  for (const run::method method : {run::method::enumerate, run::method::bdd, run::method::sample}) {
    run::write_choice(dir, {method, "because it fits"});
    const std::optional<run::choice> read = run::read_choice(dir);
    ASSERT_TRUE(read);
    EXPECT_EQ(read->method, method);
    EXPECT_EQ(read->why, "because it fits");
  }
  EXPECT_EQ(run::method_name(run::method::bdd), "bdd");
  EXPECT_EQ(run::method_title(run::method::sample), "sampling (estimate)");

  std::ofstream(dir / "method") << "guess\nno reason\n";
  EXPECT_FALSE(run::read_choice(dir));
  fs::remove_all(dir);
}

}  // namespace
