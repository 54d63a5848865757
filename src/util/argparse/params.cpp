#include <cmath>
#include <concepts>
#include <limits>
#include <ostream>
#include <stdexcept>
#include <utility>

#include "util/argparse/base.hpp"
#include "util/printer.hpp"
#include "util/string.hpp"

namespace util {

const string_vector argparse::params::empty_vector;

argparse::params::params(const string_map<std::string>& defaults, const string_set& non_default) {
  for (const auto& [name, value] : defaults) {
    data_[name] = {value};
  }
  for (const auto& name : non_default) {
    data_[name];
  }
}

void argparse::params::set(const std::string& name, const std::string& value, bool replace) {
  auto& values = data_[name];
  bool& given = set_[name];
  if (!given || replace) {
    values.clear();
  }
  values.push_back(value);
  given = true;
}

bool argparse::params::is_set(const std::string& name) const {
  const auto found = set_.find(name);
  return found != set_.end() && found->second;
}

const std::string& argparse::params::get_ref(const std::string& name) const {
  const auto found = data_.find(name);
  if (found == data_.end()) {
    throw std::out_of_range(string::concat("Parameter '", name, "' not found."));
  }
  if (found->second.empty()) {
    throw std::out_of_range(string::concat("Parameter '", name, "' has no value."));
  }
  return found->second.front();
}

std::string& argparse::params::get_ref(const std::string& name) {
  return const_cast<std::string&>(std::as_const(*this).get_ref(name));
}

template <>
const std::string& argparse::params::default_conversor<const std::string&>(const std::string& text) {
  return text;
}

template <>
std::string argparse::params::default_conversor<std::string>(const std::string& text) {
  return text;
}

namespace {

// The whole text as a decimal number of type T. Anything else is refused with the error that the
// standard reader gives: a text that is not plain digits as invalid, a number beyond T as out of range.
template <std::unsigned_integral T>
T whole_unsigned(const std::string& text) {
  if (const auto value = string::to_unsigned<T>(text)) return *value;
  const bool digits = !text.empty() && text.find_first_not_of("0123456789") == std::string::npos;
  if (digits) throw std::out_of_range("stoull");
  throw std::invalid_argument("stoull");
}

}  // namespace

template <>
std::uint64_t argparse::params::default_conversor<std::uint64_t>(const std::string& text) {
  return whole_unsigned<std::uint64_t>(text);
}

template <>
std::uint32_t argparse::params::default_conversor<std::uint32_t>(const std::string& text) {
  return whole_unsigned<std::uint32_t>(text);
}

template <>
double argparse::params::default_conversor<double>(const std::string& text) {
  // The number must be the whole text: no leading white space, no suffix.
  std::size_t end = 0;
  if (!text.empty() && string::whitespace.find(text.front()) != std::string_view::npos)
    throw std::invalid_argument("stold");
  const long double value = std::stold(text, &end);
  if (end != text.size()) throw std::invalid_argument("stold");
  // Narrowing a finite value beyond the range of double is undefined: report it as stold does.
  if (std::isfinite(value) && std::fabs(value) > std::numeric_limits<double>::max()) {
    throw std::out_of_range("stold");
  }
  return static_cast<double>(value);
}

template <>
bool argparse::params::default_conversor<bool>(const std::string& text) {
  return !text.empty() && text != "0";
}

template <>
std::filesystem::path argparse::params::default_conversor<std::filesystem::path>(const std::string& text) {
  return text;
}

std::ostream& operator<<(std::ostream& out, const argparse::params& parsed) {
  for (const auto& [name, values] : parsed.data_) {
    out << name << ": " << printer(values).sep(", ") << '\n';
  }
  return out;
}

}  // namespace util
