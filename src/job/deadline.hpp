#pragma once

#include <optional>
#include <string>

// The deadline of a run's rounds of -target-error. The workers, which GNU parallel starts as
// processes of their own, read it from the environment variable INFOLOSS_JOB_DEADLINE: seconds
// since the epoch, with 3 decimals.
namespace job {

// The wall clock's seconds since the epoch.
double epoch_seconds();

// The deadline that this process runs under, if any.
std::optional<double> rounds_deadline();

// Whether the deadline (if any) has passed.
bool past_rounds_deadline();

// The seconds left until the deadline, at least 0, with 3 decimals: a worker's -limit-time.
std::string time_left(double deadline);

// Sets the deadline `seconds` from now for this process and the processes it starts, as long as
// it lives; the environment's earlier value comes back afterwards.
class deadline_setting {
 public:
  explicit deadline_setting(double seconds);
  deadline_setting(const deadline_setting&) = delete;
  deadline_setting& operator=(const deadline_setting&) = delete;
  ~deadline_setting();

 private:
  std::optional<std::string> previous_;
};

}  // namespace job
