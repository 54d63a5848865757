#include "util/result_paths.hpp"

#include <gtest/gtest.h>

#include <filesystem>

#include "util/output_file.hpp"

TEST(ResultPaths, ChecksOnlyTheOptionsGiven) {
  util::argparse parser;
  parser.add("-o", "/nonexistent-directory/default.csv");
  parser.add("-save-time", "");
  parser.add("-save-memory", "");
  const char* argv[] = {"prog", "-save-time", "/dev/null", "-save-memory", "/nonexistent-directory/m"};
  const auto parsed = parser.parse(5, argv);
  // "-o" is not given, so its default is never a path.
  EXPECT_NO_THROW(util::check_result_paths(parsed, {"-o", "-save-time"}));
  EXPECT_THROW(util::check_result_paths(parsed, {"-o", "-save-time", "-save-memory"}),
               util::file_not_writable);
}
