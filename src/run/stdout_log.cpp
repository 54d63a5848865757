#include "run/stdout_log.hpp"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <iostream>

#include "util/error.hpp"
#include "util/string.hpp"

namespace run {

stdout_log::stdout_log(const std::filesystem::path& log) {
  std::cout.flush();
  std::fflush(stdout);
  const int file = ::open(log.c_str(), O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0666);
  if (file < 0)
    throw util::resource_error(
        util::string::concat("Could not open ", log.string(), ": ", std::strerror(errno)));
  saved_ = ::dup(STDOUT_FILENO);
  ::dup2(file, STDOUT_FILENO);
  ::close(file);
}

stdout_log::~stdout_log() {
  std::cout.flush();
  std::fflush(stdout);
  ::dup2(saved_, STDOUT_FILENO);
  ::close(saved_);
}

}  // namespace run
