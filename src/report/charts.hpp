#pragma once

#include <string>
#include <string_view>
#include <vector>

// Inline SVG charts for the report page. Every mark (a `rect` of class "bar", a `circle` of class
// "point") carries its datum in `data-label` and `data-value` and a tooltip.
namespace report {

// One bar: its label, its value and the value as the page writes it.
struct bar {
  std::string label;
  double value = 0;
  std::string text;
};

// One point of a curve; `x` and `y` from 0 to 1.
struct point {
  double x = 0;
  double y = 0;
  std::string text;
};

// The width of a chart's drawing, in the units of its text size (13): the page scales the
// drawing to its column, so a narrower drawing has larger text.
inline constexpr double full_width = 520;
inline constexpr double half_width = 440;

// Bars from the left (drawn `full_width` wide), one per line, labelled on the left and valued on the right.
std::string horizontal_bars(std::string_view title, const std::vector<bar>& bars);

// Columns over a horizontal axis with a value axis on the left (whole-number ticks when the values
// are `counts`); labels are thinned out when there are many columns.
std::string columns(std::string_view title, const std::vector<bar>& bars, std::string_view x_axis,
                    std::string_view y_axis, double width = full_width, bool counts = false);

// A rising curve through `points` from the origin, in a square of 0 % to 100 % on both axes,
// with the diagonal for comparison.
std::string curve(std::string_view title, const std::vector<point>& points, std::string_view x_axis,
                  std::string_view y_axis, double width = full_width);

}  // namespace report
