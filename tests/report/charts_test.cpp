#include "report/charts.hpp"

#include <gtest/gtest.h>

#include <string>

namespace {

std::size_t occurrences(const std::string& text, const std::string& part) {
  std::size_t count = 0;
  for (std::size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1)) ++count;
  return count;
}

}  // namespace

TEST(Charts, OneMarkPerDatumWithItsValueAndEscapedLabels) {
  const std::vector<report::bar> bars = {{"AND", 2.5, "2.5000"}, {"a<b", 0, "0.0000"}, {"OR", 1, "1.0000"}};
  for (const std::string& svg :
       {report::horizontal_bars("kinds", bars), report::columns("levels", bars, "x", "y")}) {
    EXPECT_EQ(occurrences(svg, "<rect class=\"bar\""), 3u);
    EXPECT_NE(svg.find("data-label=\"a&lt;b\" data-value=\"0.0000\""), std::string::npos);
    EXPECT_EQ(svg.find("a<b"), std::string::npos);
    EXPECT_TRUE(svg.starts_with("<svg viewBox=")) << svg.substr(0, 40);
    EXPECT_TRUE(svg.ends_with("</svg>"));
  }
  // A zero value is a bar of no length, never a negative one.
  EXPECT_NE(report::horizontal_bars("kinds", bars).find("width=\"0.0\""), std::string::npos);
  EXPECT_EQ(report::columns("levels", bars, "x", "y").find("height=\"-"), std::string::npos);
}

TEST(Charts, CurveHasAPointPerDatumAndStartsAtTheOrigin) {
  const std::string svg = report::curve("shares", {{0.5, 0.8, "half"}, {1, 1, "all"}}, "x", "y");
  EXPECT_EQ(occurrences(svg, "<circle class=\"point\""), 2u);
  EXPECT_NE(svg.find("data-label=\"100.00\" data-value=\"100.00\""), std::string::npos);
  // The line runs through the origin and both points.
  const std::size_t from = svg.find("points=\"") + 8;
  const std::string points = svg.substr(from, svg.find('"', from) - from);
  EXPECT_EQ(occurrences(points, ","), 3u) << points;
}

TEST(Charts, EmptyDataDrawsAxesWithoutMarks) {
  const std::string svg = report::columns("levels", {}, "x", "y");
  EXPECT_EQ(occurrences(svg, "class=\"bar\""), 0u);
  EXPECT_NE(svg.find("class=\"axis\""), std::string::npos);
}
