#include "util/argparse/exception.hpp"

#include "util/string.hpp"

namespace util {

using string::concat;

exception::exception(const std::string& message) : usage_error(message) {}
exception::~exception() = default;
param_exception::~param_exception() = default;
option_exception::~option_exception() = default;
param_positional_invalid::~param_positional_invalid() = default;
param_choices_invalid::~param_choices_invalid() = default;

param_unknown::param_unknown(std::string_view token)
    : param_exception(concat("Unknown param '", token, "'.")) {}

param_name_exists::param_name_exists(std::string_view name)
    : param_exception(concat("Param '", name, "' exists.")) {}

param_name_does_not_exists::param_name_does_not_exists(std::string_view name)
    : param_exception(concat("Param '", name, "' does not exists.")) {}

param_name_invalid::param_name_invalid(std::string_view name)
    : param_exception(concat("Invalid param '", name, "'.")) {}

param_positional_invalid_options::param_positional_invalid_options(std::string_view name)
    : param_positional_invalid(
          concat("Positional arg '", name, "' should not be enable, disable or count.")) {}

param_positional_multiple_exists::param_positional_multiple_exists(std::string_view name,
                                                                   std::string_view multiple_name)
    : param_positional_invalid(concat("Can not add positional arg '", name,
                                      "' after positional multiple arg '", multiple_name, "'.")) {}

param_non_default_invalid::param_non_default_invalid(std::string_view name)
    : param_exception(concat(
          name, " should be required, multiple, enable, disable or count to not require a default.")) {}

param_choices_edc::param_choices_edc(std::string_view name)
    : param_choices_invalid(concat("Enable, disable or count param '", name, "' can not have choices.")) {}

param_choices_not_exist::param_choices_not_exist(std::string_view value, std::string_view name)
    : param_choices_invalid(concat("Choice '", value, "' not enabled for param '", name, "'.")) {}

param_is_required::param_is_required(std::string_view name)
    : param_exception(concat("Param '", name, "' is required.")) {}

param_value_invalid::param_value_invalid(std::string_view name, std::string_view value,
                                         std::string_view reason)
    : param_exception(concat("Param '", name, "' has an invalid value '", value, "' (", reason, ").")) {}

options_invalid_edc_multiple::options_invalid_edc_multiple(std::string_view name)
    : option_exception(
          concat("Enable, disable or count param '", name, "' can not have multiple arguments.")) {}

options_invalid_edc_required::options_invalid_edc_required(std::string_view name)
    : option_exception(concat("Enable, disable or count param '", name, "' can not be required.")) {}

options_invalid_enable_count::options_invalid_enable_count(std::string_view name)
    : option_exception(concat("Enable param '", name, "' can not be count.")) {}

options_invalid_enable_disable::options_invalid_enable_disable(std::string_view name)
    : option_exception(concat("Enable param '", name, "' can not be disable.")) {}

options_invalid_disable_count::options_invalid_disable_count(std::string_view name)
    : option_exception(concat("Disable param '", name, "' can not be count.")) {}

help_requested::help_requested(const std::string& usage) : std::runtime_error(usage) {}
help_requested::~help_requested() = default;

}  // namespace util
