#include "report/html.hpp"

#include <cmath>

#include "util/string.hpp"

namespace report {

std::string escape(std::string_view text) {
  std::string escaped;
  escaped.reserve(text.size());
  for (const char c : text) {
    switch (c) {
      case '&':
        escaped += "&amp;";
        break;
      case '<':
        escaped += "&lt;";
        break;
      case '>':
        escaped += "&gt;";
        break;
      case '"':
        escaped += "&quot;";
        break;
      case '\'':
        escaped += "&#39;";
        break;
      default:
        escaped += c;
    }
  }
  return escaped;
}

namespace {

std::string with_true_minus(std::string text) {
  if (text.starts_with('-')) {
    if (text.find_first_not_of("-0.") == std::string::npos) return text.substr(1);
    return "−" + text.substr(1);
  }
  return text;
}

}  // namespace

std::string fixed(double value, unsigned digits) {
  return with_true_minus(util::string::fromf(value, digits));
}

std::string scientific(double value, unsigned digits) {
  if (value == 0 || !std::isfinite(value)) return fixed(value, digits);
  int exponent = static_cast<int>(std::floor(std::log10(std::fabs(value))));
  double mantissa = value / std::pow(10.0, exponent);
  // Rounding may carry the mantissa to 10.
  if (std::fabs(std::stod(util::string::fromf(mantissa, digits))) >= 10) {
    ++exponent;
    mantissa /= 10;
  }
  return fixed(mantissa, digits) + " × 10<sup>" + with_true_minus(std::to_string(exponent)) + "</sup>";
}

}  // namespace report
