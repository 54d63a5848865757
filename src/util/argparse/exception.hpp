#pragma once

#include <stdexcept>
#include <string>
#include <string_view>

#include "util/error.hpp"

// Errors of the command-line parser: declaration errors (a program declared its parameters
// inconsistently) and command-line errors (the user's arguments do not fit the declarations).
namespace util {

// Root of the parser's errors; carries the whole message. Usage errors: they end a run with status 2.
class exception : public usage_error {
 public:
  explicit exception(const std::string& message);
  ~exception() override;
};

// Errors about one parameter.
class param_exception : public exception {
 public:
  using exception::exception;
  ~param_exception() override;
};

// Errors about a parameter's option flags.
class option_exception : public exception {
 public:
  using exception::exception;
  ~option_exception() override;
};

// Errors about a positional parameter's declaration.
class param_positional_invalid : public param_exception {
 public:
  using param_exception::param_exception;
  ~param_positional_invalid() override;
};

// Errors about a parameter's allowed values.
class param_choices_invalid : public param_exception {
 public:
  using param_exception::param_exception;
  ~param_choices_invalid() override;
};

// A command-line token that is no declared option name when every positional parameter is filled.
class param_unknown : public param_exception {
 public:
  explicit param_unknown(std::string_view token);
};

// A parameter declared twice.
class param_name_exists : public param_exception {
 public:
  explicit param_name_exists(std::string_view name);
};

// A parameter that was never declared.
class param_name_does_not_exists : public param_exception {
 public:
  explicit param_name_does_not_exists(std::string_view name);
};

// A parameter name that is empty or holds characters other than letters, digits, "-" and "_".
class param_name_invalid : public param_exception {
 public:
  explicit param_name_invalid(std::string_view name);
};

// A positional parameter declared as enabler, disabler or counter.
class param_positional_invalid_options : public param_positional_invalid {
 public:
  explicit param_positional_invalid_options(std::string_view name);
};

// A positional parameter declared after a positional one that takes multiple values.
class param_positional_multiple_exists : public param_positional_invalid {
 public:
  param_positional_multiple_exists(std::string_view name, std::string_view multiple_name);
};

// A parameter without default that is neither required, multiple nor value-less.
class param_non_default_invalid : public param_exception {
 public:
  explicit param_non_default_invalid(std::string_view name);
};

// Allowed values declared for an enabler, disabler or counter.
class param_choices_edc : public param_choices_invalid {
 public:
  explicit param_choices_edc(std::string_view name);
};

// A value outside the parameter's allowed values.
class param_choices_not_exist : public param_choices_invalid {
 public:
  param_choices_not_exist(std::string_view value, std::string_view name);
};

// A required parameter missing from the command line.
class param_is_required : public param_exception {
 public:
  explicit param_is_required(std::string_view name);
};

// A value that the requested conversion cannot read; `reason` is the conversion's own error text.
class param_value_invalid : public param_exception {
 public:
  param_value_invalid(std::string_view name, std::string_view value, std::string_view reason);
};

// An enabler, disabler or counter declared with `multiple`.
class options_invalid_edc_multiple : public option_exception {
 public:
  explicit options_invalid_edc_multiple(std::string_view name);
};

// An enabler, disabler or counter declared with `required`.
class options_invalid_edc_required : public option_exception {
 public:
  explicit options_invalid_edc_required(std::string_view name);
};

// A parameter declared both enabler and counter.
class options_invalid_enable_count : public option_exception {
 public:
  explicit options_invalid_enable_count(std::string_view name);
};

// A parameter declared both enabler and disabler.
class options_invalid_enable_disable : public option_exception {
 public:
  explicit options_invalid_enable_disable(std::string_view name);
};

// A parameter declared both disabler and counter.
class options_invalid_disable_count : public option_exception {
 public:
  explicit options_invalid_disable_count(std::string_view name);
};

// Not an error: the command line asked only for the usage summary, which `what()` holds.
// Kept outside the `util::exception` family so that error handlers never mistake it for one.
class help_requested : public std::runtime_error {
 public:
  explicit help_requested(const std::string& usage);
  ~help_requested() override;
};

}  // namespace util
