#pragma once

#include <string>
#include <string_view>

#include "util/error.hpp"

// The job driver's exit statuses and the error that ends a job's step with one of them.
namespace job {

// The job driver's name, which its messages begin with.
inline constexpr std::string_view program_name = "infoloss-job";

namespace exit_status {
inline constexpr int complete = 0;     // joined (with -target-error: the target reached)
inline constexpr int incomplete = 1;   // some worker has no complete result, or the time ran out first
inline constexpr int refused = 2;      // bad arguments, tools, netlist or job directory: nothing started
inline constexpr int join_failed = 3;  // join failed, or its results could not be recorded
}  // namespace exit_status

// Ends a step of a job with one of the statuses above; `util::run_program` reports the message as
// "<program>: <message>" and exits with the status.
class error : public util::status_error {
 public:
  using util::status_error::status_error;
  ~error() override;
};

// Throws the error of a refusal (exit status 2): nothing of the job was started.
[[noreturn]] void refuse(const std::string& message);

}  // namespace job
