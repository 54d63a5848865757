#pragma once

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <iosfwd>
#include <iterator>
#include <string>
#include <string_view>
#include <type_traits>

#include "util/argparse/exception.hpp"
#include "util/string_containers.hpp"

namespace util {

// Command-line parser: a program declares each parameter once with `add` (and its meaning with
// `describe`), then `parse` turns argc/argv into a `params` from which it reads typed values.
// Names beginning with "-" are options; any other name is positional and is filled, in declaration
// order, from the tokens that are not option names.
class argparse {
 public:
  // The flags of one parameter.
  class option {
   public:
    static constexpr std::uint8_t none = 0;      // a plain value parameter
    static constexpr std::uint8_t required = 1;  // must be given on the command line
    static constexpr std::uint8_t multiple = 2;  // takes every following value up to the next option
    static constexpr std::uint8_t enabler = 4;   // takes no value; giving it stores "1"
    static constexpr std::uint8_t disabler = 8;  // takes no value; giving it stores "0"
    static constexpr std::uint8_t counter = 16;  // takes no value; each occurrence adds 1

    constexpr option(std::uint8_t value = none) : value_(value) {}

    // Combines flags; either side may also be a byte such as `option::enabler`.
    friend constexpr option operator|(option left, option right) {
      return option(left.value_ | right.value_);
    }
    constexpr option& operator|=(option other) {
      value_ |= other.value_;
      return *this;
    }

    constexpr bool is_required() const { return value_ & required; }
    constexpr bool is_multiple() const { return value_ & multiple; }
    constexpr bool is_enabler() const { return value_ & enabler; }
    constexpr bool is_disabler() const { return value_ & disabler; }
    constexpr bool is_counter() const { return value_ & counter; }
    // Enabler, disabler or counter: a parameter that takes no value.
    constexpr bool is_valueless() const { return value_ & (enabler | disabler | counter); }

   private:
    std::uint8_t value_;
  };

  template <typename T>
  class iterator;
  class params;

  argparse() = default;

  // Declares a parameter with a default text.
  void add(const std::string& name, std::string default_value, option flags, const string_set& choices = {});
  // Declares a parameter without a default: it must be required, multiple or value-less.
  void add(const std::string& name, option flags, const string_set& choices = {});
  // Declares a plain value parameter with a default text.
  void add(const std::string& name, std::string default_value, const string_set& choices = {});

  // Attaches the one-line meaning that the usage summary shows for a declared parameter.
  void describe(const std::string& name, std::string meaning);

  // Parses the command line (argv[0], the program, is skipped). When the only argument is
  // "--help" or "-h" (and the program did not declare that name) it throws `help_requested`
  // holding the usage summary.
  params parse(const std::uint64_t& argc, const char* const* argv) const;

  // The usage summary: one line per parameter with its meaning, default and allowed values.
  std::string usage(std::string_view program) const;

  // True when the name is non-empty and holds only ASCII letters, digits, "-" and "_".
  static bool valid_name(std::string_view name);
  // True when the name is declared.
  bool exists(const std::string& name) const;
  // True when the token can be a value: it does not begin with "-" or is no declared name.
  bool maybe_arg(const std::string& token) const;

 private:
  static bool is_option_name(std::string_view name);

  void assert_param_exists(const std::string& name) const;
  void assert_param_does_not_exists(const std::string& name) const;
  static void assert_param_name_valid(const std::string& name);
  void assert_param_positional(const std::string& name, option flags) const;
  static void assert_options(const std::string& name, option flags);
  static void assert_non_default(const std::string& name, option flags);
  static void assert_choices(const std::string& name, option flags, const string_set& choices);
  void assert_choices_arg(const std::string& name, const std::string& value) const;
  void assert_param_required(const params& result) const;
  // Runs every declaration check in order; returns the flags with `required` added to positionals.
  option fix_assert_new_param(const std::string& name, option flags, const string_set& choices) const;

  // Stores a checked declaration.
  void record(const std::string& name, option flags, const string_set& choices);
  // Consumes the value tokens of `name` from argv[index] on, advancing `index`.
  void take_values(params& result, const std::string& name, option flags, std::uint64_t& index,
                   const std::uint64_t& argc, const char* const* argv) const;
  // The text in brackets after a parameter's meaning in the usage summary.
  std::string usage_details(const std::string& name) const;

  string_map<option> options_;
  string_mapset choices_;
  string_map<std::string> default_;
  string_set non_default_;
  string_vector positional_;
  string_vector declared_;  // every name in declaration order
  string_map<std::string> meaning_;
};

// Bidirectional iterator over one parameter's values that converts each value on access.
template <typename T>
class argparse::iterator {
 public:
  using iterator_category = std::bidirectional_iterator_tag;
  using value_type = std::remove_cvref_t<T>;
  using difference_type = std::ptrdiff_t;
  using reference = T;
  using pointer = void;
  using conversor = std::function<T(const std::string&)>;

  iterator() = default;
  iterator(string_vector::const_iterator real, conversor convert)
      : real_(real), convert_(std::move(convert)) {}

  iterator& operator++() {
    ++real_;
    return *this;
  }
  iterator operator++(int) {
    iterator old = *this;
    ++real_;
    return old;
  }
  iterator& operator--() {
    --real_;
    return *this;
  }
  iterator operator--(int) {
    iterator old = *this;
    --real_;
    return old;
  }

  bool operator==(const iterator& other) const { return real_ == other.real_; }

  T operator*() const { return convert_(*real_); }

  // Member access on the converted value (held by a proxy for the duration of the expression).
  auto operator->() const {
    struct arrow {
      value_type value;
      const value_type* operator->() const { return &value; }
    };
    return arrow{convert_(*real_)};
  }

 private:
  string_vector::const_iterator real_;
  conversor convert_;
};

// The parsed command line: every value of each name, and which names were given.
class argparse::params {
 public:
  template <typename T>
  using conversor = std::function<T(const std::string&)>;

  // Every default name holds its one default value, every other name an empty list; nothing is set.
  params(const string_map<std::string>& defaults, const string_set& non_default);

  // Stores a value: the first one given replaces the default; later ones are appended unless `replace`.
  void set(const std::string& name, const std::string& value, bool replace);

  // True when the name was given on the command line (false for an undeclared name).
  bool is_set(const std::string& name) const;

  // The first value of the name. Throws std::out_of_range when the name is unknown or has no value.
  const std::string& get_ref(const std::string& name) const;
  std::string& get_ref(const std::string& name);

  // The first value of the name, converted. A conversion error becomes `param_value_invalid`,
  // which names the parameter and the value.
  template <typename T>
  T get(const std::string& name, std::type_identity_t<conversor<T>> convert = default_conversor<T>) const {
    return naming_errors<T>(name, std::move(convert))(get_ref(name));
  }

  // Iterators over all values of the name, converted on access; false (and an empty range) when
  // the name is unknown.
  template <typename T>
  bool get(const std::string& name, iterator<T>& begin, iterator<T>& end,
           std::type_identity_t<conversor<T>> convert = default_conversor<T>) const {
    const auto found = data_.find(name);
    const string_vector& values = found == data_.end() ? empty_vector : found->second;
    auto checked = naming_errors<T>(name, std::move(convert));
    begin = iterator<T>(values.cbegin(), checked);
    end = iterator<T>(values.cend(), std::move(checked));
    return found != data_.end();
  }

  // Reads a value as T. Provided for const std::string& (the text itself), std::string,
  // std::uint64_t and std::uint32_t (decimal digits only, within the type's range), double (stold,
  // which must read the whole text),
  // bool (false for "" and "0", else true) and std::filesystem::path.
  template <typename T>
  static T default_conversor(const std::string& text) {
    static_assert(!sizeof(T), "no default conversion for this type");
  }

  // Writes every name, ": ", its values separated by ", ", and a line end.
  friend std::ostream& operator<<(std::ostream& out, const params& parsed);

 private:
  // Wraps a conversion so that its standard errors name the parameter and the value.
  template <typename T>
  static conversor<T> naming_errors(const std::string& name, conversor<T> convert) {
    return [name, convert = std::move(convert)](const std::string& text) -> T {
      try {
        return convert(text);
      } catch (const std::invalid_argument& error) {
        throw param_value_invalid(name, text, error.what());
      } catch (const std::out_of_range& error) {
        throw param_value_invalid(name, text, error.what());
      }
    };
  }

  string_map<string_vector> data_;
  string_map<bool> set_;
  static const string_vector empty_vector;
};

template <>
const std::string& argparse::params::default_conversor<const std::string&>(const std::string& text);
template <>
std::string argparse::params::default_conversor<std::string>(const std::string& text);
template <>
std::uint64_t argparse::params::default_conversor<std::uint64_t>(const std::string& text);
template <>
std::uint32_t argparse::params::default_conversor<std::uint32_t>(const std::string& text);
template <>
double argparse::params::default_conversor<double>(const std::string& text);
template <>
bool argparse::params::default_conversor<bool>(const std::string& text);
template <>
std::filesystem::path argparse::params::default_conversor<std::filesystem::path>(const std::string& text);

std::ostream& operator<<(std::ostream& out, const argparse::params& parsed);

}  // namespace util
