#include "util/resources.hpp"

#include <sys/resource.h>
#include <unistd.h>

#include <cstdio>

namespace util::rss {

std::uint64_t peak() {
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  return static_cast<std::uint64_t>(usage.ru_maxrss) << 10;  // the kernel reports KiB
}

std::uint64_t current() {
  std::FILE* statm = std::fopen("/proc/self/statm", "r");
  if (statm == nullptr) {
    return 0;
  }
  long pages = 0;
  const int read = std::fscanf(statm, "%*s%ld", &pages);
  std::fclose(statm);
  if (read != 1 || pages < 0) {
    return 0;
  }
  return static_cast<std::uint64_t>(pages) * static_cast<std::uint64_t>(sysconf(_SC_PAGESIZE));
}

std::uint64_t physical() {
  const long pages = sysconf(_SC_PHYS_PAGES);
  return pages < 0 ? 0
                   : static_cast<std::uint64_t>(pages) * static_cast<std::uint64_t>(sysconf(_SC_PAGESIZE));
}

bool limit(std::uint64_t bytes) {
  const rlimit address_space{static_cast<rlim_t>(bytes), RLIM_INFINITY};
  return setrlimit(RLIMIT_AS, &address_space) == 0;
}

}  // namespace util::rss
