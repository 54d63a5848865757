#include "operation/read/line.hpp"

#include <gtest/gtest.h>

#include <sstream>
#include <string>

namespace {

using namespace operation;

TEST(ReadNextLine, SkipsBlankAndCommentLinesButCountsThem) {
  std::istringstream file("\n  // only a comment\n \t \na // b\r\n  last\t\n");
  siz_t lineno = 0;
  std::string buffer;
  EXPECT_EQ(read_next_line(file, lineno, buffer), "a");
  EXPECT_EQ(lineno, 4U);
  EXPECT_EQ(read_next_line(file, lineno, buffer), "last");
  EXPECT_EQ(lineno, 5U);
  for (int i = 0; i < 2; ++i) {
    EXPECT_EQ(read_next_line(file, lineno, buffer), "");
    EXPECT_EQ(lineno, 5U);
  }
}

TEST(ReadFullLine, JoinsAStatementAcrossLines) {
  std::istringstream file("assign x = a &\n\n// between\n  b;\nassign y = c;\ntail");
  siz_t lineno = 0;
  EXPECT_EQ(read_full_line(file, lineno, ';'), " assign x = a & b;");
  EXPECT_EQ(lineno, 4U);
  EXPECT_EQ(read_full_line(file, lineno, ';'), " assign y = c;");
  EXPECT_EQ(lineno, 5U);
  EXPECT_EQ(read_full_line(file, lineno, ';'), " tail");  // the input ended first
  EXPECT_EQ(read_full_line(file, lineno, ';'), "");
  EXPECT_EQ(lineno, 6U);
}

TEST(RemoveTilde, StripsSeparatorsAndCountsInversionMarks) {
  const auto clean = [](std::string_view name) {
    const bool inverted = remove_tilde(name);
    return std::make_pair(std::string(name), inverted);
  };
  EXPECT_EQ(clean("~a"), std::make_pair(std::string("a"), true));
  EXPECT_EQ(clean("~~a"), std::make_pair(std::string("a"), false));
  EXPECT_EQ(clean("~ ~a"), std::make_pair(std::string("a"), false));
  EXPECT_EQ(clean("(~b)"), std::make_pair(std::string("b"), true));
  EXPECT_EQ(clean(" ~( ~(~c ));"), std::make_pair(std::string("c"), true));
  EXPECT_EQ(clean("c,"), std::make_pair(std::string("c"), false));
  EXPECT_EQ(clean("\\opcode[0] "), std::make_pair(std::string("\\opcode[0]"), false));
  EXPECT_EQ(clean("~"), std::make_pair(std::string(""), true));
}

TEST(IgnoreCommand, SkipsUpToTheLineEndingTheStatement) {
  std::istringstream file("  b, c,\n// d;\n  y);\nnext\n");
  siz_t lineno = 1;
  ignore_command(file, "top(a,", lineno, ';');
  EXPECT_EQ(lineno, 4U);
  std::string buffer;
  EXPECT_EQ(read_next_line(file, lineno, buffer), "next");

  std::istringstream untouched("next\n");
  lineno = 1;
  ignore_command(untouched, "top(a, b);", lineno, ';');
  ignore_command(untouched, "", lineno, ';');
  EXPECT_EQ(lineno, 1U);

  std::istringstream unfinished("a,\nb\n");
  ignore_command(unfinished, "top(", lineno, ';');
  EXPECT_EQ(lineno, 3U);
}

}  // namespace
