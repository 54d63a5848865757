#pragma once

#include <filesystem>

// The lock that keeps two local drivers from running one job at once.
namespace job {

// Holds an exclusive flock on JOBDIR/.lock while it lives; refuses (exit status 2) when another
// process holds it. The workers that this process starts inherit the lock, so that a job whose
// driver was killed stays locked until they end too.
class job_lock {
 public:
  explicit job_lock(const std::filesystem::path& dir);
  job_lock(const job_lock&) = delete;
  job_lock& operator=(const job_lock&) = delete;
  ~job_lock();

 private:
  int descriptor_ = -1;
};

}  // namespace job
