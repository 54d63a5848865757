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

namespace {

// Field `index` (0: program size, 1: resident set) of "/proc/self/statm" in bytes; 0 when unreadable.
std::uint64_t statm_bytes(int index) {
  std::FILE* statm = std::fopen("/proc/self/statm", "r");
  if (statm == nullptr) {
    return 0;
  }
  long pages = 0;
  const int read = index == 0 ? std::fscanf(statm, "%ld", &pages) : std::fscanf(statm, "%*s%ld", &pages);
  std::fclose(statm);
  if (read != 1 || pages < 0) {
    return 0;
  }
  return static_cast<std::uint64_t>(pages) * static_cast<std::uint64_t>(sysconf(_SC_PAGESIZE));
}

}  // namespace

std::uint64_t current() { return statm_bytes(1); }

std::uint64_t address_space() { return statm_bytes(0); }

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
