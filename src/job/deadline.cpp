#include "job/deadline.hpp"

#include <algorithm>
#include <chrono>
#include <cstdlib>

#include "util/string.hpp"

namespace job {

namespace {

constexpr const char* variable = "INFOLOSS_JOB_DEADLINE";

}  // namespace

double epoch_seconds() {
  const auto now = std::chrono::system_clock::now().time_since_epoch();
  return std::chrono::duration<double>(now).count();
}

std::optional<double> rounds_deadline() {
  const char* value = std::getenv(variable);
  if (value == nullptr || *value == '\0') return std::nullopt;
  return std::strtod(value, nullptr);
}

bool past_rounds_deadline() {
  const auto deadline = rounds_deadline();
  return deadline && epoch_seconds() >= *deadline;
}

std::string time_left(double deadline) {
  return util::string::fromf(std::max(deadline - epoch_seconds(), 0.0), 3);
}

deadline_setting::deadline_setting(double seconds) {
  if (const char* value = std::getenv(variable)) previous_ = value;
  setenv(variable, util::string::fromf(epoch_seconds() + seconds, 3).c_str(), 1);
}

deadline_setting::~deadline_setting() {
  if (previous_) {
    setenv(variable, previous_->c_str(), 1);
  } else {
    unsetenv(variable);
  }
}

}  // namespace job
