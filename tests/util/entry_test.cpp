#include "util/entry.hpp"

#include <gtest/gtest.h>

#include <new>
#include <sstream>
#include <stdexcept>
#include <string>

#include "util/argparse/base.hpp"
#include "util/error.hpp"
#include "util/output_file.hpp"

namespace {

struct outcome {
  int status;
  std::string out;
  std::string err;
};

outcome run(const std::function<int()>& body) {
  std::ostringstream out, err;
  const int status = util::run_program("fullsim", body, out, err);
  return {status, out.str(), err.str()};
}

// An input error of a more specific kind, as the readers raise.
class netlist_error : public util::input_error {
 public:
  using util::input_error::input_error;
};

}  // namespace

TEST(Entry, CommandLineErrorsGiveStatus2) {
  const auto refused = run([] { return 1; });  // the body's own status passes through
  EXPECT_EQ(refused.status, 1);
  EXPECT_EQ(refused.err, "");
  auto result = run([]() -> int { throw util::param_unknown("extra"); });
  EXPECT_EQ(result.status, 2);
  EXPECT_EQ(result.err, "fullsim: Unknown param 'extra'.\n");
  result = run([]() -> int { throw util::usage_error("Worker 4 does not exist."); });
  EXPECT_EQ(result.status, 2);
  EXPECT_EQ(result.err, "fullsim: Worker 4 does not exist.\n");

  result = run([] {
    util::argparse parser;
    parser.add("-limit-time", "");
    const char* argv[] = {"fullsim", "-limit-time", "abc"};
    return static_cast<int>(parser.parse(3, argv).get<double>("-limit-time"));
  });
  EXPECT_EQ(result.status, 2);
  EXPECT_EQ(result.err, "fullsim: Param '-limit-time' has an invalid value 'abc' (stold).\n");
}

TEST(Entry, InputFileErrorsGiveStatus3) {
  auto result = run([]() -> int { throw netlist_error("Unknown gate `X`.", 7); });
  EXPECT_EQ(result.status, 3);
  EXPECT_EQ(result.err, "fullsim: Line 7: Unknown gate `X`.\n");
  result = run([]() -> int { throw util::input_error("bad count"); });
  EXPECT_EQ(result.status, 3);
  EXPECT_EQ(result.err, "fullsim: bad count\n");
  result = run([]() -> int { throw util::input_error("bad count", 2, "w1.csv"); });
  EXPECT_EQ(result.err, "fullsim: w1.csv: Line 2: bad count\n");
  result = run([]() -> int { throw util::input_error("empty", 0, "w1.csv"); });
  EXPECT_EQ(result.err, "fullsim: w1.csv: empty\n");
}

TEST(Entry, StatusErrorsGiveTheirOwnStatus) {
  const auto result = run([]() -> int { throw util::status_error(1, "3 of 4 workers have no result"); });
  EXPECT_EQ(result.status, 1);
  EXPECT_EQ(result.err, "fullsim: 3 of 4 workers have no result\n");
}

TEST(Entry, EverythingElseGivesStatus4) {
  auto result = run([]() -> int { throw util::resource_error("Could not limit memory."); });
  EXPECT_EQ(result.status, 4);
  EXPECT_EQ(result.err, "fullsim: Could not limit memory.\n");
  result = run([]() -> int { throw std::runtime_error("Node `g` reads itself."); });
  EXPECT_EQ(result.status, 4);
  result = run([]() -> int { throw std::bad_alloc(); });
  EXPECT_EQ(result.status, 4);
  EXPECT_EQ(result.err, "fullsim: out of memory\n");
  result = run([]() -> int { throw std::out_of_range("Parameter '-o' not found."); });
  EXPECT_EQ(result.status, 4);
  result = run([]() -> int { throw 42; });
  EXPECT_EQ(result.status, 4);
  EXPECT_EQ(result.err, "fullsim: unknown error\n");
  result = run([] {
    util::write_file("/nonexistent-directory/counts.csv", "x\n");
    return 0;
  });
  EXPECT_EQ(result.status, 4);
  EXPECT_EQ(result.err, "fullsim: Could not write file `\"/nonexistent-directory/counts.csv\"`.\n");
}

TEST(Entry, HelpPrintsTheUsageAndSucceeds) {
  const auto result = run([] {
    util::argparse parser;
    parser.add("input", util::argparse::option::none);
    const char* argv[] = {"/opt/bin/fullsim", "--help"};
    parser.parse(2, argv);
    return 9;
  });
  EXPECT_EQ(result.status, 0);
  EXPECT_EQ(result.out.rfind("usage: fullsim input\n", 0), 0u) << result.out;
  EXPECT_EQ(result.err, "");
}

TEST(Entry, LostStandardOutputFails) {
  std::ostringstream out, err;
  out.setstate(std::ios::badbit);  // as a write to a full disk leaves it
  EXPECT_EQ(util::run_program("join", [] { return 0; }, out, err), 4);
  EXPECT_EQ(err.str(), "join: Could not write standard output.\n");
}
