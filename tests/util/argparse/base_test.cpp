#include "util/argparse/base.hpp"

#include <gtest/gtest.h>

#include <cstdint>
#include <functional>
#include <limits>
#include <sstream>
#include <string>
#include <vector>

using util::argparse;
using option = util::argparse::option;

namespace {

argparse::params parse(const argparse& parser, std::vector<const char*> args) {
  args.insert(args.begin(), "/usr/bin/prog");
  return parser.parse(args.size(), args.data());
}

// The message of the exception of type E that `action` throws ("" and a failure otherwise).
template <typename E>
std::string message_of(const std::function<void()>& action) {
  try {
    action();
  } catch (const E& error) {
    return error.what();
  } catch (const std::exception& other) {
    ADD_FAILURE() << "unexpected exception: " << other.what();
    return "";
  }
  ADD_FAILURE() << "no exception";
  return "";
}

std::vector<std::string> values(const argparse::params& parsed, const std::string& name) {
  argparse::iterator<const std::string&> begin, end;
  parsed.get(name, begin, end);
  return {begin, end};
}

// "-o" with a default and a positional "input": the shape of every program's command line.
argparse output_and_input() {
  argparse parser;
  parser.add("-o", "a.csv");
  parser.add("input", option::none);
  return parser;
}

}  // namespace

TEST(ArgparseDeclare, RejectsDuplicateAndInvalidNames) {
  argparse parser;
  parser.add("-o", "");
  EXPECT_EQ(message_of<util::param_name_exists>([&] { parser.add("-o", "x"); }), "Param '-o' exists.");
  // The existing name is reported before any flag error.
  EXPECT_EQ(message_of<util::param_name_exists>([&] { parser.add("-o", option::enabler | option::counter); }),
            "Param '-o' exists.");
  EXPECT_EQ(message_of<util::param_name_invalid>([&] { parser.add("", ""); }), "Invalid param ''.");
  EXPECT_EQ(
      message_of<util::param_name_invalid>([&] { parser.add("a b", option::enabler | option::counter); }),
      "Invalid param 'a b'.");
  EXPECT_TRUE(argparse::valid_name("-save-time"));
  EXPECT_TRUE(argparse::valid_name("input_2"));
  EXPECT_FALSE(argparse::valid_name("-ö"));
  EXPECT_FALSE(argparse::valid_name("-a=b"));
  EXPECT_EQ(message_of<util::param_name_does_not_exists>([&] { parser.describe("-x", "meaning"); }),
            "Param '-x' does not exists.");
}

TEST(ArgparseDeclare, FlagConflictsAreCheckedInOrder) {
  argparse parser;
  auto message = [&](option flags, const util::string_set& choices = {}) {
    return message_of<util::exception>([&] { parser.add("-x", flags, choices); });
  };
  EXPECT_EQ(message(option::enabler | option::multiple | option::required),
            "Enable, disable or count param '-x' can not have multiple arguments.");
  EXPECT_EQ(message(option::disabler | option::counter | option::required),
            "Enable, disable or count param '-x' can not be required.");
  EXPECT_EQ(message(option::enabler | option::disabler | option::counter),
            "Enable param '-x' can not be count.");
  EXPECT_EQ(message(option::enabler | option::disabler), "Enable param '-x' can not be disable.");
  EXPECT_EQ(message(option::disabler | option::counter), "Disable param '-x' can not be count.");
  EXPECT_EQ(message(option::counter | option::disabler, {"a"}), "Disable param '-x' can not be count.");
  EXPECT_EQ(message(option::enabler, {"a"}), "Enable, disable or count param '-x' can not have choices.");
  EXPECT_EQ(message(option::none),
            "-x should be required, multiple, enable, disable or count to not require a default.");
  EXPECT_THROW(parser.add("-y", "d", option::counter, {"a"}), util::param_choices_edc);
  EXPECT_THROW(parser.add("-y", option::enabler | option::required), util::options_invalid_edc_required);
  // None of the failed declarations left anything behind.
  EXPECT_FALSE(parser.exists("-x"));
  EXPECT_FALSE(parser.exists("-y"));
}

TEST(ArgparseDeclare, PositionalRules) {
  argparse parser;
  EXPECT_EQ(message_of<util::param_positional_invalid>([&] { parser.add("in", option::enabler); }),
            "Positional arg 'in' should not be enable, disable or count.");
  // Flag and choice checks come before the positional ones.
  EXPECT_THROW(parser.add("in", option::counter | option::required), util::options_invalid_edc_required);
  EXPECT_THROW(parser.add("in", option::enabler, {"a"}), util::param_choices_edc);
  EXPECT_FALSE(parser.exists("in"));

  parser.add("first", option::none);  // no default: allowed, because positionals are required
  parser.add("files", option::multiple);
  EXPECT_EQ(message_of<util::param_positional_multiple_exists>([&] { parser.add("more", "x"); }),
            "Can not add positional arg 'more' after positional multiple arg 'files'.");
  parser.add("-after", "");  // options may still follow
  EXPECT_THROW(parse(parser, {}), util::param_is_required);
}

TEST(ArgparseParse, DefaultsPositionalsAndValueOptions) {
  const argparse parser = output_and_input();
  auto parsed = parse(parser, {"in.v"});
  EXPECT_EQ(parsed.get_ref("-o"), "a.csv");
  EXPECT_FALSE(parsed.is_set("-o"));
  EXPECT_EQ(parsed.get_ref("input"), "in.v");
  EXPECT_TRUE(parsed.is_set("input"));
  EXPECT_FALSE(parsed.is_set("undeclared"));

  EXPECT_EQ(parse(parser, {"-o", "b.csv", "in.v"}).get_ref("-o"), "b.csv");
  EXPECT_EQ(parse(parser, {"in.v", "-o", "b.csv"}).get_ref("-o"), "b.csv");
  EXPECT_EQ(parse(parser, {"in.v", "-o", "b", "-o", "c"}).get_ref("-o"), "c");

  parsed = parse(parser, {"in.v", "-o"});  // no value left: the default stays
  EXPECT_EQ(parsed.get_ref("-o"), "a.csv");
  EXPECT_FALSE(parsed.is_set("-o"));

  // Undeclared tokens beginning with "-" are values.
  EXPECT_EQ(parse(parser, {"-o", "-x", "in.v"}).get_ref("-o"), "-x");
  EXPECT_EQ(parse(parser, {"-5"}).get_ref("input"), "-5");

  EXPECT_EQ(message_of<util::param_unknown>([&] {
              parse(parser, {"in.v", "extra"});
            }),
            "Unknown param 'extra'.");
  EXPECT_EQ(message_of<util::param_is_required>([&] { parse(parser, {}); }), "Param 'input' is required.");
  EXPECT_EQ(message_of<util::param_is_required>([&] {
              parse(parser, {"-o", "b.csv"});
            }),
            "Param 'input' is required.");
}

TEST(ArgparseParse, ValuelessKinds) {
  argparse parser;
  parser.add("-v", option::counter);
  parser.add("-five", "5", option::counter);
  parser.add("-on", option::enabler);
  parser.add("-off", option::disabler);
  parser.add("-with-default", "ignored", option::enabler);

  auto parsed = parse(parser, {});
  EXPECT_EQ(parsed.get_ref("-v"), "0");
  EXPECT_EQ(parsed.get_ref("-five"), "5");
  EXPECT_FALSE(parsed.get<bool>("-on"));
  EXPECT_TRUE(parsed.get<bool>("-off"));
  EXPECT_EQ(parsed.get_ref("-with-default"), "0");

  parsed = parse(parser, {"-v", "-on", "-v", "-off", "-v", "-five"});
  EXPECT_EQ(parsed.get<std::uint64_t>("-v"), 3u);
  EXPECT_FALSE(parsed.is_set("-v"));  // counting does not mark the name as given
  EXPECT_EQ(parsed.get_ref("-five"), "6");
  EXPECT_TRUE(parsed.get<bool>("-on"));
  EXPECT_TRUE(parsed.is_set("-on"));
  EXPECT_FALSE(parsed.get<bool>("-off"));

  argparse broken;
  broken.add("-n", "many", option::counter);
  EXPECT_EQ(message_of<util::param_value_invalid>([&] { parse(broken, {"-n"}); }),
            "Param '-n' has an invalid value 'many' (stoull).");
}

TEST(ArgparseParse, MultipleValuesAccumulate) {
  argparse parser;
  parser.add("-in", "gone", option::multiple);
  parser.add("-flag", option::enabler);
  auto parsed = parse(parser, {"-in", "x", "y", "-flag", "-in", "z"});
  EXPECT_EQ(values(parsed, "-in"), (std::vector<std::string>{"x", "y", "z"}));
  EXPECT_EQ(values(parse(parser, {}), "-in"), std::vector<std::string>{"gone"});

  argparse join_like;
  join_like.add("inputs", option::multiple);
  join_like.add("-o", "");
  parsed = parse(join_like, {"a", "-b", "-o", "out"});
  EXPECT_EQ(values(parsed, "inputs"), (std::vector<std::string>{"a", "-b"}));
  EXPECT_EQ(parsed.get_ref("-o"), "out");
  EXPECT_THROW(parse(join_like, {"a", "-o", "out", "c"}), util::param_unknown);
  EXPECT_THROW(parse(join_like, {"-o", "out"}), util::param_is_required);
}

TEST(ArgparseParse, ChoicesAndRequiredOptions) {
  argparse parser;
  parser.add("-filetype", "", {"verilog", "tree"});
  parser.add("-k", option::required);
  parser.add("-m", option::required | option::multiple, {"a", "b"});
  EXPECT_EQ(message_of<util::param_is_required>([&] { parse(parser, {}); }), "Param '-k' is required.");
  EXPECT_EQ(message_of<util::param_choices_not_exist>([&] {
              parse(parser, {"-filetype", "blif"});
            }),
            "Choice 'blif' not enabled for param '-filetype'.");
  EXPECT_THROW(parse(parser, {"-k", "1", "-m", "a", "c"}), util::param_choices_not_exist);
  const auto parsed = parse(parser, {"-k", "1", "-m", "a", "b", "a", "-filetype", "tree"});
  EXPECT_EQ(parsed.get_ref("-filetype"), "tree");
  EXPECT_EQ(values(parsed, "-m"), (std::vector<std::string>{"a", "b", "a"}));
}

TEST(ArgparseParams, SetReplacesTheDefaultThenAppendsOrReplaces) {
  argparse::params parsed({{"-a", "default"}}, {"-b"});
  EXPECT_EQ(values(parsed, "-b"), std::vector<std::string>{});
  parsed.set("-a", "x", false);
  parsed.set("-a", "y", false);
  EXPECT_EQ(values(parsed, "-a"), (std::vector<std::string>{"x", "y"}));
  parsed.set("-a", "z", true);
  EXPECT_EQ(values(parsed, "-a"), std::vector<std::string>{"z"});
  parsed.set("-new", "v", false);
  EXPECT_TRUE(parsed.is_set("-new"));

  std::ostringstream out;
  out << parsed;  // entries come in the map's order: check each line on its own
  EXPECT_NE(out.str().find("-a: z\n"), std::string::npos);
  EXPECT_NE(out.str().find("-b: \n"), std::string::npos);
  EXPECT_NE(out.str().find("-new: v\n"), std::string::npos);
}

TEST(ArgparseParams, MissingValuesAreCleanErrors) {
  const argparse::params parsed({}, {"-b"});
  EXPECT_EQ(message_of<std::out_of_range>([&] { parsed.get_ref("-zz"); }), "Parameter '-zz' not found.");
  EXPECT_EQ(message_of<std::out_of_range>([&] { parsed.get<bool>("-b"); }), "Parameter '-b' has no value.");
  argparse::iterator<std::uint64_t> begin, end;
  EXPECT_FALSE(parsed.get("-zz", begin, end));
  EXPECT_EQ(begin, end);
  EXPECT_TRUE(parsed.get("-b", begin, end));
  EXPECT_EQ(begin, end);
}

TEST(ArgparseParams, Conversions) {
  argparse::params parsed({}, {});
  auto read = [&](const std::string& text) -> argparse::params& {
    parsed.set("-v", text, true);
    return parsed;
  };
  EXPECT_FALSE(read("").get<bool>("-v"));
  EXPECT_FALSE(read("0").get<bool>("-v"));
  EXPECT_TRUE(read("1").get<bool>("-v"));
  EXPECT_TRUE(read("yes").get<bool>("-v"));
  EXPECT_TRUE(read("00").get<bool>("-v"));
  EXPECT_EQ(read("4294967295").get<std::uint32_t>("-v"), 4294967295u);
  EXPECT_EQ(read("0").get<std::uint32_t>("-v"), 0u);
  EXPECT_EQ(read("012").get<std::uint64_t>("-v"), 12u);  // decimal, not octal
  EXPECT_EQ(read("18446744073709551615").get<std::uint64_t>("-v"), std::numeric_limits<std::uint64_t>::max());
  EXPECT_EQ(read("2.5").get<double>("-v"), 2.5);
  EXPECT_EQ(read("1e-3").get<double>("-v"), 0.001);
  EXPECT_EQ(read("inf").get<double>("-v"), std::numeric_limits<double>::infinity());
  EXPECT_EQ(read("dir/f.v").get<std::filesystem::path>("-v"), std::filesystem::path("dir/f.v"));
  EXPECT_EQ(&read("text").get<const std::string&>("-v"), &parsed.get_ref("-v"));
  EXPECT_EQ(read("abc").get<std::uint64_t>("-v", [](const std::string& s) { return s.size(); }), 3u);
}

TEST(ArgparseParams, ConversionErrorsNameTheParameter) {
  argparse::params parsed({{"-limit-time", "abc"}, {"-n", "18446744073709551616"}, {"-t", "1e400"}}, {});
  EXPECT_EQ(message_of<util::param_value_invalid>([&] { parsed.get<double>("-limit-time"); }),
            "Param '-limit-time' has an invalid value 'abc' (stold).");
  EXPECT_EQ(message_of<util::param_value_invalid>([&] { parsed.get<std::uint32_t>("-limit-time"); }),
            "Param '-limit-time' has an invalid value 'abc' (stoull).");
  EXPECT_EQ(message_of<util::param_value_invalid>([&] { parsed.get<std::uint64_t>("-n"); }),
            "Param '-n' has an invalid value '18446744073709551616' (stoull).");
  EXPECT_EQ(message_of<util::param_value_invalid>([&] { parsed.get<double>("-t"); }),
            "Param '-t' has an invalid value '1e400' (stold).");
  // The parser's errors form one family, which the programs report as command-line errors.
  EXPECT_THROW(parsed.get<double>("-t"), util::exception);
  EXPECT_THROW(parsed.get<double>("-t"), util::usage_error);
}

TEST(ArgparseParams, NumbersMustBeTheWholeTextAndInRange) {
  argparse::params parsed({}, {});
  const auto refusal = [&]<typename T>(const std::string& text, T) {
    parsed.set("-use-bits", text, true);
    return message_of<util::param_value_invalid>([&] { parsed.get<T>("-use-bits"); });
  };
  // Each of these was once read as some other number.
  for (const char* text : {"4x", "-1", " 4", "4 ", "+4", "", "0x10", "4.0"})
    EXPECT_EQ(refusal(text, std::uint32_t{}),
              std::string("Param '-use-bits' has an invalid value '") + text + "' (stoull).");
  EXPECT_EQ(refusal("4294967296", std::uint32_t{}),
            "Param '-use-bits' has an invalid value '4294967296' (stoull).");
  EXPECT_EQ(refusal("4294967297", std::uint32_t{}),
            "Param '-use-bits' has an invalid value '4294967297' (stoull).");
  EXPECT_EQ(refusal("-1", std::uint64_t{}), "Param '-use-bits' has an invalid value '-1' (stoull).");
  for (const char* text : {"1.5x", " 1.5", "1.5 ", "", "x"})
    EXPECT_EQ(refusal(text, double{}),
              std::string("Param '-use-bits' has an invalid value '") + text + "' (stold).");
}

TEST(ArgparseParams, IteratorConvertsEveryValue) {
  argparse parser;
  parser.add("-n", option::multiple);
  const auto parsed = parse(parser, {"-n", "1", "2", "30"});
  argparse::iterator<std::uint64_t> begin, end;
  ASSERT_TRUE(parsed.get("-n", begin, end));
  EXPECT_EQ((std::vector<std::uint64_t>{begin, end}), (std::vector<std::uint64_t>{1, 2, 30}));
  EXPECT_EQ(*--end, 30u);
  EXPECT_EQ(*begin++, 1u);
  EXPECT_EQ(*begin, 2u);

  argparse::iterator<std::string> text_begin, text_end;
  parsed.get("-n", text_begin, text_end);
  EXPECT_EQ(text_begin->size(), 1u);

  const auto bad = parse(parser, {"-n", "1", "x"});
  bad.get("-n", begin, end);
  EXPECT_EQ(message_of<util::param_value_invalid>([&] { std::vector<std::uint64_t>(begin, end); }),
            "Param '-n' has an invalid value 'x' (stoull).");
}

TEST(ArgparseHelp, OnlyArgumentPrintsTheSummaryFromTheDeclarations) {
  argparse parser;
  parser.add("input", option::none);
  parser.add("-o", "");
  parser.add("-filetype", "", {"verilog", "tree"});
  parser.add("-no-eval", option::enabler);
  parser.add("-n", option::multiple);
  parser.describe("input", "the netlist to read");
  parser.describe("-o", "result file of combination counts");
  parser.describe("-no-eval", "stop after the structural statistics");
  const std::string expected =
      "usage: prog [options] input\n"
      "\n"
      "  input            the netlist to read [required]\n"
      "  -o VALUE         result file of combination counts [default \"\"]\n"
      "  -filetype VALUE  [one of: tree, verilog; default \"\"]\n"
      "  -no-eval         stop after the structural statistics [flag]\n"
      "  -n VALUE...      [one or more values]\n"
      "  -h, --help       print this summary and exit\n";
  EXPECT_EQ(message_of<util::help_requested>([&] { parse(parser, {"--help"}); }), expected);
  EXPECT_EQ(message_of<util::help_requested>([&] { parse(parser, {"-h"}); }), expected);
  // Anywhere else it is an ordinary token.
  EXPECT_EQ(parse(parser, {"-h", "-o", "x"}).get_ref("input"), "-h");
  EXPECT_THROW(parse(parser, {"in.v", "--help"}), util::param_unknown);

  argparse own;
  own.add("-h", option::enabler);
  EXPECT_TRUE(parse(own, {"-h"}).get<bool>("-h"));
}
