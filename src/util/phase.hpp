#pragma once

#include <iostream>
#include <string>
#include <string_view>

namespace util {

// A timed phase of a program run. It prints its name on a line when it starts and, when it
// ends, the name, the separator (": time = " in fullsim, " time = " in approximate), the
// elapsed wall time with 5 decimals and "s".
class phase {
 public:
  // Records the start time, then prints the name and a line end.
  phase(std::string_view name, std::string_view separator, std::ostream& out = std::cout);

  // Seconds since the start.
  double elapsed() const;

  // Prints the end line followed by an empty line.
  void end() const;

  // Prints the end line with a single line end (the closing lines of a run).
  void end_last() const;

 private:
  void print_end(std::string_view line_ends) const;

  std::string name_;
  std::string separator_;
  std::ostream& out_;
  double start_;
};

}  // namespace util
