#include "util/phase.hpp"

#include "util/clock.hpp"
#include "util/string.hpp"

namespace util {

phase::phase(std::string_view name, std::string_view separator, std::ostream& out)
    : name_(name), separator_(separator), out_(out), start_(steady_seconds()) {
  out_ << name_ << '\n' << std::flush;
}

double phase::elapsed() const { return steady_seconds() - start_; }

void phase::end() const { print_end("\n\n"); }

void phase::end_last() const { print_end("\n"); }

void phase::print_end(std::string_view line_ends) const {
  out_ << name_ << separator_ << string::fromf(elapsed(), 5) << 's' << line_ends << std::flush;
}

}  // namespace util
