#include "util/argparse/base.hpp"

#include <algorithm>
#include <sstream>
#include <vector>

namespace util {

void argparse::add(const std::string& name, std::string default_value, option flags,
                   const string_set& choices) {
  flags = fix_assert_new_param(name, flags, choices);
  if (flags.is_disabler()) {
    default_value = "1";
  } else if (flags.is_enabler() || (flags.is_counter() && default_value.empty())) {
    default_value = "0";
  }
  record(name, flags, choices);
  default_[name] = std::move(default_value);
}

void argparse::add(const std::string& name, option flags, const string_set& choices) {
  flags = fix_assert_new_param(name, flags, choices);
  assert_non_default(name, flags);
  record(name, flags, choices);
  if (flags.is_enabler() || flags.is_counter()) {
    default_[name] = "0";
  } else if (flags.is_disabler()) {
    default_[name] = "1";
  } else {
    non_default_.insert(name);
  }
}

void argparse::add(const std::string& name, std::string default_value, const string_set& choices) {
  add(name, std::move(default_value), option::none, choices);
}

void argparse::describe(const std::string& name, std::string meaning) {
  assert_param_exists(name);
  meaning_[name] = std::move(meaning);
}

argparse::params argparse::parse(const std::uint64_t& argc, const char* const* argv) const {
  if (argc == 2 && (std::string_view(argv[1]) == "--help" || std::string_view(argv[1]) == "-h") &&
      !exists(argv[1])) {
    throw help_requested(usage(std::filesystem::path(argv[0]).filename().string()));
  }
  params result(default_, non_default_);
  std::uint64_t index = 1;
  std::uint64_t positional_count = 0;
  while (index < argc) {
    const std::string token = argv[index];
    std::string name;
    if (is_option_name(token) && exists(token)) {
      name = token;
      ++index;
    } else if (positional_count == positional_.size()) {
      throw param_unknown(token);
    } else {
      name = positional_[positional_count++];  // the token itself is read as its value below
    }
    assert_param_exists(name);
    const option flags = options_.at(name);
    if (flags.is_enabler()) {
      result.set(name, "1", true);
    } else if (flags.is_disabler()) {
      result.set(name, "0", true);
    } else if (flags.is_counter()) {
      result.get_ref(name) = std::to_string(result.get<std::uint64_t>(name) + 1);
    } else {
      take_values(result, name, flags, index, argc, argv);
    }
  }
  assert_param_required(result);
  return result;
}

void argparse::take_values(params& result, const std::string& name, option flags, std::uint64_t& index,
                           const std::uint64_t& argc, const char* const* argv) const {
  do {
    if (index == argc || !maybe_arg(argv[index])) {
      return;
    }
    assert_choices_arg(name, argv[index]);
    result.set(name, argv[index], !flags.is_multiple());
    ++index;
  } while (flags.is_multiple());
}

std::string argparse::usage(std::string_view program) const {
  std::ostringstream out;
  out << "usage: " << program;
  if (positional_.size() < declared_.size()) {
    out << " [options]";
  }
  for (const auto& name : positional_) {
    out << ' ' << name << (options_.at(name).is_multiple() ? "..." : "");
  }
  out << "\n\n";

  std::vector<std::pair<std::string, std::string>> rows;
  for (const auto& name : declared_) {
    const option flags = options_.at(name);
    std::string left = name;
    if (is_option_name(name) && !flags.is_valueless()) {
      left += flags.is_multiple() ? " VALUE..." : " VALUE";
    }
    const auto meaning = meaning_.find(name);
    std::string right = meaning == meaning_.end() ? "" : meaning->second + " ";
    rows.emplace_back(std::move(left), right + "[" + usage_details(name) + "]");
  }
  rows.emplace_back("-h, --help", "print this summary and exit");

  std::size_t width = 0;
  for (const auto& row : rows) {
    width = std::max(width, row.first.size());
  }
  for (const auto& [left, right] : rows) {
    out << "  " << left << std::string(width - left.size() + 2, ' ') << right << '\n';
  }
  return out.str();
}

std::string argparse::usage_details(const std::string& name) const {
  const option flags = options_.at(name);
  std::vector<std::string> details;
  if (flags.is_enabler()) {
    details.emplace_back("flag");
  } else if (flags.is_disabler()) {
    details.emplace_back("flag that turns off");
  } else if (flags.is_counter()) {
    details.emplace_back("counter, may be repeated");
  } else {
    if (flags.is_required()) {
      details.emplace_back("required");
    }
    if (flags.is_multiple()) {
      details.emplace_back("one or more values");
    }
    if (const auto choices = choices_.find(name); choices != choices_.end()) {
      std::vector<std::string> sorted(choices->second.begin(), choices->second.end());
      std::sort(sorted.begin(), sorted.end());
      std::string joined;
      for (const auto& choice : sorted) {
        joined += (joined.empty() ? "" : ", ") + choice;
      }
      details.push_back("one of: " + joined);
    }
    if (const auto found = default_.find(name); found != default_.end()) {
      details.push_back("default \"" + found->second + "\"");
    }
  }
  std::string text;
  for (const auto& detail : details) {
    text += (text.empty() ? "" : "; ") + detail;
  }
  return text;
}

bool argparse::valid_name(std::string_view name) {
  return !name.empty() && std::all_of(name.begin(), name.end(), [](char c) {
    return ('a' <= c && c <= 'z') || ('A' <= c && c <= 'Z') || ('0' <= c && c <= '9') || c == '-' || c == '_';
  });
}

bool argparse::exists(const std::string& name) const { return options_.contains(name); }

bool argparse::maybe_arg(const std::string& token) const { return !is_option_name(token) || !exists(token); }

bool argparse::is_option_name(std::string_view name) { return name.starts_with('-'); }

void argparse::assert_param_exists(const std::string& name) const {
  if (!exists(name)) {
    throw param_name_does_not_exists(name);
  }
}

void argparse::assert_param_does_not_exists(const std::string& name) const {
  if (exists(name)) {
    throw param_name_exists(name);
  }
}

void argparse::assert_param_name_valid(const std::string& name) {
  if (!valid_name(name)) {
    throw param_name_invalid(name);
  }
}

void argparse::assert_param_positional(const std::string& name, option flags) const {
  if (flags.is_valueless()) {
    throw param_positional_invalid_options(name);
  }
  if (!positional_.empty() && options_.at(positional_.back()).is_multiple()) {
    throw param_positional_multiple_exists(name, positional_.back());
  }
}

void argparse::assert_options(const std::string& name, option flags) {
  if (!flags.is_valueless()) {
    return;
  }
  if (flags.is_multiple()) {
    throw options_invalid_edc_multiple(name);
  }
  if (flags.is_required()) {
    throw options_invalid_edc_required(name);
  }
  if (flags.is_enabler() && flags.is_counter()) {
    throw options_invalid_enable_count(name);
  }
  if (flags.is_enabler() && flags.is_disabler()) {
    throw options_invalid_enable_disable(name);
  }
  if (flags.is_disabler() && flags.is_counter()) {
    throw options_invalid_disable_count(name);
  }
}

void argparse::assert_non_default(const std::string& name, option flags) {
  if (!flags.is_required() && !flags.is_multiple() && !flags.is_valueless()) {
    throw param_non_default_invalid(name);
  }
}

void argparse::assert_choices(const std::string& name, option flags, const string_set& choices) {
  if (flags.is_valueless() && !choices.empty()) {
    throw param_choices_edc(name);
  }
}

void argparse::assert_choices_arg(const std::string& name, const std::string& value) const {
  const auto choices = choices_.find(name);
  if (choices != choices_.end() && !choices->second.contains(value)) {
    throw param_choices_not_exist(value, name);
  }
}

void argparse::assert_param_required(const params& result) const {
  for (const auto& name : declared_) {
    if (options_.at(name).is_required() && !result.is_set(name)) {
      throw param_is_required(name);
    }
  }
}

argparse::option argparse::fix_assert_new_param(const std::string& name, option flags,
                                                const string_set& choices) const {
  assert_param_does_not_exists(name);
  assert_param_name_valid(name);
  assert_options(name, flags);
  assert_choices(name, flags, choices);
  if (!is_option_name(name)) {
    flags |= option::required;
    assert_param_positional(name, flags);
  }
  return flags;
}

void argparse::record(const std::string& name, option flags, const string_set& choices) {
  options_.emplace(name, flags);
  if (!choices.empty()) {
    choices_.emplace(name, choices);
  }
  if (!is_option_name(name)) {
    positional_.push_back(name);
  }
  declared_.push_back(name);
}

}  // namespace util
