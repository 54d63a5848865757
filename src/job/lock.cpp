#include "job/lock.hpp"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include "job/error.hpp"
#include "util/string.hpp"

namespace job {

using util::string::concat;

job_lock::job_lock(const std::filesystem::path& dir) {
  const std::filesystem::path file = dir / ".lock";
  // Without O_CLOEXEC: the processes started from here keep the lock while they run.
  descriptor_ = open(file.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0666);
  if (descriptor_ < 0) refuse(concat("cannot create ", file.string()));
  if (flock(descriptor_, LOCK_EX | LOCK_NB) != 0) {
    close(descriptor_);
    refuse(concat("another ", program_name, " is running the job in ", dir.string()));
  }
}

job_lock::~job_lock() { close(descriptor_); }

}  // namespace job
