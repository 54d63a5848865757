#include "report/charts.hpp"

#include <algorithm>
#include <cmath>
#include <sstream>

#include "report/html.hpp"

namespace report {

namespace {

std::string coordinate(double value) { return fixed(value, 1); }

// A step of 1, 2 or 5 times a power of ten that divides 0 … `top` into about four parts.
double tick_step(double top) {
  if (!(top > 0)) return 1;
  const double rough = top / 4, magnitude = std::pow(10.0, std::floor(std::log10(rough)));
  for (const double factor : {1.0, 2.0, 5.0})
    if (factor * magnitude >= rough) return factor * magnitude;
  return 10 * magnitude;
}

// The digits a tick label needs for `step`.
unsigned tick_digits(double step) {
  return step >= 1 ? 0 : static_cast<unsigned>(std::ceil(-std::log10(step) - 1e-9));
}

// Opens an SVG of the given height with its accessible title.
void open_svg(std::ostringstream& out, double width, double height, std::string_view title) {
  out << "<svg viewBox=\"0 0 " << width << ' ' << height << "\" role=\"img\" aria-label=\"" << escape(title)
      << "\" xmlns=\"http://www.w3.org/2000/svg\"><title>" << escape(title) << "</title>";
}

void mark(std::ostringstream& out, const bar& datum, double x, double y, double w, double h) {
  out << "<rect class=\"bar\" x=\"" << coordinate(x) << "\" y=\"" << coordinate(y) << "\" width=\""
      << coordinate(w) << "\" height=\"" << coordinate(h) << "\" data-label=\"" << escape(datum.label)
      << "\" data-value=\"" << escape(datum.text) << "\"><title>" << escape(datum.label) << ": "
      << escape(datum.text) << "</title></rect>";
}

void text(std::ostringstream& out, double x, double y, std::string_view anchor, std::string_view content,
          std::string_view css_class = "") {
  out << "<text x=\"" << coordinate(x) << "\" y=\"" << coordinate(y) << "\" text-anchor=\"" << anchor << '"';
  if (!css_class.empty()) out << " class=\"" << css_class << '"';
  out << '>' << content << "</text>";
}

// The plot area of a chart with axes.
struct plot_area {
  double left, top, width, height;
};

// The titles of the horizontal axis (below the plot) and of the vertical one (rotated, on the left).
void axis_titles(std::ostringstream& out, const plot_area& plot, double height, std::string_view x_axis,
                 std::string_view y_axis) {
  text(out, plot.left + plot.width / 2, height - 8, "middle", escape(x_axis), "axis-title");
  out << "<text class=\"axis-title\" text-anchor=\"middle\" transform=\"translate(14 "
      << coordinate(plot.top + plot.height / 2) << ") rotate(-90)\">" << escape(y_axis) << "</text>";
}

double largest(const std::vector<bar>& bars) {
  double top = 0;
  for (const bar& datum : bars) top = std::max(top, datum.value);
  return top;
}

}  // namespace

std::string horizontal_bars(std::string_view title, const std::vector<bar>& bars) {
  constexpr double width = full_width;
  constexpr double row = 30, label_width = 90, value_width = 100, top_margin = 6;
  const double height = top_margin * 2 + row * static_cast<double>(bars.size());
  const double scale_top = largest(bars), span = width - label_width - value_width;
  std::ostringstream out;
  open_svg(out, width, height, title);
  for (std::size_t i = 0; i < bars.size(); ++i) {
    const double y = top_margin + row * static_cast<double>(i);
    const double length = scale_top > 0 ? std::max(0.0, bars[i].value) / scale_top * span : 0;
    text(out, label_width - 10, y + row / 2 + 5, "end", escape(bars[i].label), "label");
    mark(out, bars[i], label_width, y + 5, length, row - 10);
    text(out, label_width + length + 8, y + row / 2 + 5, "start", escape(bars[i].text), "value");
  }
  out << "</svg>";
  return out.str();
}

std::string columns(std::string_view title, const std::vector<bar>& bars, std::string_view x_axis,
                    std::string_view y_axis, double width, bool counts) {
  constexpr double height = 240, left = 64, right = 12, top = 14, bottom = 50;
  const double plot_width = width - left - right, plot_height = height - top - bottom;
  const double step = counts ? std::max(1.0, tick_step(largest(bars))) : tick_step(largest(bars));
  const double scale_top = std::max(step, std::ceil(largest(bars) / step) * step);
  std::ostringstream out;
  open_svg(out, width, height, title);
  for (double tick = 0; tick <= scale_top * (1 + 1e-9); tick += step) {
    const double y = top + plot_height * (1 - tick / scale_top);
    out << "<line class=\"grid\" x1=\"" << left << "\" x2=\"" << width - right << "\" y1=\"" << coordinate(y)
        << "\" y2=\"" << coordinate(y) << "\"/>";
    text(out, left - 6, y + 4, "end", fixed(tick, tick_digits(step)), "tick");
  }
  const double slot = bars.empty() ? plot_width : plot_width / static_cast<double>(bars.size());
  const std::size_t label_every = std::max<std::size_t>(1, (bars.size() + 15) / 16);
  for (std::size_t i = 0; i < bars.size(); ++i) {
    const double x = left + slot * static_cast<double>(i);
    const double h = std::max(0.0, bars[i].value) / scale_top * plot_height;
    mark(out, bars[i], x + slot * 0.1, top + plot_height - h, slot * 0.8, h);
    if (i % label_every == 0)
      text(out, x + slot / 2, top + plot_height + 16, "middle", escape(bars[i].label), "tick");
  }
  out << "<line class=\"axis\" x1=\"" << left << "\" x2=\"" << width - right << "\" y1=\""
      << top + plot_height << "\" y2=\"" << top + plot_height << "\"/>";
  axis_titles(out, {left, top, plot_width, plot_height}, height, x_axis, y_axis);
  out << "</svg>";
  return out.str();
}

std::string curve(std::string_view title, const std::vector<point>& points, std::string_view x_axis,
                  std::string_view y_axis, double width) {
  constexpr double height = 300, left = 64, right = 26, top = 14, bottom = 50;
  const double plot_width = width - left - right, plot_height = height - top - bottom;
  const auto x_of = [&](double x) { return left + x * plot_width; };
  const auto y_of = [&](double y) { return top + (1 - y) * plot_height; };
  std::ostringstream out;
  open_svg(out, width, height, title);
  for (int tick = 0; tick <= 4; ++tick) {
    const double fraction = tick / 4.0;
    out << "<line class=\"grid\" x1=\"" << left << "\" x2=\"" << width - right << "\" y1=\""
        << coordinate(y_of(fraction)) << "\" y2=\"" << coordinate(y_of(fraction)) << "\"/>";
    text(out, left - 6, y_of(fraction) + 4, "end", std::to_string(tick * 25) + " %", "tick");
    text(out, x_of(fraction), top + plot_height + 16, "middle", std::to_string(tick * 25) + " %", "tick");
  }
  out << "<line class=\"diagonal\" x1=\"" << x_of(0) << "\" y1=\"" << y_of(0) << "\" x2=\"" << x_of(1)
      << "\" y2=\"" << y_of(1) << "\"/>";
  out << "<polyline class=\"line\" points=\"" << coordinate(x_of(0)) << ',' << coordinate(y_of(0));
  for (const point& p : points) out << ' ' << coordinate(x_of(p.x)) << ',' << coordinate(y_of(p.y));
  out << "\"/>";
  for (const point& p : points)
    out << "<circle class=\"point\" cx=\"" << coordinate(x_of(p.x)) << "\" cy=\"" << coordinate(y_of(p.y))
        << "\" r=\"2.5\" data-label=\"" << fixed(p.x * 100, 2) << "\" data-value=\"" << fixed(p.y * 100, 2)
        << "\"><title>" << escape(p.text) << "</title></circle>";
  axis_titles(out, {left, top, plot_width, plot_height}, height, x_axis, y_axis);
  out << "</svg>";
  return out.str();
}

}  // namespace report
